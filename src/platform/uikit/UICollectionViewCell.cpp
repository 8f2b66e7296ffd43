#include "platform/uikit/UICollectionViewCell.h"

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
