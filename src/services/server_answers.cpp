// What the server answers: which service a request is for, the body it
// composes, the home page and its encodings made once, and the faults a
// misbehaviour puts into the answer on its way out.

#include <algorithm>
#include <optional>

#include <fmt/format.h>
#include <httplib.h>

#include "services/ascii.h"
#include "services/certified_status.h"
#include "services/compression.h"
#include "services/search_index.h"
#include "services/server.h"

namespace services {

namespace {

using nlohmann::json;

constexpr std::string_view kSearchPath = "/1/indexes/*/queries";
constexpr std::string_view kJsonType = "application/json; charset=UTF-8";
constexpr std::string_view kHtmlType = "text/html; charset=utf-8";
constexpr std::size_t kWriteChunk = 16 * 1024;

// "Host: www.example.com:8443" names www.example.com.
std::string hostWithoutPort(std::string_view hostHeader) {
  if (!hostHeader.empty() && hostHeader.front() == '[') {
    return lowerAscii(hostHeader.substr(0, hostHeader.find(']') + 1));
  }
  return lowerAscii(hostHeader.substr(0, hostHeader.find(':')));
}

std::string dumpJson(const json& value) {
  // Replace rather than throw: a path may carry bytes that are not UTF-8.
  return value.dump(-1, ' ', false, json::error_handler_t::replace);
}

// The damage for CorruptCompressedBody: gzip keeps its header so the client
// sees a gzip stream whose first block has the reserved type; brotli fails
// on its first byte.
std::string corrupted(ContentCoding coding, const std::string& encoded) {
  const std::size_t size = std::max<std::size_t>(encoded.size(), 32);
  if (coding == ContentCoding::Gzip) {
    return encoded.substr(0, 10) + std::string(size - 10, '\xff');
  }
  return std::string(size, '\xff');
}

// Bytes that can begin no UTF-8 sequence, put inside the first quoted text
// of the body, so that the body is otherwise well formed.
std::string withInvalidUtf8(std::string body) {
  const auto quote = body.find('"');
  body.insert(quote == std::string::npos ? 0 : quote + 1, "\xC3\x28\xFF\xFE");
  return body;
}

std::optional<std::string> queryValue(const httplib::Request& request, const std::string& name) {
  const auto question = request.target.find('?');
  if (question == std::string::npos) {
    return std::nullopt;
  }
  httplib::Params params;
  httplib::detail::parse_query_text(request.target.substr(question + 1), params);
  auto it = params.find(name);
  return it == params.end() ? std::nullopt : std::optional<std::string>(it->second);
}

std::string credential(const httplib::Request& request, const char* queryName, const char* headerName) {
  if (auto value = queryValue(request, queryName)) {
    return *value;
  }
  return request.get_header_value(headerName);
}

bool isSyntheticHeader(const std::string& name) {
  // cpp-httplib adds the peer's addresses to the request's headers.
  return name == "REMOTE_ADDR" || name == "REMOTE_PORT" || name == "LOCAL_ADDR" || name == "LOCAL_PORT";
}

HomePageVariant homePageVariant(Fault fault) {
  return fault == Fault::PageWithoutMarker        ? HomePageVariant::WithoutMarker
         : fault == Fault::PageWithBrokenSettings ? HomePageVariant::WithBrokenSettings
                                                  : HomePageVariant::Normal;
}

// Whether the body composed for a request is what is encoded: the faults
// that damage it after encoding, or pick another home page, leave it so.
bool encodesComposedBody(Fault fault) {
  switch (fault) {
    case Fault::None:
    case Fault::ResetMidBody:
    case Fault::TruncatedCompressedBody:
    case Fault::CorruptCompressedBody:
    case Fault::PageWithoutMarker:
    case Fault::PageWithBrokenSettings:
      return true;
    case Fault::InvalidUtf8:
      return false;
  }
  return false;
}

std::string expandPlaceholders(std::string value, const std::string& host, const std::string& target) {
  for (auto [name, replacement] : {std::pair<std::string_view, const std::string&>{"{host}", host}, {"{target}", target}}) {
    for (auto at = value.find(name); at != std::string::npos; at = value.find(name, at + replacement.size()))
      value.replace(at, name.size(), replacement);
  }
  return value;
}

std::string homePageKey(HomePageVariant variant) { return fmt::format("home/{}", static_cast<int>(variant)); }

RecordedRequest recordOf(const httplib::Request& request, Endpoint endpoint, const std::string& hostHeader) {
  RecordedRequest record;
  record.endpoint = endpoint;
  record.method = request.method;
  record.host = hostHeader;
  record.target = request.target;
  for (const auto& [name, value] : request.headers) {
    if (!isSyntheticHeader(name)) {
      record.headers.emplace_back(name, value);
    }
  }
  record.body = request.body;
  record.time = std::chrono::system_clock::now();
  return record;
}

// The client's choice, unless the misbehaviour sends its own body or names a
// coding; a fault in compressed bytes needs compressed bytes.
ContentCoding codingFor(const httplib::Request& request, const Misbehaviour& misbehaviour) {
  if (misbehaviour.body) {
    return ContentCoding::Identity;
  }
  const ContentCoding coding =
      misbehaviour.coding.value_or(negotiateCoding(request.get_header_value("Accept-Encoding")));
  const bool damagesCompressed = misbehaviour.fault == Fault::TruncatedCompressedBody ||
                                 misbehaviour.fault == Fault::CorruptCompressedBody;
  return damagesCompressed && coding == ContentCoding::Identity ? ContentCoding::Gzip : coding;
}

}  // namespace

struct ServicesServer::Answer {
  int status = 200;
  std::string contentType;
  std::string body;
  std::vector<std::pair<std::string, std::string>> headers;
};

const std::string& ServicesServer::homePage(HomePageVariant variant) {
  {
    std::lock_guard lock(mutex_);
    if (auto it = homePages_.find(variant); it != homePages_.end()) {
      return it->second;  // entries are never removed, so the reference stays valid
    }
  }
  // Made outside the lock, which every request takes; two first requests may
  // both make it, and the pages are the same.
  std::string page = renderHomePage(catalog_, options_.applicationId, options_.apiKey, variant);
  std::lock_guard lock(mutex_);
  return homePages_.try_emplace(variant, std::move(page)).first->second;
}

void ServicesServer::prepareHomePage() {
  const std::string& page = homePage(HomePageVariant::Normal);
  for (ContentCoding coding : {ContentCoding::Brotli, ContentCoding::Gzip}) {
    (void)encodedBody(homePageKey(HomePageVariant::Normal), coding, page);
  }
}

Result<std::shared_ptr<const std::string>> ServicesServer::encodedBody(const std::string& staticKey,
                                                                       ContentCoding coding, const std::string& body) {
  const std::pair key{staticKey, coding};
  if (!staticKey.empty()) {
    std::lock_guard lock(mutex_);
    if (auto it = encodedBodies_.find(key); it != encodedBodies_.end()) {
      return it->second;
    }
  }
  // Encoded outside the lock; two first requests may both encode, and the
  // results are the same.
  auto encoded = encodeBody(coding, body);
  if (!encoded) {
    return encoded.error();
  }
  auto shared = std::make_shared<const std::string>(std::move(encoded).value());
  if (staticKey.empty()) {
    return shared;
  }
  std::lock_guard lock(mutex_);
  return encodedBodies_.try_emplace(key, std::move(shared)).first->second;
}

Endpoint ServicesServer::classify(const std::string& host, const httplib::Request& request) const {
  if (host == lowerAscii(options_.ratingsHost) && request.method == "GET" && request.path == "/") {
    return Endpoint::HomePage;
  }
  const auto suffix = lowerAscii(options_.searchHostSuffix);
  if (host.size() > suffix.size() && host.ends_with(suffix) && request.method == "POST" &&
      request.path == kSearchPath) {
    return Endpoint::Search;
  }
  if (host == lowerAscii(options_.certifiedHost) && request.method == "GET" &&
      request.path.starts_with(kCertifiedPathPrefix)) {
    return Endpoint::Certified;
  }
  return Endpoint::Other;
}

void ServicesServer::handle(const httplib::Request& request, httplib::Response& response) {
  const std::string hostHeader = request.get_header_value("Host");
  const std::string host = hostWithoutPort(hostHeader);
  const Endpoint endpoint = classify(host, request);

  log_.record(recordOf(request, endpoint, hostHeader));

  const Misbehaviour misbehaviour = takeMisbehaviour(endpoint);
  wait(misbehaviour);
  Answer answer = compose(endpoint, host, request, misbehaviour);
  if (misbehaviour.status != 0) {
    answer.status = misbehaviour.status;
  }
  const Fault fault = misbehaviour.fault;

  std::string body = std::move(answer.body);
  if (fault == Fault::InvalidUtf8) {
    body = withInvalidUtf8(std::move(body));
  }
  const ContentCoding coding = codingFor(request, misbehaviour);
  // The home page and the title pages are the same for every request: their
  // encodings are made once. Their keys: the variant, or the path. A described
  // body is made on the fly and never kept.
  std::string staticKey;
  if (!misbehaviour.body && encodesComposedBody(fault) && answer.contentType == kHtmlType && answer.status == 200) {
    staticKey = endpoint == Endpoint::HomePage ? homePageKey(homePageVariant(fault)) : request.path;
  }
  const std::string noBody;
  auto encoded = encodedBody(staticKey, coding, misbehaviour.body ? noBody : body);
  if (!encoded) {
    response.status = 500;
    response.set_content(encoded.error().message, "text/plain");
    return;
  }
  // The encoded bytes are shared with the cache; only a fault that damages
  // them makes a copy of its own.
  std::shared_ptr<const std::string> bytes = std::move(encoded).value();
  // A cut always leaves at least one byte out, or the fault would not show.
  auto cutOf = [&](std::size_t size) { return std::min(misbehaviour.cutAfter.value_or(size / 2), size == 0 ? 0 : size - 1); };
  if (fault == Fault::TruncatedCompressedBody) {
    bytes = std::make_shared<const std::string>(*bytes, 0, cutOf(bytes->size()));
  } else if (fault == Fault::CorruptCompressedBody) {
    bytes = std::make_shared<const std::string>(corrupted(coding, *bytes));
  }
  // What goes out: the described body, or the encoded answer.
  std::shared_ptr<const GeneratedBody> described;
  if (misbehaviour.body) {
    described = std::make_shared<const GeneratedBody>(*misbehaviour.body);
  }
  const std::size_t size = described ? described->size() : bytes->size();
  const std::size_t cutAt = fault == Fault::ResetMidBody ? cutOf(size) : size;

  response.status = answer.status;
  for (auto& [name, value] : answer.headers) {
    response.set_header(name, value);
  }
  for (const auto& [name, value] : misbehaviour.headers) {
    response.set_header(name, expandPlaceholders(value, host, request.target));
  }
  response.set_header("Vary", "Accept-Encoding");
  if (coding != ContentCoding::Identity) {
    response.set_header("Content-Encoding", std::string(codingName(coding)));
  }
  if (size == 0) {
    response.set_content("", answer.contentType);
    return;
  }
  // A body with a known length from a provider: cpp-httplib sends it as it
  // is (no compression of its own), and stopping the provider early closes
  // the connection mid-body. A paced body sends its share each second.
  const std::size_t chunk = misbehaviour.bytesPerSecond > 0 ? misbehaviour.bytesPerSecond : kWriteChunk;
  response.set_content_provider(
      size, answer.contentType,
      [this, described, bytes, cutAt, chunk, pacing = misbehaviour.bytesPerSecond](
          std::size_t offset, std::size_t length, httplib::DataSink& sink) {
        if (offset >= cutAt || (pacing > 0 && offset > 0 && !pace(pacing))) {
          return false;
        }
        const std::size_t n = std::min({length, cutAt - offset, chunk});
        if (!described) {
          return sink.write(bytes->data() + offset, n);
        }
        std::string piece;
        described->copy(offset, n, piece);
        return sink.write(piece.data(), piece.size());
      });
}

ServicesServer::Answer ServicesServer::compose(Endpoint endpoint, const std::string& host,
                                               const httplib::Request& request, const Misbehaviour& misbehaviour) {
  switch (endpoint) {
    case Endpoint::HomePage: {
      const HomePageVariant variant = homePageVariant(misbehaviour.fault);
      return {200, std::string(kHtmlType), homePage(variant), {{"Cache-Control", "private, no-cache, max-age=0"}}};
    }
    case Endpoint::Search:
      return composeSearch(host, request);
    case Endpoint::Certified: {
      auto answer = answerCertifiedStatus(catalog_, std::string_view(request.path).substr(kCertifiedPathPrefix.size()));
      return {answer.status, std::string(kJsonType), dumpJson(answer.body), {}};
    }
    case Endpoint::Other:
      break;
  }

  if (host == lowerAscii(options_.ratingsHost)) {
    for (auto [prefix, type] : {std::pair{"/m/", "movie"}, std::pair{"/tv/", "tv"}}) {
      if (request.path.starts_with(prefix)) {
        if (const json* hit = catalog_.findByVanity(type, request.path.substr(std::string_view(prefix).size()))) {
          return {200, std::string(kHtmlType), renderTitlePage(*hit), {}};
        }
      }
    }
    return {404, std::string(kHtmlType), "<!DOCTYPE html>\n<html><body><h1>404 - Not Found</h1></body></html>\n", {}};
  }
  if (host.ends_with(lowerAscii(options_.searchHostSuffix)) || host == lowerAscii(options_.certifiedHost)) {
    return {404, std::string(kJsonType), dumpJson(searchError(404, "Not Found")), {}};
  }
  return {421, "text/plain", fmt::format("This server does not answer for the host \"{}\".\n", host), {}};
}

ServicesServer::Answer ServicesServer::composeSearch(const std::string& host, const httplib::Request& request) {
  const std::vector<std::pair<std::string, std::string>> headers = {{"Access-Control-Allow-Origin", "*"},
                                                                    {"Cache-Control", "no-store"}};
  const std::string applicationId = credential(request, "x-algolia-application-id", "X-Algolia-Application-Id");
  const std::string apiKey = credential(request, "x-algolia-api-key", "X-Algolia-API-Key");
  if (host != searchHost() || applicationId != options_.applicationId || apiKey != options_.apiKey) {
    return {403, std::string(kJsonType), dumpJson(searchError(403, "Invalid Application-ID or API key")), headers};
  }
  // The body is JSON whatever its declared type, as browsers' clients send it.
  auto answer = answerSearchQueries(index_, options_.indexName, request.body);
  return {answer.status, std::string(kJsonType), dumpJson(answer.body), headers};
}

}  // namespace services
