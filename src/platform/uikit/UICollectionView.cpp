#include "platform/uikit/UICollectionView.h"

#include <algorithm>

#include "platform/uikit/reuse_support.h"

namespace {
using uikit::detail::inheritsFrom;
std::u16string key(const NSString* identifier) { return uikit::detail::reuseKey(identifier); }
}  // namespace

void UICollectionView::registerClass_forCellWithReuseIdentifier(Class cellClass, const NSString* identifier) {
  UIKIT_MAIN_THREAD_ONLY();
  if (!identifier) uikit::detail::misuse("a cell class needs a reuse identifier");
  if (!cellClass) {
    cellClasses_.erase(key(identifier));
    return;
  }
  if (!inheritsFrom(cellClass, objc::classOf<UICollectionViewCell>()))
    uikit::detail::misuse(std::string(class_getName(cellClass)) + " is not a UICollectionViewCell");
  cellClasses_[key(identifier)] = cellClass;
}

Ref<UICollectionViewCell> UICollectionView::dequeueReusableCellWithReuseIdentifier_forIndexPath(
    const NSString* identifier, const NSIndexPath* /*indexPath*/) {
  UIKIT_MAIN_THREAD_ONLY();
  if (!identifier) uikit::detail::misuse("dequeueing a cell needs a reuse identifier");
  auto& pool = reusePool_[key(identifier)];
  if (!pool.empty()) {
    Ref<UICollectionViewCell> cell = std::move(pool.back());
    pool.pop_back();
    objc_msgSend<void>(cell, "prepareForReuse");
    return cell;
  }
  auto registered = cellClasses_.find(key(identifier));
  if (registered == cellClasses_.end())
    uikit::detail::misuse("could not dequeue a cell with identifier " + identifier->UTF8String() +
                          ": register a class for the identifier first");
  StrongId made = StrongId::adopt(class_createInstance(registered->second, 0));
  StrongId initialised = objc_msgSend<StrongId>(made, "initWithFrame:", CGRectZero);
  Ref<UICollectionViewCell> cell(objc_cast<UICollectionViewCell>(initialised.get()));
  if (!cell) uikit::detail::misuse(std::string(class_getName(registered->second)) + " made no cell");
  cell->reuseIdentifier_ = NSString::stringWithCharacters(key(identifier));
  return cell;
}

Ref<UICollectionViewCell> UICollectionView::cellForItemAtIndexPath(const NSIndexPath* indexPath) {
  UIKIT_MAIN_THREAD_ONLY();
  StrongId source = dataSource();
  if (!source || !indexPath) return nullptr;
  Ref<UICollectionView> keep(this);
  Ref<NSIndexPath> path = NSIndexPath::indexPathForItem_inSection(indexPath->item(), indexPath->section());
  StrongId answer = objc_msgSend<StrongId>(source, "collectionView:cellForItemAtIndexPath:", this, path);
  Ref<UICollectionViewCell> cell(objc_cast<UICollectionViewCell>(answer.get()));
  if (!cell)
    uikit::detail::misuse("the data source answered collectionView:cellForItemAtIndexPath: with " +
                          std::string(class_getName(object_getClass(answer.get()))) +
                          " instead of a cell");
  if (!cell->reuseIdentifier())
    uikit::detail::misuse("a cell returned from collectionView:cellForItemAtIndexPath: must be dequeued");

  // The cell may have been visible elsewhere (a data source that keeps cells).
  std::erase_if(visible_, [&](const auto& entry) { return entry.second.get() == cell.get() && !entry.first->isEqual(path); });
  auto at = std::lower_bound(visible_.begin(), visible_.end(), path.get(), [](const auto& entry, const NSIndexPath* p) {
    return entry.first->compare(p) == NSOrderedAscending;
  });
  if (at != visible_.end() && at->first->isEqual(path)) {
    if (at->second.get() != cell.get()) {
      Ref<UICollectionViewCell> replaced = std::exchange(at->second, cell);
      recycle(replaced);
    }
  } else {
    visible_.insert(at, {path, cell});
  }
  if (cell->superview().get() != this) addSubview(cell);
  return cell;
}

NSInteger UICollectionView::numberOfSections() const {
  UIKIT_MAIN_THREAD_ONLY();
  StrongId source = dataSource();
  if (!source) return 0;
  SEL sections = sel_registerName("numberOfSectionsInCollectionView:");
  if (!class_respondsToSelector(object_getClass(source), sections)) return 1;
  return objc_msgSend<NSInteger>(source, sections, const_cast<UICollectionView*>(this));
}

NSInteger UICollectionView::numberOfItemsInSection(NSInteger section) const {
  UIKIT_MAIN_THREAD_ONLY();
  StrongId source = dataSource();
  if (!source) return 0;
  return objc_msgSend<NSInteger>(source, "collectionView:numberOfItemsInSection:", const_cast<UICollectionView*>(this),
                                 section);
}

void UICollectionView::reloadData() {
  UIKIT_MAIN_THREAD_ONLY();
  Ref<UICollectionView> keep(this);
  auto shown = std::move(visible_);
  visible_.clear();
  for (const auto& entry : shown) recycle(entry.second);
  NSInteger sections = numberOfSections();
  for (NSInteger s = 0; s < sections; ++s) {
    NSInteger items = numberOfItemsInSection(s);
    for (NSInteger i = 0; i < items; ++i) cellForItemAtIndexPath(NSIndexPath::indexPathForItem_inSection(i, s));
  }
}

Ref<NSArray> UICollectionView::visibleCells() const {
  UIKIT_MAIN_THREAD_ONLY();
  std::vector<StrongId> cells;
  for (const auto& entry : visible_) cells.emplace_back(entry.second);
  return make<NSArray>(std::move(cells));
}

Ref<NSIndexPath> UICollectionView::indexPathForCell(const UICollectionViewCell* cell) const {
  UIKIT_MAIN_THREAD_ONLY();
  for (const auto& entry : visible_)
    if (entry.second.get() == cell) return entry.first;
  return nullptr;
}

NSUInteger UICollectionView::reusableCellCount(const NSString* identifier) const {
  UIKIT_MAIN_THREAD_ONLY();
  auto it = reusePool_.find(key(identifier));
  return it == reusePool_.end() ? 0 : it->second.size();
}

void UICollectionView::recycle(const Ref<UICollectionViewCell>& cell) {
  Ref<UICollectionViewCell> keep = cell;
  keep->removeFromSuperview();
  if (NSString* identifier = keep->reuseIdentifier()) reusePool_[key(identifier)].push_back(keep);
}

bool UICollectionView::selectItemOfTappedCell(UICollectionViewCell* cell) {
  UIKIT_MAIN_THREAD_ONLY();
  Ref<UICollectionView> keep(this);
  Ref<NSIndexPath> path = objc_msgSend<Ref<NSIndexPath>>(this, "indexPathForCell:", cell);
  if (!path) return false;
  SEL selected = sel_registerName("collectionView:didSelectItemAtIndexPath:");
  if (StrongId d = delegate(); d && class_respondsToSelector(object_getClass(d.get()), selected))
    objc_msgSend<void>(d, "collectionView:didSelectItemAtIndexPath:", this, path);
  return true;
}
