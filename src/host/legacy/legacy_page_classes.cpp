#include "host/legacy/legacy_page_classes.h"

#include "host/classes/register.h"
#include "host/legacy/art_header_cell.h"
#include "host/misuse.h"
#include "platform/dispatch/dispatch.h"

#include <string_view>

namespace host {

namespace {
const char* const kSummaryIdentifier = pageItemReuseIdentifier(PageItemKind::Summary);
const char* const kListIdentifier = "NFUIDisplayPageListCell";
const char* const kHeaderIdentifier = "NFUIDisplayPageArtHeaderCell";
std::u16string key(const NSString* identifier) { return std::u16string(chars(identifier)); }
}  // namespace

// --- the list ---------------------------------------------------------------------------------

void LegacyCollectionView::registerNibCell(Class cls, const NSString* identifier) {
  UIKIT_MAIN_THREAD_ONLY();
  nibs_[key(identifier)] = cls;
}

Ref<UICollectionViewCell> LegacyCollectionView::makeCell(const NSString* identifier, const NSIndexPath* indexPath) {
  auto nib = identifier ? nibs_.find(key(identifier)) : nibs_.end();
  if (nib == nibs_.end()) return CDSCollectionView::makeCell(identifier, indexPath);
  Ref<UICollectionViewCell> cell = loadCellFromNib(nib->second, bounds().size.width);
  if (!cell) misuse("an interface file made no cell");
  setReuseIdentifier(cell.get(), identifier);
  return cell;
}

CGFloat LegacyCollectionView::measureCell(UICollectionViewCell* cell, CGFloat width) {
  SEL own = sel_registerName("calculatedSize:");
  if (class_respondsToSelector(object_getClass(cell), own))
    return objc_msgSend<CGSize>(cell, own, CGSizeMake(width, 0)).height;
  return CDSCollectionView::measureCell(cell, width);
}

// --- the view model ----------------------------------------------------------------------------

void VideoDisplayPageViewModel::load(const CatalogTitle& title) {
  details_ = make<LegacyDetailsEntity>(title);
  volatile_ = make<VolatileVideoEntity>();
  std::vector<StrongId> seasons;
  for (int s = 1; !title.isMovie && s <= title.seasons.value_or(1); ++s) seasons.emplace_back(NSNumber::numberWithInteger(s));
  volatile_->seasonNumbers_ = make<NSArray>(std::move(seasons));
  showsLoaded_ = !title.isMovie;
  dataLoaded_ = true;
}

// --- the page ---------------------------------------------------------------------------------------

void NFUIVideoDisplayPage::setVideo(long videoId, std::shared_ptr<const PageContent> content) {
  videoId_ = NSNumber::numberWithInteger(videoId);
  content_ = std::move(content);
  // Above the above-the-fold cell, the art with the title and its year line;
  // the summary-art cell carries its own.
  items_.clear();
  const char* summaryCell = runningHostFeatures().legacySummaryCell;
  if (summaryCell && std::string_view(summaryCell) == "NFUIDisplayPageAboveTheFoldSummaryCell")
    items_.push_back(PageItem{PageItemKind::Billboard, {}});
  items_.push_back(PageItem{PageItemKind::Summary, {}});
  if (!content_) return;
  for (const PageItem& item : content_->items)
    if (item.kind == PageItemKind::Episode || item.kind == PageItemKind::MoreLikeThis) items_.push_back(item);
}

void NFUIVideoDisplayPage::loadView() {
  Ref<UIView> root = make<UIView>(UIScreen::mainScreen()->bounds());
  root->setBackgroundColor(UIColor::blackColor());
  setView(root);
}

void NFUIVideoDisplayPage::viewDidLoad() {
  UIViewController::viewDidLoad();
  const HostFeatures& features = runningHostFeatures();
  setTitle(content_ ? NSString::stringWithUTF8String(content_->title.title) : nullptr);
  UIView* root = view();
  collectionView_ = make<LegacyCollectionView>();
  collectionView_->setFrame(root->bounds());
  collectionView_->setBackgroundColor(UIColor::blackColor());
  root->addSubview(collectionView_);
  Class summaryClass = objc_getClass(features.legacySummaryCell ? features.legacySummaryCell : "");
  if (!summaryClass) misuse("the legacy page's summary cell class is not registered");
  collectionView_->registerNibCell(summaryClass, NSString::stringWithUTF8String(kSummaryIdentifier));
  objc_msgSend<void>(collectionView_, "registerClass:forCellWithReuseIdentifier:", objc::classOf<LegacyListCell>(),
                     NSString::stringWithUTF8String(kListIdentifier));
  objc_msgSend<void>(collectionView_, "registerClass:forCellWithReuseIdentifier:",
                     objc::classOf<LegacyArtHeaderCell>(), NSString::stringWithUTF8String(kHeaderIdentifier));
  objc_msgSend<void>(collectionView_, "setDataSource:", static_cast<id>(this));
  collectionView_->setDelegate(this);

  std::vector<CGFloat> estimates;
  for (const PageItem& item : items_) estimates.push_back(pageItemHeight(item.kind, root->bounds().size.width));
  collectionView_->setItemHeights(std::move(estimates));

  if (!content_) return;
  if (!features.legacyViewModel) {
    summary_ = make<SummaryCellModel>(content_->title);
    return;
  }
  // The data layer answers on a later turn; the page may be gone by then.
  viewModel_ = make<VideoDisplayPageViewModel>();
  Weak<NFUIVideoDisplayPage> weak(this);
  dispatch_async(dispatch_get_main_queue(), [weak] {
    if (Ref<NFUIVideoDisplayPage> page = weak.lock()) page->dataArrived();
  });
}

void NFUIVideoDisplayPage::dataArrived() {
  viewModel_->load(content_->title);
  summary_ = make<SummaryCellModel>(content_->title);
  objc_msgSend<void>(collectionView_, "reloadData");
}

NSInteger NFUIVideoDisplayPage::numberOfSectionsInCollectionView(UICollectionView*) const { return 1; }

NSInteger NFUIVideoDisplayPage::collectionView_numberOfItemsInSection(UICollectionView*, NSInteger section) const {
  return section == 0 ? static_cast<NSInteger>(items_.size()) : 0;
}

Ref<UICollectionViewCell> NFUIVideoDisplayPage::collectionView_cellForItemAtIndexPath(UICollectionView* collectionView,
                                                                                      NSIndexPath* indexPath) {
  UIKIT_MAIN_THREAD_ONLY();
  if (!indexPath || indexPath->section() != 0 || indexPath->item() < 0 ||
      indexPath->item() >= static_cast<NSInteger>(items_.size()))
    misuse("collectionView:cellForItemAtIndexPath: for an item the page does not have");
  const PageItem& item = items_[static_cast<size_t>(indexPath->item())];
  const char* identifier = item.kind == PageItemKind::Summary     ? kSummaryIdentifier
                           : item.kind == PageItemKind::Billboard ? kHeaderIdentifier
                                                                  : kListIdentifier;
  StrongId dequeued = objc_msgSend<StrongId>(collectionView, "dequeueReusableCellWithReuseIdentifier:forIndexPath:",
                                             NSString::stringWithUTF8String(identifier), indexPath);
  if (auto* cell = objc_cast<LegacySummaryCell>(dequeued.get())) {
    if (cell->model().get() != summary_.get()) cell->setModel(summary_);
  } else if (auto* header = objc_cast<LegacyArtHeaderCell>(dequeued.get())) {
    // Shown with the summary's data: empty until it has arrived.
    if (summary_ && content_) header->configure(content_->title);
  } else if (auto* row = objc_cast<LegacyListCell>(dequeued.get())) {
    row->configure(item);
  } else {
    misuse("the page's list dequeued a cell of another kind");
  }
  return Ref<UICollectionViewCell>(objc_cast<UICollectionViewCell>(dequeued.get()));
}

void NFUIVideoDisplayPage::collectionView_willDisplayCell_forItemAtIndexPath(UICollectionView*, UICollectionViewCell*,
                                                                             NSIndexPath*) {
  ++cellsDisplayed_;
}

}  // namespace host
