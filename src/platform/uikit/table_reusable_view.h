#pragma once
// What a table view's rows and section header-footer views share: the reuse
// identifier the table gives them, the hook it sends before handing one out
// again, and the content view made with them (sized to the frame they are
// made with). A C++ base only: on the run time both are plain UIView
// subclasses, as on the device. Main thread only.

#include "platform/uikit/UIView.h"

class UITableView;

namespace uikit::detail {

class TableReusableView : public UIView {
 public:
  // Also sizes the content view to the view's bounds.
  UIView* initWithFrame(CGRect frame) override;

  // The identifier it was made or dequeued with; nil for a view made directly.
  NSString* reuseIdentifier() const {
    UIKIT_MAIN_THREAD_ONLY();
    return reuseIdentifier_.get();
  }
  // Sent through the run time ("prepareForReuse") before a recycled view is
  // handed out again; overrides reset what the last use left.
  virtual void prepareForReuse() {}

  UIView* contentView() const {
    UIKIT_MAIN_THREAD_ONLY();
    return contentView_.get();
  }

 protected:
  explicit TableReusableView(CGRect frame);
  void setReuseIdentifier(const NSString* identifier);

 private:
  friend class ::UITableView;
  Ref<NSString> reuseIdentifier_;
  Ref<UIView> contentView_;
};

}  // namespace uikit::detail
