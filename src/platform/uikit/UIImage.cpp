#include "platform/uikit/UIImage.h"

#include <fmt/format.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <fstream>
#include <optional>
#include <vector>

#include "platform/uikit/UIScreen.h"

namespace {

struct PixelSize {
  std::uint32_t width;
  std::uint32_t height;
};

std::uint32_t bigEndian32(const unsigned char* p) {
  return (std::uint32_t(p[0]) << 24) | (std::uint32_t(p[1]) << 16) | (std::uint32_t(p[2]) << 8) | std::uint32_t(p[3]);
}

// The signature and the IHDR chunk that every PNG file opens with.
std::optional<PixelSize> readPNGHeader(std::ifstream& in) {
  static constexpr std::array<unsigned char, 8> kSignature{0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
  std::array<unsigned char, 24> head{};
  if (!in.read(reinterpret_cast<char*>(head.data()), head.size())) return std::nullopt;
  if (!std::equal(kSignature.begin(), kSignature.end(), head.begin())) return std::nullopt;
  if (bigEndian32(&head[8]) != 13 || std::string_view(reinterpret_cast<const char*>(&head[12]), 4) != "IHDR")
    return std::nullopt;
  PixelSize size{bigEndian32(&head[16]), bigEndian32(&head[20])};
  // The format allows 1 ... 2^31-1 in each direction.
  if (size.width == 0 || size.height == 0 || size.width > 0x7fffffffu || size.height > 0x7fffffffu)
    return std::nullopt;
  return size;
}

bool endsWith(const std::string& s, std::string_view suffix) {
  return s.size() >= suffix.size() && s.compare(s.size() - suffix.size(), suffix.size(), suffix) == 0;
}

// The device's own scale first, then the others nearest first, higher
// before lower on a tie.
std::vector<int> scalesToTry(CGFloat screenScale) {
  std::vector<int> scales{3, 2, 1};
  std::stable_sort(scales.begin(), scales.end(), [&](int a, int b) {
    return std::abs(a - screenScale) < std::abs(b - screenScale);
  });
  return scales;
}

}  // namespace

Ref<UIImage> UIImage::load(const std::string& path, CGFloat scale, Ref<NSString> name) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return nullptr;
  std::optional<PixelSize> pixels = readPNGHeader(in);
  if (!pixels) return nullptr;
  Ref<UIImage> image = make<UIImage>();
  image->name_ = std::move(name);
  image->path_ = path;
  image->pixelWidth_ = pixels->width;
  image->pixelHeight_ = pixels->height;
  image->scale_ = scale;
  return image;
}

Ref<UIImage> UIImage::imageNamed_inBundle_compatibleWithTraitCollection(const NSString* name, const NSBundle* bundle,
                                                                        id /*traitCollection*/) {
  if (!name || name->length() == 0) return nullptr;
  if (!bundle) bundle = NSBundle::mainBundle();
  if (!bundle) return nullptr;
  std::string base = utf8(bundle->bundlePath().get());
  if (base.empty()) return nullptr;
  std::string stem = name->UTF8String();
  if (endsWith(stem, ".png")) stem.resize(stem.size() - 4);
  if (stem.empty()) return nullptr;
  for (int scale : scalesToTry(UIScreen::mainScreen()->scale())) {
    std::string path = base + "/" + stem + (scale == 1 ? std::string() : fmt::format("@{}x", scale)) + ".png";
    std::ifstream probe(path, std::ios::binary);
    if (!probe) continue;
    // The first variant present decides: a damaged file is not papered over
    // with another scale.
    return load(path, scale, Ref<NSString>(const_cast<NSString*>(name)));
  }
  return nullptr;
}

Ref<UIImage> UIImage::imageWithContentsOfFile(const NSString* path) {
  if (!path) return nullptr;
  std::string file = path->UTF8String();
  CGFloat scale = endsWith(file, "@3x.png") ? 3 : endsWith(file, "@2x.png") ? 2 : 1;
  return load(file, scale, nullptr);
}

Ref<UIImage> UIImage::imageWithRenderingMode(UIImageRenderingMode mode) const {
  if (mode == renderingMode_) return Ref<UIImage>(const_cast<UIImage*>(this));
  Ref<UIImage> copy = make<UIImage>();
  copy->name_ = name_;
  copy->path_ = path_;
  copy->pixelWidth_ = pixelWidth_;
  copy->pixelHeight_ = pixelHeight_;
  copy->scale_ = scale_;
  copy->renderingMode_ = mode;
  return copy;
}

Ref<NSString> UIImage::description() const {
  CGSize s = size();
  return NSString::stringWithUTF8String(
      fmt::format("<UIImage: {} named({}) {{{:g}, {:g}}} @{:g}x>", static_cast<const void*>(this), utf8(name_.get()), s.width,
                  s.height, scale_));
}
