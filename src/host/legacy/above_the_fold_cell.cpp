// "NFUIDisplayPageAboveTheFoldSummaryCell": the older page's summary cell
// from 9.19.0 (iPhone) and 9.48.0 (iPad), in its four layouts.

#include "host/legacy/summary_cells.h"

#include "host/legacy/cell_parts.h"
#include "host/classes/register.h"

namespace host {

using namespace legacy;

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
    message_->setFont(UIFont::systemFontOfSize(kCellMessageSize));
    message_->setTextColor(UIColor::whiteColor());
    stack_ = ::make<SupplementalMessageStack>(message_.get());
    stack_->setAccessibilityIdentifier(NSString::stringWithUTF8String("supplementalMessageStackView"));
    stack_->setTranslatesAutoresizingMaskIntoConstraints(false);
    content->addSubview(stack_);
    anchor = stack_.get();
  } else {
    message_ = addLabel("supplementalMessageLabel", kCellMessageSize, 0, UIColor::whiteColor());
    anchor = message_.get();
  }
  pin(anchor, NSLayoutAttributeLeading, content, NSLayoutAttributeLeading, kCellMargin);
  pin(anchor, NSLayoutAttributeTrailing, content, NSLayoutAttributeTrailing, -kCellMargin);
  if (from11) {
    // Two holds on the same top: the content's edge and the spacer below it.
    pin(anchor, NSLayoutAttributeTop, content, NSLayoutAttributeTop, 8);
    pin(anchor, NSLayoutAttributeTop, spacer_, NSLayoutAttributeBottom);
  } else {
    pin(anchor, NSLayoutAttributeTop, content, NSLayoutAttributeTop);
  }

  UIView* play = nullptr;
  play_ = makeButton("playButton", "Play", true);
  if (merch) {
    download_ = makeButton("downloadButton", "Download", false);
    merch_ = addView("inlineMerchView");
    merch_->addSubview(play_);
    merch_->addSubview(download_);
    fix(merch_, NSLayoutAttributeHeight, 2 * kCellButtonHeight + 8);
    for (UIButton* button : {play_.get(), download_.get()}) {
      pin(button, NSLayoutAttributeLeading, merch_, NSLayoutAttributeLeading);
      pin(button, NSLayoutAttributeTrailing, merch_, NSLayoutAttributeTrailing);
      fix(button, NSLayoutAttributeHeight, kCellButtonHeight);
    }
    pin(play_, NSLayoutAttributeTop, merch_, NSLayoutAttributeTop);
    pin(download_, NSLayoutAttributeTop, play_, NSLayoutAttributeBottom, 8);
    merchPlayTop_ = make(merch_, NSLayoutAttributeTop, anchor, NSLayoutAttributeBottom, 12);
    merchPlayTop_->setActive(true);
    play = merch_.get();
  } else {
    content->addSubview(play_);
    fix(play_, NSLayoutAttributeHeight, kCellButtonHeight);
    pin(play_, NSLayoutAttributeTop, anchor, NSLayoutAttributeBottom, 12);
    play = play_.get();
  }
  pin(play, NSLayoutAttributeLeading, content, NSLayoutAttributeLeading, kCellMargin);
  pin(play, NSLayoutAttributeTrailing, content, NSLayoutAttributeTrailing, -kCellMargin);

  synopsis_ = addLabel("synopsisLabel", kCellSynopsisSize, 0, UIColor::whiteColor());
  starring_ = addLabel("evidenceStarringLabel", kCellMessageSize, 0, UIColor::grayColor());
  for (UILabel* label : {synopsis_.get(), starring_.get()}) {
    pin(label, NSLayoutAttributeLeading, content, NSLayoutAttributeLeading, kCellMargin);
    pin(label, NSLayoutAttributeTrailing, content, NSLayoutAttributeTrailing, -kCellMargin);
  }
  pin(synopsis_, NSLayoutAttributeTop, play, NSLayoutAttributeBottom, 12);
  pin(starring_, NSLayoutAttributeTop, synopsis_, NSLayoutAttributeBottom, 8);
  pin(content, NSLayoutAttributeBottom, starring_, NSLayoutAttributeBottom, kCellMargin);
  return this;
}

void NFUIDisplayPageAboveTheFoldSummaryCell::show(const SummaryCellModel* model) {
  LegacySummaryCell::show(model);
  Ref<NSString> cast = model ? model->cast() : nullptr;
  starring_->setText(cast ? cast->stringByReplacingOccurrencesOfString_withString("Cast: "_ns, "Starring: "_ns)
                          : nullptr);
  if (stack_) stack_->setNeedsLayout();
}

}  // namespace host
