#pragma once
// A line or block of text. Starts not opaque, with interaction off, the system
// font at 17 points and black text, as on the device. Main thread only.

#include "platform/uikit/UIFont.h"
#include "platform/uikit/UIView.h"

enum NSTextAlignment : long {
  NSTextAlignmentLeft = 0,
  NSTextAlignmentCenter = 1,
  NSTextAlignmentRight = 2,
  NSTextAlignmentJustified = 3,
  NSTextAlignmentNatural = 4,
};
UIKIT_BOUNDARY_ENUM(NSTextAlignment);

// What a label does with text that does not fit its bounds.
enum NSLineBreakMode : long {
  NSLineBreakByWordWrapping = 0,
  NSLineBreakByCharWrapping = 1,
  NSLineBreakByClipping = 2,
  NSLineBreakByTruncatingHead = 3,
  NSLineBreakByTruncatingTail = 4,
  NSLineBreakByTruncatingMiddle = 5,
};
UIKIT_BOUNDARY_ENUM(NSLineBreakMode);

class UILabel : public UIView {
 public:
  UILabel();
  explicit UILabel(CGRect frame);

  NSString* text() const {
    UIKIT_MAIN_THREAD_ONLY();
    return text_.get();
  }
  // Inside a transition of this label or an ancestor, the old text dissolves
  // into the new one.
  void setText(const NSString* text);
  // Never nil: setting nil restores the default font.
  UIFont* font() const {
    UIKIT_MAIN_THREAD_ONLY();
    return font_.get();
  }
  void setFont(UIFont* font);
  // Never nil: setting nil restores black.
  UIColor* textColor() const {
    UIKIT_MAIN_THREAD_ONLY();
    return textColor_.get();
  }
  void setTextColor(UIColor* color);
  // 0: as many lines as the text needs.
  NSInteger numberOfLines() const {
    UIKIT_MAIN_THREAD_ONLY();
    return numberOfLines_;
  }
  void setNumberOfLines(NSInteger lines);
  NSTextAlignment textAlignment() const {
    UIKIT_MAIN_THREAD_ONLY();
    return textAlignment_;
  }
  void setTextAlignment(NSTextAlignment alignment);
  // Truncating the tail unless set.
  NSLineBreakMode lineBreakMode() const {
    UIKIT_MAIN_THREAD_ONLY();
    return lineBreakMode_;
  }
  void setLineBreakMode(NSLineBreakMode mode);

  // The text on screen at dispatch::Clock's present (the old text while a
  // dissolve runs).
  Ref<NSString> presentationText() const;

 private:
  Ref<NSString> text_;
  Ref<UIFont> font_;
  Ref<UIColor> textColor_;
  NSInteger numberOfLines_ = 1;
  NSTextAlignment textAlignment_ = NSTextAlignmentNatural;
  NSLineBreakMode lineBreakMode_ = NSLineBreakByTruncatingTail;
};
