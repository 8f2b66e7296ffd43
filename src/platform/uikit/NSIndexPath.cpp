#include "platform/uikit/NSIndexPath.h"

Ref<NSIndexPath> NSIndexPath::indexPathForItem_inSection(NSInteger item, NSInteger section) {
  return make<NSIndexPath>(item, section);
}

NSComparisonResult NSIndexPath::compare(const NSIndexPath* other) const {
  if (!other) return NSOrderedDescending;
  if (section_ != other->section_) return section_ < other->section_ ? NSOrderedAscending : NSOrderedDescending;
  if (item_ != other->item_) return item_ < other->item_ ? NSOrderedAscending : NSOrderedDescending;
  return NSOrderedSame;
}

bool NSIndexPath::isEqual(id other) const {
  auto* o = objc_cast<NSIndexPath>(other);
  return o && o->item_ == item_ && o->section_ == section_;
}

NSUInteger NSIndexPath::hash() const {
  return static_cast<NSUInteger>(section_) * 1000003u ^ static_cast<NSUInteger>(item_);
}

Ref<NSString> NSIndexPath::description() const {
  return NSString::stringWithFormat("<NSIndexPath: {length = 2, path = %ld - %ld}>", section_, item_);
}
