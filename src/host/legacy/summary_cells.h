#pragma once
// The older title page's cells, as the app loads them from its interface
// files: a cell is made at its design size with its views and the
// constraints between them, laid out by those constraints, and only then
// sent "awakeFromNib" through the run time (loadCellFromNib). Each view the
// app reaches by name is also a run-time member ("@@:"), as outlets are.
//
// Versions of the layout (what the app shipped):
//   DisplayPageSummaryArtCell (iPad, before 9.48.0): box art on the left; to
//     its right the title (bold), the year with the running time or seasons
//     beside it, the rating container (maturity badge), the
//     supplemental message right below it, the synopsis. The app sizes the
//     cell by hand in calculatedSize:, from its fixed metrics and the
//     synopsis's measured text; the bottom is free.
//   NFUIDisplayPageAboveTheFoldSummaryCell, top to bottom, sized by its
//     constraints (self-sizing):
//     before 11.0.0   supplemental message at the top, the Play button,
//                     synopsis, "Starring" line;
//     11.0.0          an 8-point top spacer; the message is held by two top
//                     constraints (to the content view and to the spacer);
//     13.14.0         the Play button becomes the inline merch view, whose
//                     top constraint "merchPlayTop" hangs it below the message;
//     14.28.0         the message sits in a stack view, which merchPlayTop
//                     hangs the merch view below.
// The above-the-fold cell has the title's art, title and year line in a cell
// of its own above it (art_header_cell.h). A file per cell:
// summary_cell.cpp (what both share, the list cell, loading),
// summary_art_cell.cpp, above_the_fold_cell.cpp. Main thread only.

#include <memory>

#include "host/art/box_art.h"
#include "host/title_page/page_items.h"
#include "host/version.h"
#include "platform/foundation/NSValue.h"
#include "platform/uikit/UIKit.h"

namespace host {

// "NFUIDisplayPageSummaryModel": what a summary cell shows.
class SummaryCellModel : public NSObject {
 public:
  SummaryCellModel() = default;
  explicit SummaryCellModel(const CatalogTitle& title);

  Ref<NSString> titleText() const { return titleText_; }        // "@@:"
  Ref<NSNumber> releaseYear() const { return releaseYear_; }    // "@@:"
  Ref<NSNumber> numSeasons() const { return numSeasons_; }      // "@@:", nil for a film
  Ref<NSString> cast() const { return cast_; }                  // "@@:", "Cast: A, B, C"
  std::string synopsis, maturity, supplementalMessage;
  std::string length;       // "2h 50m" for a film, "5 Seasons" for a series
  std::string artworkName;  // whose box art to show

 private:
  Ref<NSString> titleText_, cast_;
  Ref<NSNumber> releaseYear_, numSeasons_;
};

// "NFUIStackView" as the 14.28.0 cell uses it: one arranged label, the stack
// as tall as the label's one line of text (nothing when it is empty).
class SupplementalMessageStack : public UIView {
 public:
  SupplementalMessageStack() = default;
  explicit SupplementalMessageStack(UILabel* label);
  CGSize intrinsicContentSize() const override;
  void layoutSubviews() override;

 private:
  Ref<UILabel> label_;
};

// What both summary cells share: a model, outlets, and the interface file.
class LegacySummaryCell : public UICollectionViewCell {
 public:
  LegacySummaryCell() = default;
  // "awakeFromNib" ("v@:"): the app's own does nothing more than the toolkit's.
  void awakeFromNib() {}

  StrongId model() const { return model_; }  // "@@:"
  // Shows model's texts; nil shows the cell empty (data not loaded yet).
  void setModel(SummaryCellModel* model);
  void prepareForReuse() override;

  Ref<UILabel> synopsisLabel() const { return synopsis_; }             // "@@:"
  Ref<UILabel> supplementalMessageLabel() const { return message_; }  // "@@:"

 protected:
  Ref<UILabel> addLabel(const char* identifier, CGFloat size, NSInteger lines, UIColor* colour);
  Ref<UIView> addView(const char* identifier);
  void pin(UIView* a, NSLayoutAttribute aa, UIView* b, NSLayoutAttribute ba, CGFloat constant = 0);
  Ref<NSLayoutConstraint> make(UIView* a, NSLayoutAttribute aa, UIView* b, NSLayoutAttribute ba, CGFloat constant = 0);
  void fix(UIView* view, NSLayoutAttribute attribute, CGFloat constant);
  virtual void show(const SummaryCellModel* model);

  Ref<SummaryCellModel> model_;
  Ref<UILabel> synopsis_, message_;
};

// "DisplayPageSummaryArtCell" (the iPad layout, before 9.48.0).
class DisplayPageSummaryArtCell : public LegacySummaryCell {
 public:
  UIView* initWithFrame(CGRect frame) override;
  // "calculatedSize:" ("{CGSize=dd}@:{CGSize=dd}"): the app's own sizing for
  // the width offered; the width is kept.
  CGSize calculatedSize(CGSize fitting);

  Ref<UIView> ratingContainer() const { return ratingContainer_; }
  Ref<UILabel> releaseYearLabel() const { return year_; }

 private:
  void show(const SummaryCellModel* model) override;
  Ref<BoxArtView> art_;
  Ref<UILabel> title_, year_, length_, badge_;
  Ref<UIView> ratingContainer_;
};

// "NFUIDisplayPageAboveTheFoldSummaryCell" (9.19.0 up to the current page).
class NFUIDisplayPageAboveTheFoldSummaryCell : public LegacySummaryCell {
 public:
  UIView* initWithFrame(CGRect frame) override;

  Ref<UIView> supplementalMessageStackView() const { return stack_; }  // nil before 14.28.0
  Ref<UIView> inlineMerchView() const { return merch_; }               // nil before 13.14.0
  Ref<UILabel> evidenceStarringLabel() const { return starring_; }
  Ref<NSLayoutConstraint> merchPlayTop() const { return merchPlayTop_; }  // nil before 13.14.0
  // The Play button: in the merch view from 13.14.0.
  UIButton* playButton() const { return play_.get(); }

 private:
  void show(const SummaryCellModel* model) override;
  Ref<UIView> stack_, merch_, spacer_;
  Ref<UILabel> starring_;
  Ref<UIButton> play_, download_;
  Ref<NSLayoutConstraint> merchPlayTop_;
};

// "NFUIDisplayPageListCell": one row below the summary (an episode, a row
// of similar titles); a wrapping label pinned inside its content view.
class LegacyListCell : public UICollectionViewCell {
 public:
  UIView* initWithFrame(CGRect frame) override;
  void configure(const PageItem& item);
  UILabel* label() const { return label_.get(); }

 private:
  Ref<UILabel> label_;
};

// Makes a cell of cls as the interface file does (see above).
Ref<UICollectionViewCell> loadCellFromNib(Class cls, CGFloat width);

}  // namespace host
