#include "platform/foundation/NSURLSession.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <optional>

#include "platform/foundation/net/transport.h"
#include "platform/foundation/net/url_error.h"

namespace {

using Clock = std::chrono::steady_clock;
using TransferObserver = std::function<void(const NSURLSessionTransferRecord&)>;

constexpr const char* kCallbackQueueLabel = "com.apple.NSURLSession-delegate";

struct DefaultSettings {
  std::mutex lock;
  std::optional<NSURLSessionTransportSettings> settings;  // set programmatically
};
DefaultSettings& defaultSettings() {
  static DefaultSettings instance;
  return instance;
}

struct ObserverSlot {
  std::mutex lock;
  std::shared_ptr<const TransferObserver> observer;
};
ObserverSlot& observerSlot() {
  static ObserverSlot instance;
  return instance;
}

std::vector<std::string> splitList(std::string_view text) {
  std::vector<std::string> items;
  while (!text.empty()) {
    auto comma = text.find(',');
    std::string_view item = text.substr(0, comma);
    while (!item.empty() && std::isspace(static_cast<unsigned char>(item.front()))) item.remove_prefix(1);
    while (!item.empty() && std::isspace(static_cast<unsigned char>(item.back()))) item.remove_suffix(1);
    if (!item.empty()) items.emplace_back(item);
    if (comma == std::string_view::npos) break;
    text.remove_prefix(comma + 1);
  }
  return items;
}

double millisecondsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

Ref<NSString> nsText(std::string_view utf8) {
  auto string = NSString::stringWithUTF8String(utf8);
  return string ? string : NSString::string();
}

Ref<NSError> urlError(long code, const NSURL* url, const std::string& detail = {}) {
  auto info = NSMutableDictionary::dictionary();
  info->setObject_forKey(nsText(net::urlErrorDescription(code)), nsText(NSLocalizedDescriptionKey));
  if (url) info->setObject_forKey(url->absoluteString(), nsText("NSErrorFailingURLStringKey"));
  if (!detail.empty()) info->setObject_forKey(nsText(detail), nsText("NSDebugDescription"));
  return NSError::errorWithDomain_code_userInfo(nsText(NSURLErrorDomain), code, info->copyDictionary());
}

bool isHttpScheme(const NSString* scheme) {
  std::string lower = utf8(scheme);
  std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
  return lower == "http" || lower == "https";
}

net::Request transportRequest(const NSURLRequest& request) {
  net::Request out;
  out.method = utf8(request.HTTPMethod());
  out.url = utf8(request.URL()->absoluteString());
  for (const auto& [name, value] : request.headerFields()) out.headers.emplace_back(utf8(name), utf8(value));
  if (NSData* body = request.HTTPBody()) out.body = body->bytes();
  out.timeoutSeconds = request.timeoutInterval();
  return out;
}

}  // namespace

// --- NSURLSessionConfiguration ------------------------------------------------------

Ref<NSURLSessionConfiguration> NSURLSessionConfiguration::defaultSessionConfiguration() {
  auto configuration = make<NSURLSessionConfiguration>();
  configuration->transport_ = defaultTransportSettings();
  return configuration;
}

void NSURLSessionConfiguration::setDefaultTransportSettings(NSURLSessionTransportSettings settings) {
  auto& defaults = defaultSettings();
  std::lock_guard lock(defaults.lock);
  defaults.settings = std::move(settings);
}

NSURLSessionTransportSettings NSURLSessionConfiguration::defaultTransportSettings() {
  {
    auto& defaults = defaultSettings();
    std::lock_guard lock(defaults.lock);
    if (defaults.settings) return *defaults.settings;
  }
  NSURLSessionTransportSettings settings;
  if (const char* caFile = std::getenv("SCORELENS_CA_FILE")) settings.caFile = caFile;
  if (const char* routes = std::getenv("SCORELENS_CONNECT_TO")) settings.connectTo = splitList(routes);
  if (const char* limit = std::getenv("SCORELENS_REQUEST_TIMEOUT")) {
    char* end = nullptr;
    double seconds = std::strtod(limit, &end);
    if (end != limit && *end == '\0' && seconds > 0) settings.requestTimeoutLimit = seconds;
  }
  return settings;
}

void NSURLSessionConfiguration::resetDefaultTransportSettingsForTesting() {
  auto& defaults = defaultSettings();
  std::lock_guard lock(defaults.lock);
  defaults.settings.reset();
}

// --- NSURLSessionTask -----------------------------------------------------------------

NSURLSessionTask::~NSURLSessionTask() = default;

void NSURLSessionTask::resume() {
  std::lock_guard lock(lock_);
  if (state_.load() != NSURLSessionTaskStateSuspended || !session_) return;
  state_ = NSURLSessionTaskStateRunning;
  resumedAt_ = Clock::now();
  // Started under the lock, so a cancel from another thread always finds
  // the transfer's id. Starting only queues work for the I/O thread.
  transferId_ = session_->start(this);
}

void NSURLSessionTask::cancel() {
  // Declared before the lock: what they release may be the last reference
  // to this task or its session, so they go after the lock is let go.
  NSURLSessionDataCompletion dropped;
  Ref<NSURLSession> session;
  std::uint64_t transfer = 0;
  {
    std::lock_guard lock(lock_);
    switch (state_.load()) {
      case NSURLSessionTaskStateSuspended:
        state_ = NSURLSessionTaskStateCompleted;
        dropped = std::move(completion_);
        completion_ = nullptr;
        session = std::move(session_);
        return;
      case NSURLSessionTaskStateRunning:
        state_ = NSURLSessionTaskStateCanceling;
        transfer = transferId_;
        session = session_;
        break;
      default:
        return;
    }
  }
  // Without a transfer id the task is already on its way to the callback
  // queue, where finish() turns its outcome into -999.
  if (transfer) session->cancel(transfer);
}

void NSURLSessionTask::finish(Ref<NSData> data, Ref<NSURLResponse> response, Ref<NSError> error,
                              double milliseconds) {
  NSURLSessionDataCompletion handler;
  Ref<NSURLSession> session;
  bool cancelled = false;
  {
    std::lock_guard lock(lock_);
    if (state_.load() == NSURLSessionTaskStateCompleted) return;  // cannot happen: one finish per start
    cancelled = state_.load() == NSURLSessionTaskStateCanceling;
    state_ = NSURLSessionTaskStateCompleted;
    handler = std::move(completion_);
    completion_ = nullptr;
    session = std::move(session_);
  }
  if (cancelled && !(error && error->code() == net::URLErrorCancelled)) {
    data = nullptr;
    response = nullptr;
    error = urlError(net::URLErrorCancelled, request_->URL());
  }
  if (session) session->finished(this);

  std::shared_ptr<const TransferObserver> observer;
  {
    auto& slot = observerSlot();
    std::lock_guard lock(slot.lock);
    observer = slot.observer;
  }
  if (observer) {
    NSURLSessionTransferRecord record;
    record.method = utf8(request_->HTTPMethod());
    record.url = request_->URL() ? utf8(request_->URL()->absoluteString()) : std::string();
    if (auto* http = objc_cast<NSHTTPURLResponse>(response.get())) record.status = http->statusCode();
    record.errorCode = error ? error->code() : 0;
    if (error) {
      record.errorDescription = utf8(error->localizedDescription());
      if (NSDictionary* info = error->userInfo()) {
        if (auto* detail = objc_cast<NSString>(info->objectForKey(nsText("NSDebugDescription").get())))
          record.errorDetail = utf8(detail);
      }
    }
    record.milliseconds = milliseconds;
    (*observer)(record);
  }

  if (handler) handler(data.get(), response.get(), error.get());
  handler = nullptr;  // released after its one call, before the session
}

// --- NSURLSession ------------------------------------------------------------------------

Ref<NSURLSession> NSURLSession::sessionWithConfiguration(NSURLSessionConfiguration* configuration) {
  Ref<NSURLSessionConfiguration> source = configuration;
  if (!source) source = NSURLSessionConfiguration::defaultSessionConfiguration();
  auto own = make<NSURLSessionConfiguration>();
  own->setTransport(source->transport());
  own->timeoutIntervalForRequest = source->timeoutIntervalForRequest;

  auto session = make<NSURLSession>();
  const NSURLSessionTransportSettings& settings = own->transport();
  session->transport_ = std::make_unique<net::Transport>(
      net::Config{settings.caFile, settings.connectTo, settings.requestTimeoutLimit, settings.maximumBodyBytes});
  session->callbackQueue_ = dispatch_queue_create(kCallbackQueueLabel);
  session->configuration_ = std::move(own);
  return session;
}

NSURLSession* NSURLSession::sharedSession() {
  // Never destroyed: its threads serve until the process ends.
  static NSURLSession* const shared = [] {
    Ref<NSURLSession> session = sessionWithConfiguration(nullptr);
    session->shared_ = true;
    return session.leak();
  }();
  return shared;
}

NSURLSession::NSURLSession() = default;

NSURLSession::~NSURLSession() {
  // The I/O thread goes first: a completion it is still finishing may hold
  // a handle of the callback queue, and must not be the one to close it.
  transport_.reset();
  callbackQueue_.reset();
}

Ref<NSURLSessionDataTask> NSURLSession::dataTaskWithRequest_completionHandler(NSURLRequest* request,
                                                                              NSURLSessionDataCompletion handler) {
  if (!request) objc::fatal("NSURLSession dataTaskWithRequest:completionHandler: needs a request");
  {
    std::lock_guard lock(tasksLock_);
    if (invalidated_) objc::fatal("NSURLSession: task created in a session that has been invalidated");
  }
  auto task = make<NSURLSessionDataTask>();
  task->request_ = Ref<NSURLRequest>(objc_cast<NSURLRequest>(request->copy().get()));
  task->completion_ = std::move(handler);
  task->session_ = this;
  task->identifier_ = nextIdentifier_.fetch_add(1);
  return task;
}

std::uint64_t NSURLSession::start(NSURLSessionTask* task) {
  bool invalidated;
  {
    std::lock_guard lock(tasksLock_);
    invalidated = invalidated_;
    running_.emplace(task->identifier_, task);
  }
  NSURLRequest* request = task->request_.get();
  if (invalidated) {
    failLater(task, net::URLErrorCancelled);
    return 0;
  }
  if (!request->URL() || !isHttpScheme(request->URL()->scheme().get())) {
    failLater(task, net::URLErrorUnsupportedURL);
    return 0;
  }

  // The transfer holds the task (and so the task its session) until the
  // callback queue has run the handler. The reference moves from the I/O
  // thread's completion into the queued block, so the last release, and with
  // it any session destruction, happens on the callback queue, never on the
  // I/O thread (which cannot join itself).
  Ref<NSURLSessionTask> keep(task);
  Clock::time_point resumedAt = task->resumedAt_;
  // The hold keeps a skipping dispatch clock from jumping over the time the
  // request takes: its answer is work the run loop cannot see coming.
  return transport_->start(
      transportRequest(*request),
      [this, keep = std::move(keep), resumedAt, hold = dispatch::ClockHold()](net::Result result) mutable {
        double milliseconds = millisecondsSince(resumedAt);
        Ref<NSData> data;
        Ref<NSURLResponse> response;
        Ref<NSError> error;
        NSURL* requested = keep->request_->URL();
        if (auto* ok = std::get_if<net::Response>(&result)) {
          Ref<NSURL> final = NSURL::URLWithString(nsText(ok->url).get());
          response = make<NSHTTPURLResponse>(final ? final : Ref<NSURL>(requested), ok->status, std::move(ok->headers));
          data = make<NSData>(std::move(ok->body));
        } else {
          const auto& failure = std::get<net::Error>(result);
          error = urlError(failure.code, requested, failure.detail);
        }
        dispatch_async(callbackQueue_, [task = std::move(keep), data = std::move(data), response = std::move(response),
                                        error = std::move(error), milliseconds]() mutable {
          task->finish(std::move(data), std::move(response), std::move(error), milliseconds);
        });
        hold.release();  // the queued block carries on from here
      });
}

void NSURLSession::failLater(NSURLSessionTask* task, long code) {
  double milliseconds = millisecondsSince(task->resumedAt_);
  Ref<NSError> error = urlError(code, task->request_->URL());
  dispatch_async(callbackQueue_, [task = Ref<NSURLSessionTask>(task), error = std::move(error), milliseconds]() mutable {
    task->finish(nullptr, nullptr, std::move(error), milliseconds);
  });
}

void NSURLSession::cancel(std::uint64_t transferId) { transport_->cancel(transferId); }

void NSURLSession::finished(NSURLSessionTask* task) {
  std::lock_guard lock(tasksLock_);
  running_.erase(task->identifier_);
}

void NSURLSession::invalidateAndCancel() {
  if (shared_) return;
  std::vector<Ref<NSURLSessionTask>> tasks;
  {
    std::lock_guard lock(tasksLock_);
    invalidated_ = true;
    // Alive: a task stays in running_ until its finish(), which runs while
    // its transfer still holds it.
    for (const auto& entry : running_) tasks.emplace_back(entry.second);
  }
  for (const auto& task : tasks) task->cancel();
}

void NSURLSession::setTransferObserver(std::function<void(const NSURLSessionTransferRecord&)> observer) {
  auto shared = observer ? std::make_shared<const TransferObserver>(std::move(observer)) : nullptr;
  auto& slot = observerSlot();
  std::lock_guard lock(slot.lock);
  slot.observer = std::move(shared);
}
