#pragma once
// Core Graphics geometry as the toolkit uses it: points, sizes, rectangles and
// edge insets in points, with the run-time encodings the device gives them so
// they can cross objc_msgSend by value. Plain values: any thread.

#include "platform/foundation/NSObject.h"

struct CGPoint {
  CGFloat x = 0;
  CGFloat y = 0;
  friend bool operator==(const CGPoint&, const CGPoint&) = default;
};

struct CGSize {
  CGFloat width = 0;
  CGFloat height = 0;
  friend bool operator==(const CGSize&, const CGSize&) = default;
};

struct CGRect {
  CGPoint origin;
  CGSize size;
  friend bool operator==(const CGRect&, const CGRect&) = default;
};

struct UIEdgeInsets {
  CGFloat top = 0;
  CGFloat left = 0;
  CGFloat bottom = 0;
  CGFloat right = 0;
  friend bool operator==(const UIEdgeInsets&, const UIEdgeInsets&) = default;
};

OBJC_ENCODING(CGPoint, "{CGPoint=dd}");
OBJC_ENCODING(CGSize, "{CGSize=dd}");
OBJC_ENCODING(CGRect, "{CGRect={CGPoint=dd}{CGSize=dd}}");
OBJC_ENCODING(UIEdgeInsets, "{UIEdgeInsets=dddd}");

inline constexpr CGPoint CGPointZero{};
inline constexpr CGSize CGSizeZero{};
inline constexpr CGRect CGRectZero{};
inline constexpr UIEdgeInsets UIEdgeInsetsZero{};

inline constexpr CGPoint CGPointMake(CGFloat x, CGFloat y) { return {x, y}; }
inline constexpr CGSize CGSizeMake(CGFloat width, CGFloat height) { return {width, height}; }
inline constexpr CGRect CGRectMake(CGFloat x, CGFloat y, CGFloat width, CGFloat height) {
  return {{x, y}, {width, height}};
}
inline constexpr UIEdgeInsets UIEdgeInsetsMake(CGFloat top, CGFloat left, CGFloat bottom, CGFloat right) {
  return {top, left, bottom, right};
}

inline constexpr CGFloat CGRectGetWidth(CGRect r) { return r.size.width < 0 ? -r.size.width : r.size.width; }
inline constexpr CGFloat CGRectGetHeight(CGRect r) { return r.size.height < 0 ? -r.size.height : r.size.height; }
inline constexpr CGFloat CGRectGetMidX(CGRect r) { return r.origin.x + r.size.width / 2; }
inline constexpr CGFloat CGRectGetMidY(CGRect r) { return r.origin.y + r.size.height / 2; }
inline constexpr bool CGRectEqualToRect(CGRect a, CGRect b) { return a == b; }
inline constexpr bool CGSizeEqualToSize(CGSize a, CGSize b) { return a == b; }

// What a view without a natural size answers for intrinsicContentSize.
inline constexpr CGFloat UIViewNoIntrinsicMetric = -1;
