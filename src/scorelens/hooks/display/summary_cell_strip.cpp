#include "scorelens/hooks/display/summary_cell_strip.h"

#include "scorelens/hooks/display/host_access.h"
#include "scorelens/prefs/CXPrefsManager.h"

namespace hooks::display {

Ref<UIView> memberView(id obj, const char* member) {
  StrongId answer = sendIfAnswered<StrongId>(obj, member);
  return Ref<UIView>(objc_cast<UIView>(answer.get()));
}

Ref<CXEnhancedRatingViewContainer> CXPutStripInSummaryCell(id cell, UIView* contentView) {
  Ref<CXEnhancedRatingViewContainer> strip = make<CXEnhancedRatingViewContainer>(CGRectZero);
  objc_msgSend<void>(cell, "setCXEnhancedRatingViewContainer:", strip.get());
  strip->setCustomBackgroundColor(contentView->backgroundColor());
  strip->setTranslatesAutoresizingMaskIntoConstraints(false);
  contentView->addSubview(strip.get());
  return strip;
}

void CXAddStripConstraints(UIView* contentView, UIView* strip, std::initializer_list<StripEdge> edges) {
  std::vector<Ref<NSLayoutConstraint>> made;
  for (const StripEdge& edge : edges)
    made.push_back(NSLayoutConstraint::constraintWithItem_attribute_relatedBy_toItem_attribute_multiplier_constant(
        strip, edge.attribute, NSLayoutRelationEqual, edge.toItem, edge.toAttribute, 1.0, edge.constant));
  for (const Ref<NSLayoutConstraint>& constraint : made) contentView->addConstraint(constraint.get());
}

void CXStyleStripLabels(CXEnhancedRatingViewContainer* strip, UIView* fontFrom, UIView* colourFrom,
                        UIView* percentageFontFrom, UIView* percentageColourFrom, UIView* spinnerColourFrom) {
  auto style = [](UILabel* label, UIView* fontSource, UIView* colourSource) {
    if (auto* from = objc_cast<UILabel>(fontSource)) label->setFont(from->font());
    if (auto* from = objc_cast<UILabel>(colourSource)) label->setTextColor(from->textColor());
  };
  style(strip->messageLabel(), fontFrom, colourFrom);
  if (auto* from = objc_cast<UILabel>(spinnerColourFrom)) strip->loadingIndicatorView()->setColor(from->textColor());
  style(strip->firstRatingPercentageLabel(), percentageFontFrom, percentageColourFrom);
  style(strip->secondRatingPercentageLabel(), percentageFontFrom, percentageColourFrom);
}

void CXReleaseStripOfSummaryCell(id cell) {
  if (CXPrefsManager::enhancedRatingEnabled())
    objc_msgSend<void>(cell, "setCXEnhancedRatingViewContainer:", static_cast<id>(nullptr));
}

}  // namespace hooks::display
