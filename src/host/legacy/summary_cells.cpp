#include "host/legacy/summary_cells.h"

#include <fmt/format.h>

#include <algorithm>

#include "host/classes/register.h"
#include "platform/uikit/text_metrics.h"

namespace host {

namespace {
constexpr CGFloat kMargin = 16;
constexpr CGFloat kArtWidth = 120;
constexpr CGFloat kArtHeight = 170;
constexpr CGFloat kTitleSize = 22, kYearSize = 13, kBadgeSize = 13, kMessageSize = 13, kSynopsisSize = 14;
constexpr CGFloat kRatingContainerHeight = 28;
constexpr CGFloat kButtonHeight = 44;

Ref<NSString> text(const std::string& s) { return s.empty() ? nullptr : NSString::stringWithUTF8String(s); }

std::string joined(const std::vector<std::string>& names, size_t limit) {
  std::string out;
  for (size_t i = 0; i < names.size() && i < limit; ++i) out += (i ? ", " : "") + names[i];
  return out;
}

CGFloat textHeight(const UILabel* label, CGFloat width) {
  return uikit::measureText(label->text(), label->font()->pointSize(), label->numberOfLines(), width).height;
}

Ref<UIButton> makeButton(const char* identifier, const char* title) {
  Ref<UIButton> button = UIButton::buttonWithType(UIButtonTypeSystem);
  button->setAccessibilityIdentifier(NSString::stringWithUTF8String(identifier));
  button->setTitle_forState(NSString::stringWithUTF8String(title), UIControlStateNormal);
  button->setTranslatesAutoresizingMaskIntoConstraints(false);
  return button;
}

}  // namespace

SummaryCellModel::SummaryCellModel(const CatalogTitle& t)
    : synopsis(t.synopsis), maturity(t.maturity.value_or("")),
      titleText_(NSString::stringWithUTF8String(t.title)),
      releaseYear_(NSNumber::numberWithInteger(t.year)) {
  if (!t.isMovie) {
    numSeasons_ = NSNumber::numberWithInteger(t.seasons.value_or(1));
    supplementalMessage = t.limited ? "Limited Series" : "New episodes every week";
  }
  if (!t.cast.empty()) cast_ = NSString::stringWithUTF8String("Cast: " + joined(t.cast, 3));
}

SupplementalMessageStack::SupplementalMessageStack(UILabel* label) : label_(label) { addSubview(label); }

CGSize SupplementalMessageStack::intrinsicContentSize() const {
  UIKIT_MAIN_THREAD_ONLY();
  return {UIViewNoIntrinsicMetric, uikit::measureText(label_->text(), label_->font()->pointSize(), 1).height};
}

void SupplementalMessageStack::layoutSubviews() {
  UIView::layoutSubviews();
  label_->setFrame(bounds());
}

// --- the shared cell ------------------------------------------------------------------

Ref<UILabel> LegacySummaryCell::addLabel(const char* identifier, CGFloat size, NSInteger lines, UIColor* colour) {
  Ref<UILabel> label = ::make<UILabel>(CGRectZero);
  label->setAccessibilityIdentifier(NSString::stringWithUTF8String(identifier));
  label->setFont(UIFont::systemFontOfSize(size));
  label->setNumberOfLines(lines);
  label->setTextColor(colour);
  label->setTranslatesAutoresizingMaskIntoConstraints(false);
  contentView()->addSubview(label);
  return label;
}

Ref<UIView> LegacySummaryCell::addView(const char* identifier) {
  Ref<UIView> view = ::make<UIView>(CGRectZero);
  view->setAccessibilityIdentifier(NSString::stringWithUTF8String(identifier));
  view->setTranslatesAutoresizingMaskIntoConstraints(false);
  contentView()->addSubview(view);
  return view;
}

Ref<NSLayoutConstraint> LegacySummaryCell::make(UIView* a, NSLayoutAttribute aa, UIView* b, NSLayoutAttribute ba,
                                                CGFloat constant) {
  return NSLayoutConstraint::constraintWithItem_attribute_relatedBy_toItem_attribute_multiplier_constant(
      a, aa, NSLayoutRelationEqual, b, ba, 1.0, constant);
}

// As the interface file holds them: by the views' common superview.
void LegacySummaryCell::pin(UIView* a, NSLayoutAttribute aa, UIView* b, NSLayoutAttribute ba, CGFloat constant) {
  make(a, aa, b, ba, constant)->setActive(true);
}

void LegacySummaryCell::fix(UIView* view, NSLayoutAttribute attribute, CGFloat constant) {
  make(view, attribute, nullptr, NSLayoutAttributeNotAnAttribute, constant)->setActive(true);
}

void LegacySummaryCell::setModel(SummaryCellModel* model) {
  UIKIT_MAIN_THREAD_ONLY();
  model_ = model;
  show(model);
}

void LegacySummaryCell::prepareForReuse() {
  UICollectionViewCell::prepareForReuse();
  setModel(nullptr);
}

void LegacySummaryCell::show(const SummaryCellModel* model) {
  synopsis_->setText(model ? text(model->synopsis) : nullptr);
  message_->setText(model ? text(model->supplementalMessage) : nullptr);
}

// --- the iPad summary-art cell ------------------------------------------------------------

UIView* DisplayPageSummaryArtCell::initWithFrame(CGRect frame) {
  LegacySummaryCell::initWithFrame(frame);
  UIView* content = contentView();
  content->setBackgroundColor(UIColor::blackColor());
  art_ = ::make<UIImageView>(CGRectZero);
  art_->setAccessibilityIdentifier(NSString::stringWithUTF8String("boxArt"));
  art_->setBackgroundColor(UIColor::darkGrayColor());
  art_->setTranslatesAutoresizingMaskIntoConstraints(false);
  content->addSubview(art_);
  title_ = addLabel("titleLabel", kTitleSize, 0, UIColor::whiteColor());
  year_ = addLabel("releaseYearLabel", kYearSize, 1, UIColor::lightGrayColor());
  ratingContainer_ = addView("ratingContainer");
  badge_ = ::make<UILabel>(CGRectZero);
  badge_->setAccessibilityIdentifier(NSString::stringWithUTF8String("maturityBadge"));
  badge_->setFont(UIFont::systemFontOfSize(kBadgeSize));
  badge_->setTextColor(UIColor::lightGrayColor());
  badge_->setTranslatesAutoresizingMaskIntoConstraints(false);
  ratingContainer_->addSubview(badge_);
  message_ = addLabel("supplementalMessageLabel", kMessageSize, 0, UIColor::whiteColor());
  synopsis_ = addLabel("synopsisLabel", kSynopsisSize, 0, UIColor::lightGrayColor());

  pin(art_, NSLayoutAttributeLeading, content, NSLayoutAttributeLeading, kMargin);
  pin(art_, NSLayoutAttributeTop, content, NSLayoutAttributeTop, kMargin);
  fix(art_, NSLayoutAttributeWidth, kArtWidth);
  fix(art_, NSLayoutAttributeHeight, kArtHeight);
  pin(title_, NSLayoutAttributeLeading, art_, NSLayoutAttributeTrailing, kMargin);
  pin(title_, NSLayoutAttributeTrailing, content, NSLayoutAttributeTrailing, -kMargin);
  pin(title_, NSLayoutAttributeTop, content, NSLayoutAttributeTop, kMargin);
  pin(year_, NSLayoutAttributeLeading, title_, NSLayoutAttributeLeading);
  pin(year_, NSLayoutAttributeTop, title_, NSLayoutAttributeBottom, 4);
  pin(ratingContainer_, NSLayoutAttributeLeading, title_, NSLayoutAttributeLeading);
  pin(ratingContainer_, NSLayoutAttributeTrailing, title_, NSLayoutAttributeTrailing);
  pin(ratingContainer_, NSLayoutAttributeTop, year_, NSLayoutAttributeBottom, 4);
  fix(ratingContainer_, NSLayoutAttributeHeight, kRatingContainerHeight);
  // The badge sits at the top of its container; the rest is padding.
  pin(badge_, NSLayoutAttributeLeading, ratingContainer_, NSLayoutAttributeLeading);
  pin(badge_, NSLayoutAttributeTop, ratingContainer_, NSLayoutAttributeTop, 2);
  pin(message_, NSLayoutAttributeLeading, title_, NSLayoutAttributeLeading);
  pin(message_, NSLayoutAttributeTrailing, title_, NSLayoutAttributeTrailing);
  pin(message_, NSLayoutAttributeTop, ratingContainer_, NSLayoutAttributeBottom);
  pin(synopsis_, NSLayoutAttributeLeading, title_, NSLayoutAttributeLeading);
  pin(synopsis_, NSLayoutAttributeTrailing, title_, NSLayoutAttributeTrailing);
  pin(synopsis_, NSLayoutAttributeTop, message_, NSLayoutAttributeBottom, 8);
  return this;
}

void DisplayPageSummaryArtCell::show(const SummaryCellModel* model) {
  LegacySummaryCell::show(model);
  title_->setText(model ? model->titleText().get() : nullptr);
  year_->setText(model && model->releaseYear() ? model->releaseYear()->stringValue().get() : nullptr);
  badge_->setText(model ? text(model->maturity) : nullptr);
}

CGSize DisplayPageSummaryArtCell::calculatedSize(CGSize fitting) {
  UIKIT_MAIN_THREAD_ONLY();
  CGFloat column = fitting.width - kMargin - kArtWidth - kMargin - kMargin;
  CGFloat texts = kMargin + textHeight(title_, column) + 4 + textHeight(year_, column) + 4 + kRatingContainerHeight +
                  textHeight(message_, column) + 8 + textHeight(synopsis_, column) + kMargin;
  return CGSizeMake(fitting.width, std::max(kMargin + kArtHeight + kMargin, texts));
}

// --- the above-the-fold cell ---------------------------------------------------------------------

UIView* NFUIDisplayPageAboveTheFoldSummaryCell::initWithFrame(CGRect frame) {
  LegacySummaryCell::initWithFrame(frame);
  using L = HostFeatures::AboveTheFold;
  const L layout = runningHostFeatures().aboveTheFoldLayout;
  const bool from11 = layout != L::TopMessage;
  const bool merch = layout == L::InlineMerch || layout == L::MessageStack;
  const bool stack = layout == L::MessageStack;
  UIView* content = contentView();
  content->setBackgroundColor(UIColor::blackColor());

  if (from11) {
    spacer_ = addView("topSpacer");
    pin(spacer_, NSLayoutAttributeTop, content, NSLayoutAttributeTop);
    pin(spacer_, NSLayoutAttributeLeading, content, NSLayoutAttributeLeading);
    pin(spacer_, NSLayoutAttributeTrailing, content, NSLayoutAttributeTrailing);
    fix(spacer_, NSLayoutAttributeHeight, 8);
  }
  UIView* anchor = nullptr;
  if (stack) {
    message_ = ::make<UILabel>(CGRectZero);
    message_->setAccessibilityIdentifier(NSString::stringWithUTF8String("supplementalMessageLabel"));
    message_->setFont(UIFont::systemFontOfSize(kMessageSize));
    message_->setTextColor(UIColor::whiteColor());
    stack_ = ::make<SupplementalMessageStack>(message_.get());
    stack_->setAccessibilityIdentifier(NSString::stringWithUTF8String("supplementalMessageStackView"));
    stack_->setTranslatesAutoresizingMaskIntoConstraints(false);
    content->addSubview(stack_);
    anchor = stack_.get();
  } else {
    message_ = addLabel("supplementalMessageLabel", kMessageSize, 0, UIColor::whiteColor());
    anchor = message_.get();
  }
  pin(anchor, NSLayoutAttributeLeading, content, NSLayoutAttributeLeading, kMargin);
  pin(anchor, NSLayoutAttributeTrailing, content, NSLayoutAttributeTrailing, -kMargin);
  if (from11) {
    // Two holds on the same top: the content's edge and the spacer below it.
    pin(anchor, NSLayoutAttributeTop, content, NSLayoutAttributeTop, 8);
    pin(anchor, NSLayoutAttributeTop, spacer_, NSLayoutAttributeBottom);
  } else {
    pin(anchor, NSLayoutAttributeTop, content, NSLayoutAttributeTop);
  }

  UIView* play = nullptr;
  play_ = makeButton("playButton", "Play");
  if (merch) {
    download_ = makeButton("downloadButton", "Download");
    merch_ = addView("inlineMerchView");
    merch_->addSubview(play_);
    merch_->addSubview(download_);
    fix(merch_, NSLayoutAttributeHeight, 2 * kButtonHeight + 8);
    for (UIButton* button : {play_.get(), download_.get()}) {
      pin(button, NSLayoutAttributeLeading, merch_, NSLayoutAttributeLeading);
      pin(button, NSLayoutAttributeTrailing, merch_, NSLayoutAttributeTrailing);
      fix(button, NSLayoutAttributeHeight, kButtonHeight);
    }
    pin(play_, NSLayoutAttributeTop, merch_, NSLayoutAttributeTop);
    pin(download_, NSLayoutAttributeTop, play_, NSLayoutAttributeBottom, 8);
    merchPlayTop_ = make(merch_, NSLayoutAttributeTop, anchor, NSLayoutAttributeBottom, 12);
    merchPlayTop_->setActive(true);
    play = merch_.get();
  } else {
    content->addSubview(play_);
    fix(play_, NSLayoutAttributeHeight, kButtonHeight);
    pin(play_, NSLayoutAttributeTop, anchor, NSLayoutAttributeBottom, 12);
    play = play_.get();
  }
  pin(play, NSLayoutAttributeLeading, content, NSLayoutAttributeLeading, kMargin);
  pin(play, NSLayoutAttributeTrailing, content, NSLayoutAttributeTrailing, -kMargin);

  synopsis_ = addLabel("synopsisLabel", kSynopsisSize, 0, UIColor::whiteColor());
  starring_ = addLabel("evidenceStarringLabel", kMessageSize, 0, UIColor::grayColor());
  for (UILabel* label : {synopsis_.get(), starring_.get()}) {
    pin(label, NSLayoutAttributeLeading, content, NSLayoutAttributeLeading, kMargin);
    pin(label, NSLayoutAttributeTrailing, content, NSLayoutAttributeTrailing, -kMargin);
  }
  pin(synopsis_, NSLayoutAttributeTop, play, NSLayoutAttributeBottom, 12);
  pin(starring_, NSLayoutAttributeTop, synopsis_, NSLayoutAttributeBottom, 8);
  pin(content, NSLayoutAttributeBottom, starring_, NSLayoutAttributeBottom, kMargin);
  return this;
}

void NFUIDisplayPageAboveTheFoldSummaryCell::show(const SummaryCellModel* model) {
  LegacySummaryCell::show(model);
  Ref<NSString> cast = model ? model->cast() : nullptr;
  starring_->setText(cast ? cast->stringByReplacingOccurrencesOfString_withString("Cast: "_ns, "Starring: "_ns)
                          : nullptr);
  if (stack_) stack_->setNeedsLayout();
}

// --- the list cell -----------------------------------------------------------------------------------

UIView* LegacyListCell::initWithFrame(CGRect frame) {
  UICollectionViewCell::initWithFrame(frame);
  UIView* content = contentView();
  content->setBackgroundColor(UIColor::blackColor());
  label_ = ::make<UILabel>(CGRectZero);
  label_->setNumberOfLines(0);
  label_->setFont(UIFont::systemFontOfSize(kSynopsisSize));
  label_->setTextColor(UIColor::whiteColor());
  label_->setTranslatesAutoresizingMaskIntoConstraints(false);
  content->addSubview(label_);
  auto pinned = [&](NSLayoutAttribute attribute, CGFloat constant) {
    NSLayoutConstraint::constraintWithItem_attribute_relatedBy_toItem_attribute_multiplier_constant(
        label_, attribute, NSLayoutRelationEqual, content, attribute, 1.0, constant)
        ->setActive(true);
  };
  pinned(NSLayoutAttributeLeading, kMargin);
  pinned(NSLayoutAttributeTrailing, -kMargin);
  pinned(NSLayoutAttributeTop, 12);
  pinned(NSLayoutAttributeBottom, -12);
  return this;
}

void LegacyListCell::configure(const PageItem& item) {
  std::string line;
  for (const std::string& part : item.texts) line += (line.empty() ? "" : "   ") + part;
  label_->setText(text(line));
}

Ref<UICollectionViewCell> loadCellFromNib(Class cls, CGFloat width) {
  StrongId made = StrongId::adopt(class_createInstance(cls, 0));
  StrongId initialised = objc_msgSend<StrongId>(made, "initWithFrame:", CGRectZero);
  Ref<UICollectionViewCell> cell(objc_cast<UICollectionViewCell>(initialised.get()));
  if (!cell) return nullptr;
  // The interface file's design size is the size its constraints make.
  cell->setFrame(CGRectMake(0, 0, width, cell->systemLayoutSizeFittingSize(CGSizeMake(width, 0)).height));
  cell->layoutIfNeeded();
  objc_msgSend<void>(cell, "awakeFromNib");
  return cell;
}

}  // namespace host
