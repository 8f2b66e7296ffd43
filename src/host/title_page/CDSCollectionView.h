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
// Frames are in content coordinates; the bounds' origin is the scroll
// offset. Ownership: the data source is held weakly (the toolkit's rule);
// shown and waiting cells strongly. Main thread only.

#include <map>
#include <string>
#include <vector>

#include "platform/uikit/UIKit.h"

namespace host {

class CDSCollectionView : public UICollectionView {
 public:
  CDSCollectionView() = default;

  // The list layout: one full-width row per item, top to bottom. Set by the
  // data source when it applies a snapshot; marks the view for layout.
  void setItemHeights(std::vector<CGFloat> heights);
  NSInteger numberOfItems() const { return static_cast<NSInteger>(heights_.size()); }
  CGFloat contentHeight() const;
  CGRect frameForItem(NSInteger item) const;

  // Clamped to 0...max(0, contentHeight - visible height). Marks for layout;
  // the new items are asked for on the next layout pass.
  void setContentOffset(CGFloat y);
  CGFloat contentOffset() const { return offset_; }
  CGFloat maximumContentOffset() const;

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

  std::vector<CGFloat> heights_;
  std::vector<CGFloat> tops_;
  CGFloat offset_ = 0;
  std::map<NSInteger, Ref<UICollectionViewCell>> shown_;
  std::map<std::u16string, std::vector<Ref<UICollectionViewCell>>> waiting_;
};

}  // namespace host
