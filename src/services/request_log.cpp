#include "services/request_log.h"

#include <algorithm>
#include <cctype>

namespace services {

std::string_view endpointName(Endpoint endpoint) {
  switch (endpoint) {
    case Endpoint::HomePage: return "home";
    case Endpoint::Search: return "search";
    case Endpoint::Certified: return "certified";
    case Endpoint::Other: break;
  }
  return "other";
}

std::string RecordedRequest::header(std::string_view name) const {
  auto sameName = [&](const std::pair<std::string, std::string>& h) {
    return std::equal(h.first.begin(), h.first.end(), name.begin(), name.end(), [](char a, char b) {
      return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
    });
  };
  auto it = std::find_if(headers.begin(), headers.end(), sameName);
  return it == headers.end() ? std::string{} : it->second;
}

void RequestLog::record(RecordedRequest request) {
  std::function<void(const RecordedRequest&)> observer;
  {
    std::lock_guard lock(mutex_);
    requests_.push_back(request);
    observer = observer_;
  }
  changed_.notify_all();
  if (observer) {
    observer(request);
  }
}

std::vector<RecordedRequest> RequestLog::requests() const {
  std::lock_guard lock(mutex_);
  return requests_;
}

std::size_t RequestLog::size() const {
  std::lock_guard lock(mutex_);
  return requests_.size();
}

std::size_t RequestLog::count(Endpoint endpoint) const {
  std::lock_guard lock(mutex_);
  return countLocked(endpoint);
}

std::size_t RequestLog::countLocked(Endpoint endpoint) const {
  return static_cast<std::size_t>(std::count_if(requests_.begin(), requests_.end(),
                                                [&](const RecordedRequest& r) { return r.endpoint == endpoint; }));
}

bool RequestLog::waitForCount(std::size_t n, std::chrono::steady_clock::time_point deadline) const {
  std::unique_lock lock(mutex_);
  return changed_.wait_until(lock, deadline, [&] { return requests_.size() >= n; });
}

bool RequestLog::waitForCount(Endpoint endpoint, std::size_t n,
                              std::chrono::steady_clock::time_point deadline) const {
  std::unique_lock lock(mutex_);
  return changed_.wait_until(lock, deadline, [&] { return countLocked(endpoint) >= n; });
}

void RequestLog::clear() {
  std::lock_guard lock(mutex_);
  requests_.clear();
}

void RequestLog::setObserver(std::function<void(const RecordedRequest&)> observer) {
  std::lock_guard lock(mutex_);
  observer_ = std::move(observer);
}

}  // namespace services
