#include "platform/uikit/UICollectionViewCell.h"

#include "platform/uikit/layout_engine.h"

UICollectionViewCell::UICollectionViewCell() : UICollectionViewCell(CGRectZero) {}

UICollectionViewCell::UICollectionViewCell(CGRect frame)
    : UICollectionReusableView(frame), contentView_(make<UIView>(CGRect{{0, 0}, frame.size})) {
  addSubview(contentView_);
}

UIView* UICollectionViewCell::initWithFrame(CGRect frame) {
  UIView::initWithFrame(frame);
  contentView_->setFrame(bounds());
  return this;
}

void UICollectionViewCell::layoutSubviews() {
  UICollectionReusableView::layoutSubviews();
  contentView_->setFrame(bounds());
}

CGSize UICollectionViewCell::systemLayoutSizeFittingSize(CGSize target) const {
  UIKIT_MAIN_THREAD_ONLY();
  return {target.width, uikit::fittingHeight(contentView_.get(), target.width)};
}
