#include "platform/uikit/UILabel.h"

UILabel::UILabel() : UILabel(CGRectZero) {}

UILabel::UILabel(CGRect frame)
    : UIView(frame), font_(UIFont::systemFontOfSize(UIFont::labelFontSize())), textColor_(UIColor::blackColor()) {
  setOpaque(false);
  userInteractionEnabled_ = false;
}

void UILabel::setText(const NSString* text) {
  UIKIT_MAIN_THREAD_ONLY();
  if (UIStringEqual(text, text_.get())) return;
  transitionContents(text_);
  text_ = const_cast<NSString*>(text);
  setNeedsLayout();  // the text decides the label's natural size
  setNeedsDisplay();
}

void UILabel::setFont(UIFont* font) {
  UIKIT_MAIN_THREAD_ONLY();
  Ref<UIFont> wanted = font ? Ref<UIFont>(font) : UIFont::systemFontOfSize(UIFont::labelFontSize());
  if (UIFontEqual(wanted.get(), font_.get())) return;
  font_ = std::move(wanted);
  setNeedsLayout();
  setNeedsDisplay();
}

void UILabel::setTextColor(UIColor* color) {
  UIKIT_MAIN_THREAD_ONLY();
  UIColor* wanted = color ? color : UIColor::blackColor();
  if (UIColorEqual(wanted, textColor_.get())) return;
  textColor_ = wanted;
  setNeedsDisplay();
}

void UILabel::setNumberOfLines(NSInteger lines) {
  UIKIT_MAIN_THREAD_ONLY();
  if (lines == numberOfLines_) return;
  numberOfLines_ = lines;
  setNeedsLayout();
  setNeedsDisplay();
}

void UILabel::setTextAlignment(NSTextAlignment alignment) {
  UIKIT_MAIN_THREAD_ONLY();
  if (alignment == textAlignment_) return;
  textAlignment_ = alignment;
  setNeedsDisplay();
}

void UILabel::setLineBreakMode(NSLineBreakMode mode) {
  UIKIT_MAIN_THREAD_ONLY();
  if (mode == lineBreakMode_) return;
  lineBreakMode_ = mode;
  setNeedsLayout();  // wrapping decides a label's height
  setNeedsDisplay();
}

Ref<NSString> UILabel::presentationText() const {
  StrongId shown = presentationContents(text_);
  return Ref<NSString>(objc_cast<NSString>(shown.get()));
}
