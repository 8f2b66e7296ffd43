#pragma once
// The views inside the current title page's cells, and the generic cell that
// hosts one of them (the app's CollectionViewCell<View>, whose run-time name
// is the mangled "_TtGC21NetflixCollectionView18CollectionViewCellC4Argo<n><View>_").
//
// Each hosted view is pinned to its cell's content view by four constraints,
// the top one first, and reports the height its parts need as its natural
// height, so the cell sizes itself from its content. Inside a hosted view
// the parts are placed by hand in layoutSubviews. Main thread only.

#include <memory>
#include <string>

#include "host/art/box_art.h"
#include "host/title_page/page_items.h"
#include "host/version.h"
#include "platform/uikit/UIKit.h"

namespace host {

// "NFUILabel": the app's label.
class NFUILabel : public UILabel {
 public:
  using UILabel::UILabel;
};

// "HawkinsComponents.StandardButton": the design system's button.
class StandardButton : public UIButton {
 public:
  StandardButton() = default;
};

// A view made as the device makes one: an instance of T's run-time class,
// initialised by sending "initWithFrame:". T must be registered.
template <class T>
Ref<T> newView(CGRect frame = CGRectZero);

// What every hosted view shares: it shows one page item.
class DisplayPageContentView : public UIView {
 public:
  DisplayPageContentView() = default;
  // Shows item's texts; the view keeps no reference to the page.
  virtual void configure(const PageItem& item);
  // Forgets what the last item left, before the cell is reused.
  virtual void clear();
  void layoutSubviews() override;
  // The height its parts need (rows of rowHeight, or one row of columns,
  // with insets and gaps); no natural width.
  CGSize intrinsicContentSize() const override;

 protected:
  enum class Arrangement { Rows, Columns };
  // Adds a label or button part; parts take the item's texts in order.
  Ref<UILabel> addLabelPart(const char* identifier, NSInteger lines = 1);
  Ref<UIButton> addButtonPart(const char* identifier);
  void setArrangement(Arrangement arrangement) { arrangement_ = arrangement; }
  void setRowHeight(CGFloat height) { rowHeight_ = height; }
  // Rows of their own heights, in part order (the rows arrangement).
  void setRowHeights(std::vector<CGFloat> heights) { rowHeights_ = std::move(heights); }

 private:
  CGFloat rowHeightOf(size_t part) const;

  std::vector<Ref<UIView>> parts_;
  Arrangement arrangement_ = Arrangement::Rows;
  CGFloat rowHeight_ = 20;
  std::vector<CGFloat> rowHeights_;
};

// "Argo.DisplayPageBillboardView": the artwork of the title the item names.
class DisplayPageBillboardView : public DisplayPageContentView {
 public:
  UIView* initWithFrame(CGRect frame) override;
  void configure(const PageItem& item) override;
  void layoutSubviews() override;
  // 16:9 of the screen's width: the page is as wide as the screen.
  CGSize intrinsicContentSize() const override;

 private:
  Ref<BoxArtView> art_;
};

// "Argo.DisplayPageBrandGenreTitleView": a brand line (the kind, small), then
// the title, large and bold, in an NFUILabel whose accessibility identifier
// is "showTitle".
class DisplayPageBrandGenreTitleView : public DisplayPageContentView {
 public:
  UIView* initWithFrame(CGRect frame) override;
};

// "Argo.DisplayPageTitleMetadataView": the metadata line in an NFUILabel.
// A tap (its recogniser, or "handleMetadataTap" sent by anyone) opens the
// title's details sheet through NeroAppFlowController: within the tap when
// the sheet carries sections, on a later main-queue turn when it carries a
// details entity (the entity is fetched first). A page that closed meanwhile
// presents nothing.
class DisplayPageTitleMetadataView : public DisplayPageContentView {
 public:
  UIView* initWithFrame(CGRect frame) override;
  void clear() override;

  // What the sheet shows and who presents it; the presenter is held weakly.
  void setDetails(std::shared_ptr<const PageContent> content, DetailsSheetLayout layout, UIViewController* presenter);
  // "handleMetadataTap" ("v@:").
  void handleMetadataTap();
  UITapGestureRecognizer* tapRecognizer() const { return tap_.get(); }
  // How many of its sheets finished appearing (their completion ran).
  int sheetsShown() const { return sheetsShown_; }

 private:
  int sheetsShown_ = 0;
  std::shared_ptr<const PageContent> content_;
  DetailsSheetLayout layout_ = DetailsSheetLayout::Dictionaries;
  Weak<UIViewController> presenter_;
  Ref<UITapGestureRecognizer> tap_;
};

// The play-button view: "Play" as a StandardButton with the accessibility
// identifier "playButton" (white, as the app's main action), then "Download"
// (dark grey). The app renamed its class at
// 16.51.0; both names are the same view.
class PlayButtonContentView : public DisplayPageContentView {
 public:
  UIView* initWithFrame(CGRect frame) override;
};
// "Argo.DisplayPageButtonView" (before 16.51.0).
class DisplayPageButtonView : public PlayButtonContentView {};
// "Argo.DisplayPagePlaybackButtonView" (16.51.0 and later).
class DisplayPagePlaybackButtonView : public PlayButtonContentView {};

// "Argo.DisplayPageSynopsisView".
class DisplayPageSynopsisView : public DisplayPageContentView {
 public:
  UIView* initWithFrame(CGRect frame) override;
};
// "Argo.DisplayPageCreditsView".
class DisplayPageCreditsView : public DisplayPageContentView {
 public:
  UIView* initWithFrame(CGRect frame) override;
};
// "Argo.DisplayPageActionsView": My List, Rate, Share.
class DisplayPageActionsView : public DisplayPageContentView {
 public:
  UIView* initWithFrame(CGRect frame) override;
};
// "Argo.DisplayPageEpisodeView".
class DisplayPageEpisodeView : public DisplayPageContentView {
 public:
  UIView* initWithFrame(CGRect frame) override;
};
// "Argo.DisplayPageMoreLikeThisView": three tiles.
class DisplayPageMoreLikeThisView : public DisplayPageContentView {
 public:
  UIView* initWithFrame(CGRect frame) override;
};

// The cell that hosts one content view in its content view.
class HostingCell : public UICollectionViewCell {
 public:
  HostingCell() = default;
  UIView* initWithFrame(CGRect frame) override;
  void prepareForReuse() override;
  void layoutSubviews() override;

  DisplayPageContentView* hostedView() const { return hosted_.get(); }
  // The constraint pinning the hosted view's top to the content view's top.
  NSLayoutConstraint* hostedTopConstraint() const { return top_.get(); }

 protected:
  virtual Ref<DisplayPageContentView> makeHostedView() { return nullptr; }

 private:
  Ref<DisplayPageContentView> hosted_;
  Ref<NSLayoutConstraint> top_;
};

template <class V>
class CollectionViewCell : public HostingCell {
 protected:
  Ref<DisplayPageContentView> makeHostedView() override { return newView<V>(); }
};

// "_TtGC21NetflixCollectionView18CollectionViewCellC4Argo" + length + name + "_".
std::string collectionViewCellClassName(const std::string& viewName);

template <class T>
Ref<T> newView(CGRect frame) {
  Class cls = objc::classOf<T>();
  if (!cls) objc::fatal(std::string("host: view class not registered in this version: ") + typeid(T).name());
  StrongId made = StrongId::adopt(class_createInstance(cls, 0));
  StrongId initialised = objc_msgSend<StrongId>(made, "initWithFrame:", frame);
  return Ref<T>(objc_cast<T>(initialised.get()));
}

}  // namespace host
