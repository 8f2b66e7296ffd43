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
// fail: the one met later in the order below loses, and it is reported as
// the device logs it (see layoutWarnings).
//
// Self-sizing: fittingHeight solves a container at a given width with its
// height left open, so the height is what its content's constraints and
// natural sizes make it (a self-sizing cell's content view).
//
// Main thread only, like the views it arranges. Cost: a few passes over the
// constraints per axis, each pass linear in their number.

#include <optional>
#include <string>
#include <vector>

#include "platform/uikit/NSLayoutConstraint.h"

namespace uikit {

class ConstraintLayout {
 public:
  // Lays out container's direct subviews. The layout holds container for
  // its own life; make one per pass.
  explicit ConstraintLayout(UIView* container);
  // Fitting: the container is fittingWidth wide and as high as its content
  // makes it; arrange() is not for this form (use fittingHeight()).
  ConstraintLayout(UIView* container, CGFloat fittingWidth);

  // Gathers the constraints (those held by the container, its ancestors and
  // its subviews, in that order) and the subviews' natural widths.
  void measure();
  // Solves both axes and sets each subview's frame (a view whose frame does
  // not change is not touched). Calls measure() first if it has not run.
  void arrange();

  // The frame arrange() chose for subview (nullopt for a view that is not a
  // direct subview, or before arrange()).
  std::optional<CGRect> frameFor(const UIView* subview) const;

  // Solves without moving anything; the container's height in the fitting
  // form (the lowest bottom edge of a subview when no constraint decides it).
  CGFloat fittingHeight();
  // What the last solve found wrong: broken constraints, views whose place
  // or size no constraint decides, views squashed below their natural size.
  // Each line names the views by accessibility identifier or class.
  const std::vector<std::string>& problems() const { return problems_; }

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
    bool ownSize[2] = {false, false};   // a constant width/height of its own
    bool ambiguous[2] = {false, false};  // kept its old size or place, or hangs on one that did
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
    Ref<NSLayoutConstraint> source;
  };

  std::optional<std::size_t> itemFor(UIView* view);
  void addConstraint(const NSLayoutConstraint* constraint);
  bool propagate(int axis);
  void solve(int axis);
  void measureHeights();
  void solveAll();
  void findProblems();

  Ref<UIView> container_;
  std::vector<Item> items_;  // [0] the container, then subviews, then outside views
  std::size_t subviewCount_ = 0;
  std::vector<Equation> equations_;
  bool measured_ = false;
  bool solved_ = false;
  bool arranged_ = false;
  bool fitting_ = false;
  std::vector<std::string> problems_;
};

// Lays out view's subviews with a ConstraintLayout, and, when view's own
// natural size can move it (it is placed by constraints), its superview's
// subviews too. This is the function the toolkit's layout hook runs.
void layoutViewWithConstraints(UIView* view);

// The height container's constraints give it at width, its own height left
// open: what a self-sizing cell asks of its content view. Main thread.
CGFloat fittingHeight(UIView* container, CGFloat width);

// --- layout warnings ----------------------------------------------------------------
// Plain-text warnings, as the device logs them, kept for the process until
// cleared: each text once, in the order found. Layout records the
// constraints it had to break (for containers that have a size); auditLayout
// adds what can only be judged once layout has settled. Main thread.
const std::vector<std::string>& layoutWarnings();
void clearLayoutWarnings();

// After layout: checks every view under root and records (and answers, in
// the order found) each warning: broken constraints; views whose frame no
// constraint decides (ambiguous), with those placed or sized through them,
// hidden ones too (hidden views take part in layout on the device, and its
// ambiguity check reports them); views squashed below their natural size
// (unless a size of their own says so); siblings placed by constraints whose
// painted areas overlap (a view paints its text, image, bar, spinner, or a
// background unlike the one behind it; hidden and transparent views paint
// nothing); and painting views that lie wholly outside their collection
// view cell. A view reaching past its cell's edge is not reported: the
// device draws it, and designs use it to tuck into a neighbour's padding.
// Unless root is a cell, it stands for the screen: painting views that its
// edges cut (partly shown, partly beyond) are reported too; inside a
// collection or table view only its top and sides cut, since scrolling
// brings in what lies below. (Kept in layout_audit.cpp.)
std::vector<std::string> auditLayout(UIView* root);

// Makes layoutViewWithConstraints the layout hook of every view
// (UIView::setLayoutHook). Done once when the toolkit is loaded; tests that
// replace the hook call it to put the engine back. Main thread.
void installConstraintLayout();

}  // namespace uikit
