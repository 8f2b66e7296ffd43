#pragma once
// Reusable views of a collection view. A cell makes its content view when it
// is created, as its only subview; what a cell shows goes into the content
// view, whose constraints decide the cell's height (see
// systemLayoutSizeFittingSize). Main thread only.

#include "platform/uikit/UIView.h"

class UICollectionReusableView : public UIView {
 public:
  UICollectionReusableView() = default;
  explicit UICollectionReusableView(CGRect frame) : UIView(frame) {}

  // The identifier it was dequeued with; nil for a view made directly.
  NSString* reuseIdentifier() const {
    UIKIT_MAIN_THREAD_ONLY();
    return reuseIdentifier_.get();
  }
  // Sent through the run time ("prepareForReuse") before a recycled view is
  // handed out again; overrides reset what the last use left.
  virtual void prepareForReuse() {}

 private:
  friend class UICollectionView;
  Ref<NSString> reuseIdentifier_;
};

class UICollectionViewCell : public UICollectionReusableView {
 public:
  UICollectionViewCell();
  explicit UICollectionViewCell(CGRect frame);

  // Also sizes the content view to the cell's bounds.
  UIView* initWithFrame(CGRect frame) override;
  // The content view always fills the cell, as on the device.
  void layoutSubviews() override;

  UIView* contentView() const {
    UIKIT_MAIN_THREAD_ONLY();
    return contentView_.get();
  }

  // Self-sizing: the size the content view's constraints and its subviews'
  // natural sizes give the cell at target's width, the height left open
  // (target's height is ignored). A layout owner asks this after the cell is
  // configured and again whenever it lays out, so a view added to the content
  // makes the cell taller instead of squashing its neighbours. Nothing moves.
  CGSize systemLayoutSizeFittingSize(CGSize target) const;

 private:
  Ref<UIView> contentView_;
};
