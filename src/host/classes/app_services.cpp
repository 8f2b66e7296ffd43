#include "host/classes/app_services.h"

#include <atomic>

#include "host/title_page/details_sheet.h"

namespace host {

namespace {
Ref<VersionManager>& versionManagerSlot() {
  static auto* slot = new Ref<VersionManager>;  // lives for the process, as the app's singleton
  return *slot;
}
Ref<NeroAppFlowController>& coordinatorSlot() {
  static auto* slot = new Ref<NeroAppFlowController>;
  return *slot;
}
std::atomic<long> networkStatus{NetworkStatusReachableViaWiFi};
}  // namespace

StrongId VersionManager::sharedInstance(id, SEL) { return versionManagerSlot(); }

void VersionManager::install(Ref<NSString> version) { versionManagerSlot() = make<VersionManager>(std::move(version)); }

long CRReachabilityMonitor::currentNetworkStatus(id, SEL) { return networkStatus.load(std::memory_order_relaxed); }

void CRReachabilityMonitor::setCurrentNetworkStatus(NetworkStatus status) {
  networkStatus.store(status, std::memory_order_relaxed);
}

StrongId NeroAppFlowController::sharedInstance(id, SEL) { return coordinatorSlot(); }

NeroAppFlowController* NeroAppFlowController::shared() { return coordinatorSlot().get(); }

void NeroAppFlowController::install() { coordinatorSlot() = make<NeroAppFlowController>(); }

void NeroAppFlowController::presentViewController_fromViewController_animated_completion(
    UIViewController* controller, UIViewController* from, bool animated, NSBlock* completion) {
  UIKIT_MAIN_THREAD_ONLY();
  if (!controller) return;
  Ref<UIViewController> presenter = from ? Ref<UIViewController>(from) : fallbackPresenter_.lock();
  if (!presenter) return;
  Ref<UIViewController> keep(controller);
  Ref<NeroAppFlowController> self(this);
  Weak<UIViewController> shown(controller);
  Ref<NSBlock> done = NSBlock::blockWithFunction([self, shown, completion = Ref<NSBlock>(completion)] {
    if (Ref<UIViewController> c = shown.lock()) self->noteCompletion(c.get());
    if (completion) completion->invoke();
  });
  objc_msgSend<void>(presenter, "presentViewController:animated:completion:", controller, animated, done);
  if (presenter->presentedViewController().get() != controller) return;

  PresentedSheet sheet;
  sheet.className = controller->className();
  sheet.controller = Weak<UIViewController>(controller);
  if (auto* actionSheet = objc_cast<ActionSheetController>(controller)) {
    sheet.userInfo = actionSheet->userInfo();
    sheet.title = utf8(actionSheet->title());
  }
  presented_.push_back(std::move(sheet));
}

void NeroAppFlowController::noteCompletion(const UIViewController* controller) {
  for (PresentedSheet& sheet : presented_)
    if (sheet.controller.lock().get() == controller) sheet.completionRan = true;
}

}  // namespace host
