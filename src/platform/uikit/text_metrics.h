#pragma once
// The toolkit's text measurement, by the font engine that also draws the
// text (render/text_engine.h), so that a label laid out to its text's size
// shows all of it:
//
//   the typeface is the installed one the font's name maps to, at the
//   font's point size; a line is as high as that typeface sets it;
//   "\n" ends a line; when a width is given, lines wrap at word boundaries,
//   and a word wider than the line is broken between characters.
//
// Pure functions of their arguments: any thread. Answers are remembered, so
// laying out the same texts again costs a lookup.

#include "platform/foundation/NSString.h"
#include "platform/uikit/UIGeometry.h"

class UIFont;

namespace uikit {

// The size of text set in font (nil: the system font at pointSize): the
// widest line's width and the lines' height. maxWidth <= 0 means no
// wrapping; maxLines <= 0 means no limit (the lines past the limit are cut,
// as a label truncates). nil or empty text measures {0, 0}.
CGSize measureText(const NSString* text, const UIFont* font, NSInteger maxLines = 0, CGFloat maxWidth = 0);
// The system font at pointSize.
CGSize measureText(const NSString* text, CGFloat pointSize, NSInteger maxLines = 0, CGFloat maxWidth = 0);

}  // namespace uikit
