#include "services/misbehaviour.h"

namespace services {

void Gate::release() {
  {
    std::lock_guard lock(mutex_);
    released_ = true;
  }
  changed_.notify_all();
}

bool Gate::isReleased() const {
  std::lock_guard lock(mutex_);
  return released_;
}

std::size_t Gate::arrivals() const {
  std::lock_guard lock(mutex_);
  return arrivals_;
}

bool Gate::waitForArrivals(std::size_t n, std::chrono::steady_clock::time_point deadline) const {
  std::unique_lock lock(mutex_);
  return changed_.wait_until(lock, deadline, [&] { return arrivals_ >= n; });
}

void Gate::pass() {
  std::unique_lock lock(mutex_);
  ++arrivals_;
  changed_.notify_all();
  changed_.wait(lock, [&] { return released_; });
}

std::string_view faultName(Fault fault) {
  switch (fault) {
    case Fault::None: return "none";
    case Fault::ResetMidBody: return "reset-mid-body";
    case Fault::TruncatedCompressedBody: return "truncated-compressed-body";
    case Fault::CorruptCompressedBody: return "corrupt-compressed-body";
    case Fault::InvalidUtf8: return "invalid-utf8";
    case Fault::PageWithoutMarker: return "page-without-marker";
    case Fault::PageWithBrokenSettings: return "page-with-broken-settings";
  }
  return "unknown";
}

}  // namespace services
