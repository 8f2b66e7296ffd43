#pragma once
// The title page of hosts before 16.1, as skeletons: the page controller and
// its two summary cells exist under their run-time names with the members
// and type encodings that the module's legacy hooks rely on. The page itself
// is not laid out yet. Main thread only.

#include "platform/foundation/NSValue.h"
#include "platform/uikit/UIKit.h"

namespace host {

// "NFUIVideoDisplayPage".
class NFUIVideoDisplayPage : public UIViewController {
 public:
  Ref<NSNumber> videoId() const { return videoId_; }      // "@@:"
  StrongId viewModel() const { return viewModel_; }        // "@@:"
  void setVideoId(NSNumber* videoId) { videoId_ = videoId; }
  // "collectionView:willDisplayCell:forItemAtIndexPath:" ("v@:@@@").
  void collectionView_willDisplayCell_forItemAtIndexPath(UICollectionView* collectionView, UICollectionViewCell* cell,
                                                         NSIndexPath* indexPath);

 private:
  Ref<NSNumber> videoId_;
  StrongId viewModel_;
};

// What both summary cells share: "awakeFromNib" ("v@:") after they are made.
class LegacySummaryCell : public UICollectionViewCell {
 public:
  void awakeFromNib() {}
};

// "DisplayPageSummaryArtCell" (the iPad layout, before 9.48.0).
class DisplayPageSummaryArtCell : public LegacySummaryCell {
 public:
  // "calculatedSize:" ("{CGSize=dd}@:{CGSize=dd}"): the cell's size for the
  // space offered; the width is kept.
  CGSize calculatedSize(CGSize fitting) { return CGSizeMake(fitting.width, 220); }
};

// "NFUIDisplayPageAboveTheFoldSummaryCell" (9.19.0 up to the current page).
class NFUIDisplayPageAboveTheFoldSummaryCell : public LegacySummaryCell {};

// "dealloc" ("v@:") of a class that has its own: calls the superclass's, so
// a replacement installed on the class calls through to a complete teardown.
template <class T>
void deallocThroughSuperclass(id self, SEL op) {
  IMP inherited = class_getMethodImplementation(class_getSuperclass(objc::classOf<T>()), op);
  imp_call<void>(inherited, self, op);
}

}  // namespace host
