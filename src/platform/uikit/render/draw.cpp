#include "platform/uikit/render/draw.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <numbers>
#include <string>

#include "platform/uikit/UIActivityIndicatorView.h"
#include "platform/uikit/UIButton.h"
#include "platform/uikit/UIImageView.h"
#include "platform/uikit/UILabel.h"
#include "platform/uikit/UIProgressView.h"
#include "platform/uikit/UISwitch.h"
#include "platform/uikit/UITableViewCell.h"
#include "platform/uikit/render/text_engine.h"

namespace uikit::render {
namespace {

// The platform's look where a view leaves a colour unset.
UIColor* defaultTrackColor() {
  static auto* c = new UIColor(0.88, 0.88, 0.88, 1);
  return c;
}
UIColor* switchOnColor() {
  static auto* c = new UIColor(0.204, 0.780, 0.349, 1);
  return c;
}
UIColor* switchOffColor() {
  static auto* c = new UIColor(0.898, 0.898, 0.918, 1);
  return c;
}

void roundedRect(cairo_t* cr, double x, double y, double w, double h, double r) {
  r = std::min({r, w / 2, h / 2});
  cairo_new_sub_path(cr);
  cairo_arc(cr, x + w - r, y + r, r, -std::numbers::pi / 2, 0);
  cairo_arc(cr, x + w - r, y + h - r, r, 0, std::numbers::pi / 2);
  cairo_arc(cr, x + r, y + h - r, r, std::numbers::pi / 2, std::numbers::pi);
  cairo_arc(cr, x + r, y + r, r, std::numbers::pi, 3 * std::numbers::pi / 2);
  cairo_close_path(cr);
}

// --- images ---------------------------------------------------------------------------

bool endsWith(const std::string& s, std::string_view suffix) {
  return s.size() >= suffix.size() && s.compare(s.size() - suffix.size(), suffix.size(), suffix) == 0;
}

// A PNG file's pixels, read once per file for the process.
cairo_surface_t* surfaceOf(const std::string& path) {
  static auto* loaded = new std::map<std::string, cairo_surface_t*>;
  auto found = loaded->find(path);
  if (found != loaded->end()) return found->second;
  cairo_surface_t* s = cairo_image_surface_create_from_png(path.c_str());
  if (cairo_surface_status(s) != CAIRO_STATUS_SUCCESS) {
    cairo_surface_destroy(s);
    s = nullptr;
  }
  loaded->emplace(path, s);
  return s;
}

// The file of the image's variant that fits the picture's scale: the same
// name at that scale when the folder has it, else the nearest (higher first),
// else the file the image was loaded from.
cairo_surface_t* pixelsFor(const UIImage* image, int scale) {
  std::string stem = image->filePath();
  for (const char* suffix : {"@3x.png", "@2x.png", ".png"})
    if (endsWith(stem, suffix)) {
      stem.resize(stem.size() - std::strlen(suffix));
      break;
    }
  std::vector<int> order{1, 2, 3};
  std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
    int da = std::abs(a - scale), db = std::abs(b - scale);
    return da != db ? da < db : a > b;
  });
  for (int s : order)
    if (cairo_surface_t* pixels = surfaceOf(stem + (s == 1 ? std::string(".png") : "@" + std::to_string(s) + "x.png")))
      return pixels;
  return surfaceOf(image->filePath());
}

// Where an image of size image goes in bounds, by content mode.
CGRect placeImage(CGSize image, CGSize box, UIViewContentMode mode) {
  double w = image.width, h = image.height;
  switch (mode) {
    case UIViewContentModeScaleToFill:
    case UIViewContentModeRedraw:
      return {{0, 0}, box};
    case UIViewContentModeScaleAspectFit:
    case UIViewContentModeScaleAspectFill: {
      double fx = box.width / w, fy = box.height / h;
      double f = mode == UIViewContentModeScaleAspectFit ? std::min(fx, fy) : std::max(fx, fy);
      w *= f;
      h *= f;
      return {{(box.width - w) / 2, (box.height - h) / 2}, {w, h}};
    }
    default:
      break;
  }
  double x = (box.width - w) / 2, y = (box.height - h) / 2;
  switch (mode) {
    case UIViewContentModeTop: y = 0; break;
    case UIViewContentModeBottom: y = box.height - h; break;
    case UIViewContentModeLeft: x = 0; break;
    case UIViewContentModeRight: x = box.width - w; break;
    case UIViewContentModeTopLeft: x = 0, y = 0; break;
    case UIViewContentModeTopRight: x = box.width - w, y = 0; break;
    case UIViewContentModeBottomLeft: x = 0, y = box.height - h; break;
    case UIViewContentModeBottomRight: x = box.width - w, y = box.height - h; break;
    default: break;
  }
  return {{x, y}, {w, h}};
}

void drawImage(cairo_t* cr, const UIImage* image, UIView* view, int scale, double opacity) {
  cairo_surface_t* pixels = pixelsFor(image, scale);
  CGSize size = image->size();
  if (!pixels || !(size.width > 0) || !(size.height > 0)) return;
  CGRect to = placeImage(size, view->bounds().size, view->contentMode());
  cairo_save(cr);
  cairo_rectangle(cr, 0, 0, view->bounds().size.width, view->bounds().size.height);
  cairo_clip(cr);  // an image view shows its image only inside its bounds
  cairo_translate(cr, to.origin.x, to.origin.y);
  cairo_scale(cr, to.size.width / cairo_image_surface_get_width(pixels),
              to.size.height / cairo_image_surface_get_height(pixels));
  if (image->renderingMode() == UIImageRenderingModeAlwaysTemplate) {
    // A template keeps only its shape: painted in the view's tint.
    Ref<UIColor> tint = view->tintColor();
    cairo_set_source_rgba(cr, tint->red(), tint->green(), tint->blue(), tint->alpha() * opacity);
    cairo_mask_surface(cr, pixels, 0, 0);
  } else {
    cairo_set_source_surface(cr, pixels, 0, 0);
    cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_GOOD);
    cairo_paint_with_alpha(cr, opacity);
  }
  cairo_restore(cr);
}

void drawImageView(cairo_t* cr, UIImageView* view, int scale) {
  Ref<UIImage> shown = view->presentationImage();
  double fraction = view->imageTransitionFraction();
  if (fraction < 1 && shown.get() != view->image()) {
    // A dissolve: the old image fading out under the new one fading in.
    if (shown) drawImage(cr, shown.get(), view, scale, 1 - fraction);
    if (view->image()) drawImage(cr, view->image(), view, scale, fraction);
    return;
  }
  if (shown) drawImage(cr, shown.get(), view, scale, 1);
}

// --- text -------------------------------------------------------------------------------

text::Setting settingOf(const UILabel* label, CGSize bounds) {
  text::Setting s;
  s.face = text::faceFor(label->font());
  s.pointSize = label->font()->pointSize();
  s.maxLines = label->numberOfLines();
  s.width = bounds.width;
  s.height = bounds.height;
  switch (label->lineBreakMode()) {
    case NSLineBreakByWordWrapping: s.lineBreak = text::Setting::Break::Word; break;
    case NSLineBreakByCharWrapping: s.lineBreak = text::Setting::Break::Char; break;
    case NSLineBreakByClipping: s.lineBreak = text::Setting::Break::Clip; break;
    case NSLineBreakByTruncatingHead: s.lineBreak = text::Setting::Break::Head; break;
    case NSLineBreakByTruncatingMiddle: s.lineBreak = text::Setting::Break::Middle; break;
    default: s.lineBreak = text::Setting::Break::Tail; break;
  }
  switch (label->textAlignment()) {
    case NSTextAlignmentCenter: s.align = text::Setting::Align::Center; break;
    case NSTextAlignmentRight: s.align = text::Setting::Align::Right; break;
    case NSTextAlignmentJustified: s.align = text::Setting::Align::Justified; break;
    default: s.align = text::Setting::Align::Left; break;
  }
  return s;
}

// Text centred vertically in the bounds, as a label sets it, even a line
// taller than they are. A label draws into its own bounds, so what does not
// fit is cut; a button's title is a label of its own size centred on the
// button, so it may stand out.
void drawText(cairo_t* cr, const std::string& utf8, const text::Setting& s, CGSize bounds, bool clip) {
  if (utf8.empty()) return;
  CGSize size = text::measure(utf8, s);
  cairo_save(cr);
  if (clip) {
    cairo_rectangle(cr, 0, 0, bounds.width, bounds.height);
    cairo_clip(cr);
  }
  cairo_move_to(cr, 0, (bounds.height - size.height) / 2);
  text::draw(cr, utf8, s);
  cairo_restore(cr);
}

void drawLabel(cairo_t* cr, UILabel* label) {
  Ref<NSString> shown = label->presentationText();
  if (!shown) return;
  setColor(cr, label->textColor());
  drawText(cr, utf8(shown.get()), settingOf(label, label->bounds().size), label->bounds().size, true);
}

void drawButton(cairo_t* cr, UIButton* button) {
  NSString* title = button->currentTitle();
  if (!title) return;
  text::Setting s;
  s.width = button->bounds().size.width;
  s.maxLines = 1;
  s.align = text::Setting::Align::Center;
  s.face = text::Face::Bold;
  Ref<UIColor> tint = button->tintColor();
  setColor(cr, tint.get());
  drawText(cr, utf8(title), s, button->bounds().size, false);
}

// --- controls ---------------------------------------------------------------------------

void drawProgress(cairo_t* cr, UIProgressView* bar) {
  CGSize size = bar->bounds().size;
  setColor(cr, bar->trackTintColor() ? bar->trackTintColor() : defaultTrackColor());
  cairo_rectangle(cr, 0, 0, size.width, size.height);
  cairo_fill(cr);
  double filled = size.width * std::clamp<double>(bar->presentationProgress(), 0, 1);
  Ref<UIColor> progress = bar->progressTintColor() ? Ref<UIColor>(bar->progressTintColor()) : bar->tintColor();
  setColor(cr, progress.get());
  cairo_rectangle(cr, 0, 0, filled, size.height);
  cairo_fill(cr);
}

void drawSwitch(cairo_t* cr, UISwitch* toggle) {
  CGSize size = toggle->bounds().size;
  double h = size.height, w = size.width;
  roundedRect(cr, 0, 0, w, h, h / 2);
  UIColor* on = toggle->onTintColor() ? toggle->onTintColor() : switchOnColor();
  setColor(cr, toggle->isOn() ? on : switchOffColor());
  cairo_fill(cr);
  double r = h / 2 - 2;
  double cx = toggle->isOn() ? w - 2 - r : 2 + r;
  cairo_arc(cr, cx, h / 2, r, 0, 2 * std::numbers::pi);
  cairo_set_source_rgba(cr, 1, 1, 1, 1);
  cairo_fill_preserve(cr);
  cairo_set_source_rgba(cr, 0, 0, 0, 0.12);
  cairo_set_line_width(cr, 0.5);
  cairo_stroke(cr);
}

// A still frame: eight spokes, fading round the circle.
void drawSpinner(cairo_t* cr, UIActivityIndicatorView* spinner) {
  CGSize size = spinner->bounds().size;
  double radius = std::min(size.width, size.height) / 2;
  if (!(radius > 0)) return;
  UIColor* c = spinner->color();
  cairo_set_line_width(cr, radius / 5);
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
  for (int i = 0; i < 8; ++i) {
    double angle = i * std::numbers::pi / 4 - std::numbers::pi / 2;
    cairo_set_source_rgba(cr, c->red(), c->green(), c->blue(), c->alpha() * (1 - i * 0.1));
    cairo_move_to(cr, size.width / 2 + std::cos(angle) * radius * 0.45, size.height / 2 + std::sin(angle) * radius * 0.45);
    cairo_line_to(cr, size.width / 2 + std::cos(angle) * radius * 0.9, size.height / 2 + std::sin(angle) * radius * 0.9);
    cairo_stroke(cr);
  }
}

// A standard accessory, in the room the cell leaves for it at its trailing
// edge; an accessory view is a subview and draws itself.
void drawAccessory(cairo_t* cr, UITableViewCell* cell) {
  if (cell->accessoryView() || cell->accessoryType() == UITableViewCellAccessoryNone) return;
  CGSize size = cell->bounds().size;
  double x = size.width - 20, y = size.height / 2;
  cairo_save(cr);
  cairo_set_line_width(cr, 2);
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
  cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
  if (cell->accessoryType() == UITableViewCellAccessoryCheckmark) {
    setColor(cr, cell->tintColor().get());
    cairo_move_to(cr, x - 6, y);
    cairo_line_to(cr, x - 2, y + 4);
    cairo_line_to(cr, x + 6, y - 5);
  } else {
    cairo_set_source_rgba(cr, 0.78, 0.78, 0.8, 1);  // the platform's chevron grey
    cairo_move_to(cr, x - 2, y - 6);
    cairo_line_to(cr, x + 4, y);
    cairo_line_to(cr, x - 2, y + 6);
  }
  cairo_stroke(cr);
  cairo_restore(cr);
}

void drawContents(cairo_t* cr, UIView* view, int scale) {
  if (auto* label = objc_cast<UILabel>(view)) return drawLabel(cr, label);
  if (auto* image = objc_cast<UIImageView>(view)) return drawImageView(cr, image, scale);
  if (auto* bar = objc_cast<UIProgressView>(view)) return drawProgress(cr, bar);
  if (auto* toggle = objc_cast<UISwitch>(view)) return drawSwitch(cr, toggle);
  if (auto* spinner = objc_cast<UIActivityIndicatorView>(view)) return drawSpinner(cr, spinner);
  if (auto* button = objc_cast<UIButton>(view)) return drawButton(cr, button);
  if (auto* cell = objc_cast<UITableViewCell>(view)) return drawAccessory(cr, cell);
}

}  // namespace

void setColor(cairo_t* cr, const UIColor* color) {
  if (!color) return cairo_set_source_rgba(cr, 0, 0, 0, 0);
  auto unit = [](CGFloat v) { return std::clamp<double>(v, 0, 1); };
  cairo_set_source_rgba(cr, unit(color->red()), unit(color->green()), unit(color->blue()), unit(color->alpha()));
}

void drawTree(cairo_t* cr, UIView* view, int scale) {
  double alpha = std::clamp<double>(view->presentationAlpha(), 0, 1);
  if (view->isHidden() || alpha <= 0) return;
  CGRect frame = view->frame();
  CGRect bounds = view->bounds();
  cairo_save(cr);
  cairo_translate(cr, frame.origin.x, frame.origin.y);
  if (view->clipsToBounds()) {
    cairo_rectangle(cr, 0, 0, bounds.size.width, bounds.size.height);
    cairo_clip(cr);
  }
  // A see-through view is drawn whole, then laid on at its alpha, so that
  // its subviews do not show through one another.
  if (alpha < 1) cairo_push_group(cr);
  if (UIColor* background = view->backgroundColor()) {
    setColor(cr, background);
    // A filled button has the platform's rounded corners (the app rounds its
    // buttons through their layer, which the toolkit does not model).
    if (objc_cast<UIButton>(view))
      roundedRect(cr, 0, 0, bounds.size.width, bounds.size.height, 6);
    else
      cairo_rectangle(cr, 0, 0, bounds.size.width, bounds.size.height);
    cairo_fill(cr);
  }
  drawContents(cr, view, scale);
  cairo_translate(cr, -bounds.origin.x, -bounds.origin.y);
  std::vector<Ref<UIView>> subviews = view->subviewList();  // held: drawing must not lose one
  for (const Ref<UIView>& sub : subviews) drawTree(cr, sub.get(), scale);
  if (alpha < 1) {
    cairo_pop_group_to_source(cr);
    cairo_paint_with_alpha(cr, alpha);
  }
  cairo_restore(cr);
}

}  // namespace uikit::render
