#pragma once
// What the lookup and demo commands print: a rating as text or JSON, and
// the transfers that were made.

#include <mutex>
#include <optional>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "platform/foundation/NSURLSession.h"
#include "scorelens/lookup/CXEnhancedRating.h"

namespace cli {

// A film with an identifier, a critic score of 75 or more, not yet confirmed:
// the rating the strip would ask the certified-status service about.
bool qualifiesForCertifiedLookup(const CXEnhancedRating* rating);

// "[#######---]" for a percentage.
std::string meterBar(double percent, int width = 10);

// The rating's fields as JSON (absent values null).
nlohmann::json ratingJson(const CXEnhancedRating* rating);

// Which request of a lookup failed and why, for people and scripts.
struct LookupError {
  std::string request;  // "home", "search" or "certified"
  std::string code;     // a stable word: "timed-out", "too-large", "no-tokens", ...
  std::string message;  // in plain words, naming the request's URL when one was sent

  nlohmann::json json() const;
  // One line for standard error: "home request failed: ...".
  std::string line() const;
};

struct LookupReport {
  std::string outcome = "none";  // "rating", "none" or "failed"
  std::string reason;            // for "failed", in plain words
  std::optional<LookupError> error;  // set when any request failed, the certified one included
  Ref<CXEnhancedRating> rating;
  bool certifiedAsked = false;
  bool certified = false;
  bool certifiedFailed = false;

  nlohmann::json json() const;
  std::string text(const std::string& title, bool movie) const;
};

// Records every finished transfer of the process while it lives (or only
// the last one, for runs of any length).
class TransferLog {
 public:
  explicit TransferLog(bool keepAll = true);
  ~TransferLog();
  std::vector<NSURLSessionTransferRecord> records() const;
  void clear();
  // Why a lookup failed, from the last transfer (the lookup's requests run
  // one after the other): its transport error, or which answer could not
  // be used.
  LookupError failure() const;

 private:
  mutable std::mutex lock_;
  const bool keepAll_;
  std::vector<NSURLSessionTransferRecord> records_;
};

}  // namespace cli
