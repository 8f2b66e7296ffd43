#include "host/title_page/display_page_views.h"

#include "host/title_page/details_sheet.h"
#include "platform/foundation/NSBlock.h"

#include <cmath>

namespace host {

namespace {
constexpr CGFloat kMargin = 16;
constexpr CGFloat kInset = 4;
constexpr CGFloat kGap = 8;
Ref<NSString> nsText(const std::string& s) { return NSString::stringWithUTF8String(s); }
}  // namespace

std::string collectionViewCellClassName(const std::string& viewName) {
  return "_TtGC21NetflixCollectionView18CollectionViewCellC4Argo" + std::to_string(viewName.size()) + viewName + "_";
}

// --- the shared content view -----------------------------------------------------

Ref<UILabel> DisplayPageContentView::addLabelPart(const char* identifier, NSInteger lines) {
  Ref<NFUILabel> label = newView<NFUILabel>();
  label->setAccessibilityIdentifier(nsText(identifier));
  label->setNumberOfLines(lines);
  label->setTextColor(UIColor::whiteColor());
  addSubview(label);
  parts_.emplace_back(label);
  return label;
}

Ref<UIButton> DisplayPageContentView::addButtonPart(const char* identifier) {
  Ref<StandardButton> button = newView<StandardButton>();
  button->setAccessibilityIdentifier(nsText(identifier));
  addSubview(button);
  parts_.emplace_back(button);
  return button;
}

CGFloat DisplayPageContentView::rowHeightOf(size_t part) const {
  return part < rowHeights_.size() ? rowHeights_[part] : rowHeight_;
}

void DisplayPageContentView::configure(const PageItem& item) {
  UIKIT_MAIN_THREAD_ONLY();
  for (size_t i = 0; i < parts_.size(); ++i) {
    Ref<NSString> value = i < item.texts.size() ? nsText(item.texts[i]) : nullptr;
    if (auto* label = objc_cast<UILabel>(parts_[i].get()))
      label->setText(value);
    else if (auto* button = objc_cast<UIButton>(parts_[i].get()))
      button->setTitle_forState(value, UIControlStateNormal);
  }
}

void DisplayPageContentView::clear() { configure(PageItem{PageItemKind::Billboard, {}}); }

CGSize DisplayPageContentView::intrinsicContentSize() const {
  UIKIT_MAIN_THREAD_ONLY();
  CGFloat n = static_cast<CGFloat>(parts_.size());
  if (n == 0) return {UIViewNoIntrinsicMetric, UIViewNoIntrinsicMetric};
  CGFloat rows = rowHeight_;
  if (arrangement_ == Arrangement::Rows) {
    rows = kGap * (n - 1);
    for (size_t i = 0; i < parts_.size(); ++i) rows += rowHeightOf(i);
  }
  return {UIViewNoIntrinsicMetric, rows + 2 * kInset};
}

void DisplayPageContentView::layoutSubviews() {
  UIView::layoutSubviews();
  if (parts_.empty()) return;
  CGRect b = bounds();
  CGFloat n = static_cast<CGFloat>(parts_.size());
  CGFloat width = b.size.width - 2 * kMargin;
  CGFloat height = b.size.height - 2 * kInset;
  // Rows share the height they are given in proportion to their own heights.
  CGFloat natural = 0;
  for (size_t i = 0; i < parts_.size(); ++i) natural += rowHeightOf(i);
  const CGFloat share = natural > 0 ? (height - kGap * (n - 1)) / natural : 0;
  CGFloat top = kInset;
  for (size_t i = 0; i < parts_.size(); ++i) {
    CGFloat k = static_cast<CGFloat>(i);
    if (arrangement_ == Arrangement::Rows) {
      CGFloat row = rowHeightOf(i) * share;
      parts_[i]->setFrame(CGRectMake(kMargin, top, width, row));
      top += row + kGap;
    } else {
      CGFloat column = (width - kGap * (n - 1)) / n;
      parts_[i]->setFrame(CGRectMake(kMargin + k * (column + kGap), kInset, column, height));
    }
  }
}

// --- the hosted views -------------------------------------------------------------------

UIView* DisplayPageBillboardView::initWithFrame(CGRect frame) {
  DisplayPageContentView::initWithFrame(frame);
  art_ = newView<BoxArtView>();
  art_->setAccessibilityIdentifier(nsText("billboardArt"));
  addSubview(art_);
  return this;
}

void DisplayPageBillboardView::configure(const PageItem& item) {
  DisplayPageContentView::configure(item);
  art_->setArtworkName(item.texts.empty() ? "" : item.texts.front());
}

CGSize DisplayPageBillboardView::intrinsicContentSize() const {
  UIKIT_MAIN_THREAD_ONLY();
  return {UIViewNoIntrinsicMetric, std::round(UIScreen::mainScreen()->bounds().size.width * 9 / 16)};
}

void DisplayPageBillboardView::layoutSubviews() {
  DisplayPageContentView::layoutSubviews();
  art_->setFrame(bounds());
}

UIView* DisplayPageBrandGenreTitleView::initWithFrame(CGRect frame) {
  DisplayPageContentView::initWithFrame(frame);
  Ref<UILabel> brand = addLabelPart("brandLabel");
  brand->setFont(UIFont::boldSystemFontOfSize(11));
  brand->setTextColor(UIColor::lightGrayColor());
  addLabelPart("showTitle")->setFont(UIFont::boldSystemFontOfSize(23));
  setRowHeights({13, 27});  // a line of each font: the cell keeps its height
  return this;
}

UIView* DisplayPageTitleMetadataView::initWithFrame(CGRect frame) {
  DisplayPageContentView::initWithFrame(frame);
  Ref<UILabel> line = addLabelPart("metadataLabel");
  line->setFont(UIFont::systemFontOfSize(14));
  line->setTextColor(UIColor::lightGrayColor());
  tap_ = make<UITapGestureRecognizer>(static_cast<id>(this), sel_registerName("handleMetadataTap"));
  addGestureRecognizer(tap_);
  return this;
}

void DisplayPageTitleMetadataView::clear() {
  DisplayPageContentView::clear();
  content_.reset();
  presenter_ = Weak<UIViewController>();
}

void DisplayPageTitleMetadataView::setDetails(std::shared_ptr<const PageContent> content, DetailsSheetLayout layout,
                                              UIViewController* presenter) {
  content_ = std::move(content);
  layout_ = layout;
  presenter_ = Weak<UIViewController>(presenter);
}

void DisplayPageTitleMetadataView::handleMetadataTap() {
  UIKIT_MAIN_THREAD_ONLY();
  if (!content_) return;
  // Nothing here keeps the page or this view alive: either may be gone by
  // the time the sheet is presented or has appeared.
  auto present = [content = content_, layout = layout_, presenter = presenter_,
                  me = Weak<DisplayPageTitleMetadataView>(this)] {
    Ref<UIViewController> from = presenter.lock();
    if (!from) return;
    Ref<ActionSheetController> sheet = makeDetailsSheet(content->title, layout);
    StrongId coordinator = objc_msgSend<StrongId>(objc_getClass("NeroAppFlowController"), "sharedInstance");
    Ref<NSBlock> completion = NSBlock::blockWithFunction([me] {
      if (Ref<DisplayPageTitleMetadataView> view = me.lock()) ++view->sheetsShown_;
    });
    objc_msgSend<void>(coordinator, "presentViewController:fromViewController:animated:completion:", sheet, from, true,
                       completion);
  };
  // A details entity is fetched from the app's data layer, which answers on
  // a later turn of the main run loop; the sections of older versions are
  // already on the page, so their sheet is presented within the tap.
  if (layout_ == DetailsSheetLayout::DetailsEntity)
    dispatch_async(dispatch_get_main_queue(), present);
  else
    present();
}

UIView* PlayButtonContentView::initWithFrame(CGRect frame) {
  DisplayPageContentView::initWithFrame(frame);
  Ref<UIButton> play = addButtonPart("playButton");
  play->setBackgroundColor(UIColor::whiteColor());
  play->setTintColor(UIColor::blackColor());
  Ref<UIButton> download = addButtonPart("downloadButton");
  download->setBackgroundColor(make<UIColor>(0.2, 0.2, 0.2, 1));
  download->setTintColor(UIColor::whiteColor());
  setRowHeight(44);
  return this;
}

UIView* DisplayPageSynopsisView::initWithFrame(CGRect frame) {
  DisplayPageContentView::initWithFrame(frame);
  addLabelPart("synopsisLabel", 0);
  setRowHeight(80);
  return this;
}

UIView* DisplayPageCreditsView::initWithFrame(CGRect frame) {
  DisplayPageContentView::initWithFrame(frame);
  addLabelPart("starringLabel");
  addLabelPart("creatorsLabel");
  setRowHeight(20);  // a line of the label font, descenders included
  return this;
}

UIView* DisplayPageActionsView::initWithFrame(CGRect frame) {
  DisplayPageContentView::initWithFrame(frame);
  setArrangement(Arrangement::Columns);
  addButtonPart("myListButton");
  addButtonPart("rateButton");
  addButtonPart("shareButton");
  setRowHeight(64);
  return this;
}

UIView* DisplayPageEpisodeView::initWithFrame(CGRect frame) {
  DisplayPageContentView::initWithFrame(frame);
  addLabelPart("episodeTitle");
  addLabelPart("episodeRuntime");
  setRowHeight(48);
  return this;
}

UIView* DisplayPageMoreLikeThisView::initWithFrame(CGRect frame) {
  DisplayPageContentView::initWithFrame(frame);
  setArrangement(Arrangement::Columns);
  addLabelPart("tile1", 0);
  addLabelPart("tile2", 0);
  addLabelPart("tile3", 0);
  setRowHeight(168);
  return this;
}

// --- the hosting cell ------------------------------------------------------------------------

UIView* HostingCell::initWithFrame(CGRect frame) {
  UICollectionViewCell::initWithFrame(frame);
  hosted_ = makeHostedView();
  if (!hosted_) return this;
  UIView* content = contentView();
  content->setBackgroundColor(UIColor::blackColor());
  hosted_->setTranslatesAutoresizingMaskIntoConstraints(false);
  content->addSubview(hosted_);
  auto pin = [&](NSLayoutAttribute attribute) {
    Ref<NSLayoutConstraint> c = NSLayoutConstraint::constraintWithItem_attribute_relatedBy_toItem_attribute_multiplier_constant(
        hosted_, attribute, NSLayoutRelationEqual, content, attribute, 1.0, 0.0);
    content->addConstraint(c);
    return c;
  };
  top_ = pin(NSLayoutAttributeTop);
  pin(NSLayoutAttributeLeading);
  pin(NSLayoutAttributeTrailing);
  pin(NSLayoutAttributeBottom);
  hosted_->setFrame(content->bounds());
  return this;
}

void HostingCell::prepareForReuse() {
  UICollectionViewCell::prepareForReuse();
  if (hosted_) hosted_->clear();
}

void HostingCell::layoutSubviews() {
  UICollectionViewCell::layoutSubviews();
  contentView()->setFrame(bounds());
}

}  // namespace host
