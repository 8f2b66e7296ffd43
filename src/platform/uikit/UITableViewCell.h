#pragma once
// A table view's row. Like a collection cell it makes its content view when
// it is created; the accessory (a view of the caller's, or a standard one
// named by accessoryType) sits at the trailing edge beside it. Main thread only.

#include "platform/uikit/table_reusable_view.h"

enum UITableViewCellAccessoryType : long {
  UITableViewCellAccessoryNone = 0,
  UITableViewCellAccessoryDisclosureIndicator = 1,
  UITableViewCellAccessoryDetailDisclosureButton = 2,
  UITableViewCellAccessoryCheckmark = 3,
  UITableViewCellAccessoryDetailButton = 4,
};
UIKIT_BOUNDARY_ENUM(UITableViewCellAccessoryType);

class UITableViewCell : public uikit::detail::TableReusableView {
 public:
  UITableViewCell();
  explicit UITableViewCell(CGRect frame);

  // The view shown at the trailing edge instead of the standard accessory.
  // Setting another one removes the old one from the cell, which then holds
  // it no longer; nil leaves the standard accessory.
  UIView* accessoryView() const {
    UIKIT_MAIN_THREAD_ONLY();
    return accessoryView_.get();
  }
  void setAccessoryView(UIView* view);
  // The standard accessory, shown only while there is no accessory view.
  UITableViewCellAccessoryType accessoryType() const {
    UIKIT_MAIN_THREAD_ONLY();
    return accessoryType_;
  }
  void setAccessoryType(UITableViewCellAccessoryType type);

  bool isSelected() const {
    UIKIT_MAIN_THREAD_ONLY();
    return selected_;
  }
  void setSelected(bool selected) {
    UIKIT_MAIN_THREAD_ONLY();
    selected_ = selected;
  }

  // Places the content view beside the accessory.
  void layoutSubviews() override;

  // Self-sizing, as a collection cell's: the height the content view's
  // constraints and its subviews' natural sizes give it at the width the
  // accessory leaves of target's (target's height is ignored). Nothing moves.
  CGSize systemLayoutSizeFittingSize(CGSize target) const;

 private:
  // The room the accessory takes at the trailing edge, and the accessory
  // view's size (its natural one where it has one).
  CGFloat accessoryRoom() const;
  CGSize accessoryViewSize() const;

  Ref<UIView> accessoryView_;
  UITableViewCellAccessoryType accessoryType_ = UITableViewCellAccessoryNone;
  bool selected_ = false;
};
