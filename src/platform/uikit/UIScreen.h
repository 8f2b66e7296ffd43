#pragma once
// The device's screen: its size in points and its scale (pixels per point).
// An iPhone (375 x 812 at 3x) until the host or a test configures another
// device. Images pick their file variant from the scale, from any thread, so
// the screen is synchronised rather than main-thread bound.

#include "platform/uikit/UIGeometry.h"

class UIScreen : public NSObject {
 public:
  // The one screen; lives for the process.
  static UIScreen* mainScreen();

  CGFloat scale() const;
  CGRect bounds() const;  // origin 0, size in points

  // Configuration by the host or a test: size in points and scale.
  void setBounds_scale(CGSize size, CGFloat scale);
  void configureAsPhone() { setBounds_scale({375, 812}, 3); }
  void configureAsPad() { setBounds_scale({768, 1024}, 2); }
};
