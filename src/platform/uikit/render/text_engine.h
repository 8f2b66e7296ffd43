#pragma once
// The one font engine of the toolkit: pango on cairo, with the typefaces the
// install script installs (DejaVu Sans and its bold), loaded privately so
// that no other font on the machine changes a measurement. Layout measures
// text with it and the renderer draws text with it, so a label's size and
// its ink agree.
//
// Text is set at 72 dots per inch (one unit per point) with unhinted metrics
// and unrounded glyph positions: a measurement does not depend on the scale
// a picture is drawn at. Any thread: the engine serialises its own use.

#include <cairo.h>

#include <string>

#include "platform/uikit/UIGeometry.h"

class UIFont;

namespace uikit::text {

// The installed typeface a toolkit typeface name stands for: the bold system
// name takes the bold face, every other name (the system's, the host's own
// typeface) the regular one.
enum class Face { Regular, Bold };
Face faceFor(const UIFont* font);

struct Setting {
  Face face = Face::Regular;
  CGFloat pointSize = 17;
  NSInteger maxLines = 0;     // <= 0: no limit
  CGFloat width = 0;          // <= 0: no wrapping, no truncation
  // > 0: the room below, as a label's bounds give it: of more lines than
  // fit, the first ones that do are kept (always one), the last truncated.
  CGFloat height = 0;
  enum class Break { Word, Char, Clip, Head, Tail, Middle } lineBreak = Break::Tail;
  enum class Align { Left, Center, Right, Justified } align = Align::Left;
};

// The size of the laid-out text: the widest line and the height of the
// lines kept (at most maxLines, and those within height). Empty text
// measures {0, 0}.
CGSize measure(const std::string& utf8, const Setting& setting);

// Draws the text with its top-left corner at the context's current origin,
// in the context's current source colour. With a width, lines are wrapped
// and the last line kept is truncated (or clipped) as the setting says.
// Answers the size of what was laid out.
CGSize draw(cairo_t* context, const std::string& utf8, const Setting& setting);

}  // namespace uikit::text
