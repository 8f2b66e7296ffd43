#pragma once
// A reusable section header or footer of a table view, with a content view
// made when it is created that always fills it, as on the device. Main
// thread only.

#include "platform/uikit/table_reusable_view.h"

class UITableViewHeaderFooterView : public uikit::detail::TableReusableView {
 public:
  UITableViewHeaderFooterView();

  // The run time's initialiser of a dequeued view ("initWithReuseIdentifier:").
  UITableViewHeaderFooterView* initWithReuseIdentifier(const NSString* identifier);
  // The table gives the view its section's frame: the content view follows.
  void layoutSubviews() override;
};
