#pragma once
// What the two older summary cells' hooks share: reaching the cell's named
// views, putting a strip into the cell, tying it to the cell's views, giving
// it the cell's fonts, and letting it go. Main thread, inside the host's
// cell callbacks.

#include <initializer_list>

#include "platform/uikit/NSLayoutConstraint.h"
#include "scorelens/view/CXEnhancedRatingViewContainer.h"

namespace hooks::display {

// The view the host answers for member on obj ("contentView",
// "ratingContainer", ...), or nil when it has no such member or it is no view.
Ref<UIView> memberView(id obj, const char* member);

// Makes the cell's strip: stored in its "CXEnhancedRatingViewContainer",
// with the content view's background, placed by constraints, added to the
// content view. Answers it.
Ref<CXEnhancedRatingViewContainer> CXPutStripInSummaryCell(id cell, UIView* contentView);

// One edge of the strip tied to a host view's edge (or, with no view, a
// constant size), relation equal, multiplier 1.
struct StripEdge {
  NSLayoutAttribute attribute;
  UIView* toItem;
  NSLayoutAttribute toAttribute;
  CGFloat constant;
};
// Makes the constraints in order, then adds them to contentView in order.
void CXAddStripConstraints(UIView* contentView, UIView* strip, std::initializer_list<StripEdge> edges);

// The strip's three labels take font and text colour from host labels, in
// the order message, (spinner colour, when spinnerColourFrom is given) first
// percentage, second percentage, the font before the colour.
void CXStyleStripLabels(CXEnhancedRatingViewContainer* strip, UIView* fontFrom, UIView* colourFrom,
                        UIView* percentageFontFrom, UIView* percentageColourFrom, UIView* spinnerColourFrom = nullptr);

// The replacements' dealloc: while the preference is on, the cell lets go of
// its strip before the host's teardown.
void CXReleaseStripOfSummaryCell(id cell);

}  // namespace hooks::display
