#include "host/title_page/CDSCollectionViewDiffableDataSource.h"

#include "host/misuse.h"
#include "host/title_page/display_page_views.h"

namespace host {

const char* cellViewNameFor(PageItemKind kind, const HostFeatures& features) {
  switch (kind) {
    case PageItemKind::Billboard: return "DisplayPageBillboardView";
    case PageItemKind::Title: return "DisplayPageBrandGenreTitleView";
    case PageItemKind::Metadata: return "DisplayPageTitleMetadataView";
    case PageItemKind::PlayButton:
      return features.playbackButtonRename ? "DisplayPagePlaybackButtonView" : "DisplayPageButtonView";
    case PageItemKind::Synopsis: return "DisplayPageSynopsisView";
    case PageItemKind::Credits: return "DisplayPageCreditsView";
    case PageItemKind::Actions: return "DisplayPageActionsView";
    case PageItemKind::Episode: return "DisplayPageEpisodeView";
    case PageItemKind::MoreLikeThis: return "DisplayPageMoreLikeThisView";
    case PageItemKind::Summary: break;  // the older page's
  }
  return "?";
}

void CDSCollectionViewDiffableDataSource::attach(CDSCollectionView* collectionView,
                                                 std::shared_ptr<const PageContent> content,
                                                 UIViewController* presenter, const HostFeatures& features) {
  UIKIT_MAIN_THREAD_ONLY();
  collectionView_ = Weak<CDSCollectionView>(collectionView);
  presenter_ = Weak<UIViewController>(presenter);
  content_ = std::move(content);
  layout_ = features.sheetLayout;

  std::vector<CGFloat> heights;
  CGFloat width = collectionView->bounds().size.width;
  for (const PageItem& item : content_->items) {
    std::string cellName = collectionViewCellClassName(cellViewNameFor(item.kind, features));
    Class cellClass = objc_getClass(cellName.c_str());
    if (!cellClass) misuse("cell class missing in this version: " + cellName);
    objc_msgSend<void>(collectionView, "registerClass:forCellWithReuseIdentifier:", cellClass,
                       NSString::stringWithUTF8String(pageItemReuseIdentifier(item.kind)));
    heights.push_back(pageItemHeight(item.kind, width));
  }
  collectionView->setItemHeights(std::move(heights));
}

NSInteger CDSCollectionViewDiffableDataSource::numberOfSectionsInCollectionView(UICollectionView*) const { return 1; }

NSInteger CDSCollectionViewDiffableDataSource::collectionView_numberOfItemsInSection(UICollectionView*,
                                                                                    NSInteger section) const {
  return section == 0 && content_ ? static_cast<NSInteger>(content_->items.size()) : 0;
}

Ref<UICollectionViewCell> CDSCollectionViewDiffableDataSource::collectionView_cellForItemAtIndexPath(
    UICollectionView* collectionView, NSIndexPath* indexPath) {
  UIKIT_MAIN_THREAD_ONLY();
  if (!content_ || !indexPath || indexPath->section() != 0 || indexPath->item() < 0 ||
      indexPath->item() >= static_cast<NSInteger>(content_->items.size()))
    misuse("collectionView:cellForItemAtIndexPath: for an item the snapshot does not have");
  const PageItem& item = content_->items[static_cast<size_t>(indexPath->item())];
  StrongId dequeued = objc_msgSend<StrongId>(collectionView, "dequeueReusableCellWithReuseIdentifier:forIndexPath:",
                                             NSString::stringWithUTF8String(pageItemReuseIdentifier(item.kind)),
                                             indexPath);
  Ref<HostingCell> cell(objc_cast<HostingCell>(dequeued.get()));
  if (!cell) misuse("the collection view dequeued no hosting cell");
  if (DisplayPageContentView* view = cell->hostedView()) {
    view->configure(item);
    if (auto* metadata = objc_cast<DisplayPageTitleMetadataView>(view))
      metadata->setDetails(content_, layout_, presenter_.lock().get());
  }
  ++handedOut_;
  return cell;
}

}  // namespace host
