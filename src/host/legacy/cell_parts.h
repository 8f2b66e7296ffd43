#pragma once
// What the older page's cells share in their making: metrics and small
// helpers. Internal to legacy/. Main thread only.

#include <string>
#include <vector>

#include "host/art/box_art.h"
#include "platform/uikit/UIKit.h"
#include "platform/uikit/text_metrics.h"

namespace host::legacy {

inline constexpr CGFloat kCellMargin = 16;
inline constexpr CGFloat kCellMessageSize = 13, kCellSynopsisSize = 14;
inline constexpr CGFloat kCellButtonHeight = 44;

inline Ref<NSString> cellText(const std::string& s) { return s.empty() ? nullptr : NSString::stringWithUTF8String(s); }

inline std::string joinedNames(const std::vector<std::string>& names, size_t limit) {
  std::string out;
  for (size_t i = 0; i < names.size() && i < limit; ++i) out += (i ? ", " : "") + names[i];
  return out;
}

inline CGFloat cellTextHeight(const UILabel* label, CGFloat width) {
  return uikit::measureText(label->text(), label->font(), label->numberOfLines(), width).height;
}

// The title's art ("boxArt"), placed by constraints, added to content.
Ref<BoxArtView> addBoxArt(UIView* content);

// The app's buttons: Play filled in white with dark text, the others dark
// grey with white text; the title bold, the corners rounded.
Ref<UIButton> makeButton(const char* identifier, const char* title, bool primary);

}  // namespace host::legacy
