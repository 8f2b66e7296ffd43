#pragma once
// The title page of hosts before 16.1: "NFUIVideoDisplayPage", a controller
// with one collection view of which it is the data source and the delegate.
// The summary cell of the device's generation (HostFeatures::
// legacySummaryCell) comes first, below the art header (art_header_cell.h)
// where it is the above-the-fold cell; below it a row per episode (series)
// and rows of similar titles, in list cells. Cells are made from their interface files
// (summary_cells.h), reused as the page scrolls, and destroyed with the page.
//
// From 10.2.0 the page keeps its data in a view model ("viewModel") that is
// loaded after the page first shows: on a later main-queue turn it answers
// dataLoaded, the page hands the summary cell its model and reloads, so the
// summary cell is shown (and "collectionView:willDisplayCell:forItemAtIndexPath:"
// sent) again. Earlier pages give the summary cell its model at once.
//
// Ownership: the navigation stack owns the page; the page owns its
// collection view and view model; the collection view holds the page weakly.
// Main thread only.

#include <memory>

#include "host/legacy/summary_cells.h"
#include "host/title_page/CDSCollectionView.h"
#include "host/title_page/details_sheet.h"
#include "host/title_page/page_items.h"

namespace host {

// "NFUICollectionView": the page's list, whose cells come from interface
// files and size themselves; a cell with its own sizing ("calculatedSize:")
// is sized by it.
class LegacyCollectionView : public CDSCollectionView {
 public:
  LegacyCollectionView() = default;
  // Cells for identifier are loaded from cls's interface file.
  void registerNibCell(Class cls, const NSString* identifier);

 protected:
  Ref<UICollectionViewCell> makeCell(const NSString* identifier, const NSIndexPath* indexPath) override;
  CGFloat measureCell(UICollectionViewCell* cell, CGFloat width) override;

 private:
  std::map<std::u16string, Class> nibs_;
};

// "NFVolatileVideoEntity": the parts of a title that change (its seasons).
class VolatileVideoEntity : public NSObject {
 public:
  Ref<NSArray> seasonNumbers() const { return seasonNumbers_; }  // "@@:"
  Ref<NSArray> seasonNumbers_;
};

// "NFVideoDetailsEntity": the title's details, answered as the current
// page's details entity answers them.
class LegacyDetailsEntity : public DetailsEntity {
 public:
  LegacyDetailsEntity() = default;
  explicit LegacyDetailsEntity(const CatalogTitle& title) : DetailsEntity(title) {}
};

// "NFUIVideoDisplayPageViewModel".
class VideoDisplayPageViewModel : public NSObject {
 public:
  bool dataLoaded() const { return dataLoaded_; }          // "B@:"
  bool showsLoaded() const { return showsLoaded_; }        // "B@:", a series' seasons
  StrongId volatileEntity() const { return volatile_; }    // "@@:"
  StrongId detailsEntity() const { return details_; }      // "@@:"
  // What the app's data layer does when the title's data arrives.
  void load(const CatalogTitle& title);

 private:
  bool dataLoaded_ = false, showsLoaded_ = false;
  Ref<VolatileVideoEntity> volatile_;
  Ref<LegacyDetailsEntity> details_;
};

class NFUIVideoDisplayPage : public UIViewController {
 public:
  NFUIVideoDisplayPage() = default;
  // Before the view loads.
  void setVideo(long videoId, std::shared_ptr<const PageContent> content);

  Ref<NSNumber> videoId() const { return videoId_; }  // "@@:"
  StrongId viewModel() const { return viewModel_; }    // "@@:", nil before 10.2.0
  const PageContent* content() const { return content_.get(); }
  LegacyCollectionView* collectionView() const { return collectionView_.get(); }

  void loadView() override;
  void viewDidLoad() override;

  // The data source ("q@:@", "q@:@q", "@@:@@") and the delegate ("v@:@@@").
  NSInteger numberOfSectionsInCollectionView(UICollectionView* collectionView) const;
  NSInteger collectionView_numberOfItemsInSection(UICollectionView* collectionView, NSInteger section) const;
  Ref<UICollectionViewCell> collectionView_cellForItemAtIndexPath(UICollectionView* collectionView,
                                                                  NSIndexPath* indexPath);
  void collectionView_willDisplayCell_forItemAtIndexPath(UICollectionView* collectionView, UICollectionViewCell* cell,
                                                         NSIndexPath* indexPath);

  // The kind of each item: the art header (PageItemKind::Billboard) where
  // there is one, then PageItemKind::Summary, then the rows.
  const std::vector<PageItem>& items() const { return items_; }
  // How many cells the page was told it is about to show.
  int cellsDisplayed() const { return cellsDisplayed_; }

 private:
  void dataArrived();

  Ref<NSNumber> videoId_;
  std::shared_ptr<const PageContent> content_;
  std::vector<PageItem> items_;
  Ref<VideoDisplayPageViewModel> viewModel_;
  Ref<SummaryCellModel> summary_;
  Ref<LegacyCollectionView> collectionView_;
  int cellsDisplayed_ = 0;
};

// "dealloc" ("v@:") of a class that has its own: calls the superclass's, so
// a replacement installed on the class calls through to a complete teardown.
template <class T>
void deallocThroughSuperclass(id self, SEL op) {
  IMP inherited = class_getMethodImplementation(class_getSuperclass(objc::classOf<T>()), op);
  imp_call<void>(inherited, self, op);
}

}  // namespace host
