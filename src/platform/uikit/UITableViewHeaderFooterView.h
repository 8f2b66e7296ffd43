#pragma once
// A reusable section header or footer of a table view, with a content view
// made when it is created. Main thread only.

#include "platform/uikit/UIView.h"

class UITableViewHeaderFooterView : public UIView {
 public:
  UITableViewHeaderFooterView();

  // Also sizes the content view to the view's bounds.
  UIView* initWithFrame(CGRect frame) override;
  // The run time's initialiser of a dequeued view ("initWithReuseIdentifier:").
  UITableViewHeaderFooterView* initWithReuseIdentifier(const NSString* identifier);

  // The identifier it was made or dequeued with; nil for a view made directly.
  NSString* reuseIdentifier() const {
    UIKIT_MAIN_THREAD_ONLY();
    return reuseIdentifier_.get();
  }
  virtual void prepareForReuse() {}

  UIView* contentView() const {
    UIKIT_MAIN_THREAD_ONLY();
    return contentView_.get();
  }

 private:
  friend class UITableView;
  Ref<NSString> reuseIdentifier_;
  Ref<UIView> contentView_;
};
