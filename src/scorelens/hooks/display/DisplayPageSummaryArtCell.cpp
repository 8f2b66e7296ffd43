#include "scorelens/hooks/display/DisplayPageSummaryArtCell.h"

#include "scorelens/hooks/display/summary_cell_strip.h"
#include "scorelens/prefs/CXPrefsManager.h"

namespace hooks::DisplayPageSummaryArtCell {

IMP saved_awakeFromNib;
IMP saved_calculatedSize;
IMP saved_dealloc;

namespace {
using hooks::display::memberView;
// The strip tucks under the rating container's bottom padding and reaches
// just past the top of the message it pushes down.
constexpr CGFloat kUnderRatingContainer = -8.0;
constexpr CGFloat kOverSupplementalMessage = 2.0;
}  // namespace

void awakeFromNib(id self, SEL _cmd) {
  if (saved_awakeFromNib) imp_call<void>(saved_awakeFromNib, self, _cmd);
  if (!CXPrefsManager::enhancedRatingEnabled()) return;
  const CGFloat height = CXEnhancedRatingViewContainer::appropriateHeight();
  Ref<UIView> content = memberView(self, "contentView");
  Ref<UIView> ratingContainer = memberView(self, "ratingContainer");
  Ref<UIView> message = memberView(self, "supplementalMessageLabel");
  if (!content || !ratingContainer || !message) return;

  // The message's gap below the rating container becomes the strip's room;
  // only the first such constraint is the one the layout uses.
  if (Ref<UIView> holder = ratingContainer->superview()) {
    for (const Ref<NSLayoutConstraint>& constraint : holder->constraintList()) {
      if (constraint->firstItem().get() == message.get() && constraint->secondItem().get() == ratingContainer.get()) {
        constraint->setConstant(height);
        break;
      }
    }
  }

  Ref<CXEnhancedRatingViewContainer> strip = hooks::display::CXPutStripInSummaryCell(self, content.get());
  hooks::display::CXAddStripConstraints(
      content.get(), strip.get(),
      {{NSLayoutAttributeLeading, message.get(), NSLayoutAttributeLeading, 0.0},
       {NSLayoutAttributeTrailing, message.get(), NSLayoutAttributeTrailing, 0.0},
       {NSLayoutAttributeTop, ratingContainer.get(), NSLayoutAttributeBottom, kUnderRatingContainer},
       {NSLayoutAttributeBottom, message.get(), NSLayoutAttributeTop, kOverSupplementalMessage}});
  Ref<UIView> synopsis = memberView(self, "synopsisLabel");
  Ref<UIView> year = memberView(self, "releaseYearLabel");
  hooks::display::CXStyleStripLabels(strip.get(), synopsis.get(), synopsis.get(), year.get(), year.get(),
                                     synopsis.get());
}

CGSize calculatedSize(id self, SEL _cmd, CGSize size) {
  CGSize calculated = saved_calculatedSize ? imp_call<CGSize>(saved_calculatedSize, self, _cmd, size) : size;
  if (CXPrefsManager::enhancedRatingEnabled()) calculated.height += CXEnhancedRatingViewContainer::appropriateHeight();
  return calculated;
}

void dealloc(id self, SEL _cmd) {
  hooks::display::CXReleaseStripOfSummaryCell(self);
  imp_call<void>(saved_dealloc, self, _cmd);
}

}  // namespace hooks::DisplayPageSummaryArtCell
