#include "platform/uikit/UIStackView.h"

std::vector<Ref<UIView>> UIStackView::arrangedNow() const {
  std::vector<Ref<UIView>> views;
  for (const Weak<UIView>& weak : arranged_)
    if (Ref<UIView> view = weak.lock(); view && view->superview().get() == this) views.push_back(view);
  return views;
}

Ref<NSArray> UIStackView::arrangedSubviews() const {
  UIKIT_MAIN_THREAD_ONLY();
  std::vector<StrongId> views;
  for (const Ref<UIView>& view : arrangedNow()) views.emplace_back(view);
  return make<NSArray>(std::move(views));
}

void UIStackView::addArrangedSubview(UIView* view) {
  UIKIT_MAIN_THREAD_ONLY();
  if (!view) return;
  removeArrangedSubview(view);
  arranged_.emplace_back(view);
  addSubview(view);
  setNeedsLayout();
}

void UIStackView::removeArrangedSubview(UIView* view) {
  UIKIT_MAIN_THREAD_ONLY();
  std::erase_if(arranged_, [view](const Weak<UIView>& weak) {
    Ref<UIView> held = weak.lock();
    return !held || held.get() == view;
  });
  setNeedsLayout();
}

void UIStackView::setAxis(UILayoutConstraintAxis axis) {
  UIKIT_MAIN_THREAD_ONLY();
  if (axis == axis_) return;
  axis_ = axis;
  setNeedsLayout();
}

void UIStackView::setSpacing(CGFloat spacing) {
  UIKIT_MAIN_THREAD_ONLY();
  if (spacing == spacing_) return;
  spacing_ = spacing;
  setNeedsLayout();
}

void UIStackView::layoutSubviews() {
  UIView::layoutSubviews();
  bool vertical = axis_ == UILayoutConstraintAxisVertical;
  CGSize size = bounds().size;
  CGFloat along = 0;
  for (const Ref<UIView>& view : arrangedNow()) {
    if (view->isHidden()) continue;
    CGSize natural = view->intrinsicContentSize();
    CGFloat length = vertical ? natural.height : natural.width;
    if (length == UIViewNoIntrinsicMetric) length = vertical ? view->frame().size.height : view->frame().size.width;
    view->setFrame(vertical ? CGRect{{0, along}, {size.width, length}} : CGRect{{along, 0}, {length, size.height}});
    along += length + spacing_;
  }
}
