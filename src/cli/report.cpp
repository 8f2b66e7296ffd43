#include "cli/report.h"

#include <fmt/format.h>

#include <algorithm>
#include <cctype>
#include <cmath>

#include "platform/foundation/net/url_error.h"
#include "scorelens/lookup/CXServiceConfiguration.h"

namespace cli {

bool qualifiesForCertifiedLookup(const CXEnhancedRating* r) {
  return r && r->isMovie() && r->emsId() && r->emsId()->length() > 0 && r->hasCriticRating() &&
         r->criticRating() >= 75.0 && !r->isValidated();
}

std::string meterBar(double percent, int width) {
  int filled = static_cast<int>(std::lround(std::clamp(percent, 0.0, 100.0) / 100.0 * width));
  return "[" + std::string(static_cast<size_t>(filled), '#') + std::string(static_cast<size_t>(width - filled), '-') + "]";
}

nlohmann::json ratingJson(const CXEnhancedRating* r) {
  if (!r) return nullptr;
  nlohmann::json j;
  j["emsId"] = r->emsId() ? nlohmann::json(utf8(r->emsId().get())) : nlohmann::json(nullptr);
  j["hasCriticRating"] = r->hasCriticRating();
  j["criticRating"] = r->hasCriticRating() ? nlohmann::json(r->criticRating()) : nlohmann::json(nullptr);
  j["hasAudienceRating"] = r->hasAudienceRating();
  j["audienceRating"] = r->hasAudienceRating() ? nlohmann::json(r->audienceRating()) : nlohmann::json(nullptr);
  j["isCertified"] = r->isCertified();
  j["isValidated"] = r->isValidated();
  j["isMovie"] = r->isMovie();
  j["url"] = r->url() ? nlohmann::json(utf8(r->url()->absoluteString().get())) : nlohmann::json(nullptr);
  return j;
}

nlohmann::json LookupReport::json() const {
  nlohmann::json j;
  j["outcome"] = outcome;
  j["rating"] = ratingJson(rating.get());
  j["certified"] = {{"asked", certifiedAsked}, {"certified", certified}, {"failed", certifiedFailed}};
  if (outcome == "failed") j["reason"] = reason;
  if (error) j["error"] = error->json();
  return j;
}

std::string LookupReport::text(const std::string& title, bool movie) const {
  const char* kind = movie ? "film" : "series";
  if (outcome == "failed") return fmt::format("Lookup failed for \"{}\" ({}): {}.\n", title, kind, reason);
  if (!rating) return fmt::format("No rating found for \"{}\" ({}).\n", title, kind);
  const CXEnhancedRating* r = rating.get();
  std::string out = fmt::format("{} ({})\n", title, kind);
  auto row = [&](const char* name, bool has, double score) {
    if (has)
      out += fmt::format("  {:<9} {:>4}  {}\n", name, fmt::format("{:.0f}%", score), meterBar(score));
    else
      out += fmt::format("  {:<9} {:>4}\n", name, "--");
  };
  row("Critics", r->hasCriticRating(), r->criticRating());
  row("Audience", r->hasAudienceRating(), r->audienceRating());
  if (r->isCertified())
    out += "  Certified fresh\n";
  else if (certifiedAsked && certifiedFailed)
    out += "  Certified status unknown (the certified-status service did not answer)\n";
  if (r->url()) out += fmt::format("  {}\n", utf8(r->url()->absoluteString().get()));
  return out;
}

TransferLog::TransferLog(bool keepAll) : keepAll_(keepAll) {
  NSURLSession::setTransferObserver([this](const NSURLSessionTransferRecord& record) {
    std::lock_guard g(lock_);
    if (!keepAll_) records_.clear();
    records_.push_back(record);
  });
}

TransferLog::~TransferLog() { NSURLSession::setTransferObserver(nullptr); }

std::vector<NSURLSessionTransferRecord> TransferLog::records() const {
  std::lock_guard g(lock_);
  return records_;
}

void TransferLog::clear() {
  std::lock_guard g(lock_);
  records_.clear();
}

namespace {

std::string_view codeWord(long code) {
  switch (code) {
    case net::URLErrorCancelled: return "cancelled";
    case net::URLErrorTimedOut: return "timed-out";
    case net::URLErrorUnsupportedURL: return "unsupported-url";
    case net::URLErrorCannotFindHost: return "host-not-found";
    case net::URLErrorCannotConnectToHost: return "cannot-connect";
    case net::URLErrorNetworkConnectionLost: return "connection-lost";
    case net::URLErrorHTTPTooManyRedirects: return "too-many-redirects";
    case net::URLErrorBadServerResponse: return "bad-server-response";
    case net::URLErrorCannotDecodeContentData: return "cannot-decode";
    case net::URLErrorAppTransportSecurityRequiresSecureConnection: return "insecure-redirect";
    case net::URLErrorDataLengthExceedsMaximum: return "too-large";
    case net::URLErrorSecureConnectionFailed: return "secure-connection-failed";
    case net::URLErrorServerCertificateHasBadDate: return "certificate-expired";
    case net::URLErrorServerCertificateUntrusted: return "certificate-untrusted";
    default: return "transfer-failed";
  }
}

// Which of the three requests a URL is, by its host as configured.
std::string requestOf(const std::string& url) {
  auto start = url.find("://");
  start = start == std::string::npos ? 0 : start + 3;
  std::string host = url.substr(start, url.find_first_of(":/?#", start) - start);
  std::transform(host.begin(), host.end(), host.begin(), [](unsigned char c) { return std::tolower(c); });
  const CXServiceConfiguration hosts = CXServiceConfiguration::current();
  if (host == hosts.certifiedHost) return "certified";
  if (host.ends_with(hosts.searchHostSuffix)) return "search";
  return "home";
}

}  // namespace

nlohmann::json LookupError::json() const { return {{"request", request}, {"code", code}, {"message", message}}; }

std::string LookupError::line() const { return fmt::format("{} request failed: {} [{}]", request, message, code); }

LookupError TransferLog::failure() const {
  auto list = records();
  if (list.empty()) return {"home", "no-request", "no request could be made"};
  const NSURLSessionTransferRecord& last = list.back();
  LookupError error{requestOf(last.url), "", ""};
  if (last.errorCode != 0) {
    error.code = codeWord(last.errorCode);
    // The URL without its query, which only repeats the search tokens.
    error.message = fmt::format("{} ({} {}{})", last.errorDescription, last.method, last.url.substr(0, last.url.find('?')),
                                last.errorDetail.empty() ? "" : ": " + last.errorDetail);
  } else if (error.request == "home") {
    error.code = "no-tokens";
    error.message = fmt::format("the home page carried no usable search tokens (HTTP {})", last.status);
  } else {
    error.code = "unusable-answer";
    error.message = fmt::format("the {} answer could not be read (HTTP {})",
                                error.request == "search" ? "search service's" : "certified-status service's",
                                last.status);
  }
  return error;
}

}  // namespace cli
