#pragma once
// A collection view that asks its data source for cells by run-time message,
// as the device does, so that a replaced data-source method sees every cell.
// It has no scrolling: every item it is asked to show stays visible until it
// is replaced or reloaded. Main thread only.
//
// A finger's tap on a cell selects its item: the delegate is sent
// "collectionView:didSelectItemAtIndexPath:" when it answers it.
//
// Ownership: the data source and the delegate are held weakly, as on the device; visible cells
// are subviews; recycled cells wait in a reuse pool per identifier.

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "platform/uikit/NSIndexPath.h"
#include "platform/uikit/UICollectionViewCell.h"

class UICollectionView : public UIView {
 public:
  UICollectionView() = default;
  explicit UICollectionView(CGRect frame) : UIView(frame) {}

  StrongId dataSource() const {
    UIKIT_MAIN_THREAD_ONLY();
    return dataSource_.lock();
  }
  void setDataSource(id dataSource) { UIKIT_MAIN_THREAD_ONLY(); dataSource_ = Weak<objc_object>(dataSource); }
  StrongId delegate() const {
    UIKIT_MAIN_THREAD_ONLY();
    return delegate_.lock();
  }
  void setDelegate(id delegate) { UIKIT_MAIN_THREAD_ONLY(); delegate_ = Weak<objc_object>(delegate); }
  // A finger's tap on the item's shown cell (found with the run time's
  // "indexPathForCell:", so a subclass's list answers): sends the delegate
  // "collectionView:didSelectItemAtIndexPath:" when it answers it. False when
  // the cell is not shown here.
  bool selectItemOfTappedCell(UICollectionViewCell* cell);

  // Cells for identifier are made as instances of cellClass, which must be
  // UICollectionViewCell or a subclass of it (run-time subclasses included);
  // anything else is a programming error. A nil class forgets the identifier.
  void registerClass_forCellWithReuseIdentifier(Class cellClass, const NSString* identifier);
  // A recycled cell of identifier (sent "prepareForReuse" first), or a new
  // instance of the registered class initialised with "initWithFrame:"
  // through the run time. An identifier with no registered class is a
  // programming error, as the device raises.
  Ref<UICollectionViewCell> dequeueReusableCellWithReuseIdentifier_forIndexPath(const NSString* identifier,
                                                                                 const NSIndexPath* indexPath);

  // Shows the item at indexPath: asks the data source by sending
  // "collectionView:cellForItemAtIndexPath:" through the run time, makes the
  // answer the visible cell at that path (recycling the cell it replaces) and
  // answers it. Unlike the device's method of this name, it asks every time:
  // this is how the simulated host has a page's cells made. nil without a
  // data source. A data source that answers with anything but a dequeued
  // cell is a programming error, as the device raises.
  Ref<UICollectionViewCell> cellForItemAtIndexPath(const NSIndexPath* indexPath);
  // "numberOfSectionsInCollectionView:" when the data source answers it, else 1.
  NSInteger numberOfSections() const;
  // "collectionView:numberOfItemsInSection:"; 0 without a data source.
  NSInteger numberOfItemsInSection(NSInteger section) const;
  // Recycles every visible cell, then shows every item of every section.
  void reloadData();

  // The visible cells in index-path order.
  Ref<NSArray> visibleCells() const;
  // nil when cell is not visible here.
  Ref<NSIndexPath> indexPathForCell(const UICollectionViewCell* cell) const;
  // Cells waiting for reuse under identifier.
  NSUInteger reusableCellCount(const NSString* identifier) const;

 protected:
  // For subclasses that make cells their own way (from an interface file).
  static void setReuseIdentifier(UICollectionViewCell* cell, const NSString* identifier) {
    cell->reuseIdentifier_ = identifier ? NSString::stringWithCharacters(std::u16string(chars(identifier))) : nullptr;
  }

 private:
  void recycle(const Ref<UICollectionViewCell>& cell);

  Weak<objc_object> dataSource_;
  Weak<objc_object> delegate_;
  std::map<std::u16string, Class> cellClasses_;
  std::map<std::u16string, std::vector<Ref<UICollectionViewCell>>> reusePool_;
  std::vector<std::pair<Ref<NSIndexPath>, Ref<UICollectionViewCell>>> visible_;  // index-path order
};
