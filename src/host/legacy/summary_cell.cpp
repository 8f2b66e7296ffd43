// The older page's cells: what both summary cells share, the list cell, and
// the interface-file loading.

#include "host/legacy/summary_cells.h"

#include "host/legacy/cell_parts.h"
#include "host/classes/register.h"
#include "host/metadata_line.h"
#include "host/title_page/display_page_views.h"

namespace host {

using namespace legacy;

Ref<BoxArtView> legacy::addBoxArt(UIView* content) {
  Ref<BoxArtView> art = newView<BoxArtView>();
  art->setAccessibilityIdentifier(NSString::stringWithUTF8String("boxArt"));
  art->setTranslatesAutoresizingMaskIntoConstraints(false);
  content->addSubview(art);
  return art;
}

Ref<UIButton> legacy::makeButton(const char* identifier, const char* title, bool primary) {
  Ref<UIButton> button = UIButton::buttonWithType(UIButtonTypeSystem);
  button->setAccessibilityIdentifier(NSString::stringWithUTF8String(identifier));
  button->setTitle_forState(NSString::stringWithUTF8String(title), UIControlStateNormal);
  button->setBackgroundColor(primary ? Ref<UIColor>(UIColor::whiteColor()) : make<UIColor>(0.2, 0.2, 0.2, 1));
  button->setTintColor(primary ? UIColor::blackColor() : UIColor::whiteColor());
  button->setTranslatesAutoresizingMaskIntoConstraints(false);
  return button;
}

SummaryCellModel::SummaryCellModel(const CatalogTitle& t)
    : synopsis(t.synopsis), maturity(t.maturity.value_or("")),
      titleText_(NSString::stringWithUTF8String(t.title)),
      releaseYear_(NSNumber::numberWithInteger(t.year)) {
  if (!t.isMovie) {
    numSeasons_ = NSNumber::numberWithInteger(t.seasons.value_or(1));
    supplementalMessage = t.limited ? "Limited Series" : "New episodes every week";
  }
  length = formatLength(t);
  artworkName = t.title;
  if (!t.cast.empty()) cast_ = NSString::stringWithUTF8String("Cast: " + joinedNames(t.cast, 3));
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
  synopsis_->setText(model ? cellText(model->synopsis) : nullptr);
  message_->setText(model ? cellText(model->supplementalMessage) : nullptr);
}

// --- the list cell -----------------------------------------------------------------------------------

UIView* LegacyListCell::initWithFrame(CGRect frame) {
  UICollectionViewCell::initWithFrame(frame);
  UIView* content = contentView();
  content->setBackgroundColor(UIColor::blackColor());
  label_ = ::make<UILabel>(CGRectZero);
  label_->setNumberOfLines(0);
  label_->setFont(UIFont::systemFontOfSize(kCellSynopsisSize));
  label_->setTextColor(UIColor::whiteColor());
  label_->setTranslatesAutoresizingMaskIntoConstraints(false);
  content->addSubview(label_);
  auto pinned = [&](NSLayoutAttribute attribute, CGFloat constant) {
    NSLayoutConstraint::constraintWithItem_attribute_relatedBy_toItem_attribute_multiplier_constant(
        label_, attribute, NSLayoutRelationEqual, content, attribute, 1.0, constant)
        ->setActive(true);
  };
  pinned(NSLayoutAttributeLeading, kCellMargin);
  pinned(NSLayoutAttributeTrailing, -kCellMargin);
  pinned(NSLayoutAttributeTop, 12);
  pinned(NSLayoutAttributeBottom, -12);
  return this;
}

void LegacyListCell::configure(const PageItem& item) {
  std::string line;
  for (const std::string& part : item.texts) line += (line.empty() ? "" : "   ") + part;
  label_->setText(cellText(line));
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
