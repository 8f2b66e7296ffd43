#pragma once
// What the fuzz targets share: the entry point libFuzzer calls, and the
// input cut into the few choices a target makes and the bytes it reads.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/foundation/NSData.h"
#include "platform/foundation/NSString.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace fuzz {

// A target's check that its reader broke a promise: a crash the fuzzer keeps.
[[noreturn]] inline void broken() { __builtin_trap(); }

class Input {
 public:
  Input(const std::uint8_t* data, std::size_t size) : rest_(reinterpret_cast<const char*>(data), size) {}

  // The first byte, taken off the front (0 when nothing is left).
  std::uint8_t takeByte() {
    if (rest_.empty()) return 0;
    auto byte = static_cast<std::uint8_t>(rest_.front());
    rest_.remove_prefix(1);
    return byte;
  }
  // The text up to the first newline, taken off the front with the newline
  // (everything when there is none).
  std::string_view takeLine() {
    std::size_t end = rest_.find('\n');
    std::string_view line = rest_.substr(0, end);
    rest_.remove_prefix(end == std::string_view::npos ? rest_.size() : end + 1);
    return line;
  }
  std::string_view rest() const { return rest_; }

 private:
  std::string_view rest_;
};

// Bytes as the text a host label or a service could hand over: UTF-8 when
// they are valid UTF-8, else the bytes taken pairwise as UTF-16 units (lone
// surrogates included, which UTF-8 cannot carry).
inline Ref<NSString> text(std::string_view bytes) {
  if (Ref<NSString> utf8 = NSString::stringWithUTF8String(bytes)) return utf8;
  std::u16string units;
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2)
    units += static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) | static_cast<unsigned char>(bytes[i + 1]) << 8);
  return NSString::stringWithCharacters(std::move(units));
}

inline Ref<NSData> data(std::string_view bytes) { return NSData::dataWithBytes(bytes); }

}  // namespace fuzz
