#pragma once
// "NetflixCollectionView.CDSCollectionView": the title page's collection
// view. It adds what the toolkit's collection view leaves out: a vertical
// list layout and scrolling. In layoutSubviews it shows the items that
// intersect the visible area, asking its data source for each new one by
// sending "collectionView:cellForItemAtIndexPath:" through the run time, in
// item order; cells that leave the area wait off screen and are handed out
// again by "dequeueReusableCellWithReuseIdentifier:forIndexPath:" (after
// "prepareForReuse"), as on the device.
//
// Cells size themselves: the heights the data source gives are estimates
// for items not shown yet; a shown cell's height is what its content needs
// at the list's width (measureCell), asked again on every layout pass, and
// the items below move with it. Before a cell is added to the list its
// delegate, when it answers "collectionView:willDisplayCell:forItemAtIndexPath:",
// is told, as on the device.
//
// Frames are in content coordinates; the bounds' origin is the scroll
// offset. Ownership: the data source is held weakly (the toolkit's rule);
// shown and waiting cells strongly. Main thread only.

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/uikit/UIKit.h"

namespace host {

class CDSCollectionView : public UICollectionView {
 public:
  CDSCollectionView() = default;

  // The list layout: one full-width row per item, top to bottom, with these
  // estimated heights until each item's cell is measured. Set by the data
  // source when it applies a snapshot; marks the view for layout.
  void setItemHeights(std::vector<CGFloat> heights);
  // The delegate (held weakly) is told of each cell about to be shown.
  NSInteger numberOfItems() const { return static_cast<NSInteger>(heights_.size()); }
  CGFloat contentHeight() const;
  CGRect frameForItem(NSInteger item) const;

  // Clamped to 0...max(0, contentHeight - visible height). Marks for layout;
  // the new items are asked for on the next layout pass.
  void setContentOffset(CGFloat y);
  CGFloat contentOffset() const { return offset_; }
  CGFloat maximumContentOffset() const;
  // A finger's drag scrolls the list.
  bool scrollByDrag(CGPoint translation) override;

  void layoutSubviews() override;

  // --- the run time's view of the list (registered as overrides) -------------------
  // "dequeueReusableCellWithReuseIdentifier:forIndexPath:"
  Ref<UICollectionViewCell> dequeueCell(const NSString* identifier, const NSIndexPath* indexPath);
  // "cellForItemAtIndexPath:": the shown cell at indexPath, or nil; never asks the data source.
  Ref<UICollectionViewCell> shownCellForItem(const NSIndexPath* indexPath) const;
  // "visibleCells": in item order.
  Ref<NSArray> shownCellsArray() const;
  // "indexPathForCell:"
  Ref<NSIndexPath> indexPathOfShownCell(const UICollectionViewCell* cell) const;
  // "reloadData": every shown cell waits for reuse and the visible items are asked for again.
  void reloadShownItems();

  // --- inspection (the app, tests, the demo) -------------------------------------------
  struct ShownCell {
    NSInteger item;
    Ref<UICollectionViewCell> cell;
  };
  std::vector<ShownCell> shownCells() const;
  // Cells waiting off screen for reuse.
  size_t waitingCellCount() const;

 private:
  void showVisibleItems();
  void showItem(NSInteger item, id source);
  // Shown cells whose item keep() refuses go off screen to wait for reuse.
  void putAwayCellsOutside(const std::function<bool(NSInteger)>& keep);

 protected:
  // A new cell for identifier when none waits: the toolkit's dequeue.
  virtual Ref<UICollectionViewCell> makeCell(const NSString* identifier, const NSIndexPath* indexPath);
  // The height cell needs at the list's width: its own self-sizing answer.
  virtual CGFloat measureCell(UICollectionViewCell* cell, CGFloat width);

 private:
  // Re-measures item's cell; true when its height changed (tops are redone).
  bool measure(NSInteger item, UICollectionViewCell* cell);
  void placeTops();

  std::vector<CGFloat> heights_;
  std::vector<CGFloat> tops_;
  CGFloat offset_ = 0;
  std::map<NSInteger, Ref<UICollectionViewCell>> shown_;
  std::map<std::u16string, std::vector<Ref<UICollectionViewCell>>> waiting_;
};

}  // namespace host
