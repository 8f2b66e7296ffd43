#pragma once
// An item's position in a collection or table view: (section, item). An
// immutable value compared by value, so any thread may use it.

#include "platform/foundation/NSString.h"

class NSIndexPath : public NSObject {
 public:
  NSIndexPath() = default;
  NSIndexPath(NSInteger item, NSInteger section) : item_(item), section_(section) {}

  static Ref<NSIndexPath> indexPathForItem_inSection(NSInteger item, NSInteger section);
  static Ref<NSIndexPath> indexPathForRow_inSection(NSInteger row, NSInteger section) {
    return indexPathForItem_inSection(row, section);
  }

  NSInteger item() const { return item_; }
  NSInteger row() const { return item_; }
  NSInteger section() const { return section_; }
  // Section first, then item.
  NSComparisonResult compare(const NSIndexPath* other) const;

  bool isEqual(id other) const override;
  NSUInteger hash() const override;
  Ref<NSString> description() const override;

 private:
  NSInteger item_ = 0;
  NSInteger section_ = 0;
};
