#pragma once
// URL sessions on libcurl: one I/O thread for all transfers of a session.
// Completion handlers run on the session's own serial callback queue (never
// the main queue), exactly once per started task: with data and a response,
// or with an error (NSURLErrorDomain; -999 when cancelled). A task that is
// never resumed never calls its handler.

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
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
// authorities, host routing and limits. Process-wide, read when a
// configuration is made.
struct NSURLSessionTransportSettings {
  std::string caFile;                  // PEM authorities; empty: the system's store
  std::vector<std::string> connectTo;  // curl's HOST:PORT:ADDRESS:PORT
  // Caps every request's time-out, which bounds the whole request (seconds;
  // zero or less: the request's own time-out alone).
  double requestTimeoutLimit = 0;
  // The largest answer body a task accepts; a larger one fails with -1103.
  std::size_t maximumBodyBytes = 16 * 1024 * 1024;
};

// Not synchronised: configure it on one thread, then make sessions from it
// (a session keeps its own copy).
class NSURLSessionConfiguration : public NSObject {
 public:
  // Carries defaultTransportSettings() as they are at this call.
  static Ref<NSURLSessionConfiguration> defaultSessionConfiguration();
  // The settings every later defaultSessionConfiguration gets; set by the
  // command line or a test before sessions are made. Any thread.
  static void setDefaultTransportSettings(NSURLSessionTransportSettings settings);
  // What was set, or, when nothing was, the environment: SCORELENS_CA_FILE
  // (a PEM file), SCORELENS_CONNECT_TO (comma-separated entries) and
  // SCORELENS_REQUEST_TIMEOUT (seconds, the requestTimeoutLimit).
  static NSURLSessionTransportSettings defaultTransportSettings();
  // Tests only: forgets what setDefaultTransportSettings set.
  static void resetDefaultTransportSettingsForTesting();

  const NSURLSessionTransportSettings& transport() const { return transport_; }
  void setTransport(NSURLSessionTransportSettings t) { transport_ = std::move(t); }
  // Kept for the platform's API; a request's own timeoutInterval governs,
  // bounding the whole request, capped by transport().requestTimeoutLimit.
  double timeoutIntervalForRequest = 60;

 private:
  NSURLSessionTransportSettings transport_;
};

class NSURLSession;

// A transfer. resume, cancel and state may be called from any thread at once
// (the main thread and the callback queue in practice). A started task keeps
// itself, its handler and its session alive until its handler has run, so
// dropping every reference to a running task is safe and still completes it.
class NSURLSessionTask : public NSObject {
 public:
  // Starts a suspended task; no effect otherwise (running, cancelled, done).
  void resume();
  // Ends a running task: its handler gets -999, even when the transfer
  // finished at the same moment but its handler had not run yet. A task
  // never resumed becomes completed and its handler is released uncalled.
  // No effect on a completed task. Thread-safe, idempotent.
  void cancel();
  NSURLSessionTaskState state() const { return state_.load(); }
  NSURLRequest* originalRequest() const { return request_.get(); }
  NSUInteger taskIdentifier() const { return identifier_; }

  NSURLSessionTask() = default;
  ~NSURLSessionTask() override;

 private:
  friend class NSURLSession;
  // On the callback queue: settles the outcome and calls the handler once.
  void finish(Ref<NSData> data, Ref<NSURLResponse> response, Ref<NSError> error, double milliseconds);

  std::atomic<NSURLSessionTaskState> state_{NSURLSessionTaskStateSuspended};
  Ref<NSURLRequest> request_;              // an immutable copy
  NSURLSessionDataCompletion completion_;  // guarded by lock_; released after its one call
  Ref<NSURLSession> session_;              // guarded by lock_; held until the task completes
  NSUInteger identifier_ = 0;
  std::uint64_t transferId_ = 0;  // guarded by lock_; 0 before the transfer starts
  std::chrono::steady_clock::time_point resumedAt_;
  std::mutex lock_;
};

class NSURLSessionDataTask : public NSURLSessionTask {};

// One finished transfer, for observers (the demo's request log, tests).
struct NSURLSessionTransferRecord {
  std::string method;
  std::string url;
  long status = 0;      // 0 when there was no response
  long errorCode = 0;   // 0 on success
  std::string errorDescription;  // the error's description, empty on success
  std::string errorDetail;       // the transport's reason, for people; may be empty
  double milliseconds = 0;  // from resume to the end of the transfer
};

// Owns a Transport (one I/O thread) and a serial callback queue labelled
// "com.apple.NSURLSession-delegate". Sessions are thread-safe. A session
// lives while someone, or any of its unfinished tasks, holds it; destroying
// it joins its I/O thread.
class NSURLSession : public NSObject {
 public:
  // A session with a copy of the configuration (nil: the default one).
  static Ref<NSURLSession> sessionWithConfiguration(NSURLSessionConfiguration* configuration);
  // Made on first use with the default configuration; lives for the process
  // and ignores invalidateAndCancel, as on the device.
  static NSURLSession* sharedSession();

  // A suspended task; resume() starts it. The request is copied; a URL that
  // is not http or https fails with -1002 once resumed. Making a task on an
  // invalidated session is a programming error.
  Ref<NSURLSessionDataTask> dataTaskWithRequest_completionHandler(NSURLRequest* request, NSURLSessionDataCompletion handler);
  // The serial queue on which completion handlers run.
  dispatch_queue_t callbackQueue() const { return callbackQueue_; }
  // Cancels every running task (each handler gets -999) and refuses new
  // ones; a task made earlier and resumed afterwards completes with -999.
  void invalidateAndCancel();

  // Process-wide observer of finished transfers (called on the callback
  // queue, just before the task's handler). Any thread; nullptr removes it.
  static void setTransferObserver(std::function<void(const NSURLSessionTransferRecord&)> observer);

  NSURLSession();
  ~NSURLSession() override;

 private:
  friend class NSURLSessionTask;
  // Called with the task's lock held; returns the transfer's id.
  std::uint64_t start(NSURLSessionTask* task);
  void cancel(std::uint64_t transferId);
  void finished(NSURLSessionTask* task);
  // Completes a started task with an error without the transport.
  void failLater(NSURLSessionTask* task, long code);

  Ref<NSURLSessionConfiguration> configuration_;
  std::unique_ptr<net::Transport> transport_;
  dispatch_queue_t callbackQueue_;
  std::atomic<NSUInteger> nextIdentifier_{1};
  bool shared_ = false;

  std::mutex tasksLock_;
  std::unordered_map<NSUInteger, NSURLSessionTask*> running_;  // guarded; each kept alive by its transfer
  bool invalidated_ = false;                                    // guarded by tasksLock_
};
