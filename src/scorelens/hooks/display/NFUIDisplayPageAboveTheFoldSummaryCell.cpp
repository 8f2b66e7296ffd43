#include "scorelens/hooks/display/NFUIDisplayPageAboveTheFoldSummaryCell.h"

#include "scorelens/hooks/display/host_access.h"
#include "scorelens/hooks/display/summary_cell_strip.h"
#include "scorelens/prefs/CXPrefsManager.h"

namespace hooks::NFUIDisplayPageAboveTheFoldSummaryCell {

IMP saved_awakeFromNib;
IMP saved_dealloc;

namespace {
using hooks::display::memberView;
constexpr CGFloat kGap = 4.0;
// From 11.0.0 the cell's top carries padding that the strip tucks into.
constexpr CGFloat kTopPaddingFrom11 = -8.0;
}  // namespace

void awakeFromNib(id self, SEL _cmd) {
  if (saved_awakeFromNib) imp_call<void>(saved_awakeFromNib, self, _cmd);
  if (!CXPrefsManager::enhancedRatingEnabled()) return;
  const CGFloat height = CXEnhancedRatingViewContainer::appropriateHeight();
  Ref<UIView> content = memberView(self, "contentView");
  Ref<UIView> message = memberView(self, "supplementalMessageLabel");
  const bool redesign = CXPrefsManager::hasAboveTheFoldRedesign();
  Ref<UIView> merch, anchor;
  Ref<NSLayoutConstraint> merchPlayTop;
  if (redesign) {
    merch = memberView(self, "inlineMerchView");
    anchor = CXPrefsManager::hasAboveTheFoldStackViewRedesign() ? memberView(self, "supplementalMessageStackView")
                                                                : message;
    StrongId top = hooks::display::sendIfAnswered<StrongId>(self, "merchPlayTop");
    merchPlayTop = Ref<NSLayoutConstraint>(objc_cast<NSLayoutConstraint>(top.get()));
  }
  if (!content || !message || (redesign && (!merch || !anchor || !merchPlayTop))) return;

  Ref<CXEnhancedRatingViewContainer> strip = hooks::display::CXPutStripInSummaryCell(self, content.get());
  Ref<UIView> synopsis = memberView(self, "synopsisLabel");
  Ref<UIView> starring = memberView(self, "evidenceStarringLabel");
  hooks::display::CXStyleStripLabels(strip.get(), synopsis.get(), starring.get(), synopsis.get(), starring.get());

  if (redesign) {
    merchPlayTop->setConstant(height + merchPlayTop->constant() + kGap);
    hooks::display::CXAddStripConstraints(
        content.get(), strip.get(),
        {{NSLayoutAttributeLeading, merch.get(), NSLayoutAttributeLeading, 0.0},
         {NSLayoutAttributeTrailing, merch.get(), NSLayoutAttributeTrailing, 0.0},
         {NSLayoutAttributeHeight, nullptr, NSLayoutAttributeNotAnAttribute, height},
         {NSLayoutAttributeTop, anchor.get(), NSLayoutAttributeBottom, kGap}});
    return;
  }
  // Every top constraint of the message moves it down, so they all agree.
  for (const Ref<NSLayoutConstraint>& constraint : content->constraintList())
    if (constraint->firstItem().get() == message.get() && constraint->firstAttribute() == NSLayoutAttributeTop)
      constraint->setConstant(constraint->constant() + height);
  const CGFloat offset = CXPrefsManager::isAtLeastNetflix11x() ? kTopPaddingFrom11 : 0.0;
  hooks::display::CXAddStripConstraints(content.get(), strip.get(),
                                        {{NSLayoutAttributeLeading, message.get(), NSLayoutAttributeLeading, 0.0},
                                         {NSLayoutAttributeTrailing, message.get(), NSLayoutAttributeTrailing, 0.0},
                                         {NSLayoutAttributeTop, content.get(), NSLayoutAttributeTop, offset},
                                         {NSLayoutAttributeBottom, message.get(), NSLayoutAttributeTop, offset}});
}

void dealloc(id self, SEL _cmd) {
  hooks::display::CXReleaseStripOfSummaryCell(self);
  imp_call<void>(saved_dealloc, self, _cmd);
}

}  // namespace hooks::NFUIDisplayPageAboveTheFoldSummaryCell
