#include "platform/foundation/net/transport.h"

#include <algorithm>
#include <cctype>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <pthread.h>
#include <string_view>
#include <thread>
#include <unordered_map>

#include "platform/foundation/net/content_decoding.h"
#include "platform/foundation/net/curl_handles.h"

#include <openssl/x509_vfy.h>

namespace net {
namespace {

using Clock = std::chrono::steady_clock;

// The platform's default per-host connection limit; further transfers to
// the host wait in curl's queue.
constexpr long kMaxConnectionsPerHost = 6;
constexpr long kMaxRedirects = 16;
// What the platform asks for when the request names no encodings.
constexpr const char* kDefaultAcceptEncoding = "Accept-Encoding: gzip, deflate, br";
// Bounds one wait of the worker even when nothing is due, as a safety net.
constexpr int kLongestPollMs = 1000;

[[noreturn]] void fatal(const char* what) {
  std::fprintf(stderr, "net::Transport: %s\n", what);
  std::abort();
}

Error makeError(long code, std::string detail = {}) {
  return Error{code, std::string(urlErrorDescription(code)), std::move(detail)};
}

long codeForCurl(CURLcode result) {
  switch (result) {
    case CURLE_OPERATION_TIMEDOUT: return URLErrorTimedOut;
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_RESOLVE_PROXY: return URLErrorCannotFindHost;
    case CURLE_COULDNT_CONNECT: return URLErrorCannotConnectToHost;
    case CURLE_PARTIAL_FILE:
    case CURLE_RECV_ERROR:
    case CURLE_SEND_ERROR:
    case CURLE_GOT_NOTHING:
    case CURLE_HTTP2:
    case CURLE_HTTP2_STREAM: return URLErrorNetworkConnectionLost;
    case CURLE_BAD_CONTENT_ENCODING: return URLErrorCannotDecodeContentData;
    case CURLE_PEER_FAILED_VERIFICATION: return URLErrorServerCertificateUntrusted;
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_SSL_CERTPROBLEM:
    case CURLE_SSL_CIPHER:
    case CURLE_SSL_CACERT_BADFILE:
    case CURLE_SSL_ISSUER_ERROR:
    case CURLE_SSL_CRL_BADFILE:
    case CURLE_SSL_PINNEDPUBKEYNOTMATCH:
    case CURLE_SSL_INVALIDCERTSTATUS:
    case CURLE_SSL_ENGINE_NOTFOUND:
    case CURLE_SSL_ENGINE_SETFAILED:
    case CURLE_SSL_ENGINE_INITFAILED:
    case CURLE_USE_SSL_FAILED: return URLErrorSecureConnectionFailed;
    case CURLE_TOO_MANY_REDIRECTS: return URLErrorHTTPTooManyRedirects;
    case CURLE_URL_MALFORMAT: return URLErrorBadURL;
    case CURLE_UNSUPPORTED_PROTOCOL: return URLErrorUnsupportedURL;
    case CURLE_WEIRD_SERVER_REPLY: return URLErrorBadServerResponse;
    default: return URLErrorUnknown;
  }
}

bool isTokenChar(unsigned char c) {
  if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) return true;
  return std::string_view("!#$%&'*+-.^_`|~").find(static_cast<char>(c)) != std::string_view::npos;
}

bool isToken(std::string_view text) {
  return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return isTokenChar(c); });
}

// A value that would end the header line early could smuggle a header or a
// whole request onto the connection.
bool isSafeFieldValue(std::string_view value) {
  return value.find_first_of(std::string_view("\r\n\0", 3)) == std::string_view::npos;
}

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](unsigned char x, unsigned char y) {
           return std::tolower(x) == std::tolower(y);
         });
}

std::string_view trim(std::string_view text) {
  auto first = text.find_first_not_of(" \t\r\n");
  if (first == std::string_view::npos) return {};
  auto last = text.find_last_not_of(" \t\r\n");
  return text.substr(first, last - first + 1);
}

}  // namespace

// One transfer: the request, its curl handle and what has arrived so far.
// Lives on the worker from launch to completion.
struct Task {
  Transport::TaskId id = 0;
  Request request;
  Transport::Completion done;

  detail::EasyHandle easy;
  detail::StringList headerLines;
  bool attached = false;  // added to the multi handle
  char errorBuffer[CURL_ERROR_SIZE] = {};

  bool limited = false;
  Clock::time_point deadline{};
  std::size_t maxBodyBytes = 0;
  std::size_t received = 0;  // raw body bytes of the current response
  bool tooLarge = false;

  // The response being received; reset at each new status line, since
  // redirects and interim responses come first.
  bool headersEnded = false;
  std::vector<std::string> codings;
  detail::ContentDecoder decoder;
  bool undecodable = false;
  std::string body;
};

namespace {

void beginResponse(Task& task) {
  task.headersEnded = false;
  task.codings.clear();
  task.body.clear();
  task.undecodable = false;
  task.received = 0;
}

size_t onHeader(char* data, size_t size, size_t count, void* user) {
  auto& task = *static_cast<Task*>(user);
  size_t length = size * count;
  std::string_view line(data, length);
  if (line.starts_with("HTTP/")) {
    beginResponse(task);
  } else if (trim(line).empty()) {
    if (!task.headersEnded) {
      task.headersEnded = true;
      if (!task.decoder.begin(task.codings)) {
        task.undecodable = true;
        return 0;  // ends the transfer
      }
    }
  } else if (!task.headersEnded) {
    auto colon = line.find(':');
    if (colon != std::string_view::npos && equalsIgnoringCase(trim(line.substr(0, colon)), "content-encoding")) {
      std::string_view rest = line.substr(colon + 1);
      while (!rest.empty()) {
        auto comma = rest.find(',');
        auto token = trim(rest.substr(0, comma));
        if (!token.empty()) task.codings.emplace_back(token);
        rest = comma == std::string_view::npos ? std::string_view() : rest.substr(comma + 1);
      }
    }
  }
  return length;
}

size_t onBody(char* data, size_t size, size_t count, void* user) {
  auto& task = *static_cast<Task*>(user);
  size_t length = size * count;
  task.received += length;
  if (task.received > task.maxBodyBytes) {
    task.tooLarge = true;
    return 0;  // ends the transfer with CURLE_WRITE_ERROR
  }
  if (task.undecodable || !task.decoder.feed(std::string_view(data, length), task.body)) {
    task.undecodable = true;
    return 0;
  }
  // Checked after decoding, so a small compressed body that expands beyond
  // the cap is caught too (at most one piece's expansion past it).
  if (task.body.size() > task.maxBodyBytes) {
    task.tooLarge = true;
    return 0;
  }
  return length;
}

bool startsWithIgnoringCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() &&
         std::equal(prefix.begin(), prefix.end(), text.begin(),
                    [](unsigned char a, unsigned char b) { return std::tolower(a) == std::tolower(b); });
}

HeaderFields responseHeaders(CURL* easy) {
  HeaderFields fields;
  curl_header* previous = nullptr;
  while (curl_header* header = curl_easy_nextheader(easy, CURLH_HEADER, -1, previous)) {
    fields.emplace_back(header->name, header->value);
    previous = header;
  }
  return fields;
}

}  // namespace

class Transport::Worker {
 public:
  explicit Worker(Config config) : config_(std::move(config)) {
    detail::initialiseCurlOnce();
    multi_.reset(curl_multi_init());
    if (!multi_) fatal("curl_multi_init failed");
    curl_multi_setopt(multi_.get(), CURLMOPT_MAX_HOST_CONNECTIONS, kMaxConnectionsPerHost);
    for (const auto& entry : config_.connectTo)
      if (!connectTo_.append(entry.c_str())) fatal("out of memory building CONNECT_TO");
    thread_ = std::thread([this] { run(); });
    pthread_setname_np(thread_.native_handle(), "url-transport");  // for thread counts and debuggers
  }

  // Called by ~Transport while the Transport is still whole, so that
  // completions run during shutdown may still call start and cancel.
  void shutdown() {
    if (std::this_thread::get_id() == thread_.get_id())
      fatal("a Transport was destroyed inside one of its own completions");
    {
      std::lock_guard lock(mutex_);
      stopping_ = true;
    }
    curl_multi_wakeup(multi_.get());
    thread_.join();
  }

  TaskId start(Request request, Completion done) {
    if (!done) fatal("start() needs a completion");
    auto task = std::make_unique<Task>();
    task->id = nextId_.fetch_add(1, std::memory_order_relaxed);
    task->request = std::move(request);
    task->done = std::move(done);
    TaskId id = task->id;
    {
      std::lock_guard lock(mutex_);
      starting_.push_back(std::move(task));
    }
    curl_multi_wakeup(multi_.get());
    return id;
  }

  void cancel(TaskId id) {
    {
      std::lock_guard lock(mutex_);
      cancelling_.push_back(id);
    }
    curl_multi_wakeup(multi_.get());
  }

 private:
  void run() {
    for (;;) {
      std::vector<std::unique_ptr<Task>> starting;
      std::vector<TaskId> cancelling;
      bool stopping;
      {
        std::lock_guard lock(mutex_);
        starting.swap(starting_);
        cancelling.swap(cancelling_);
        stopping = stopping_;
      }

      if (stopping) {
        // Completions may start more work; it is cancelled on the next pass.
        for (auto& task : starting) complete(std::move(task), makeError(URLErrorCancelled));
        while (!running_.empty()) finish(running_.begin()->first, makeError(URLErrorCancelled));
        std::lock_guard lock(mutex_);
        if (starting_.empty()) return;
        continue;
      }

      for (auto& task : starting) launch(std::move(task));
      for (TaskId id : cancelling)
        if (running_.count(id)) finish(id, makeError(URLErrorCancelled));

      int active = 0;
      curl_multi_perform(multi_.get(), &active);
      collectFinished();
      expireLate();
      curl_multi_poll(multi_.get(), nullptr, 0, pollTimeoutMs(), nullptr);
    }
  }

  // Configures the task's handle and hands it to curl, or completes it at
  // once when the request cannot be sent as given.
  void launch(std::unique_ptr<Task> task) {
    Request& request = task->request;
    std::string method = request.method.empty() ? "GET" : request.method;
    if (!isToken(method)) return complete(std::move(task), makeError(URLErrorBadURL, "invalid HTTP method"));

    bool askedForEncoding = false;
    for (const auto& [name, value] : request.headers) {
      if (!isToken(name) || !isSafeFieldValue(value))
        return complete(std::move(task), makeError(URLErrorBadURL, "invalid header field \"" + name + "\""));
      // curl sends "Name;" as a header with an empty value; "Name:" would
      // instead remove one of its own.
      std::string line = value.empty() ? name + ";" : name + ": " + value;
      if (!task->headerLines.append(line.c_str())) return complete(std::move(task), makeError(URLErrorUnknown));
      if (equalsIgnoringCase(name, "accept-encoding")) askedForEncoding = true;
    }
    // The decoding is ours (ContentDecoder), so curl is not told of the
    // encodings: the request's own header goes out in its place, once.
    bool listed = (askedForEncoding || task->headerLines.append(kDefaultAcceptEncoding)) &&
                  task->headerLines.append("Expect:");  // the platform sends bodies without 100-continue
    if (!listed) return complete(std::move(task), makeError(URLErrorUnknown));

    task->easy.reset(curl_easy_init());
    if (!task->easy) return complete(std::move(task), makeError(URLErrorUnknown, "curl_easy_init failed"));
    CURL* easy = task->easy.get();
    Task* raw = task.get();

    curl_easy_setopt(easy, CURLOPT_PRIVATE, raw);
    curl_easy_setopt(easy, CURLOPT_ERRORBUFFER, raw->errorBuffer);
    curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(easy, CURLOPT_URL, request.url.c_str());
    curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https");
    // A secure request never goes on in the clear, whoever redirects it.
    const bool secure = startsWithIgnoringCase(request.url, "https:");
    curl_easy_setopt(easy, CURLOPT_REDIR_PROTOCOLS_STR, secure ? "https" : "http,https");
    curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(easy, CURLOPT_MAXREDIRS, kMaxRedirects);
    curl_easy_setopt(easy, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(easy, CURLOPT_SSL_VERIFYHOST, 2L);
    if (!config_.caFile.empty()) {
      curl_easy_setopt(easy, CURLOPT_CAINFO, config_.caFile.c_str());
      curl_easy_setopt(easy, CURLOPT_CAPATH, nullptr);  // that file alone, not the system's directory too
    }
    if (connectTo_.get()) curl_easy_setopt(easy, CURLOPT_CONNECT_TO, connectTo_.get());
    curl_easy_setopt(easy, CURLOPT_HTTPHEADER, raw->headerLines.get());
    curl_easy_setopt(easy, CURLOPT_HTTP_CONTENT_DECODING, 0L);
    curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, onHeader);
    curl_easy_setopt(easy, CURLOPT_HEADERDATA, raw);
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, onBody);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, raw);

    if (method == "HEAD") {
      curl_easy_setopt(easy, CURLOPT_NOBODY, 1L);
    } else if (request.body || method == "POST") {
      // The task owns the body for the whole transfer, redirects included.
      const std::string& body = request.body ? *request.body : (request.body.emplace());
      curl_easy_setopt(easy, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(body.size()));
      curl_easy_setopt(easy, CURLOPT_POSTFIELDS, body.data());
      if (method != "POST") curl_easy_setopt(easy, CURLOPT_CUSTOMREQUEST, method.c_str());
    } else if (method != "GET") {
      curl_easy_setopt(easy, CURLOPT_CUSTOMREQUEST, method.c_str());
    }

    double seconds = request.timeoutSeconds > 0 && std::isfinite(request.timeoutSeconds) ? request.timeoutSeconds : 0;
    if (config_.timeoutLimitSeconds > 0 && (seconds == 0 || config_.timeoutLimitSeconds < seconds))
      seconds = config_.timeoutLimitSeconds;
    if (seconds > 0) {
      raw->limited = true;
      // Past ~30 years the limit is no limit; keeps the conversion in range.
      raw->deadline = Clock::now() + std::chrono::duration_cast<Clock::duration>(
                                         std::chrono::duration<double>(std::min(seconds, 1e9)));
    }
    raw->maxBodyBytes = config_.maxBodyBytes;

    if (curl_multi_add_handle(multi_.get(), easy) != CURLM_OK)
      return complete(std::move(task), makeError(URLErrorUnknown, "curl_multi_add_handle failed"));
    raw->attached = true;
    running_.emplace(raw->id, std::move(task));
  }

  void collectFinished() {
    int left = 0;
    while (CURLMsg* message = curl_multi_info_read(multi_.get(), &left)) {
      if (message->msg != CURLMSG_DONE) continue;
      // The message dies with the handle's removal: copy what is needed.
      CURL* easy = message->easy_handle;
      CURLcode code = message->data.result;
      Task* task = nullptr;
      curl_easy_getinfo(easy, CURLINFO_PRIVATE, &task);
      finish(task->id, outcome(*task, code));
    }
  }

  Result outcome(Task& task, CURLcode code) {
    if (task.tooLarge)
      return makeError(URLErrorDataLengthExceedsMaximum,
                       "the body is larger than " + std::to_string(task.maxBodyBytes) + " bytes");
    if (task.undecodable || (code == CURLE_OK && !task.decoder.finish()))
      return makeError(URLErrorCannotDecodeContentData,
                       task.codings.empty() ? std::string("content decoding failed")
                                            : "content decoding failed for " + task.codings.back());
    if (code != CURLE_OK) {
      std::string detail = task.errorBuffer[0] ? task.errorBuffer : curl_easy_strerror(code);
      long verify = 0;
      if (code == CURLE_PEER_FAILED_VERIFICATION &&
          curl_easy_getinfo(task.easy.get(), CURLINFO_SSL_VERIFYRESULT, &verify) == CURLE_OK &&
          (verify == X509_V_ERR_CERT_HAS_EXPIRED || verify == X509_V_ERR_CERT_NOT_YET_VALID))
        return makeError(URLErrorServerCertificateHasBadDate, std::move(detail));
      // Only a redirect can lead a request that began as https to a refused
      // protocol: launch allows https alone for those.
      if (code == CURLE_UNSUPPORTED_PROTOCOL && startsWithIgnoringCase(task.request.url, "https:"))
        return makeError(URLErrorAppTransportSecurityRequiresSecureConnection,
                         "refused a redirect from https to a URL that is not https");
      return makeError(codeForCurl(code), std::move(detail));
    }

    Response response;
    CURL* easy = task.easy.get();
    curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &response.status);
    char* url = nullptr;
    curl_easy_getinfo(easy, CURLINFO_EFFECTIVE_URL, &url);
    if (url) response.url = url;
    response.headers = responseHeaders(easy);
    response.body = std::move(task.body);
    return response;
  }

  void expireLate() {
    auto now = Clock::now();
    std::vector<TaskId> expired;
    for (const auto& [id, task] : running_)
      if (task->limited && now >= task->deadline) expired.push_back(id);
    for (TaskId id : expired) finish(id, makeError(URLErrorTimedOut, "not finished within the request's time-out"));
  }

  int pollTimeoutMs() const {
    auto now = Clock::now();
    auto wait = std::chrono::milliseconds(kLongestPollMs);
    for (const auto& entry : running_) {
      const Task& task = *entry.second;
      if (!task.limited) continue;
      auto left = task.deadline - now;
      // Round up so that a wake-up finds the deadline passed.
      wait = std::min(wait, std::chrono::ceil<std::chrono::milliseconds>(left));
    }
    return static_cast<int>(std::max<std::chrono::milliseconds::rep>(wait.count(), 0));
  }

  // Takes a running task off curl and completes it.
  void finish(TaskId id, Result result) {
    auto node = running_.extract(id);
    std::unique_ptr<Task> task = std::move(node.mapped());
    if (task->attached) curl_multi_remove_handle(multi_.get(), task->easy.get());
    task->attached = false;
    complete(std::move(task), std::move(result));
  }

  // Frees the task's curl resources, then runs its completion with no lock
  // held, so that the completion may start or cancel transfers.
  static void complete(std::unique_ptr<Task> task, Result result) {
    Completion done = std::move(task->done);
    task.reset();
    done(std::move(result));
  }

  const Config config_;
  detail::StringList connectTo_;
  detail::MultiHandle multi_;

  std::mutex mutex_;
  std::vector<std::unique_ptr<Task>> starting_;  // guarded by mutex_
  std::vector<TaskId> cancelling_;               // guarded by mutex_
  bool stopping_ = false;                        // guarded by mutex_

  std::unordered_map<TaskId, std::unique_ptr<Task>> running_;  // worker thread only
  std::atomic<TaskId> nextId_{1};
  std::thread thread_;
};

Transport::Transport(Config config) : worker_(std::make_unique<Worker>(std::move(config))) {}
Transport::~Transport() { worker_->shutdown(); }

Transport::TaskId Transport::start(Request request, Completion done) {
  return worker_->start(std::move(request), std::move(done));
}

void Transport::cancel(TaskId id) { worker_->cancel(id); }

}  // namespace net
