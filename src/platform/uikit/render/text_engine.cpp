#include "platform/uikit/render/text_engine.h"

#include <fontconfig/fontconfig.h>
#include <pango/pangocairo.h>
#include <pango/pangofc-fontmap.h>

#include <algorithm>
#include <cmath>
#include <mutex>

#include "platform/uikit/UIFont.h"

namespace uikit::text {
namespace {

// Where fonts-dejavu-core puts its files.
constexpr const char* kFontDirectory = "/usr/share/fonts/truetype/dejavu/";
constexpr const char* kFamily = "DejaVu Sans";

std::mutex& engineLock() {
  static auto* lock = new std::mutex;
  return *lock;
}

// A font map that knows only the installed typefaces, when they are there;
// the machine's own configuration otherwise (then a fallback font decides).
PangoFontMap* fontMap() {
  static PangoFontMap* map = [] {
    PangoFontMap* m = pango_cairo_font_map_new_for_font_type(CAIRO_FONT_TYPE_FT);
    FcConfig* config = FcConfigCreate();
    bool loaded = true;
    for (const char* file : {"DejaVuSans.ttf", "DejaVuSans-Bold.ttf"})
      loaded = FcConfigAppFontAddFile(config, reinterpret_cast<const FcChar8*>((std::string(kFontDirectory) + file).c_str())) && loaded;
    if (loaded) {
      pango_fc_font_map_set_config(PANGO_FC_FONT_MAP(m), config);
    }
    FcConfigDestroy(config);
    return m;
  }();
  return map;
}

PangoContext* newContext() {
  PangoContext* context = pango_font_map_create_context(fontMap());
  pango_cairo_context_set_resolution(context, 72);
  cairo_font_options_t* options = cairo_font_options_create();
  cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
  cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
  cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
  pango_cairo_context_set_font_options(context, options);
  cairo_font_options_destroy(options);
  pango_context_set_round_glyph_positions(context, FALSE);
  return context;
}

PangoEllipsizeMode ellipsisFor(Setting::Break mode) {
  switch (mode) {
    case Setting::Break::Head: return PANGO_ELLIPSIZE_START;
    case Setting::Break::Middle: return PANGO_ELLIPSIZE_MIDDLE;
    case Setting::Break::Tail: return PANGO_ELLIPSIZE_END;
    default: return PANGO_ELLIPSIZE_NONE;
  }
}

PangoLayout* newLayout(PangoContext* context, const std::string& utf8, const Setting& s, bool truncate) {
  PangoLayout* layout = pango_layout_new(context);
  PangoFontDescription* font = pango_font_description_new();
  pango_font_description_set_family_static(font, kFamily);
  pango_font_description_set_weight(font, s.face == Face::Bold ? PANGO_WEIGHT_BOLD : PANGO_WEIGHT_NORMAL);
  pango_font_description_set_absolute_size(font, s.pointSize * PANGO_SCALE);
  pango_layout_set_font_description(layout, font);
  pango_font_description_free(font);
  pango_layout_set_text(layout, utf8.data(), static_cast<int>(utf8.size()));
  if (s.width > 0 && !(truncate && s.lineBreak == Setting::Break::Clip && s.maxLines == 1)) {
    pango_layout_set_width(layout, static_cast<int>(std::lround(s.width * PANGO_SCALE)));
    pango_layout_set_wrap(layout, s.lineBreak == Setting::Break::Char ? PANGO_WRAP_CHAR : PANGO_WRAP_WORD_CHAR);
    if (truncate) {
      pango_layout_set_ellipsize(layout, ellipsisFor(s.lineBreak));
      // Pango's default keeps one line per paragraph when it ellipsizes.
      if (s.maxLines > 0)
        pango_layout_set_height(layout, -static_cast<int>(s.maxLines));
      else
        pango_layout_set_height(layout, s.height > 0 ? static_cast<int>(std::lround(s.height * PANGO_SCALE)) : G_MAXINT);
    }
  }
  switch (s.align) {
    case Setting::Align::Center: pango_layout_set_alignment(layout, PANGO_ALIGN_CENTER); break;
    case Setting::Align::Right: pango_layout_set_alignment(layout, PANGO_ALIGN_RIGHT); break;
    case Setting::Align::Justified: pango_layout_set_justify(layout, TRUE); break;
    case Setting::Align::Left: break;
  }
  return layout;
}

// The widest of the lines kept and their height, in points: the first
// maxLines (<= 0: all) that end within maxHeight (<= 0: no limit), at least one.
CGSize extentOf(PangoLayout* layout, NSInteger maxLines, CGFloat maxHeight) {
  PangoLayoutIter* it = pango_layout_get_iter(layout);
  double width = 0, bottom = 0;
  NSInteger n = 0;
  do {
    if (maxLines > 0 && n == maxLines) break;
    PangoRectangle logical;
    pango_layout_iter_get_line_extents(it, nullptr, &logical);
    int y0 = 0, y1 = 0;
    pango_layout_iter_get_line_yrange(it, &y0, &y1);
    if (n > 0 && maxHeight > 0 && static_cast<double>(y1) / PANGO_SCALE > maxHeight) break;
    width = std::max(width, static_cast<double>(logical.width) / PANGO_SCALE);
    bottom = static_cast<double>(y1) / PANGO_SCALE;
    ++n;
  } while (pango_layout_iter_next_line(it));
  pango_layout_iter_free(it);
  return {width, bottom};
}

}  // namespace

Face faceFor(const UIFont* font) {
  return font && font->fontName() && utf8(font->fontName()) == kUIBoldSystemFontName ? Face::Bold : Face::Regular;
}

CGSize measure(const std::string& utf8, const Setting& setting) {
  if (utf8.empty() || !(setting.pointSize > 0)) return {0, 0};
  std::lock_guard guard(engineLock());
  PangoContext* context = newContext();
  PangoLayout* layout = newLayout(context, utf8, setting, /*truncate=*/false);
  CGSize size = extentOf(layout, setting.maxLines, setting.height);
  g_object_unref(layout);
  g_object_unref(context);
  return size;
}

CGSize draw(cairo_t* cr, const std::string& utf8, const Setting& setting) {
  if (utf8.empty() || !(setting.pointSize > 0)) return {0, 0};
  std::lock_guard guard(engineLock());
  PangoContext* context = newContext();
  pango_cairo_update_context(cr, context);
  PangoLayout* layout = newLayout(context, utf8, setting, /*truncate=*/true);
  CGSize size = extentOf(layout, setting.maxLines, setting.height);
  // A clipped line is laid out unbounded, so it is aligned here.
  double shift = 0;
  if (pango_layout_get_width(layout) < 0 && setting.width > 0) {
    if (setting.align == Setting::Align::Center) shift = (setting.width - size.width) / 2;
    if (setting.align == Setting::Align::Right) shift = setting.width - size.width;
  }
  cairo_save(cr);
  cairo_translate(cr, shift, 0);
  pango_cairo_update_layout(cr, layout);
  pango_cairo_show_layout(cr, layout);
  cairo_restore(cr);
  g_object_unref(layout);
  g_object_unref(context);
  return size;
}

}  // namespace uikit::text

#if defined(__SANITIZE_ADDRESS__)
#define SCORELENS_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define SCORELENS_ASAN 1
#endif
#endif
// Built into the library rather than left to the environment, so that every
// program that draws text (test discovery included) ends quiet.
#ifdef SCORELENS_ASAN
// The font map above lives as long as the process. Fontconfig links what it
// loads for it by offsets rather than pointers, which the leak checker cannot
// follow, so at exit it reports those blocks as lost; they are not.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }
#endif
