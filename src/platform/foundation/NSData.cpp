#include "platform/foundation/NSData.h"

#include <fmt/format.h>

#include <fstream>
#include <sstream>

#include "platform/foundation/NSString.h"

Ref<NSData> NSData::data() { return make<NSData>(); }

Ref<NSData> NSData::dataWithBytes(std::string_view bytes) { return make<NSData>(std::string(bytes)); }

Ref<NSData> NSData::dataWithContentsOfFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return nullptr;
  std::ostringstream buf;
  buf << in.rdbuf();
  if (in.bad()) return nullptr;
  return make<NSData>(buf.str());
}

bool NSData::isEqual(id other) const {
  auto* d = dynamic_cast<const NSData*>(other);
  return d && d->bytes_ == bytes_;
}

NSUInteger NSData::hash() const { return std::hash<std::string>{}(bytes_); }

Ref<NSString> NSData::description() const {
  return NSString::stringWithUTF8String(fmt::format("{{length = {}}}", bytes_.size()));
}
