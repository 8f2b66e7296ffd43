#pragma once
// A finger on the screen: taps and drags at points of a window (the root of
// a view tree, in its own points), delivered the way the device does it.
//
// The touched view is the window's hitTest at the point. A tap then goes, as
// touches began and ended, to the first of these found from the touched view
// up through its superviews: an enabled control (a button's actions, a
// switch's flip; controls win over recognisers above them, as on the
// device), the tap recognisers attached to a view (each enabled one), a
// table view cell (the table selects its row) or a collection view cell
// (the collection tells its delegate). A drag longer than a tap's slop goes
// to the first view from the touched one up that scrolls
// (UIView::scrollByDrag); it is no tap, so no control or recogniser acts on
// it. Main thread only.

#include "platform/uikit/UIView.h"

namespace uikit {

// What took a tap, for the caller to report.
struct TapResult {
  Ref<UIView> touched;   // the hit view; nil when the point is outside or nothing takes touches
  Ref<UIView> handler;   // the view whose control, recogniser or cell took the tap; nil when none did
};

TapResult tapAt(UIView* window, CGPoint point);

// Answers the view that scrolled, or nil when nothing under from scrolls.
Ref<UIView> dragIn(UIView* window, CGPoint from, CGPoint to);

}  // namespace uikit
