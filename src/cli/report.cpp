#include "cli/report.h"

#include <fmt/format.h>

#include <cmath>

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

TransferLog::TransferLog() {
  NSURLSession::setTransferObserver([this](const NSURLSessionTransferRecord& record) {
    std::lock_guard g(lock_);
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

std::string TransferLog::failureReason() const {
  auto list = records();
  for (auto it = list.rbegin(); it != list.rend(); ++it) {
    if (it->errorCode == 0) continue;
    const char* what = "the transfer failed";
    switch (it->errorCode) {
      case -1001: what = "the request timed out"; break;
      case -1003: what = "the host was not found"; break;
      case -1004: what = "the connection was refused"; break;
      case -1005: what = "the connection was lost mid-answer"; break;
      case -1015: what = "the compressed answer could not be decoded"; break;
      case -1200: case -1202: what = "the secure connection failed (certificate not trusted)"; break;
      case -999: what = "the request was cancelled"; break;
    }
    return fmt::format("{} ({} {})", what, it->method, it->url);
  }
  for (auto it = list.rbegin(); it != list.rend(); ++it)
    if (it->url.find("/1/indexes/") != std::string::npos) return "the search service's answer was not JSON";
  return "the ratings site's home page carried no usable search tokens";
}

}  // namespace cli
