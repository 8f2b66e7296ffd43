#pragma once

// HTTP(S) transfers on libcurl: the engine under the URL session stand-in.
// One Transport runs all its transfers on one worker thread with one curl
// multi handle; results come back as values, never as exceptions.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include "platform/foundation/net/url_error.h"

namespace net {

using HeaderFields = std::vector<std::pair<std::string, std::string>>;

struct Request {
  std::string method = "GET";  // a token; "POST" sends `body` (an empty one if none)
  std::string url;             // http or https only
  HeaderFields headers;        // sent in this order with exactly these values
  std::optional<std::string> body;
  // Longest time the whole transfer may take, from its start to its last byte,
  // redirects included; then URLErrorTimedOut. A server that keeps sending a
  // byte now and then cannot hold it longer. Zero, negative or not a number:
  // no limit of its own (the Transport's timeoutLimitSeconds still applies).
  double timeoutSeconds = 60;
};

struct Response {
  long status = 0;      // of the last response, after redirects
  std::string url;      // where the last response came from
  HeaderFields headers; // of the last response, in the order received, names as
                        // sent (an HTTP/2 server sends them lower-case)
  std::string body;     // with its content coding (gzip, deflate, br) undone
};

struct Error {
  long code = URLErrorUnknown;  // one of the URLError codes
  std::string description;      // urlErrorDescription(code)
  std::string detail;           // the underlying library's reason, for logs; may be empty
};

using Result = std::variant<Response, Error>;

struct Config {
  // PEM file of the only authorities to trust; empty: the system's store.
  std::string caFile;
  // curl CONNECT_TO entries "HOST:PORT:ADDRESS:PORT": connect there instead,
  // while the URL, Host header and certificate check keep the original name.
  std::vector<std::string> connectTo;
  // Caps every request's time-out (seconds); zero or less: no cap. Lets tests
  // and impatient users bound requests built with the platform's 30 s.
  double timeoutLimitSeconds = 0;
  // The largest body accepted, counted both as received and as decoded;
  // past it the transfer ends with URLErrorDataLengthExceedsMaximum, so an
  // endless or decompression-bomb answer cannot take the process's memory.
  std::size_t maxBodyBytes = 16 * 1024 * 1024;
};

// Behaves like the platform's default session: follows up to 16 redirects,
// but never from https to plain http (URLErrorAppTransportSecurityRequires-
// SecureConnection, nothing is sent there), asks for and decodes gzip, deflate and br bodies (the request's own
// accept-encoding header, when it has one, is sent instead of the default),
// verifies every certificate and host name (this cannot be switched off),
// and keeps at most 6 connections per host, queueing the rest.
//
// Thread safety: start and cancel may be called from any thread, including
// from inside a completion. Completions run on the worker thread, one at a
// time, so a slow completion delays every transfer of this Transport.
class Transport {
 public:
  using TaskId = std::uint64_t;
  using Completion = std::function<void(Result)>;

  // Starts the worker thread. Aborts if libcurl cannot be initialised.
  explicit Transport(Config config = {});

  // Cancels every transfer not yet completed (each completion still runs,
  // exactly once, with URLErrorCancelled), then joins the worker. Must not run
  // on the worker thread, i.e. inside a completion: that aborts.
  ~Transport();

  Transport(const Transport&) = delete;
  Transport& operator=(const Transport&) = delete;

  // Queues `request`; `done` (required: an empty function aborts) is called
  // exactly once on the worker thread with the response or the error. A
  // request that cannot be sent as given (a header field name that is not a
  // token, a value holding CR, LF or NUL, a method that is not a token) fails
  // with URLErrorBadURL and nothing is sent. Cheap: the work happens on
  // the worker. Ids are never reused.
  TaskId start(Request request, Completion done);

  // Ends the transfer `id` if it has not completed: its completion gets
  // URLErrorCancelled, exactly once. A finished or unknown id is ignored.
  // Asynchronous: the completion runs later, on the worker.
  void cancel(TaskId id);

 private:
  class Worker;
  std::unique_ptr<Worker> worker_;
};

}  // namespace net
