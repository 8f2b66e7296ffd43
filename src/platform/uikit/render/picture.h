#pragma once
// Pictures of views: the toolkit's view tree drawn headless with cairo into
// pixels, and written as PNG files. What is drawn is what the views hold —
// background colours, alpha, hidden, clipping, and each kind of view's own
// contents (label text, images with their content mode and template tint,
// meter bars, switches, spinners, button titles) — at their presentation
// values, so a picture taken during an animation shows its present frame.
//
// Main thread only (it reads views).

#include <cstdint>
#include <string>
#include <vector>

#include "platform/uikit/UIColor.h"
#include "platform/uikit/UIGeometry.h"

class UIView;

namespace uikit::render {

// One pixel, straight (not premultiplied) alpha.
struct RGBA {
  std::uint8_t r = 0, g = 0, b = 0, a = 0;
  friend bool operator==(const RGBA&, const RGBA&) = default;
};

class Picture {
 public:
  Picture() = default;
  Picture(int width, int height, int scale, std::vector<std::uint32_t> argb)
      : width_(width), height_(height), scale_(scale), argb_(std::move(argb)) {}

  // In pixels; a view's point p is at pixel p * scale.
  int width() const { return width_; }
  int height() const { return height_; }
  int scale() const { return scale_; }
  bool empty() const { return argb_.empty(); }
  // Transparent outside the picture.
  RGBA at(int x, int y) const;
  // The pixel under a point (in the drawn view's coordinates).
  RGBA atPoint(CGPoint p) const;

  // Writes a PNG file; false with a reason in *error when it cannot.
  bool writePNG(const std::string& path, std::string* error) const;
  // This picture with other to its right, gap pixels apart, tops aligned;
  // what neither covers is transparent.
  Picture beside(const Picture& other, int gap) const;
  // A PNG file's pixels, as drawn at scale; empty when it cannot be read.
  static Picture readPNG(const std::string& path, int scale = 1);

 private:
  int width_ = 0, height_ = 0, scale_ = 1;
  std::vector<std::uint32_t> argb_;  // cairo's premultiplied ARGB32, row by row
};

// Draws view and its subviews at scale (1, 2 or 3; others are clamped) into
// a picture the size of the view's bounds, the view's own origin at the top
// left. backdrop (may be nil) is painted first, as the screen behind it.
Picture drawView(UIView* view, int scale, const UIColor* backdrop = nullptr);

// The scale the picture commands use unless told otherwise.
inline constexpr int kDefaultPictureScale = 2;

}  // namespace uikit::render
