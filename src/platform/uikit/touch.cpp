#include "platform/uikit/touch.h"

#include <cmath>

#include "platform/uikit/UICollectionView.h"
#include "platform/uikit/UIControl.h"
#include "platform/uikit/UIGestureRecognizer.h"
#include "platform/uikit/UITableView.h"

namespace uikit {
namespace {

bool insideOf(UIView* view, CGPoint windowPoint) { return view->pointInside(view->convertPointFromWindow(windowPoint)); }

// A finger down at began and up at ended over view: answers whether view took it.
bool deliverTouch(UIView* view, CGPoint began, CGPoint ended) {
  if (auto* control = objc_cast<UIControl>(view); control && control->isEnabled()) {
    Ref<UIControl> keep(control);
    control->touchesBegan();
    control->touchesEnded(insideOf(control, ended) && std::hypot(ended.x - began.x, ended.y - began.y) <=
                                                         UIGestureRecognizer::kTapSlop);
    return true;
  }
  std::vector<Ref<UIGestureRecognizer>> recognizers;
  for (const auto& r : view->gestureRecognizerList())
    if (r->isEnabled()) recognizers.push_back(r);
  if (!recognizers.empty()) {
    for (const auto& r : recognizers) r->touchesBegan(began);
    for (const auto& r : recognizers) r->touchesEnded(ended);
    return true;
  }
  return false;
}

// A tap on a cell: its list selects it.
bool selectCell(UIView* view) {
  Ref<UIView> list = view->superview();
  if (auto* cell = objc_cast<UITableViewCell>(view)) {
    auto* table = objc_cast<UITableView>(list.get());
    Ref<NSIndexPath> path = table ? table->indexPathForCell(cell) : nullptr;
    return path && table->simulateTapOnRowAtIndexPath(path.get());
  }
  if (auto* cell = objc_cast<UICollectionViewCell>(view)) {
    auto* collection = objc_cast<UICollectionView>(list.get());
    return collection && collection->selectItemOfTappedCell(cell);
  }
  return false;
}

}  // namespace

TapResult tapAt(UIView* window, CGPoint point) {
  UIKIT_MAIN_THREAD_ONLY();
  TapResult result;
  if (!window) return result;
  Ref<UIView> keep(window);
  result.touched = Ref<UIView>(window->hitTest(window->convertPointFromWindow(point)));
  for (Ref<UIView> v = result.touched; v; v = v->superview()) {
    if (deliverTouch(v.get(), point, point) || selectCell(v.get())) {
      result.handler = v;
      break;
    }
  }
  return result;
}

Ref<UIView> dragIn(UIView* window, CGPoint from, CGPoint to) {
  UIKIT_MAIN_THREAD_ONLY();
  if (!window) return nullptr;
  Ref<UIView> keep(window);
  Ref<UIView> touched(window->hitTest(window->convertPointFromWindow(from)));
  CGPoint translation{to.x - from.x, to.y - from.y};
  // A finger that stays within a tap's reach scrolls nothing.
  if (std::hypot(translation.x, translation.y) <= UIGestureRecognizer::kTapSlop) return nullptr;
  for (Ref<UIView> v = touched; v; v = v->superview())
    if (v->scrollByDrag(translation)) return v;
  return nullptr;
}

}  // namespace uikit
