#include "services/misbehaviour.h"

#include <algorithm>

namespace services {

GeneratedBody::GeneratedBody(std::vector<Piece> pieces) : pieces_(std::move(pieces)) {
  for (const auto& piece : pieces_) size_ += piece.text.size() * piece.repeat;
}

void GeneratedBody::copy(std::size_t offset, std::size_t length, std::string& out) const {
  std::size_t start = 0;  // of the current piece
  for (const auto& piece : pieces_) {
    const std::size_t pieceSize = piece.text.size() * piece.repeat;
    if (length == 0) return;
    if (offset < start + pieceSize) {
      std::size_t at = offset - start;
      while (length > 0 && at < pieceSize) {
        const std::size_t within = at % piece.text.size();
        const std::size_t n = std::min(length, piece.text.size() - within);
        out.append(piece.text, within, n);
        at += n;
        offset += n;
        length -= n;
      }
    }
    start += pieceSize;
  }
}

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
