#include "host/art/box_art.h"

#include <algorithm>
#include <cmath>

namespace host {

namespace {

constexpr int kSkyBands = 14;
constexpr int kBuildings = 13;
constexpr int kShadeBands = 6;

// FNV-1a: a stable number per name, the same on every run and machine.
uint64_t seedOf(const std::string& name) {
  uint64_t h = 1469598103934665603ull;
  for (unsigned char c : name) h = (h ^ c) * 1099511628211ull;
  return h;
}

// A colour of hue (0..1) at saturation s and brightness v.
Ref<UIColor> hsv(double hue, double s, double v, double alpha = 1) {
  double h = std::fmod(hue, 1.0) * 6;
  double c = v * s, x = c * (1 - std::fabs(std::fmod(h, 2.0) - 1)), m = v - c;
  double r = 0, g = 0, b = 0;
  switch (static_cast<int>(h)) {
    case 0: r = c, g = x; break;
    case 1: r = x, g = c; break;
    case 2: g = c, b = x; break;
    case 3: g = x, b = c; break;
    case 4: r = x, b = c; break;
    default: r = c, b = x; break;
  }
  return make<UIColor>(r + m, g + m, b + m, alpha);
}

}  // namespace

UIView* BoxArtView::initWithFrame(CGRect frame) {
  UIView::initWithFrame(frame);
  setBackgroundColor(make<UIColor>(0.08, 0.08, 0.1, 1));
  setClipsToBounds(true);
  canvas_ = make<UIView>(CGRectZero);
  addSubview(canvas_);
  return this;
}

void BoxArtView::setArtworkName(const std::string& name) {
  UIKIT_MAIN_THREAD_ONLY();
  if (name == name_ && canvas_->subviewList().size() > 0) return;
  name_ = name;
  const std::vector<Ref<UIView>> painted = canvas_->subviewList();  // held: removal changes the list
  for (const Ref<UIView>& old : painted) old->removeFromSuperview();
  if (name_.empty()) return;
  uint64_t seed = seedOf(name_);
  auto next = [&seed] {
    seed = seed * 6364136223846793005ull + 1442695040888963407ull;
    return static_cast<double>(seed >> 11) / static_cast<double>(1ull << 53);
  };
  const double hue = next();
  // Sky: deep at the top, glowing at the horizon in the opposite hue.
  for (int i = 0; i < kSkyBands; ++i) {
    double t = static_cast<double>(i) / (kSkyBands - 1);
    Ref<UIView> band = make<UIView>(CGRectZero);
    band->setBackgroundColor(hsv(hue + 0.5 * t * t, 0.55 + 0.2 * t, 0.25 + 0.6 * t));
    canvas_->addSubview(band);
  }
  Ref<UIView> sun = make<UIView>(CGRectZero);
  sun->setBackgroundColor(hsv(hue + 0.12, 0.35, 1.0, 0.9));
  canvas_->addSubview(sun);
  for (int i = 0; i < kBuildings; ++i) {
    Ref<UIView> building = make<UIView>(CGRectZero);
    building->setBackgroundColor(hsv(hue + 0.6, 0.4, 0.08 + 0.1 * next()));
    building->setTag(static_cast<NSInteger>(35 + 55 * next()));  // height in hundredths of the art
    canvas_->addSubview(building);
  }
  // The lower part darkens, as the app shades art under its text.
  for (int i = 0; i < kShadeBands; ++i) {
    Ref<UIView> shade = make<UIView>(CGRectZero);
    shade->setBackgroundColor(make<UIColor>(0, 0, 0, 0.15 + 0.14 * i));
    canvas_->addSubview(shade);
  }
  setNeedsLayout();
}

void BoxArtView::layoutSubviews() {
  UIView::layoutSubviews();
  CGRect b = bounds();
  canvas_->setFrame(b);
  const CGFloat w = b.size.width, h = b.size.height;
  std::vector<Ref<UIView>> parts = canvas_->subviewList();
  if (parts.size() != kSkyBands + 1 + kBuildings + kShadeBands) return;
  size_t k = 0;
  // Bands and buildings split the art edge to edge, each rounded to whole points.
  auto split = [](CGFloat length, int count, int i) {
    return std::make_pair(std::round(length * i / count), std::round(length * (i + 1) / count));
  };
  for (int i = 0; i < kSkyBands; ++i) {
    auto [top, bottom] = split(h, kSkyBands, i);
    parts[k++]->setFrame(CGRectMake(0, top, w, bottom - top));
  }
  const CGFloat sun = std::round(std::min(w, h) * 0.22);
  parts[k++]->setFrame(CGRectMake(std::round(w * 0.62), std::round(h * 0.3), sun, sun));
  for (int i = 0; i < kBuildings; ++i) {
    auto [left, right] = split(w, kBuildings, i);
    CGFloat tall = std::round(h * 0.6 * static_cast<CGFloat>(parts[k]->tag()) / 100);
    parts[k++]->setFrame(CGRectMake(left, h - tall, right - left, tall));
  }
  const CGFloat shadeTop = std::round(h * 0.55);
  for (int i = 0; i < kShadeBands; ++i) {
    auto [top, bottom] = split(h - shadeTop, kShadeBands, i);
    parts[k++]->setFrame(CGRectMake(0, shadeTop + top, w, bottom - top));
  }
}

}  // namespace host
