#pragma once
// The toolkit's text measurement. There are no font files here, so text is
// measured by a fixed rule that every machine agrees on, whatever fonts it
// has installed:
//
//   a character (a Unicode scalar value) advances 0.55 × the point size,
//   a line is 1.2 × the point size high,
//   "\n" ends a line; when a width is given, lines wrap greedily at spaces,
//   and a word wider than the line is broken between characters.
//
// Pure functions of their arguments: any thread, cost linear in the text.

#include "platform/foundation/NSString.h"
#include "platform/uikit/UIGeometry.h"

namespace uikit {

inline constexpr CGFloat kTextAdvancePerPoint = 0.55;
inline constexpr CGFloat kTextLineHeightPerPoint = 1.2;

// The size of text set at pointSize: the widest line's width and the lines'
// height. maxWidth <= 0 means no wrapping; maxLines <= 0 means no limit (the
// lines past the limit are cut, as a label truncates). nil or empty text
// measures {0, 0}.
CGSize measureText(const NSString* text, CGFloat pointSize, NSInteger maxLines = 0, CGFloat maxWidth = 0);

}  // namespace uikit
