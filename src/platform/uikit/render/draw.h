#pragma once
// The renderer's drawing, on a cairo context whose user space is points.
// Internal to the renderer (picture.h is its face).

#include <cairo.h>

class UIColor;
class UIView;

namespace uikit::render {

void setColor(cairo_t* cr, const UIColor* color);

// One recursive pass: save, move to the view's frame, clip where it clips,
// take its alpha, draw its background and contents, then its subviews back
// to front, restore. A hidden view, or one whose alpha is 0, draws nothing,
// with its subviews. scale picks image variants.
void drawTree(cairo_t* cr, UIView* view, int scale);

}  // namespace uikit::render
