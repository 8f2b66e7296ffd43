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
#include <utility>
#include <vector>

#include "services/compression.h"

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

// A body made on the fly as it is sent, so that a huge or deeply nested one
// costs the server no memory: each piece's text `repeat` times, in order.
class GeneratedBody {
 public:
  struct Piece {
    std::string text;
    std::size_t repeat = 1;
  };
  GeneratedBody() = default;
  explicit GeneratedBody(std::vector<Piece> pieces);
  std::size_t size() const { return size_; }
  // Appends up to `length` bytes from `offset` (fewer at the end).
  void copy(std::size_t offset, std::size_t length, std::string& out) const;

 private:
  std::vector<Piece> pieces_;
  std::size_t size_ = 0;
};

// What TLS shows for an endpoint's host name.
enum class Certificate {
  Valid,
  ForAnotherHost,  // signed by the server's authority, but for another name
  Expired,         // for the right names, but out of date
};

// A described reply: how an endpoint's own answer is changed, or replaced,
// before the server plays it back. Everything is data, so a scenario is a
// value (see hostile.h for the named ones).
//
// For the two compressed-body faults: the coding is `coding` if set, else
// the one the client accepts (br before gzip), or gzip when it accepts neither.
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

  // Header fields added to the answer; in a value, "{host}" becomes the
  // request's host name (without a port) and "{target}" its target.
  std::vector<std::pair<std::string, std::string>> headers;
  // Replaces the answer's body; sent as it is (no content coding).
  std::optional<GeneratedBody> body;
  // Forces the content coding of the endpoint's own answer.
  std::optional<ContentCoding> coding;
  // Pacing of the body: this many bytes each second; 0: as fast as it goes.
  std::size_t bytesPerSecond = 0;
  // Chosen at the TLS handshake by the name the client asks for; `remaining`
  // counts handshakes for it.
  Certificate certificate = Certificate::Valid;
};

}  // namespace services
