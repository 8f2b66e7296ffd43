#pragma once
// The current title page's controllers.
//
// "Argo.CDSDisplayPageViewController" shows one title: its "videoId"
// (NSNumber) and one child, the internal controller, made in its own
// viewDidLoad (sent through the run time by the toolkit when the view
// loads). "NetflixCollectionView.CDSInternalViewController" owns the page's
// collection view, held in an instance variable readable by name
// ("collectionView" before 16.30, "cdsCollectionView" from 16.30), and its
// diffable data source. Main thread only.

#include <memory>

#include "host/title_page/CDSCollectionView.h"
#include "host/title_page/CDSCollectionViewDiffableDataSource.h"
#include "host/title_page/page_items.h"
#include "platform/foundation/NSValue.h"

namespace host {

class CDSInternalViewController : public UIViewController {
 public:
  CDSInternalViewController() = default;

  // Before the view loads: what to show and who presents the page's sheets.
  void setContent(std::shared_ptr<const PageContent> content, UIViewController* presenter);

  void viewDidLoad() override;

  CDSCollectionView* collectionView() const { return collectionView_.get(); }
  CDSCollectionViewDiffableDataSource* dataSource() const { return dataSource_.get(); }

  // The instance variable's accessors, for the run time.
  static StrongId collectionViewIvar(id self);
  static void setCollectionViewIvar(id self, id value);

 private:
  std::shared_ptr<const PageContent> content_;
  Weak<UIViewController> presenter_;
  Ref<CDSCollectionView> collectionView_;
  Ref<CDSCollectionViewDiffableDataSource> dataSource_;
};

class CDSDisplayPageViewController : public UIViewController {
 public:
  CDSDisplayPageViewController() = default;

  // Before the view loads.
  void setVideo(long videoId, std::shared_ptr<const PageContent> content);

  // "videoId" ("@@:").
  Ref<NSNumber> videoId() const { return videoId_; }
  const PageContent* content() const { return content_.get(); }

  void loadView() override;
  void viewDidLoad() override;

  // The internal controller among the children, or nil before the view loads.
  CDSInternalViewController* internalController() const;

 private:
  Ref<NSNumber> videoId_;
  std::shared_ptr<const PageContent> content_;
};

}  // namespace host
