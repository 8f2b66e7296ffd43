#pragma once

// The named hostile answers the stand-in services can give, each a described
// reply (a Misbehaviour value) that the server plays back on one endpoint:
// what a broken, slow, huge, forged or redirecting service looks like to a
// client. Used by tests, `scorelens lookup --hostile` and the long run.

#include <chrono>
#include <optional>
#include <string_view>
#include <vector>

#include "services/misbehaviour.h"
#include "services/request_log.h"

namespace services {

enum class Hostile {
  ResetMidBody,
  TruncatedGzip,
  TruncatedBrotli,
  CorruptGzip,
  CorruptBrotli,
  Stall,           // nothing at all until past the client's time-out
  Drip,            // the answer at one byte a second
  Huge,            // a 100 MB answer
  DeepJson,        // JSON nested 100,000 levels
  CertificateForAnotherHost,
  ExpiredCertificate,
  RedirectToHttp,  // to the same host and target over plain http
  RedirectLoop,    // to itself, for ever
};

// Every scenario, in the order above.
const std::vector<Hostile>& allHostile();
std::string_view hostileName(Hostile hostile);  // "reset-mid-body", ...
std::optional<Hostile> hostileFromName(std::string_view name);

// The reply for `hostile` on `endpoint` (HomePage, Search or Certified),
// applying to every answer until replaced. A stall lasts `stall`, which a
// caller sets past its client's time-out (the server's stop ends it early).
Misbehaviour hostileReply(Hostile hostile, Endpoint endpoint,
                          std::chrono::milliseconds stall = std::chrono::seconds(40));

}  // namespace services
