#pragma once
// The constraint layout: turns the active constraints around one view's
// direct subviews into their frames.
//
// What it solves: required equalities (item1.attr = item2.attr + constant,
// any multiplier but 0 when solving for the second item) between a subview
// and its superview, between siblings, and to views elsewhere in the tree
// (read at their current frames); constant widths and heights. Each axis is
// solved on its own by carrying known positions and sizes through the
// equalities until nothing changes. A subview that still has no size on an
// axis then takes its natural size — a label its text's (text_metrics.h), any
// other view its intrinsicContentSize — the largest natural size first, as
// compression resistance outranks hugging on the device. Whatever is still
// open keeps the frame the view had. Subviews that translate their frame
// into constraints keep their frame.
//
// Not solved (skipped): inequalities, optional priorities, baselines, a
// width related to a height, and constraints that reach into a subview's own
// subviews (that is the subview's own layout). Conflicting equalities do not
// fail: the one met later in the order below loses.
//
// Main thread only, like the views it arranges. Cost: a few passes over the
// constraints per axis, each pass linear in their number.

#include <optional>
#include <vector>

#include "platform/uikit/NSLayoutConstraint.h"

namespace uikit {

class ConstraintLayout {
 public:
  // Lays out container's direct subviews. The layout holds container for
  // its own life; make one per pass.
  explicit ConstraintLayout(UIView* container);

  // Gathers the constraints (those held by the container, its ancestors and
  // its subviews, in that order) and the subviews' natural widths.
  void measure();
  // Solves both axes and sets each subview's frame (a view whose frame does
  // not change is not touched). Calls measure() first if it has not run.
  void arrange();

  // The frame arrange() chose for subview (nullopt for a view that is not a
  // direct subview, or before arrange()).
  std::optional<CGRect> frameFor(const UIView* subview) const;

 private:
  enum Slot { Min, Max, Center, Size };
  struct Axis {
    std::optional<CGFloat> value[4];
    bool fixed = false;  // the container and outside views: never solved for
    bool set(Slot slot, CGFloat v);
  };
  struct Item {
    Ref<UIView> view;
    Axis axis[2];  // 0 horizontal, 1 vertical
    std::optional<CGFloat> natural[2];
  };
  struct Term {
    std::size_t item;
    Slot slot;
  };
  struct Equation {
    int axis;
    Term first;
    std::optional<Term> second;
    CGFloat multiplier;
    CGFloat constant;
  };

  std::optional<std::size_t> itemFor(UIView* view);
  void addConstraint(const NSLayoutConstraint* constraint);
  bool propagate(int axis);
  void solve(int axis);
  void measureHeights();

  Ref<UIView> container_;
  std::vector<Item> items_;  // [0] the container, then subviews, then outside views
  std::size_t subviewCount_ = 0;
  std::vector<Equation> equations_;
  bool measured_ = false;
  bool arranged_ = false;
};

// Lays out view's subviews with a ConstraintLayout, and, when view's own
// natural size can move it (it is placed by constraints), its superview's
// subviews too. This is the function the toolkit's layout hook runs.
void layoutViewWithConstraints(UIView* view);

// Makes layoutViewWithConstraints the layout hook of every view
// (UIView::setLayoutHook). Done once when the toolkit is loaded; tests that
// replace the hook call it to put the engine back. Main thread.
void installConstraintLayout();

}  // namespace uikit
