#include "platform/uikit/render/picture.h"

#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/uikit/UIView.h"
#include "platform/uikit/render/draw.h"

namespace uikit::render {

RGBA Picture::at(int x, int y) const {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return {};
  std::uint32_t p = argb_[static_cast<std::size_t>(y) * width_ + x];
  RGBA out;
  out.a = p >> 24;
  if (out.a == 0) return out;
  auto straight = [&](std::uint32_t c) {
    return static_cast<std::uint8_t>(std::min<std::uint32_t>(255, (c * 255 + out.a / 2) / out.a));
  };
  out.r = straight((p >> 16) & 0xff);
  out.g = straight((p >> 8) & 0xff);
  out.b = straight(p & 0xff);
  return out;
}

RGBA Picture::atPoint(CGPoint p) const {
  return at(static_cast<int>(std::floor(p.x * scale_)), static_cast<int>(std::floor(p.y * scale_)));
}

bool Picture::writePNG(const std::string& path, std::string* error) const {
  if (empty()) {
    if (error) *error = "the picture is empty";
    return false;
  }
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width_, height_);
  cairo_surface_flush(surface);
  unsigned char* data = cairo_image_surface_get_data(surface);
  int stride = cairo_image_surface_get_stride(surface);
  for (int y = 0; y < height_; ++y)
    std::memcpy(data + static_cast<std::size_t>(y) * stride, &argb_[static_cast<std::size_t>(y) * width_],
                static_cast<std::size_t>(width_) * 4);
  cairo_surface_mark_dirty(surface);
  cairo_status_t status = cairo_surface_write_to_png(surface, path.c_str());
  cairo_surface_destroy(surface);
  if (status != CAIRO_STATUS_SUCCESS) {
    if (error) *error = std::string("cannot write ") + path + ": " + cairo_status_to_string(status);
    return false;
  }
  return true;
}

namespace {
Picture pictureOf(cairo_surface_t* surface, int scale) {
  cairo_surface_flush(surface);
  int width = cairo_image_surface_get_width(surface), height = cairo_image_surface_get_height(surface);
  std::vector<std::uint32_t> pixels(static_cast<std::size_t>(width) * height);
  const unsigned char* data = cairo_image_surface_get_data(surface);
  int stride = cairo_image_surface_get_stride(surface);
  for (int y = 0; y < height; ++y)
    std::memcpy(&pixels[static_cast<std::size_t>(y) * width], data + static_cast<std::size_t>(y) * stride,
                static_cast<std::size_t>(width) * 4);
  // A file without an alpha channel reads as RGB24, whose top byte is unused.
  if (cairo_image_surface_get_format(surface) == CAIRO_FORMAT_RGB24)
    for (std::uint32_t& p : pixels) p |= 0xff000000u;
  return Picture(width, height, scale, std::move(pixels));
}
}  // namespace

Picture Picture::beside(const Picture& other, int gap) const {
  int width = width_ + gap + other.width_, height = std::max(height_, other.height_);
  std::vector<std::uint32_t> pixels(static_cast<std::size_t>(width) * height, 0);
  for (int y = 0; y < height_; ++y)
    std::memcpy(&pixels[static_cast<std::size_t>(y) * width], &argb_[static_cast<std::size_t>(y) * width_],
                static_cast<std::size_t>(width_) * 4);
  for (int y = 0; y < other.height_; ++y)
    std::memcpy(&pixels[static_cast<std::size_t>(y) * width + width_ + gap], &other.argb_[static_cast<std::size_t>(y) * other.width_],
                static_cast<std::size_t>(other.width_) * 4);
  return Picture(width, height, scale_, std::move(pixels));
}

Picture Picture::readPNG(const std::string& path, int scale) {
  cairo_surface_t* surface = cairo_image_surface_create_from_png(path.c_str());
  Picture out;
  if (cairo_surface_status(surface) == CAIRO_STATUS_SUCCESS && (cairo_image_surface_get_format(surface) == CAIRO_FORMAT_ARGB32 ||
                                                                  cairo_image_surface_get_format(surface) == CAIRO_FORMAT_RGB24))
    out = pictureOf(surface, scale);
  cairo_surface_destroy(surface);
  return out;
}

Picture drawView(UIView* view, int scale, const UIColor* backdrop) {
  UIKIT_MAIN_THREAD_ONLY();
  if (!view) return {};
  scale = std::clamp(scale, 1, 3);
  CGSize size = view->bounds().size;
  int width = std::max(1, static_cast<int>(std::ceil(size.width * scale)));
  int height = std::max(1, static_cast<int>(std::ceil(size.height * scale)));
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
  cairo_t* cr = cairo_create(surface);
  cairo_scale(cr, scale, scale);
  if (backdrop) {
    setColor(cr, backdrop);
    cairo_paint(cr);
  }
  // The view itself stands at the picture's origin, wherever its frame is.
  cairo_translate(cr, -view->frame().origin.x, -view->frame().origin.y);
  drawTree(cr, view, scale);
  cairo_destroy(cr);
  Picture out = pictureOf(surface, scale);
  cairo_surface_destroy(surface);
  return out;
}

}  // namespace uikit::render
