#pragma once
// Colours: RGBA components (extended sRGB, so values outside 0...1 are kept,
// as on the device). Immutable and compared by value, so any thread may make,
// share and compare them; the named colours are made once per process.

#include "platform/foundation/NSString.h"

class UIColor : public NSObject {
 public:
  UIColor() = default;
  UIColor(CGFloat red, CGFloat green, CGFloat blue, CGFloat alpha)
      : red_(red), green_(green), blue_(blue), alpha_(alpha) {}

  static Ref<UIColor> colorWithRed_green_blue_alpha(CGFloat red, CGFloat green, CGFloat blue, CGFloat alpha);
  // A grey: red, green and blue all equal white.
  static Ref<UIColor> colorWithWhite_alpha(CGFloat white, CGFloat alpha);

  // The platform's named colours; each call answers the same object.
  static UIColor* whiteColor();      // white 1
  static UIColor* blackColor();      // white 0
  static UIColor* clearColor();      // white 0, alpha 0
  static UIColor* lightGrayColor();  // white 2/3
  static UIColor* grayColor();       // white 1/2
  static UIColor* darkGrayColor();   // white 1/3
  static UIColor* redColor();
  static UIColor* greenColor();
  static UIColor* blueColor();
  static UIColor* systemBlueColor();  // the default tint: (0, 122/255, 1)

  CGFloat red() const { return red_; }
  CGFloat green() const { return green_; }
  CGFloat blue() const { return blue_; }
  CGFloat alpha() const { return alpha_; }
  // Writes each non-null out-parameter; always succeeds for RGB colours.
  bool getRed_green_blue_alpha(CGFloat* red, CGFloat* green, CGFloat* blue, CGFloat* alpha) const;
  // Succeeds only for greys (red, green and blue equal), as on the device.
  bool getWhite_alpha(CGFloat* white, CGFloat* alpha) const;
  Ref<UIColor> colorWithAlphaComponent(CGFloat alpha) const;

  // Equal components, exactly.
  bool isEqual(id other) const override;
  NSUInteger hash() const override;
  // "UIExtendedSRGBColorSpace r g b a", as the device prints it.
  Ref<NSString> description() const override;

 private:
  CGFloat red_ = 0, green_ = 0, blue_ = 0, alpha_ = 1;
};

// Value equality that treats two nils as equal; views compare with it before
// they store a colour.
bool UIColorEqual(const UIColor* a, const UIColor* b);
