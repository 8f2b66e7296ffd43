// The layout audit: what can only be judged once layout has settled (see
// auditLayout in layout_engine.h).

#include <fmt/format.h>

#include <algorithm>
#include <optional>

#include "platform/uikit/UIActivityIndicatorView.h"
#include "platform/uikit/UIButton.h"
#include "platform/uikit/UICollectionView.h"
#include "platform/uikit/UICollectionViewCell.h"
#include "platform/uikit/UIImageView.h"
#include "platform/uikit/UILabel.h"
#include "platform/uikit/UIProgressView.h"
#include "platform/uikit/UITableView.h"
#include "platform/uikit/UITableViewCell.h"
#include "platform/uikit/layout_engine.h"
#include "platform/uikit/layout_engine_detail.h"

namespace uikit {

using detail::hasArea;
using detail::kTolerance;
using detail::nameOf;
using detail::record;
using detail::warningLog;

const std::vector<std::string>& layoutWarnings() {
  UIKIT_MAIN_THREAD_ONLY();
  return warningLog();
}

void clearLayoutWarnings() {
  UIKIT_MAIN_THREAD_ONLY();
  warningLog().clear();
}

namespace {

bool shows(const UIView* view) { return !view->isHidden() && view->alpha() > 0.01; }

// Whether view puts anything on screen by itself, over a background `behind`.
bool paintsItself(UIView* view, UIColor* behind) {
  if (UIColor* own = view->backgroundColor(); own && own->alpha() > 0.01 && !(behind && own->isEqual(behind)))
    return true;
  if (auto* label = objc_cast<UILabel>(view)) return label->text() && label->text()->length() > 0;
  if (auto* image = objc_cast<UIImageView>(view)) return image->image() != nullptr;
  if (auto* button = objc_cast<UIButton>(view)) return button->currentTitle() && button->currentTitle()->length() > 0;
  if (auto* spinner = objc_cast<UIActivityIndicatorView>(view)) return spinner->isAnimating();
  return objc_cast<UIProgressView>(view) != nullptr;
}

// The first background at or above view that paints, or nil.
UIColor* backgroundBehind(UIView* view) {
  for (Ref<UIView> v(view); v; v = v->superview())
    if (UIColor* c = v->backgroundColor(); c && c->alpha() > 0.01) return c;
  return nullptr;
}

CGRect unite(std::optional<CGRect> a, CGRect b) {
  if (!a) return b;
  CGFloat x0 = std::min(a->origin.x, b.origin.x), y0 = std::min(a->origin.y, b.origin.y);
  CGFloat x1 = std::max(a->origin.x + a->size.width, b.origin.x + b.size.width);
  CGFloat y1 = std::max(a->origin.y + a->size.height, b.origin.y + b.size.height);
  return CGRectMake(x0, y0, x1 - x0, y1 - y0);
}

CGRect intersect(CGRect a, CGRect b) {
  CGFloat x0 = std::max(a.origin.x, b.origin.x), y0 = std::max(a.origin.y, b.origin.y);
  CGFloat x1 = std::min(a.origin.x + a.size.width, b.origin.x + b.size.width);
  CGFloat y1 = std::min(a.origin.y + a.size.height, b.origin.y + b.size.height);
  return CGRectMake(x0, y0, std::max<CGFloat>(0, x1 - x0), std::max<CGFloat>(0, y1 - y0));
}

CGPoint contentOrigin(const UIView* view) {
  return {view->frame().origin.x - view->bounds().origin.x, view->frame().origin.y - view->bounds().origin.y};
}

// What view paints, in its superview's coordinates.
std::optional<CGRect> paintedArea(UIView* view, UIColor* behind) {
  if (!shows(view)) return std::nullopt;
  std::optional<CGRect> area;
  if (paintsItself(view, behind)) area = view->frame();
  UIColor* own = view->backgroundColor();
  UIColor* under = own && own->alpha() > 0.01 ? own : behind;
  CGPoint origin = contentOrigin(view);
  for (const Ref<UIView>& child : view->subviewList()) {
    std::optional<CGRect> inner = paintedArea(child.get(), under);
    if (!inner) continue;
    inner->origin.x += origin.x;
    inner->origin.y += origin.y;
    area = unite(area, *inner);
  }
  return area;
}

// Views under view that paint and lie wholly outside cellBounds; offset
// takes view's content coordinates to the cell's.
void findOutside(UIView* view, CGPoint offset, CGRect cellBounds, UIColor* behind, const std::string& cellName,
                 std::vector<std::string>& out) {
  for (const Ref<UIView>& child : view->subviewList()) {
    if (!shows(child.get())) continue;
    CGRect frame = child->frame();
    frame.origin.x += offset.x;
    frame.origin.y += offset.y;
    if (paintsItself(child.get(), behind) && !hasArea(intersect(frame, cellBounds)))
      out.push_back(fmt::format("Outside its cell: {} in {} lies at y {:g} to {:g}, outside the cell's 0 to {:g}",
                                nameOf(child.get()), cellName, frame.origin.y, frame.origin.y + frame.size.height,
                                cellBounds.size.height));
    CGPoint inner = contentOrigin(child.get());
    UIColor* own = child->backgroundColor();
    findOutside(child.get(), {offset.x + inner.x, offset.y + inner.y}, cellBounds,
                own && own->alpha() > 0.01 ? own : behind, cellName, out);
  }
}


// What the screen can show of a view's content, in the audit root's
// coordinates: a scrolling list shows everything from its content's top
// down (scrolling brings it in), so only its top and sides cut.
struct Reach {
  CGFloat left, right, top;
  std::optional<CGFloat> bottom;
};

std::string spanText(CGFloat from, std::optional<CGFloat> to) {
  return to ? fmt::format("{:g} to {:g}", from, *to) : fmt::format("{:g} down", from);
}

// Painting views under view that the screen's edge cuts: part of them shows,
// part lies beyond an edge no scrolling brings in. origin takes view's
// content coordinates to the root's.
void findCut(UIView* view, CGPoint origin, const Reach& reach, UIColor* behind, std::vector<std::string>& out) {
  for (const Ref<UIView>& child : view->subviewList()) {
    if (!shows(child.get())) continue;
    CGRect f = child->frame();
    f.origin.x += origin.x;
    f.origin.y += origin.y;
    const CGFloat right = f.origin.x + f.size.width, bottom = f.origin.y + f.size.height;
    if (paintsItself(child.get(), behind)) {
      CGRect shown = CGRectMake(reach.left, reach.top, reach.right - reach.left,
                                reach.bottom ? *reach.bottom - reach.top : bottom - reach.top);
      bool beyond = f.origin.x < reach.left - kTolerance || right > reach.right + kTolerance ||
                    f.origin.y < reach.top - kTolerance || (reach.bottom && bottom > *reach.bottom + kTolerance);
      if (beyond && hasArea(intersect(f, shown)))
        out.push_back(fmt::format("Cut by the screen's edge: {} in {} lies at x {:g} to {:g}, y {:g} to {:g}; the "
                                  "screen shows x {:g} to {:g}, y {}",
                                  nameOf(child.get()), nameOf(view), f.origin.x, right, f.origin.y, bottom,
                                  reach.left, reach.right, spanText(reach.top, reach.bottom)));
    }
    Reach inner = reach;
    CGPoint content = contentOrigin(child.get());
    if (objc_cast<UICollectionView>(child.get()) || objc_cast<UITableView>(child.get())) {
      inner.left = std::max(reach.left, f.origin.x);
      inner.right = std::min(reach.right, right);
      inner.top = std::max(reach.top, f.origin.y) - child->bounds().origin.y;
      inner.bottom.reset();
    }
    UIColor* own = child->backgroundColor();
    findCut(child.get(), {origin.x + content.x, origin.y + content.y}, inner,
            own && own->alpha() > 0.01 ? own : behind, out);
  }
}

void auditView(UIView* view, std::vector<std::string>& out) {
  if (!shows(view)) return;
  std::vector<UIView*> placed;
  for (const Ref<UIView>& child : view->subviewList())
    if (!child->translatesAutoresizingMaskIntoConstraints()) placed.push_back(child.get());
  if (!placed.empty() && hasArea(view->bounds())) {
    ConstraintLayout layout(view);
    layout.fittingHeight();  // solves; nothing moves
    out.insert(out.end(), layout.problems().begin(), layout.problems().end());
    UIColor* behind = backgroundBehind(view);
    std::vector<std::optional<CGRect>> painted;
    for (UIView* child : placed) painted.push_back(paintedArea(child, behind));
    for (std::size_t i = 0; i < placed.size(); ++i)
      for (std::size_t j = i + 1; j < placed.size(); ++j)
        if (painted[i] && painted[j] && hasArea(intersect(*painted[i], *painted[j])))
          out.push_back(fmt::format("Overlap in {}: {} and {} paint over each other", nameOf(view),
                                    nameOf(placed[i]), nameOf(placed[j])));
  }
  if (auto* cell = objc_cast<UICollectionViewCell>(view); cell && hasArea(cell->bounds()))
    findOutside(cell, {-cell->bounds().origin.x, -cell->bounds().origin.y}, {{0, 0}, cell->bounds().size},
                backgroundBehind(cell), nameOf(cell), out);
  std::vector<Ref<UIView>> children = view->subviewList();
  for (const Ref<UIView>& child : children) auditView(child.get(), out);
}

}  // namespace

std::vector<std::string> auditLayout(UIView* root) {
  UIKIT_MAIN_THREAD_ONLY();
  std::vector<std::string> found;
  if (!root) return found;
  auditView(root, found);
  // A cell audited alone is no screen: what reaches past its edges is judged above.
  if (!objc_cast<UICollectionViewCell>(root) && !objc_cast<UITableViewCell>(root) && hasArea(root->bounds())) {
    CGRect b = root->bounds();
    findCut(root, {0, 0}, Reach{b.origin.x, b.origin.x + b.size.width, b.origin.y, b.origin.y + b.size.height},
            backgroundBehind(root), found);
  }
  std::vector<std::string> unique;
  for (const std::string& warning : found) {
    if (std::find(unique.begin(), unique.end(), warning) != unique.end()) continue;
    unique.push_back(warning);
    record(warning);
  }
  return unique;
}

}  // namespace uikit
