#include "host/title_page/CDSCollectionView.h"

#include <algorithm>
#include <cmath>

#include "host/misuse.h"

namespace host {

void CDSCollectionView::setItemHeights(std::vector<CGFloat> heights) {
  UIKIT_MAIN_THREAD_ONLY();
  heights_ = std::move(heights);
  placeTops();
  setContentOffset(offset_);  // a shorter list may have moved the end
  setNeedsLayout();
}

void CDSCollectionView::placeTops() {
  tops_.assign(heights_.size(), 0);
  CGFloat y = 0;
  for (size_t i = 0; i < heights_.size(); ++i) {
    tops_[i] = y;
    y += heights_[i];
  }
}

CGFloat CDSCollectionView::measureCell(UICollectionViewCell* cell, CGFloat width) {
  return cell->systemLayoutSizeFittingSize(CGSizeMake(width, 0)).height;
}

bool CDSCollectionView::measure(NSInteger item, UICollectionViewCell* cell) {
  CGFloat height = measureCell(cell, bounds().size.width);
  CGFloat& known = heights_[static_cast<size_t>(item)];
  if (std::abs(height - known) < 0.25) return false;
  known = height;
  placeTops();
  return true;
}

CGFloat CDSCollectionView::contentHeight() const {
  return heights_.empty() ? 0 : tops_.back() + heights_.back();
}

CGRect CDSCollectionView::frameForItem(NSInteger item) const {
  if (item < 0 || item >= numberOfItems()) return CGRectZero;
  return CGRectMake(0, tops_[item], bounds().size.width, heights_[item]);
}

CGFloat CDSCollectionView::maximumContentOffset() const {
  return std::max<CGFloat>(0, contentHeight() - bounds().size.height);
}

bool CDSCollectionView::scrollByDrag(CGPoint translation) {
  setContentOffset(offset_ - translation.y);
  return true;
}

void CDSCollectionView::setContentOffset(CGFloat y) {
  UIKIT_MAIN_THREAD_ONLY();
  offset_ = std::clamp<CGFloat>(y, 0, maximumContentOffset());
  CGRect b = bounds();
  b.origin.y = offset_;
  setBounds(b);
  setNeedsLayout();
}

void CDSCollectionView::layoutSubviews() {
  UICollectionView::layoutSubviews();
  showVisibleItems();
}

void CDSCollectionView::showVisibleItems() {
  StrongId source = dataSource();
  CGFloat top = offset_;
  CGFloat bottom = offset_ + bounds().size.height;
  auto visible = [&](NSInteger i) { return tops_[i] < bottom && tops_[i] + heights_[i] > top; };

  // A shown cell's content may have changed since it was measured.
  bool moved = false;
  for (const auto& [item, cell] : shown_)
    if (item < numberOfItems()) moved |= measure(item, cell.get());
  if (moved) {
    for (const auto& [item, cell] : shown_)
      if (item < numberOfItems()) cell->setFrame(frameForItem(item));
    setContentOffset(offset_);
    top = offset_;
    bottom = offset_ + bounds().size.height;
  }

  putAwayCellsOutside([&](NSInteger i) { return i < numberOfItems() && visible(i) && source; });
  if (!source) return;
  // Measuring a new cell moves the items below it: go on until every
  // visible item is shown.
  for (NSInteger i = 0; i < numberOfItems(); ++i)
    if (visible(i) && !shown_.count(i)) showItem(i, source);
  putAwayCellsOutside(visible);
  for (const auto& [item, cell] : shown_) cell->setFrame(frameForItem(item));
}

void CDSCollectionView::putAwayCellsOutside(const std::function<bool(NSInteger)>& keep) {
  for (auto it = shown_.begin(); it != shown_.end();) {
    if (keep(it->first)) {
      ++it;
      continue;
    }
    Ref<UICollectionViewCell> cell = it->second;
    it = shown_.erase(it);
    cell->removeFromSuperview();
    if (NSString* identifier = cell->reuseIdentifier()) waiting_[std::u16string(chars(identifier))].push_back(cell);
  }
}

void CDSCollectionView::showItem(NSInteger item, id source) {
  Ref<CDSCollectionView> keep(this);
  Ref<NSIndexPath> path = NSIndexPath::indexPathForItem_inSection(item, 0);
  StrongId answer = objc_msgSend<StrongId>(source, "collectionView:cellForItemAtIndexPath:", this, path);
  Ref<UICollectionViewCell> cell(objc_cast<UICollectionViewCell>(answer.get()));
  if (!cell)
    misuse(std::string("the data source answered collectionView:cellForItemAtIndexPath: with ") +
           class_getName(object_getClass(answer.get())) + " instead of a cell");
  if (!cell->reuseIdentifier()) misuse("a cell returned from collectionView:cellForItemAtIndexPath: must be dequeued");
  // A data source may hand out a cell that is still shown for another item.
  std::erase_if(shown_, [&](const auto& entry) { return entry.second.get() == cell.get(); });
  for (auto& [identifier, pool] : waiting_)
    std::erase_if(pool, [&](const Ref<UICollectionViewCell>& c) { return c.get() == cell.get(); });
  measure(item, cell.get());
  cell->setFrame(frameForItem(item));
  SEL willDisplay = sel_registerName("collectionView:willDisplayCell:forItemAtIndexPath:");
  if (StrongId delegate = this->delegate(); delegate && class_respondsToSelector(object_getClass(delegate), willDisplay))
    objc_msgSend<void>(delegate, willDisplay, static_cast<UICollectionView*>(this), cell.get(), path.get());
  if (cell->superview().get() != this) addSubview(cell);
  shown_[item] = cell;
}

Ref<UICollectionViewCell> CDSCollectionView::dequeueCell(const NSString* identifier, const NSIndexPath* indexPath) {
  UIKIT_MAIN_THREAD_ONLY();
  if (identifier) {
    auto found = waiting_.find(std::u16string(chars(identifier)));
    if (found != waiting_.end() && !found->second.empty()) {
      Ref<UICollectionViewCell> cell = std::move(found->second.back());
      found->second.pop_back();
      objc_msgSend<void>(cell, "prepareForReuse");
      return cell;
    }
  }
  return makeCell(identifier, indexPath);
}

Ref<UICollectionViewCell> CDSCollectionView::makeCell(const NSString* identifier, const NSIndexPath* indexPath) {
  return dequeueReusableCellWithReuseIdentifier_forIndexPath(identifier, indexPath);
}

Ref<UICollectionViewCell> CDSCollectionView::shownCellForItem(const NSIndexPath* indexPath) const {
  UIKIT_MAIN_THREAD_ONLY();
  if (!indexPath || indexPath->section() != 0) return nullptr;
  auto found = shown_.find(indexPath->item());
  return found == shown_.end() ? nullptr : found->second;
}

Ref<NSArray> CDSCollectionView::shownCellsArray() const {
  UIKIT_MAIN_THREAD_ONLY();
  std::vector<StrongId> cells;
  for (const auto& [item, cell] : shown_) cells.emplace_back(cell);
  return make<NSArray>(std::move(cells));
}

Ref<NSIndexPath> CDSCollectionView::indexPathOfShownCell(const UICollectionViewCell* cell) const {
  UIKIT_MAIN_THREAD_ONLY();
  for (const auto& [item, shown] : shown_)
    if (shown.get() == cell) return NSIndexPath::indexPathForItem_inSection(item, 0);
  return nullptr;
}

void CDSCollectionView::reloadShownItems() {
  UIKIT_MAIN_THREAD_ONLY();
  Ref<CDSCollectionView> keep(this);
  auto shown = std::move(shown_);
  shown_.clear();
  for (auto& [item, cell] : shown) {
    cell->removeFromSuperview();
    if (NSString* identifier = cell->reuseIdentifier()) waiting_[std::u16string(chars(identifier))].push_back(cell);
  }
  showVisibleItems();
}

std::vector<CDSCollectionView::ShownCell> CDSCollectionView::shownCells() const {
  std::vector<ShownCell> out;
  for (const auto& [item, cell] : shown_) out.push_back({item, cell});
  return out;
}

size_t CDSCollectionView::waitingCellCount() const {
  size_t n = 0;
  for (const auto& [identifier, pool] : waiting_) n += pool.size();
  return n;
}

}  // namespace host
