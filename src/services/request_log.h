#pragma once

// What the stand-in services were asked: every request, as it arrived, for
// tests to inspect and for the CLI to print.

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace services {

// Which service a request was for. Other covers title pages, unknown paths
// and unknown hosts.
enum class Endpoint { HomePage, Search, Certified, Other };

std::string_view endpointName(Endpoint endpoint);

struct RecordedRequest {
  Endpoint endpoint = Endpoint::Other;
  std::string method;
  std::string host;    // the Host header as sent, port included if any
  std::string target;  // path and query, as sent
  std::vector<std::pair<std::string, std::string>> headers;  // names as sent, ordered by name
  std::string body;
  std::chrono::system_clock::time_point time;

  // The first value of a header, by name without regard to case; "" if absent.
  std::string header(std::string_view name) const;
};

// Thread-safe: the server's threads record, any thread reads or waits.
class RequestLog {
 public:
  void record(RecordedRequest request);

  // A copy of everything recorded since the last clear, oldest first.
  std::vector<RecordedRequest> requests() const;
  std::size_t size() const;
  std::size_t count(Endpoint endpoint) const;

  // Waits until at least `n` requests are recorded (of `endpoint`, when
  // given) or `deadline` passes; says whether they were.
  bool waitForCount(std::size_t n, std::chrono::steady_clock::time_point deadline) const;
  bool waitForCount(Endpoint endpoint, std::size_t n, std::chrono::steady_clock::time_point deadline) const;

  void clear();

  // Called on the recording thread, outside the log's lock, after each
  // request is recorded. Set it before the server starts.
  void setObserver(std::function<void(const RecordedRequest&)> observer);

 private:
  std::size_t countLocked(Endpoint endpoint) const;

  mutable std::mutex mutex_;
  mutable std::condition_variable changed_;
  std::vector<RecordedRequest> requests_;
  std::function<void(const RecordedRequest&)> observer_;
};

}  // namespace services
