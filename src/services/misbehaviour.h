#pragma once

// Faults the stand-in services can be told to show, per endpoint, while they
// run: held or slow answers, cut or damaged bodies, error statuses, text
// that is not UTF-8, and home pages without usable settings.

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

namespace services {

// Holds answers until released. Shared between a test and the server: the
// test keeps it, gives it to a Misbehaviour, waits for requests to arrive at
// it and releases them when it chooses. Thread-safe.
class Gate {
 public:
  // Lets every held answer, and every later one, through. Idempotent.
  void release();
  bool isReleased() const;

  // Answers that have reached the gate since it was made, held or not.
  std::size_t arrivals() const;

  // Waits until `n` answers have reached the gate or `deadline` passes.
  bool waitForArrivals(std::size_t n, std::chrono::steady_clock::time_point deadline) const;

  // For the server: blocks until released.
  void pass();

 private:
  mutable std::mutex mutex_;
  mutable std::condition_variable changed_;
  bool released_ = false;
  std::size_t arrivals_ = 0;
};

enum class Fault {
  None,
  ResetMidBody,             // headers and part of the body, then the connection closes
  TruncatedCompressedBody,  // a gzip or br stream cut short; Content-Length matches what is sent
  CorruptCompressedBody,    // Content-Encoding gzip or br over bytes that do not decode
  InvalidUtf8,              // bytes that are not UTF-8 inside the (otherwise valid) body
  PageWithoutMarker,        // home page only: settings assigned without the spaced marker
  PageWithBrokenSettings,   // home page only: the settings object is not valid JSON
};

std::string_view faultName(Fault fault);

// For the two compressed-body faults: the coding is the one the client
// accepts (br before gzip), or gzip when it accepts neither.
struct Misbehaviour {
  Fault fault = Fault::None;
  int status = 0;                       // non-zero: answer with this status, body unchanged
  std::chrono::milliseconds delay{0};   // wait this long before answering
  std::shared_ptr<Gate> gate;           // hold the answer until the gate is released
  int remaining = -1;                   // how many answers it applies to; -1 for all
  // For ResetMidBody and TruncatedCompressedBody: how many bytes of the
  // (encoded) body go out before the cut; empty for half of them. A client
  // that does not check the end of a compressed stream (libcurl does not)
  // sees the decoded prefix, so the cut decides what it is missing.
  std::optional<std::size_t> cutAfter;
};

}  // namespace services
