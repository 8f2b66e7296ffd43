#include "host/title_page/CDSDisplayPageViewController.h"

#include "host/classes/register.h"
#include "host/title_page/display_page_views.h"

namespace host {

void CDSInternalViewController::setContent(std::shared_ptr<const PageContent> content, UIViewController* presenter) {
  content_ = std::move(content);
  presenter_ = Weak<UIViewController>(presenter);
}

void CDSInternalViewController::viewDidLoad() {
  UIViewController::viewDidLoad();
  UIView* root = view();
  collectionView_ = newView<CDSCollectionView>(root->bounds());
  collectionView_->setBackgroundColor(UIColor::blackColor());
  root->addSubview(collectionView_);
  dataSource_ = make<CDSCollectionViewDiffableDataSource>();
  objc_msgSend<void>(collectionView_, "setDataSource:", dataSource_);
  if (content_) dataSource_->attach(collectionView_, content_, presenter_.lock().get(), runningHostFeatures());
}

StrongId CDSInternalViewController::collectionViewIvar(id self) {
  auto* controller = objc_cast<CDSInternalViewController>(self);
  return controller ? StrongId(controller->collectionView_.get()) : nullptr;
}

void CDSInternalViewController::setCollectionViewIvar(id self, id value) {
  if (auto* controller = objc_cast<CDSInternalViewController>(self))
    controller->collectionView_ = objc_cast<CDSCollectionView>(value);
}

void CDSDisplayPageViewController::setVideo(long videoId, std::shared_ptr<const PageContent> content) {
  videoId_ = NSNumber::numberWithInteger(videoId);
  content_ = std::move(content);
}

void CDSDisplayPageViewController::loadView() {
  Ref<UIView> root = make<UIView>(UIScreen::mainScreen()->bounds());
  root->setBackgroundColor(UIColor::blackColor());
  setView(root);
}

void CDSDisplayPageViewController::viewDidLoad() {
  UIViewController::viewDidLoad();
  setTitle(content_ ? NSString::stringWithUTF8String(content_->title.title) : nullptr);
  Ref<CDSInternalViewController> internal = make<CDSInternalViewController>();
  internal->setContent(content_, this);
  objc_msgSend<void>(this, "addChildViewController:", internal);
  Ref<UIView> child = objc_msgSend<Ref<UIView>>(internal, "view");
  child->setFrame(view()->bounds());
  view()->addSubview(child);
  objc_msgSend<void>(internal, "didMoveToParentViewController:", this);
}

CDSInternalViewController* CDSDisplayPageViewController::internalController() const {
  for (const Ref<UIViewController>& child : childList())
    if (auto* internal = objc_cast<CDSInternalViewController>(child.get())) return internal;
  return nullptr;
}

}  // namespace host
