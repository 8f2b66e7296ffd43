#include "platform/uikit/UITableView.h"

#include <algorithm>

#include "platform/uikit/reuse_support.h"

namespace {
using uikit::detail::inheritsFrom;
std::u16string key(const NSString* identifier) { return uikit::detail::reuseKey(identifier); }

void registerIn(std::map<std::u16string, Class>& classes, Class cls, const NSString* identifier, Class base,
                const char* what) {
  UIKIT_MAIN_THREAD_ONLY();
  if (!identifier) uikit::detail::misuse(std::string("a ") + what + " class needs a reuse identifier");
  if (!cls) {
    classes.erase(key(identifier));
    return;
  }
  if (!inheritsFrom(cls, base))
    uikit::detail::misuse(std::string(class_getName(cls)) + " is not a " + class_getName(base));
  classes[key(identifier)] = cls;
}

// Takes the last recycled view of identifier, sent prepareForReuse first.
template <class V>
Ref<V> takeRecycled(std::map<std::u16string, std::vector<Ref<V>>>& pools, const NSString* identifier) {
  auto& pool = pools[key(identifier)];
  if (pool.empty()) return nullptr;
  Ref<V> view = std::move(pool.back());
  pool.pop_back();
  objc_msgSend<void>(view, "prepareForReuse");
  return view;
}
}  // namespace

void UITableView::setDataSource(id dataSource) {
  UIKIT_MAIN_THREAD_ONLY();
  dataSource_ = Weak<objc_object>(dataSource);
}

void UITableView::setDelegate(id delegate) {
  UIKIT_MAIN_THREAD_ONLY();
  delegate_ = Weak<objc_object>(delegate);
}

void UITableView::setRowHeight(CGFloat height) {
  UIKIT_MAIN_THREAD_ONLY();
  rowHeight_ = height;
}

void UITableView::setSectionHeaderHeight(CGFloat height) {
  UIKIT_MAIN_THREAD_ONLY();
  sectionHeaderHeight_ = height;
}

void UITableView::registerClass_forCellReuseIdentifier(Class cellClass, const NSString* identifier) {
  registerIn(cellClasses_, cellClass, identifier, objc::classOf<UITableViewCell>(), "cell");
}

void UITableView::registerClass_forHeaderFooterViewReuseIdentifier(Class viewClass, const NSString* identifier) {
  registerIn(headerClasses_, viewClass, identifier, objc::classOf<UITableViewHeaderFooterView>(), "header-footer view");
}

Ref<UITableViewCell> UITableView::dequeueReusableCellWithIdentifier(const NSString* identifier) {
  UIKIT_MAIN_THREAD_ONLY();
  if (!identifier) return nullptr;
  if (Ref<UITableViewCell> recycled = takeRecycled(cellPool_, identifier)) return recycled;
  auto registered = cellClasses_.find(key(identifier));
  if (registered == cellClasses_.end()) return nullptr;
  StrongId made = StrongId::adopt(class_createInstance(registered->second, 0));
  StrongId initialised = objc_msgSend<StrongId>(made, "initWithFrame:", CGRect{{0, 0}, {bounds().size.width, 44}});
  Ref<UITableViewCell> cell(objc_cast<UITableViewCell>(initialised.get()));
  if (!cell) uikit::detail::misuse(std::string(class_getName(registered->second)) + " made no cell");
  cell->setReuseIdentifier(identifier);
  return cell;
}

Ref<UITableViewCell> UITableView::dequeueReusableCellWithIdentifier_forIndexPath(const NSString* identifier,
                                                                                const NSIndexPath* /*indexPath*/) {
  UIKIT_MAIN_THREAD_ONLY();
  if (!identifier) uikit::detail::misuse("dequeueing a cell needs a reuse identifier");
  Ref<UITableViewCell> cell = dequeueReusableCellWithIdentifier(identifier);
  if (!cell)
    uikit::detail::misuse("unable to dequeue a cell with identifier " + identifier->UTF8String() +
                          ": register a class for the identifier first");
  return cell;
}

Ref<UITableViewHeaderFooterView> UITableView::dequeueReusableHeaderFooterViewWithIdentifier(const NSString* identifier) {
  UIKIT_MAIN_THREAD_ONLY();
  if (!identifier) return nullptr;
  if (auto recycled = takeRecycled(headerPool_, identifier)) return recycled;
  auto registered = headerClasses_.find(key(identifier));
  if (registered == headerClasses_.end()) return nullptr;
  StrongId made = StrongId::adopt(class_createInstance(registered->second, 0));
  StrongId initialised = objc_msgSend<StrongId>(made, "initWithReuseIdentifier:", const_cast<NSString*>(identifier));
  Ref<UITableViewHeaderFooterView> view(objc_cast<UITableViewHeaderFooterView>(initialised.get()));
  if (!view) uikit::detail::misuse(std::string(class_getName(registered->second)) + " made no header-footer view");
  view->setReuseIdentifier(identifier);
  return view;
}

NSUInteger UITableView::reusableCellCount(const NSString* identifier) const {
  UIKIT_MAIN_THREAD_ONLY();
  auto it = cellPool_.find(key(identifier));
  return it == cellPool_.end() ? 0 : it->second.size();
}

bool UITableView::delegateAnswers(const char* selector) const {
  StrongId d = delegate_.lock();
  return d && class_respondsToSelector(object_getClass(d.get()), sel_registerName(selector));
}

CGFloat UITableView::resolvedHeaderHeight(CGFloat answered, const UIView* header) const {
  if (answered != UITableViewAutomaticDimension) return std::max<CGFloat>(0, answered);
  return header ? kAutomaticHeaderHeight : 0;
}

void UITableView::recycleAll() {
  for (Section& section : sections_) {
    for (const Ref<UITableViewCell>& cell : section.cells) {
      if (!cell) continue;
      cell->removeFromSuperview();
      cell->setSelected(false);
      if (NSString* identifier = cell->reuseIdentifier()) cellPool_[key(identifier)].push_back(cell);
    }
    if (section.header) {
      section.header->removeFromSuperview();
      auto* reusable = objc_cast<UITableViewHeaderFooterView>(section.header.get());
      if (reusable && reusable->reuseIdentifier())
        headerPool_[key(reusable->reuseIdentifier())].push_back(Ref<UITableViewHeaderFooterView>(reusable));
    }
  }
  sections_.clear();
  selected_ = nullptr;
  contentHeight_ = 0;
}

void UITableView::reloadData() {
  UIKIT_MAIN_THREAD_ONLY();
  Ref<UITableView> keep(this);
  loaded_ = true;
  recycleAll();
  StrongId source = dataSource();
  if (!source) return;
  SEL sectionsSel = sel_registerName("numberOfSectionsInTableView:");
  NSInteger count = class_respondsToSelector(object_getClass(source.get()), sectionsSel)
                        ? objc_msgSend<NSInteger>(source, sectionsSel, this)
                        : 1;
  sections_.resize(static_cast<size_t>(std::max<NSInteger>(0, count)));
  for (size_t s = 0; s < sections_.size(); ++s)
    sections_[s].rows = std::max<NSInteger>(
        0, objc_msgSend<NSInteger>(source, "tableView:numberOfRowsInSection:", this, static_cast<NSInteger>(s)));
  bool answersHeaderHeight = delegateAnswers("tableView:heightForHeaderInSection:");
  for (size_t s = 0; s < sections_.size(); ++s)
    sections_[s].answeredHeaderHeight =
        answersHeaderHeight ? objc_msgSend<CGFloat>(delegate(), "tableView:heightForHeaderInSection:", this,
                                                   static_cast<NSInteger>(s))
                            : sectionHeaderHeight_;

  bool answersHeaderView = delegateAnswers("tableView:viewForHeaderInSection:");
  bool answersRowHeight = delegateAnswers("tableView:heightForRowAtIndexPath:");
  bool answersWillDisplay = delegateAnswers("tableView:willDisplayCell:forRowAtIndexPath:");
  CGFloat width = bounds().size.width, y = 0;
  for (size_t s = 0; s < sections_.size(); ++s) {
    Section& section = sections_[s];
    auto index = static_cast<NSInteger>(s);
    if (answersHeaderView) {
      StrongId header = objc_msgSend<StrongId>(delegate(), "tableView:viewForHeaderInSection:", this, index);
      section.header = Ref<UIView>(objc_cast<UIView>(header.get()));
    }
    CGFloat headerHeight = resolvedHeaderHeight(section.answeredHeaderHeight, section.header.get());
    section.headerRect = {{0, y}, {width, headerHeight}};
    if (section.header) {
      section.header->setFrame(section.headerRect);
      addSubview(section.header);
    }
    y += headerHeight;
    for (NSInteger row = 0; row < section.rows; ++row) {
      Ref<NSIndexPath> path = NSIndexPath::indexPathForRow_inSection(row, index);
      StrongId answer = objc_msgSend<StrongId>(source, "tableView:cellForRowAtIndexPath:", this, path);
      Ref<UITableViewCell> cell(objc_cast<UITableViewCell>(answer.get()));
      if (!cell)
        uikit::detail::misuse("the data source answered tableView:cellForRowAtIndexPath: with " +
                              std::string(class_getName(object_getClass(answer.get()))) + " instead of a cell");
      CGFloat height = answersRowHeight
                           ? objc_msgSend<CGFloat>(delegate(), "tableView:heightForRowAtIndexPath:", this, path)
                           : rowHeight_;
      if (height == UITableViewAutomaticDimension) {
        // Self-sizing, once the data source has configured the cell.
        height = cell->systemLayoutSizeFittingSize(CGSizeMake(width, 0)).height;
        if (!(height > 0)) height = kAutomaticRowHeight;
      }
      CGRect rect{{0, y}, {width, std::max<CGFloat>(0, height)}};
      y += rect.size.height;
      cell->setFrame(rect);
      section.cells.push_back(cell);
      section.rowRects.push_back(rect);
      if (answersWillDisplay)
        objc_msgSend<void>(delegate(), "tableView:willDisplayCell:forRowAtIndexPath:", this, cell, path);
      addSubview(cell);
    }
  }
  contentHeight_ = y;
  // A shorter content may have moved the end below the offset.
  if (CGFloat end = std::max<CGFloat>(0, y - bounds().size.height); contentOffset() > end) setContentOffset(end);
}

void UITableView::layoutSubviews() {
  UIView::layoutSubviews();
  if (!loaded_) reloadData();
}

const UITableView::Section* UITableView::sectionAt(NSInteger section) const {
  UIKIT_MAIN_THREAD_ONLY();
  if (section < 0 || static_cast<size_t>(section) >= sections_.size()) return nullptr;
  return &sections_[static_cast<size_t>(section)];
}

NSInteger UITableView::numberOfSections() const {
  UIKIT_MAIN_THREAD_ONLY();
  return static_cast<NSInteger>(sections_.size());
}

NSInteger UITableView::numberOfRowsInSection(NSInteger section) const {
  const Section* s = sectionAt(section);
  return s ? s->rows : 0;
}

Ref<UITableViewCell> UITableView::cellForRowAtIndexPath(const NSIndexPath* indexPath) const {
  const Section* s = indexPath ? sectionAt(indexPath->section()) : nullptr;
  if (!s || indexPath->row() < 0 || static_cast<size_t>(indexPath->row()) >= s->cells.size()) return nullptr;
  return s->cells[static_cast<size_t>(indexPath->row())];
}

Ref<UIView> UITableView::headerViewForSection(NSInteger section) const {
  const Section* s = sectionAt(section);
  return s ? s->header : nullptr;
}

CGFloat UITableView::answeredHeaderHeightForSection(NSInteger section) const {
  const Section* s = sectionAt(section);
  return s ? s->answeredHeaderHeight : 0;
}

CGRect UITableView::rectForHeaderInSection(NSInteger section) const {
  const Section* s = sectionAt(section);
  return s ? s->headerRect : CGRectZero;
}

CGRect UITableView::rectForRowAtIndexPath(const NSIndexPath* indexPath) const {
  const Section* s = indexPath ? sectionAt(indexPath->section()) : nullptr;
  if (!s || indexPath->row() < 0 || static_cast<size_t>(indexPath->row()) >= s->rowRects.size()) return CGRectZero;
  return s->rowRects[static_cast<size_t>(indexPath->row())];
}

Ref<NSArray> UITableView::visibleCells() const {
  UIKIT_MAIN_THREAD_ONLY();
  std::vector<StrongId> cells;
  for (const Section& s : sections_)
    for (const auto& cell : s.cells) cells.emplace_back(cell);
  return make<NSArray>(std::move(cells));
}

Ref<NSIndexPath> UITableView::indexPathForCell(const UITableViewCell* cell) const {
  UIKIT_MAIN_THREAD_ONLY();
  for (size_t s = 0; s < sections_.size(); ++s)
    for (size_t r = 0; r < sections_[s].cells.size(); ++r)
      if (sections_[s].cells[r].get() == cell)
        return NSIndexPath::indexPathForRow_inSection(static_cast<NSInteger>(r), static_cast<NSInteger>(s));
  return nullptr;
}

void UITableView::deselectRowAtIndexPath_animated(const NSIndexPath* indexPath, bool /*animated*/) {
  UIKIT_MAIN_THREAD_ONLY();
  if (!indexPath || !selected_ || !selected_->isEqual(const_cast<NSIndexPath*>(indexPath))) return;
  if (Ref<UITableViewCell> cell = cellForRowAtIndexPath(indexPath)) cell->setSelected(false);
  selected_ = nullptr;
}

bool UITableView::scrollByDrag(CGPoint translation) {
  UIKIT_MAIN_THREAD_ONLY();
  setContentOffset(contentOffset() - translation.y);
  return true;
}

void UITableView::setContentOffset(CGFloat y) {
  UIKIT_MAIN_THREAD_ONLY();
  CGRect b = bounds();
  b.origin.y = std::clamp<CGFloat>(y, 0, std::max<CGFloat>(0, contentHeight_ - b.size.height));
  setBounds(b);
}

bool UITableView::simulateTapOnRowAtIndexPath(const NSIndexPath* indexPath) {
  UIKIT_MAIN_THREAD_ONLY();
  Ref<UITableViewCell> cell = cellForRowAtIndexPath(indexPath);
  if (!cell) return false;
  for (Ref<UIView> v(this); v; v = v->superview())
    if (!v->isUserInteractionEnabled() || v->isHidden()) return false;
  Ref<UITableView> keep(this);
  if (selected_)
    if (Ref<UITableViewCell> previous = cellForRowAtIndexPath(selected_)) previous->setSelected(false);
  // The delegate gets its own reference: deselecting in its handler drops the table's.
  Ref<NSIndexPath> path = NSIndexPath::indexPathForRow_inSection(indexPath->row(), indexPath->section());
  selected_ = path;
  cell->setSelected(true);
  if (delegateAnswers("tableView:didSelectRowAtIndexPath:"))
    objc_msgSend<void>(delegate(), "tableView:didSelectRowAtIndexPath:", this, path);
  return true;
}
