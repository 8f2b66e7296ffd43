// "DisplayPageSummaryArtCell": the older page's iPad summary cell (before 9.48.0).

#include "host/legacy/summary_cells.h"

#include "host/legacy/cell_parts.h"
#include "host/art/box_art.h"

namespace host {

using namespace legacy;

namespace {
constexpr CGFloat kSummaryArtWidth = 120;
constexpr CGFloat kSummaryArtHeight = 170;
constexpr CGFloat kSummaryTitleSize = 24, kSummaryYearSize = 13, kSummaryBadgeSize = 13;
constexpr CGFloat kSummaryRatingHeight = 28;
}  // namespace

// --- the iPad summary-art cell ------------------------------------------------------------

UIView* DisplayPageSummaryArtCell::initWithFrame(CGRect frame) {
  LegacySummaryCell::initWithFrame(frame);
  UIView* content = contentView();
  content->setBackgroundColor(UIColor::blackColor());
  art_ = legacy::addBoxArt(content);
  title_ = addLabel("titleLabel", kSummaryTitleSize, 0, UIColor::whiteColor());
  title_->setFont(UIFont::boldSystemFontOfSize(kSummaryTitleSize));
  year_ = addLabel("releaseYearLabel", kSummaryYearSize, 1, UIColor::lightGrayColor());
  length_ = addLabel("durationLabel", kSummaryYearSize, 1, UIColor::lightGrayColor());
  ratingContainer_ = addView("ratingContainer");
  badge_ = ::make<UILabel>(CGRectZero);
  badge_->setAccessibilityIdentifier(NSString::stringWithUTF8String("maturityBadge"));
  badge_->setFont(UIFont::systemFontOfSize(kSummaryBadgeSize));
  badge_->setTextColor(UIColor::lightGrayColor());
  badge_->setTranslatesAutoresizingMaskIntoConstraints(false);
  ratingContainer_->addSubview(badge_);
  message_ = addLabel("supplementalMessageLabel", kCellMessageSize, 0, UIColor::whiteColor());
  synopsis_ = addLabel("synopsisLabel", kCellSynopsisSize, 0, UIColor::lightGrayColor());

  pin(art_, NSLayoutAttributeLeading, content, NSLayoutAttributeLeading, kCellMargin);
  pin(art_, NSLayoutAttributeTop, content, NSLayoutAttributeTop, kCellMargin);
  fix(art_, NSLayoutAttributeWidth, kSummaryArtWidth);
  fix(art_, NSLayoutAttributeHeight, kSummaryArtHeight);
  pin(title_, NSLayoutAttributeLeading, art_, NSLayoutAttributeTrailing, kCellMargin);
  pin(title_, NSLayoutAttributeTrailing, content, NSLayoutAttributeTrailing, -kCellMargin);
  pin(title_, NSLayoutAttributeTop, content, NSLayoutAttributeTop, kCellMargin);
  pin(year_, NSLayoutAttributeLeading, title_, NSLayoutAttributeLeading);
  pin(year_, NSLayoutAttributeTop, title_, NSLayoutAttributeBottom, 4);
  // The year line: the year, then the running time or the seasons beside it.
  pin(length_, NSLayoutAttributeLeading, year_, NSLayoutAttributeTrailing, 12);
  pin(length_, NSLayoutAttributeTop, year_, NSLayoutAttributeTop);
  pin(ratingContainer_, NSLayoutAttributeLeading, title_, NSLayoutAttributeLeading);
  pin(ratingContainer_, NSLayoutAttributeTrailing, title_, NSLayoutAttributeTrailing);
  pin(ratingContainer_, NSLayoutAttributeTop, year_, NSLayoutAttributeBottom, 4);
  fix(ratingContainer_, NSLayoutAttributeHeight, kSummaryRatingHeight);
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
  length_->setText(model ? cellText(model->length) : nullptr);
  badge_->setText(model ? cellText(model->maturity) : nullptr);
  art_->setArtworkName(model ? model->artworkName : "");
}

CGSize DisplayPageSummaryArtCell::calculatedSize(CGSize fitting) {
  UIKIT_MAIN_THREAD_ONLY();
  CGFloat column = fitting.width - kCellMargin - kSummaryArtWidth - kCellMargin - kCellMargin;
  CGFloat texts = kCellMargin + cellTextHeight(title_, column) + 4 + cellTextHeight(year_, column) + 4 + kSummaryRatingHeight +
                  cellTextHeight(message_, column) + 8 + cellTextHeight(synopsis_, column) + kCellMargin;
  return CGSizeMake(fitting.width, std::max(kCellMargin + kSummaryArtHeight + kCellMargin, texts));
}

}  // namespace host
