#include "services/server.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>

#include <openssl/pem.h>
#include <openssl/ssl.h>

#include <fmt/format.h>
#include <httplib.h>

#include "services/certified_status.h"
#include "services/compression.h"
#include "services/search_index.h"
#include "services/tls/certificates.h"

namespace services {

namespace {

using nlohmann::json;

constexpr std::string_view kSearchPath = "/1/indexes/*/queries";
constexpr std::string_view kJsonType = "application/json; charset=UTF-8";
constexpr std::string_view kHtmlType = "text/html; charset=utf-8";
constexpr std::size_t kWriteChunk = 16 * 1024;

[[noreturn]] void misuse(const char* what) {
  std::fprintf(stderr, "services::ServicesServer: %s\n", what);
  std::abort();
}

std::string lower(std::string_view s) {
  std::string out(s);
  std::transform(out.begin(), out.end(), out.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return out;
}

// "Host: www.example.com:8443" names www.example.com.
std::string hostWithoutPort(std::string_view hostHeader) {
  if (!hostHeader.empty() && hostHeader.front() == '[') {
    return lower(hostHeader.substr(0, hostHeader.find(']') + 1));
  }
  return lower(hostHeader.substr(0, hostHeader.find(':')));
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

bool isPageFault(Fault fault) { return fault == Fault::PageWithoutMarker || fault == Fault::PageWithBrokenSettings; }

std::string expandPlaceholders(std::string value, const std::string& host, const std::string& target) {
  for (auto [name, replacement] : {std::pair<std::string_view, const std::string&>{"{host}", host}, {"{target}", target}}) {
    for (auto at = value.find(name); at != std::string::npos; at = value.find(name, at + replacement.size()))
      value.replace(at, name.size(), replacement);
  }
  return value;
}

// A TLS context that shows the given certificate, for the handshakes that a
// certificate fault switches to.
std::shared_ptr<SSL_CTX> contextFor(const tls::Credentials& credentials) {
  std::shared_ptr<SSL_CTX> context(SSL_CTX_new(TLS_server_method()), SSL_CTX_free);
  std::unique_ptr<BIO, decltype(&BIO_free)> certificate(
      BIO_new_mem_buf(credentials.certificatePem.data(), static_cast<int>(credentials.certificatePem.size())), BIO_free);
  std::unique_ptr<BIO, decltype(&BIO_free)> key(
      BIO_new_mem_buf(credentials.privateKeyPem.data(), static_cast<int>(credentials.privateKeyPem.size())), BIO_free);
  if (!context || !certificate || !key) return nullptr;
  std::unique_ptr<X509, decltype(&X509_free)> x509(PEM_read_bio_X509(certificate.get(), nullptr, nullptr, nullptr),
                                                   X509_free);
  std::unique_ptr<EVP_PKEY, decltype(&EVP_PKEY_free)> pkey(
      PEM_read_bio_PrivateKey(key.get(), nullptr, nullptr, nullptr), EVP_PKEY_free);
  if (!x509 || !pkey || SSL_CTX_use_certificate(context.get(), x509.get()) != 1 ||
      SSL_CTX_use_PrivateKey(context.get(), pkey.get()) != 1)
    return nullptr;
  return context;
}

}  // namespace

struct ServicesServer::Answer {
  int status = 200;
  std::string contentType;
  std::string body;
  std::vector<std::pair<std::string, std::string>> headers;
};

ServicesServer::ServicesServer(Catalog catalog, ServerOptions options)
    : catalog_(std::move(catalog)), options_(std::move(options)) {}

ServicesServer::~ServicesServer() {
  stop();
  if (!temporaryDirectory_.empty()) {
    std::error_code ignored;
    std::filesystem::remove_all(temporaryDirectory_, ignored);
  }
}

std::string ServicesServer::searchHost() const { return lower(options_.applicationId) + lower(options_.searchHostSuffix); }

std::vector<std::string> ServicesServer::hostNames() const {
  return {lower(options_.ratingsHost), searchHost(), lower(options_.certifiedHost)};
}

Status ServicesServer::start() {
  if (server_) {
    misuse("start() called twice; a server starts once");
  }

  std::filesystem::path directory = options_.certificateDirectory;
  if (directory.empty()) {
    std::string pattern = (std::filesystem::temp_directory_path() / "scorelens-services-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
      return Error{fmt::format("cannot make a temporary directory for the certificate: {}", std::strerror(errno))};
    }
    directory = temporaryDirectory_ = pattern;
  }

  std::vector<std::string> names = hostNames();
  // Any application's search host, should a client be set up with another id.
  if (auto dot = options_.searchHostSuffix.find('.'); dot != std::string::npos) {
    names.push_back("*" + lower(options_.searchHostSuffix.substr(dot)));
  }
  names.push_back("localhost");
  auto authority = tls::CertificateAuthority::create();
  if (!authority) {
    return Error{fmt::format("cannot make the certificate authority: {}", authority.error())};
  }
  auto credentials = authority.value().issueServerCertificate(names);
  // What the two certificate faults show: the same authority, but another
  // name, or the right names out of date.
  auto otherHost = authority.value().issueServerCertificate({"another-host.example"});
  auto expired = authority.value().issueServerCertificate(names, tls::KeyKind::EcP256, tls::Validity::Expired);
  if (!credentials || !otherHost || !expired) {
    return Error{fmt::format("cannot make the server certificates: {}",
                             !credentials ? credentials.error() : !otherHost ? otherHost.error() : expired.error())};
  }
  otherHostContext_ = contextFor(otherHost.value());
  expiredContext_ = contextFor(expired.value());
  if (!otherHostContext_ || !expiredContext_) {
    return Error{"cannot load the certificates for certificate faults"};
  }
  auto files = tls::writeCredentials(credentials.value(), directory);
  if (!files) {
    return Error{fmt::format("cannot write the certificate files: {}", files.error())};
  }
  caFile_ = files.value().caFile;

  server_ = std::make_unique<httplib::SSLServer>(files.value().certificateFile.c_str(),
                                                 files.value().privateKeyFile.c_str());
  if (!server_->is_valid()) {
    return Error{"the TLS server could not load its certificate and key"};
  }
  // The name the client asks for picks the certificate, before any request.
  SSL_CTX_set_tlsext_servername_callback(server_->ssl_context(), &ServicesServer::onServerName);
  SSL_CTX_set_tlsext_servername_arg(server_->ssl_context(), this);
  auto handler = [this](const httplib::Request& request, httplib::Response& response) { handle(request, response); };
  // Every method reaches the handler, so every request is recorded.
  server_->Get(".*", handler);
  server_->Post(".*", handler);
  server_->Put(".*", handler);
  server_->Patch(".*", handler);
  server_->Delete(".*", handler);
  server_->Options(".*", handler);
  // cpp-httplib's default sets SO_REUSEPORT, with which a second server on
  // a busy port starts "successfully" and takes a share of the first one's
  // connections. SO_REUSEADDR alone still allows a quick restart.
  // TCP_NODELAY (inherited by accepted connections): an answer goes out as
  // its headers, then its body, in two writes; with Nagle's algorithm on, the
  // second waited for the acknowledgement of the first, which the client
  // delays by 40 ms, on every answer whose body fits in one segment.
  server_->set_socket_options([](socket_t socket) {
    int yes = 1;
    ::setsockopt(socket, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    ::setsockopt(socket, IPPROTO_TCP, TCP_NODELAY, &yes, sizeof yes);
  });
  // Short, so that stop() does not wait long on a client's idle connection.
  server_->set_keep_alive_timeout(1);
  server_->set_payload_max_length(1024 * 1024);

  if (options_.port != 0) {
    if (!server_->bind_to_port(options_.bindAddress, options_.port)) {
      return Error{fmt::format("cannot listen on {}:{}", options_.bindAddress, options_.port)};
    }
    port_ = options_.port;
  } else {
    const int port = server_->bind_to_any_port(options_.bindAddress);
    if (port <= 0) {
      return Error{fmt::format("cannot listen on {} (any port)", options_.bindAddress)};
    }
    port_ = static_cast<std::uint16_t>(port);
  }

  auto finished = std::make_shared<std::atomic<bool>>(false);
  thread_ = std::thread([this, finished] {
    server_->listen_after_bind();
    finished->store(true);
  });
  // The socket already queues connections; waiting for the accept loop
  // makes a stop() right after start() safe, since cpp-httplib ignores a
  // stop that comes before its loop has begun.
  while (!server_->is_running() && !finished->load()) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  if (finished->load()) {
    thread_.join();
    return Error{"the server stopped as soon as it started"};
  }
  return Done{};
}

void ServicesServer::stop() {
  std::vector<std::shared_ptr<Gate>> gates;
  {
    std::lock_guard lock(mutex_);
    stopRequested_ = true;
    for (auto& weak : gates_) {
      if (auto gate = weak.lock()) {
        gates.push_back(std::move(gate));
      }
    }
  }
  stopping_.notify_all();
  for (auto& gate : gates) {
    gate->release();
  }
  if (server_ && thread_.joinable()) {
    server_->stop();
    thread_.join();
  }
}

Status ServicesServer::run(std::stop_token stopToken) {
  auto started = start();
  if (!started) {
    return started;
  }
  std::mutex mutex;
  std::condition_variable_any wakeUp;
  std::unique_lock lock(mutex);
  wakeUp.wait(lock, stopToken, [] { return false; });
  stop();
  return Done{};
}

bool ServicesServer::isRunning() const { return server_ && server_->is_running(); }

std::uint16_t ServicesServer::port() const { return port_; }

const std::filesystem::path& ServicesServer::caFile() const { return caFile_; }

void ServicesServer::setMisbehaviour(Endpoint endpoint, Misbehaviour misbehaviour) {
  if (isPageFault(misbehaviour.fault) && endpoint != Endpoint::HomePage) {
    misuse("page faults apply to the home page only");
  }
  bool release = false;
  {
    std::lock_guard lock(mutex_);
    if (misbehaviour.gate) {
      std::erase_if(gates_, [](const std::weak_ptr<Gate>& g) { return g.expired(); });
      gates_.push_back(misbehaviour.gate);
      release = stopRequested_;
    }
    misbehaviours_[endpoint] = misbehaviour;
  }
  if (release) {
    misbehaviour.gate->release();
  }
}

void ServicesServer::clearMisbehaviours() {
  std::lock_guard lock(mutex_);
  misbehaviours_.clear();
}

Misbehaviour ServicesServer::takeMisbehaviour(Endpoint endpoint) {
  std::lock_guard lock(mutex_);
  auto it = misbehaviours_.find(endpoint);
  if (it == misbehaviours_.end()) {
    return {};
  }
  Misbehaviour taken = it->second;
  if (it->second.remaining == 0 || (it->second.remaining > 0 && --it->second.remaining == 0)) {
    misbehaviours_.erase(it);
  }
  return taken.remaining == 0 ? Misbehaviour{} : taken;
}

int ServicesServer::onServerName(SSL* ssl, int*, void* arg) {
  auto* self = static_cast<ServicesServer*>(arg);
  const char* name = SSL_get_servername(ssl, TLSEXT_NAMETYPE_host_name);
  if (!name) {
    return SSL_TLSEXT_ERR_OK;
  }
  const std::string host = lower(name);
  const auto suffix = lower(self->options_.searchHostSuffix);
  const Endpoint endpoint = host == lower(self->options_.ratingsHost)   ? Endpoint::HomePage
                            : host == lower(self->options_.certifiedHost) ? Endpoint::Certified
                            : host.size() > suffix.size() && host.ends_with(suffix) ? Endpoint::Search
                                                                                     : Endpoint::Other;
  std::lock_guard lock(self->mutex_);
  auto it = self->misbehaviours_.find(endpoint);
  if (it == self->misbehaviours_.end() || it->second.certificate == Certificate::Valid) {
    return SSL_TLSEXT_ERR_OK;
  }
  SSL_set_SSL_CTX(ssl, it->second.certificate == Certificate::Expired ? self->expiredContext_.get()
                                                                       : self->otherHostContext_.get());
  if (it->second.remaining > 0 && --it->second.remaining == 0) {
    self->misbehaviours_.erase(it);
  }
  return SSL_TLSEXT_ERR_OK;
}

bool ServicesServer::pace(std::size_t bytesPerSecond) {
  std::unique_lock lock(mutex_);
  return bytesPerSecond == 0 || !stopping_.wait_for(lock, std::chrono::seconds(1), [&] { return stopRequested_; });
}

void ServicesServer::wait(const Misbehaviour& misbehaviour) {
  if (misbehaviour.delay.count() > 0) {
    std::unique_lock lock(mutex_);
    stopping_.wait_for(lock, misbehaviour.delay, [&] { return stopRequested_; });
  }
  if (misbehaviour.gate) {
    misbehaviour.gate->pass();
  }
}

const std::string& ServicesServer::homePage(HomePageVariant variant) {
  std::lock_guard lock(mutex_);
  auto it = homePages_.find(variant);
  if (it == homePages_.end()) {
    it = homePages_.emplace(variant, renderHomePage(catalog_, options_.applicationId, options_.apiKey, variant)).first;
  }
  return it->second;  // entries are never removed, so the reference stays valid
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
  if (host == lower(options_.ratingsHost) && request.method == "GET" && request.path == "/") {
    return Endpoint::HomePage;
  }
  const auto suffix = lower(options_.searchHostSuffix);
  if (host.size() > suffix.size() && host.ends_with(suffix) && request.method == "POST" &&
      request.path == kSearchPath) {
    return Endpoint::Search;
  }
  if (host == lower(options_.certifiedHost) && request.method == "GET" &&
      request.path.starts_with(kCertifiedPathPrefix)) {
    return Endpoint::Certified;
  }
  return Endpoint::Other;
}

void ServicesServer::handle(const httplib::Request& request, httplib::Response& response) {
  const std::string hostHeader = request.get_header_value("Host");
  const std::string host = hostWithoutPort(hostHeader);
  const Endpoint endpoint = classify(host, request);

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
  log_.record(std::move(record));

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
  ContentCoding coding = misbehaviour.body ? ContentCoding::Identity
                                           : misbehaviour.coding.value_or(
                                                 negotiateCoding(request.get_header_value("Accept-Encoding")));
  if ((fault == Fault::TruncatedCompressedBody || fault == Fault::CorruptCompressedBody) &&
      coding == ContentCoding::Identity) {
    coding = ContentCoding::Gzip;
  }
  // The home page and the title pages are the same for every request: their
  // encodings are made once. Their keys: the variant, or the path. A described
  // body is made on the fly and never kept.
  std::string staticKey;
  if (!misbehaviour.body && encodesComposedBody(fault) && answer.contentType == kHtmlType && answer.status == 200) {
    staticKey = endpoint == Endpoint::HomePage ? fmt::format("home/{}", static_cast<int>(homePageVariant(fault)))
                                               : request.path;
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

  if (host == lower(options_.ratingsHost)) {
    for (auto [prefix, type] : {std::pair{"/m/", "movie"}, std::pair{"/tv/", "tv"}}) {
      if (request.path.starts_with(prefix)) {
        if (const json* hit = catalog_.findByVanity(type, request.path.substr(std::string_view(prefix).size()))) {
          return {200, std::string(kHtmlType), renderTitlePage(*hit), {}};
        }
      }
    }
    return {404, std::string(kHtmlType), "<!DOCTYPE html>\n<html><body><h1>404 - Not Found</h1></body></html>\n", {}};
  }
  if (host.ends_with(lower(options_.searchHostSuffix)) || host == lower(options_.certifiedHost)) {
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
  auto answer = answerSearchQueries(catalog_, options_.indexName, request.body);
  return {answer.status, std::string(kJsonType), dumpJson(answer.body), headers};
}

}  // namespace services
