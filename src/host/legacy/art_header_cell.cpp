#include "host/legacy/art_header_cell.h"

#include <cmath>

#include "host/legacy/cell_parts.h"
#include "host/metadata_line.h"

namespace host {

namespace {

constexpr CGFloat kHeaderTitleSize = 28, kHeaderFactsSize = 14;
// The art's foot below the year line: room for what the cell below lets reach up.
constexpr CGFloat kHeaderFoot = 20;

void pinTo(UIView* a, NSLayoutAttribute aa, UIView* b, NSLayoutAttribute ba, CGFloat constant) {
  NSLayoutConstraint::constraintWithItem_attribute_relatedBy_toItem_attribute_multiplier_constant(
      a, aa, NSLayoutRelationEqual, b, ba, 1.0, constant)
      ->setActive(true);
}

Ref<UILabel> overlayLabel(const char* identifier, UIFont* font, UIColor* colour, NSInteger lines) {
  Ref<UILabel> label = make<UILabel>(CGRectZero);
  label->setAccessibilityIdentifier(NSString::stringWithUTF8String(identifier));
  label->setFont(font);
  label->setTextColor(colour);
  label->setNumberOfLines(lines);
  label->setTranslatesAutoresizingMaskIntoConstraints(false);
  return label;
}

}  // namespace

std::string olderPageFactsLine(const CatalogTitle& t) {
  std::string line = std::to_string(t.year);
  for (const std::string& part : {t.maturity.value_or(""), formatLength(t)})
    if (!part.empty()) line += "  \u00B7  " + part;
  return line;
}

UIView* LegacyArtHeaderCell::initWithFrame(CGRect frame) {
  UICollectionViewCell::initWithFrame(frame);
  UIView* content = contentView();
  content->setBackgroundColor(UIColor::blackColor());
  art_ = legacy::addBoxArt(content);
  title_ = overlayLabel("titleLabel", UIFont::boldSystemFontOfSize(kHeaderTitleSize), UIColor::whiteColor(), 2);
  facts_ = overlayLabel("factsLabel", UIFont::systemFontOfSize(kHeaderFactsSize),
                        make<UIColor>(0.85, 0.85, 0.85, 1), 1);
  art_->addSubview(title_);
  art_->addSubview(facts_);

  // The page is as wide as the screen; the iPad's art is flatter.
  const CGFloat width = UIScreen::mainScreen()->bounds().size.width;
  const CGFloat artHeight = std::round(width * (width > 600 ? 0.42 : 0.5625));
  pinTo(art_, NSLayoutAttributeTop, content, NSLayoutAttributeTop, 0);
  pinTo(art_, NSLayoutAttributeLeading, content, NSLayoutAttributeLeading, 0);
  pinTo(art_, NSLayoutAttributeTrailing, content, NSLayoutAttributeTrailing, 0);
  pinTo(art_, NSLayoutAttributeHeight, nullptr, NSLayoutAttributeNotAnAttribute, artHeight);
  pinTo(content, NSLayoutAttributeBottom, art_, NSLayoutAttributeBottom, 0);
  for (UILabel* label : {title_.get(), facts_.get()}) {
    pinTo(label, NSLayoutAttributeLeading, art_, NSLayoutAttributeLeading, 16);
    pinTo(label, NSLayoutAttributeTrailing, art_, NSLayoutAttributeTrailing, -16);
  }
  pinTo(facts_, NSLayoutAttributeBottom, art_, NSLayoutAttributeBottom, -kHeaderFoot);
  pinTo(title_, NSLayoutAttributeBottom, facts_, NSLayoutAttributeTop, -4);
  return this;
}

void LegacyArtHeaderCell::configure(const CatalogTitle& title) {
  UIKIT_MAIN_THREAD_ONLY();
  art_->setArtworkName(title.title);
  title_->setText(NSString::stringWithUTF8String(title.title));
  facts_->setText(NSString::stringWithUTF8String(olderPageFactsLine(title)));
}

void LegacyArtHeaderCell::prepareForReuse() {
  UICollectionViewCell::prepareForReuse();
  title_->setText(nullptr);
  facts_->setText(nullptr);
}

}  // namespace host
