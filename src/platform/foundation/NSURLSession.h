#pragma once
// URL sessions on libcurl: one I/O thread for all transfers of a session.
// Completion handlers run on the session's own serial callback queue (never
// the main queue), exactly once per started task: with data and a response,
// or with an error (NSURLErrorDomain; -999 when cancelled). A task that is
// never resumed never calls its handler.

#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "platform/dispatch/dispatch.h"
#include "platform/foundation/NSError.h"
#include "platform/foundation/NSURL.h"

namespace net {
class Transport;
}

enum NSURLSessionTaskState : long {
  NSURLSessionTaskStateRunning = 0,
  NSURLSessionTaskStateSuspended = 1,
  NSURLSessionTaskStateCanceling = 2,
  NSURLSessionTaskStateCompleted = 3,
};

// Called with (data or nil, response or nil, error or nil).
using NSURLSessionDataCompletion = std::function<void(NSData*, NSURLResponse*, NSError*)>;

// Transport settings that the platform leaves to the system: trusted
// authorities and host routing. Process-wide, read when a session is made.
struct NSURLSessionTransportSettings {
  std::string caFile;                  // PEM authorities; empty: the system's store
  std::vector<std::string> connectTo;  // curl's HOST:PORT:ADDRESS:PORT
};

class NSURLSessionConfiguration : public NSObject {
 public:
  static Ref<NSURLSessionConfiguration> defaultSessionConfiguration();
  static void setDefaultTransportSettings(NSURLSessionTransportSettings settings);
  static NSURLSessionTransportSettings defaultTransportSettings();

  const NSURLSessionTransportSettings& transport() const { return transport_; }
  void setTransport(NSURLSessionTransportSettings t) { transport_ = std::move(t); }
  double timeoutIntervalForRequest = 60;

 private:
  NSURLSessionTransportSettings transport_;
};

class NSURLSession;

class NSURLSessionTask : public NSObject {
 public:
  // Starts a suspended task; no effect otherwise.
  void resume();
  // Ends a running task with -999; a task never resumed just becomes completed
  // without a handler call. Thread-safe, idempotent.
  void cancel();
  NSURLSessionTaskState state() const { return state_.load(); }
  NSURLRequest* originalRequest() const { return request_.get(); }
  NSUInteger taskIdentifier() const { return identifier_; }

  NSURLSessionTask() = default;
  ~NSURLSessionTask() override;

 private:
  friend class NSURLSession;
  void finish(Ref<NSData> data, Ref<NSURLResponse> response, Ref<NSError> error);

  std::atomic<NSURLSessionTaskState> state_{NSURLSessionTaskStateSuspended};
  Ref<NSURLRequest> request_;
  NSURLSessionDataCompletion completion_;  // released after its one call
  Ref<NSURLSession> session_;              // held while the task can still complete
  NSUInteger identifier_ = 0;
  std::uint64_t transferId_ = 0;
  std::mutex lock_;
};

class NSURLSessionDataTask : public NSURLSessionTask {};

// One finished transfer, for observers (the demo's request log, tests).
struct NSURLSessionTransferRecord {
  std::string method;
  std::string url;
  long status = 0;      // 0 when there was no response
  long errorCode = 0;   // 0 on success
  double milliseconds = 0;
};

class NSURLSession : public NSObject {
 public:
  static Ref<NSURLSession> sessionWithConfiguration(NSURLSessionConfiguration* configuration);
  static NSURLSession* sharedSession();

  // A suspended task; resume() starts it.
  Ref<NSURLSessionDataTask> dataTaskWithRequest_completionHandler(NSURLRequest* request, NSURLSessionDataCompletion handler);
  // The serial queue on which completion handlers run.
  dispatch_queue_t callbackQueue() const { return callbackQueue_; }
  void invalidateAndCancel();

  // Process-wide observer of finished transfers (called on the callback queue).
  static void setTransferObserver(std::function<void(const NSURLSessionTransferRecord&)> observer);

  NSURLSession() = default;
  ~NSURLSession() override;

 private:
  friend class NSURLSessionTask;
  void start(NSURLSessionTask* task);
  void cancel(NSURLSessionTask* task);

  Ref<NSURLSessionConfiguration> configuration_;
  std::unique_ptr<net::Transport> transport_;
  dispatch_queue_t callbackQueue_;
  std::atomic<NSUInteger> nextIdentifier_{1};
};
