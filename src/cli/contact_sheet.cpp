#include "cli/contact_sheet.h"

#include <cairo.h>
#include <fmt/format.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <memory>

namespace cli::demo {
namespace {

constexpr int kThumbWidth = 150, kThumbHeight = 325;  // an iPhone screen at 0.4
constexpr int kLabelHeight = 46, kGap = 10, kHeading = 36;
constexpr int kColumns = 12;  // three versions of four pages a row

using Surface = std::unique_ptr<cairo_surface_t, decltype(&cairo_surface_destroy)>;
using Context = std::unique_ptr<cairo_t, decltype(&cairo_destroy)>;

// text cut to fit width at the current font, with an ellipsis when cut.
std::string fitted(cairo_t* cr, std::string text, double width) {
  cairo_text_extents_t e;
  cairo_text_extents(cr, text.c_str(), &e);
  if (e.x_advance <= width) return text;
  while (!text.empty()) {
    do text.pop_back();
    while (!text.empty() && (static_cast<unsigned char>(text.back()) & 0xC0) == 0x80);
    std::string shown = text + "\u2026";
    cairo_text_extents(cr, shown.c_str(), &e);
    if (e.x_advance <= width) return shown;
  }
  return text;
}

void label(cairo_t* cr, const std::string& text, double x, double y, double size, bool bold) {
  cairo_select_font_face(cr, "DejaVu Sans", CAIRO_FONT_SLANT_NORMAL,
                         bold ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
  cairo_set_font_size(cr, size);
  cairo_move_to(cr, x, y);
  cairo_show_text(cr, fitted(cr, text, kThumbWidth).c_str());
}

void drawPage(cairo_t* cr, const SheetPage& page, double x, double y) {
  Surface picture(cairo_image_surface_create_from_png(page.picture.c_str()), &cairo_surface_destroy);
  if (cairo_surface_status(picture.get()) == CAIRO_STATUS_SUCCESS) {
    double w = cairo_image_surface_get_width(picture.get()), h = cairo_image_surface_get_height(picture.get());
    double f = std::min(kThumbWidth / w, kThumbHeight / h);
    cairo_save(cr);
    cairo_translate(cr, x, y);
    cairo_scale(cr, f, f);
    cairo_set_source_surface(cr, picture.get(), 0, 0);
    cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_GOOD);
    cairo_paint(cr);
    cairo_restore(cr);
  } else {
    cairo_set_source_rgb(cr, 0.3, 0.3, 0.3);
    label(cr, "no picture", x + 4, y + 16, 11, false);
  }
  if (page.warnings > 0) {
    cairo_set_source_rgb(cr, 0.9, 0.15, 0.15);
    cairo_set_line_width(cr, 3);
    cairo_rectangle(cr, x - 2.5, y - 2.5, kThumbWidth + 5, kThumbHeight + kLabelHeight + 3);
    cairo_stroke(cr);
  }
  const double text = y + kThumbHeight + 13;
  cairo_set_source_rgb(cr, 0.95, 0.95, 0.95);
  label(cr, fmt::format("{} {}", page.version, page.device), x, text, 11, true);
  cairo_set_source_rgb(cr, 0.8, 0.8, 0.8);
  label(cr, page.title, x, text + 14, 10, false);
  if (page.warnings > 0) {
    cairo_set_source_rgb(cr, 1, 0.4, 0.4);
    label(cr, fmt::format("{} layout warning{}", page.warnings, page.warnings == 1 ? "" : "s"), x, text + 28, 10, true);
  } else {
    cairo_set_source_rgb(cr, 0.55, 0.85, 0.55);
    label(cr, page.shows, x, text + 28, 10, false);
  }
}

}  // namespace

bool writeContactSheet(const std::string& path, const std::vector<SheetPage>& pages, std::string* error) {
  const int rows = static_cast<int>((pages.size() + kColumns - 1) / kColumns);
  const int width = kGap + kColumns * (kThumbWidth + kGap);
  const int height = kHeading + std::max(rows, 1) * (kThumbHeight + kLabelHeight + kGap) + kGap;
  Surface sheet(cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height), &cairo_surface_destroy);
  Context cr(cairo_create(sheet.get()), &cairo_destroy);
  cairo_set_source_rgb(cr.get(), 0.12, 0.12, 0.13);
  cairo_paint(cr.get());
  size_t marked = static_cast<size_t>(std::count_if(pages.begin(), pages.end(), [](const SheetPage& p) { return p.warnings > 0; }));
  cairo_set_source_rgb(cr.get(), 1, 1, 1);
  cairo_select_font_face(cr.get(), "DejaVu Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_BOLD);
  cairo_set_font_size(cr.get(), 16);
  cairo_move_to(cr.get(), kGap, 24);
  std::string heading = fmt::format("ScoreLens demo sweep: {} pages, {} with layout warnings (framed in red)",
                                    pages.size(), marked);
  cairo_show_text(cr.get(), heading.c_str());
  for (size_t i = 0; i < pages.size(); ++i) {
    double x = kGap + static_cast<double>(i % kColumns) * (kThumbWidth + kGap);
    double y = kHeading + static_cast<double>(i / kColumns) * (kThumbHeight + kLabelHeight + kGap);
    drawPage(cr.get(), pages[i], x, y);
  }
  cairo_surface_flush(sheet.get());
  const std::string partial = path + ".partial";
  cairo_status_t written = cairo_surface_write_to_png(sheet.get(), partial.c_str());
  std::error_code renamed;
  if (written == CAIRO_STATUS_SUCCESS) std::filesystem::rename(partial, path, renamed);
  if (written != CAIRO_STATUS_SUCCESS || renamed) {
    std::remove(partial.c_str());
    *error = fmt::format("{}: {}", path, written != CAIRO_STATUS_SUCCESS ? cairo_status_to_string(written)
                                                                          : renamed.message());
    return false;
  }
  return true;
}

}  // namespace cli::demo
