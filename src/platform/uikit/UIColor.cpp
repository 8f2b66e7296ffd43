#include "platform/uikit/UIColor.h"

#include <fmt/format.h>

#include <functional>

namespace {
// Named colours live for the process, like literals; never released.
UIColor* named(CGFloat r, CGFloat g, CGFloat b, CGFloat a) {
  UIColor* c = make<UIColor>(r, g, b, a).leak();
  c->makeImmortal();
  return c;
}
}  // namespace

Ref<UIColor> UIColor::colorWithRed_green_blue_alpha(CGFloat red, CGFloat green, CGFloat blue, CGFloat alpha) {
  return make<UIColor>(red, green, blue, alpha);
}

Ref<UIColor> UIColor::colorWithWhite_alpha(CGFloat white, CGFloat alpha) {
  return make<UIColor>(white, white, white, alpha);
}

UIColor* UIColor::whiteColor() {
  static UIColor* c = named(1, 1, 1, 1);
  return c;
}
UIColor* UIColor::blackColor() {
  static UIColor* c = named(0, 0, 0, 1);
  return c;
}
UIColor* UIColor::clearColor() {
  static UIColor* c = named(0, 0, 0, 0);
  return c;
}
UIColor* UIColor::lightGrayColor() {
  static UIColor* c = named(2.0 / 3, 2.0 / 3, 2.0 / 3, 1);
  return c;
}
UIColor* UIColor::grayColor() {
  static UIColor* c = named(0.5, 0.5, 0.5, 1);
  return c;
}
UIColor* UIColor::darkGrayColor() {
  static UIColor* c = named(1.0 / 3, 1.0 / 3, 1.0 / 3, 1);
  return c;
}
UIColor* UIColor::redColor() {
  static UIColor* c = named(1, 0, 0, 1);
  return c;
}
UIColor* UIColor::greenColor() {
  static UIColor* c = named(0, 1, 0, 1);
  return c;
}
UIColor* UIColor::blueColor() {
  static UIColor* c = named(0, 0, 1, 1);
  return c;
}
UIColor* UIColor::systemBlueColor() {
  static UIColor* c = named(0, 122.0 / 255, 1, 1);
  return c;
}

bool UIColor::getRed_green_blue_alpha(CGFloat* red, CGFloat* green, CGFloat* blue, CGFloat* alpha) const {
  if (red) *red = red_;
  if (green) *green = green_;
  if (blue) *blue = blue_;
  if (alpha) *alpha = alpha_;
  return true;
}

bool UIColor::getWhite_alpha(CGFloat* white, CGFloat* alpha) const {
  if (red_ != green_ || green_ != blue_) return false;
  if (white) *white = red_;
  if (alpha) *alpha = alpha_;
  return true;
}

Ref<UIColor> UIColor::colorWithAlphaComponent(CGFloat alpha) const { return make<UIColor>(red_, green_, blue_, alpha); }

bool UIColor::isEqual(id other) const {
  auto* o = objc_cast<UIColor>(other);
  return o && o->red_ == red_ && o->green_ == green_ && o->blue_ == blue_ && o->alpha_ == alpha_;
}

NSUInteger UIColor::hash() const {
  std::hash<double> h;
  return h(red_) ^ (h(green_) << 1) ^ (h(blue_) << 2) ^ (h(alpha_) << 3);
}

Ref<NSString> UIColor::description() const {
  return NSString::stringWithUTF8String(fmt::format("UIExtendedSRGBColorSpace {:g} {:g} {:g} {:g}", red_, green_, blue_, alpha_));
}

bool UIColorEqual(const UIColor* a, const UIColor* b) {
  if (a == b) return true;
  return a && b && a->isEqual(const_cast<UIColor*>(b));
}
