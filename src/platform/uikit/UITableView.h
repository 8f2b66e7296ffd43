#pragma once
// A table view that asks its data source and delegate by run-time message,
// as the device does, so that a replaced data-source or delegate method
// takes effect: sections and rows, cells, section header views and heights,
// will-display and selection. Every row of every section is laid out, top
// to bottom; a finger's drag scrolls them (the bounds' origin is the scroll
// offset). Main thread only.
//
// It loads its data on its first layout, as the device does, and again on
// reloadData. Optional delegate methods are sent only when the delegate
// answers them.
//
// Ownership: the data source and the delegate are held weakly, as on the
// device; shown cells and header views are subviews; recycled ones wait in a
// reuse pool per identifier.

#include <map>
#include <string>
#include <vector>

#include "platform/uikit/NSIndexPath.h"
#include "platform/uikit/UITableViewCell.h"
#include "platform/uikit/UITableViewHeaderFooterView.h"

// A height that the table works out itself: a row's is what its cell's
// content asks for (UITableViewCell::systemLayoutSizeFittingSize at the
// table's width); a section header's is a fixed height (see below).
inline constexpr CGFloat UITableViewAutomaticDimension = -1;

class UITableView : public UIView {
 public:
  UITableView() = default;
  explicit UITableView(CGRect frame) : UIView(frame) {}

  // The standard row height, which an automatic row takes when its content's
  // constraints give it no height (the device does the same, and logs it);
  // and what UITableViewAutomaticDimension comes to for a section header
  // that has a header view (without one the header takes no room).
  static constexpr CGFloat kAutomaticRowHeight = 44;
  static constexpr CGFloat kAutomaticHeaderHeight = 28;

  StrongId dataSource() const {
    UIKIT_MAIN_THREAD_ONLY();
    return dataSource_.lock();
  }
  void setDataSource(id dataSource);
  StrongId delegate() const {
    UIKIT_MAIN_THREAD_ONLY();
    return delegate_.lock();
  }
  void setDelegate(id delegate);
  // Used when the delegate does not answer the height questions; both start
  // as UITableViewAutomaticDimension.
  CGFloat rowHeight() const {
    UIKIT_MAIN_THREAD_ONLY();
    return rowHeight_;
  }
  void setRowHeight(CGFloat height);
  CGFloat sectionHeaderHeight() const {
    UIKIT_MAIN_THREAD_ONLY();
    return sectionHeaderHeight_;
  }
  void setSectionHeaderHeight(CGFloat height);

  // --- reuse ------------------------------------------------------------------------
  // Cells for identifier are made as instances of cellClass, which must be
  // UITableViewCell or a subclass (run-time subclasses included); anything
  // else is a programming error. A nil class forgets the identifier.
  void registerClass_forCellReuseIdentifier(Class cellClass, const NSString* identifier);
  // The same for header and footer views (UITableViewHeaderFooterView).
  void registerClass_forHeaderFooterViewReuseIdentifier(Class viewClass, const NSString* identifier);
  // A recycled cell (sent "prepareForReuse" first) or a new instance of the
  // registered class made with "initWithFrame:" through the run time. An
  // identifier with no registered class is a programming error, as on the device.
  Ref<UITableViewCell> dequeueReusableCellWithIdentifier_forIndexPath(const NSString* identifier,
                                                                     const NSIndexPath* indexPath);
  // As above, but nil for an identifier with no registered class.
  Ref<UITableViewCell> dequeueReusableCellWithIdentifier(const NSString* identifier);
  // A recycled view or a new one made with "initWithReuseIdentifier:"; nil
  // for an identifier with no registered class, as on the device.
  Ref<UITableViewHeaderFooterView> dequeueReusableHeaderFooterViewWithIdentifier(const NSString* identifier);
  NSUInteger reusableCellCount(const NSString* identifier) const;

  // --- contents -----------------------------------------------------------------------
  // Recycles what is shown, then asks, in this order: the number of sections
  // ("numberOfSectionsInTableView:", 1 when the data source does not answer
  // it), each section's rows ("tableView:numberOfRowsInSection:"), each
  // section's header height ("tableView:heightForHeaderInSection:"), then
  // section by section its header view ("tableView:viewForHeaderInSection:")
  // and each row's cell ("tableView:cellForRowAtIndexPath:", which must be a
  // dequeued cell: anything else is a programming error, as the device
  // raises), height ("tableView:heightForRowAtIndexPath:", else rowHeight;
  // an automatic one is the configured cell's fitting height) and
  // "tableView:willDisplayCell:forRowAtIndexPath:". Nothing without a data source.
  void reloadData();
  // Loads the data on the first layout, then places cells and headers.
  void layoutSubviews() override;
  // Scrolls by the finger's vertical movement, within the content.
  bool scrollByDrag(CGPoint translation) override;
  CGFloat contentOffset() const {
    UIKIT_MAIN_THREAD_ONLY();
    return bounds().origin.y;
  }
  // Clamped to 0...max(0, contentHeight - visible height).
  void setContentOffset(CGFloat y);

  // As of the last load.
  NSInteger numberOfSections() const;
  NSInteger numberOfRowsInSection(NSInteger section) const;  // 0 out of range
  // The shown cell, or nil.
  Ref<UITableViewCell> cellForRowAtIndexPath(const NSIndexPath* indexPath) const;
  // The header view the delegate gave, or nil.
  Ref<UIView> headerViewForSection(NSInteger section) const;
  // The header height as the delegate (or sectionHeaderHeight) answered it,
  // UITableViewAutomaticDimension included; 0 out of range.
  CGFloat answeredHeaderHeightForSection(NSInteger section) const;
  CGRect rectForHeaderInSection(NSInteger section) const;
  CGRect rectForRowAtIndexPath(const NSIndexPath* indexPath) const;
  // The shown cells in index-path order.
  Ref<NSArray> visibleCells() const;
  Ref<NSIndexPath> indexPathForCell(const UITableViewCell* cell) const;
  CGFloat contentHeight() const {
    UIKIT_MAIN_THREAD_ONLY();
    return contentHeight_;
  }

  // --- selection -----------------------------------------------------------------------
  Ref<NSIndexPath> indexPathForSelectedRow() const {
    UIKIT_MAIN_THREAD_ONLY();
    return selected_;
  }
  void deselectRowAtIndexPath_animated(const NSIndexPath* indexPath, bool animated);
  // A finger's tap on a shown row: selects it, then sends
  // "tableView:didSelectRowAtIndexPath:" to the delegate when it answers.
  // False (nothing sent) when the row is not shown or the table cannot be
  // touched (interaction off or hidden, up the superview chain).
  bool simulateTapOnRowAtIndexPath(const NSIndexPath* indexPath);

 private:
  struct Section {
    NSInteger rows = 0;
    CGFloat answeredHeaderHeight = 0;
    CGRect headerRect{};
    Ref<UIView> header;
    std::vector<Ref<UITableViewCell>> cells;
    std::vector<CGRect> rowRects;
  };
  void recycleAll();
  bool delegateAnswers(const char* selector) const;
  CGFloat resolvedHeaderHeight(CGFloat answered, const UIView* header) const;
  const Section* sectionAt(NSInteger section) const;

  Weak<objc_object> dataSource_;
  Weak<objc_object> delegate_;
  CGFloat rowHeight_ = UITableViewAutomaticDimension;
  CGFloat sectionHeaderHeight_ = UITableViewAutomaticDimension;
  std::map<std::u16string, Class> cellClasses_, headerClasses_;
  std::map<std::u16string, std::vector<Ref<UITableViewCell>>> cellPool_;
  std::map<std::u16string, std::vector<Ref<UITableViewHeaderFooterView>>> headerPool_;
  std::vector<Section> sections_;
  Ref<NSIndexPath> selected_;
  CGFloat contentHeight_ = 0;
  bool loaded_ = false;
};
