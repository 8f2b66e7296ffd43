#include "platform/foundation/net/content_decoding.h"

#include <brotli/decode.h>
#include <zlib.h>

#include <algorithm>
#include <climits>
#include <cstdint>

namespace net::detail {

class ContentDecoder::Stage {
 public:
  virtual ~Stage() = default;
  virtual bool feed(std::string_view in, std::string& out) = 0;
  virtual bool ended() const = 0;  // also true when no input ever came
};

namespace {

constexpr std::size_t kChunk = 16 * 1024;

// gzip, and deflate with or without the zlib wrapper (servers send both).
class InflateStage final : public ContentDecoder::Stage {
 public:
  explicit InflateStage(bool gzip) : gzip_(gzip) {}
  ~InflateStage() override {
    if (initialised_) inflateEnd(&z_);
  }

  bool feed(std::string_view in, std::string& out) override {
    if (initialised_) return inflateAll(in, out);
    if (in.empty()) return true;
    // Two bytes tell a zlib header from raw deflate data.
    head_.append(in);
    if (!gzip_ && head_.size() < 2) return true;
    int windowBits = gzip_ ? 16 + MAX_WBITS : (hasZlibHeader(head_) ? MAX_WBITS : -MAX_WBITS);
    if (inflateInit2(&z_, windowBits) != Z_OK) return false;
    initialised_ = true;
    std::string first = std::move(head_);
    head_.clear();
    return inflateAll(first, out);
  }

  bool ended() const override { return initialised_ ? ended_ : head_.empty(); }

 private:
  static bool hasZlibHeader(std::string_view b) {
    auto cmf = static_cast<unsigned char>(b[0]);
    auto flg = static_cast<unsigned char>(b[1]);
    return (cmf & 0x0f) == Z_DEFLATED && (cmf * 256 + flg) % 31 == 0;
  }

  bool inflateAll(std::string_view in, std::string& out) {
    while (!in.empty()) {
      auto piece = std::min<std::size_t>(in.size(), UINT_MAX);
      if (!inflatePiece(in.substr(0, piece), out)) return false;
      in.remove_prefix(piece);
    }
    return true;
  }

  bool inflatePiece(std::string_view in, std::string& out) {
    z_.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(in.data()));
    z_.avail_in = static_cast<uInt>(in.size());
    unsigned char buffer[kChunk];
    for (;;) {
      if (ended_) {
        // A gzip body may hold several members back to back; anything else
        // after the end is ignored, as browsers do.
        if (z_.avail_in == 0 || !gzip_ || *z_.next_in != 0x1f) return true;
        if (inflateReset(&z_) != Z_OK) return false;
        ended_ = false;
      }
      z_.next_out = buffer;
      z_.avail_out = sizeof buffer;
      int rc = inflate(&z_, Z_NO_FLUSH);
      out.append(reinterpret_cast<char*>(buffer), sizeof buffer - z_.avail_out);
      if (rc == Z_STREAM_END) {
        ended_ = true;
        continue;
      }
      if (rc == Z_BUF_ERROR && z_.avail_in == 0) return true;  // needs more input
      if (rc != Z_OK) return false;
      if (z_.avail_in == 0 && z_.avail_out != 0) return true;
    }
  }

  bool gzip_;
  bool initialised_ = false;
  bool ended_ = false;
  std::string head_;
  z_stream z_{};
};

class BrotliStage final : public ContentDecoder::Stage {
 public:
  BrotliStage() : state_(BrotliDecoderCreateInstance(nullptr, nullptr, nullptr)) {}
  ~BrotliStage() override {
    if (state_) BrotliDecoderDestroyInstance(state_);
  }

  bool feed(std::string_view in, std::string& out) override {
    if (!state_) return false;
    if (in.empty() || ended_) return true;  // bytes after the end are ignored
    sawInput_ = true;
    auto next = reinterpret_cast<const std::uint8_t*>(in.data());
    std::size_t available = in.size();
    std::uint8_t buffer[kChunk];
    for (;;) {
      std::uint8_t* nextOut = buffer;
      std::size_t room = sizeof buffer;
      auto rc = BrotliDecoderDecompressStream(state_, &available, &next, &room, &nextOut, nullptr);
      out.append(reinterpret_cast<char*>(buffer), sizeof buffer - room);
      switch (rc) {
        case BROTLI_DECODER_RESULT_SUCCESS: ended_ = true; return true;
        case BROTLI_DECODER_RESULT_NEEDS_MORE_INPUT: return true;
        case BROTLI_DECODER_RESULT_NEEDS_MORE_OUTPUT: continue;
        case BROTLI_DECODER_RESULT_ERROR: return false;
      }
      return false;
    }
  }

  bool ended() const override { return ended_ || !sawInput_; }

 private:
  BrotliDecoderState* state_;
  bool sawInput_ = false;
  bool ended_ = false;
};

std::string lowercase(std::string_view text) {
  std::string lower(text);
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](unsigned char c) { return static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c); });
  return lower;
}

}  // namespace

ContentDecoder::ContentDecoder() = default;
ContentDecoder::~ContentDecoder() = default;

bool ContentDecoder::begin(const std::vector<std::string>& codings) {
  stages_.clear();
  failed_ = false;
  // The last coding applied is the first to undo.
  for (auto it = codings.rbegin(); it != codings.rend(); ++it) {
    std::string coding = lowercase(*it);
    if (coding == "identity") continue;
    if (coding == "gzip" || coding == "x-gzip")
      stages_.push_back(std::make_unique<InflateStage>(true));
    else if (coding == "deflate")
      stages_.push_back(std::make_unique<InflateStage>(false));
    else if (coding == "br")
      stages_.push_back(std::make_unique<BrotliStage>());
    else {
      stages_.clear();
      failed_ = true;
      return false;
    }
  }
  return true;
}

bool ContentDecoder::feed(std::string_view in, std::string& out) {
  if (failed_) return false;
  if (stages_.empty()) {
    out.append(in);
    return true;
  }
  std::string carried;
  for (std::size_t i = 0; i < stages_.size(); ++i) {
    bool last = i + 1 == stages_.size();
    std::string produced;
    if (!stages_[i]->feed(in, last ? out : produced)) {
      failed_ = true;
      return false;
    }
    if (last) break;
    carried = std::move(produced);
    in = carried;
  }
  return true;
}

bool ContentDecoder::finish() const {
  if (failed_) return false;
  return std::all_of(stages_.begin(), stages_.end(), [](const auto& stage) { return stage->ended(); });
}

}  // namespace net::detail
