#pragma once
// "NetflixCollectionView.CDSCollectionViewDiffableDataSource": the title
// page's data source. It owns the page's items (its snapshot) and hands out
// one configured cell per item through "collectionView:cellForItemAtIndexPath:"
// ("@@:@@"), dequeuing by message so a replaced dequeue or cell method sees
// it. One per page; the page's internal controller owns it, the collection
// view holds it weakly, and it holds the collection view and the page weakly.
// Main thread only.

#include <memory>

#include "host/title_page/CDSCollectionView.h"
#include "host/title_page/page_items.h"
#include "host/version.h"

namespace host {

class CDSCollectionViewDiffableDataSource : public NSObject {
 public:
  CDSCollectionViewDiffableDataSource() = default;

  // Takes the page's content and the controller that presents its sheets,
  // registers the cell classes of this version with the collection view and
  // gives it the item heights (applying the snapshot).
  void attach(CDSCollectionView* collectionView, std::shared_ptr<const PageContent> content,
              UIViewController* presenter, const HostFeatures& features);

  // "numberOfSectionsInCollectionView:" ("q@:@").
  NSInteger numberOfSectionsInCollectionView(UICollectionView* collectionView) const;
  // "collectionView:numberOfItemsInSection:" ("q@:@q").
  NSInteger collectionView_numberOfItemsInSection(UICollectionView* collectionView, NSInteger section) const;
  // "collectionView:cellForItemAtIndexPath:" ("@@:@@"): a dequeued cell
  // configured for the item; a path outside the snapshot is a programming
  // error, as the device raises.
  Ref<UICollectionViewCell> collectionView_cellForItemAtIndexPath(UICollectionView* collectionView,
                                                                  NSIndexPath* indexPath);

  const PageContent* content() const { return content_.get(); }
  // How many cells it has handed out (tests and the demo read it).
  size_t cellsHandedOut() const { return handedOut_; }

 private:
  Weak<CDSCollectionView> collectionView_;
  Weak<UIViewController> presenter_;
  std::shared_ptr<const PageContent> content_;
  DetailsSheetLayout layout_ = DetailsSheetLayout::Dictionaries;
  size_t handedOut_ = 0;
};

// The run-time class of the kind's cell in this version: the mangled
// CollectionViewCell<View> name (the play-button cell's view was renamed at 16.51.0).
const char* cellViewNameFor(PageItemKind kind, const HostFeatures& features);

}  // namespace host
