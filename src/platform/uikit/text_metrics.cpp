#include "platform/uikit/text_metrics.h"

#include <map>
#include <mutex>
#include <tuple>

#include "platform/uikit/UIFont.h"
#include "platform/uikit/render/text_engine.h"

namespace uikit {
namespace {

using Key = std::tuple<std::string, int, CGFloat, NSInteger, CGFloat>;

// Layout measures the same few texts over and over; the table is emptied
// when it grows large rather than aged, which is enough for that.
constexpr std::size_t kRememberedSizes = 4096;

CGSize remembered(std::string utf8, text::Face face, CGFloat pointSize, NSInteger maxLines, CGFloat maxWidth) {
  static auto* lock = new std::mutex;
  static auto* sizes = new std::map<Key, CGSize>;
  Key key{std::move(utf8), static_cast<int>(face), pointSize, maxLines > 0 ? maxLines : 0, maxWidth > 0 ? maxWidth : 0};
  {
    std::lock_guard guard(*lock);
    auto found = sizes->find(key);
    if (found != sizes->end()) return found->second;
  }
  text::Setting setting;
  setting.face = face;
  setting.pointSize = pointSize;
  setting.maxLines = std::get<3>(key);
  setting.width = std::get<4>(key);
  setting.lineBreak = text::Setting::Break::Word;
  CGSize size = text::measure(std::get<0>(key), setting);
  std::lock_guard guard(*lock);
  if (sizes->size() >= kRememberedSizes) sizes->clear();
  sizes->emplace(std::move(key), size);
  return size;
}

}  // namespace

CGSize measureText(const NSString* text, const UIFont* font, NSInteger maxLines, CGFloat maxWidth) {
  if (!text || text->length() == 0 || !font || !(font->pointSize() > 0)) return {0, 0};
  return remembered(utf8(text), text::faceFor(font), font->pointSize(), maxLines, maxWidth);
}

CGSize measureText(const NSString* text, CGFloat pointSize, NSInteger maxLines, CGFloat maxWidth) {
  if (!text || text->length() == 0 || !(pointSize > 0)) return {0, 0};
  return remembered(utf8(text), text::Face::Regular, pointSize, maxLines, maxWidth);
}

}  // namespace uikit
