#include "platform/uikit/UITableViewCell.h"

#include <algorithm>

#include "platform/uikit/UITableViewHeaderFooterView.h"
#include "platform/uikit/layout_engine.h"

namespace {
// Room the standard accessories take at the trailing edge.
constexpr CGFloat kStandardAccessoryWidth = 34;
}  // namespace

namespace uikit::detail {

TableReusableView::TableReusableView(CGRect frame) : UIView(frame), contentView_(make<UIView>(CGRect{{0, 0}, frame.size})) {
  addSubview(contentView_);
}

UIView* TableReusableView::initWithFrame(CGRect frame) {
  UIView::initWithFrame(frame);
  contentView_->setFrame({{0, 0}, frame.size});
  return this;
}

void TableReusableView::setReuseIdentifier(const NSString* identifier) {
  UIKIT_MAIN_THREAD_ONLY();
  reuseIdentifier_ = identifier ? NSString::stringWithCharacters(identifier->characters()) : nullptr;
}

}  // namespace uikit::detail

UITableViewCell::UITableViewCell() : UITableViewCell(CGRectZero) {}

UITableViewCell::UITableViewCell(CGRect frame) : TableReusableView(frame) {}

void UITableViewCell::setAccessoryView(UIView* view) {
  UIKIT_MAIN_THREAD_ONLY();
  if (view == accessoryView_.get()) return;
  if (accessoryView_ && accessoryView_->superview().get() == this) accessoryView_->removeFromSuperview();
  accessoryView_ = view;
  if (view) addSubview(view);
  setNeedsLayout();
}

void UITableViewCell::setAccessoryType(UITableViewCellAccessoryType type) {
  UIKIT_MAIN_THREAD_ONLY();
  if (type == accessoryType_) return;
  accessoryType_ = type;
  setNeedsLayout();
}

CGSize UITableViewCell::accessoryViewSize() const {
  CGSize natural = accessoryView_->intrinsicContentSize();
  CGSize own = accessoryView_->frame().size;
  return {natural.width == UIViewNoIntrinsicMetric ? own.width : natural.width,
          natural.height == UIViewNoIntrinsicMetric ? own.height : natural.height};
}

CGFloat UITableViewCell::accessoryRoom() const {
  if (accessoryView_) return accessoryViewSize().width + 16;
  return accessoryType_ != UITableViewCellAccessoryNone ? kStandardAccessoryWidth : 0;
}

void UITableViewCell::layoutSubviews() {
  UIView::layoutSubviews();
  CGSize size = bounds().size;
  CGFloat trailing = accessoryRoom();
  if (accessoryView_) {
    CGSize own = accessoryViewSize();
    accessoryView_->setFrame({{size.width - trailing, (size.height - own.height) / 2}, own});
  }
  contentView()->setFrame({{0, 0}, {std::max<CGFloat>(0, size.width - trailing), size.height}});
}

CGSize UITableViewCell::systemLayoutSizeFittingSize(CGSize target) const {
  UIKIT_MAIN_THREAD_ONLY();
  return {target.width, uikit::fittingHeight(contentView(), std::max<CGFloat>(0, target.width - accessoryRoom()))};
}

UITableViewHeaderFooterView::UITableViewHeaderFooterView() : TableReusableView(CGRectZero) {}

UITableViewHeaderFooterView* UITableViewHeaderFooterView::initWithReuseIdentifier(const NSString* identifier) {
  UIKIT_MAIN_THREAD_ONLY();
  objc_msgSend<StrongId>(this, "initWithFrame:", CGRectZero);
  setReuseIdentifier(identifier);
  return this;
}

void UITableViewHeaderFooterView::layoutSubviews() {
  UIView::layoutSubviews();
  contentView()->setFrame(bounds());
}
