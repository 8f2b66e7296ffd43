#pragma once
// The app's process-wide services that the module reaches by name:
// VersionManager (the app's version), CRReachabilityMonitor (the network
// state) and NeroAppFlowController (the coordinator through which every
// screen presents another). Main thread only unless a member says otherwise.

#include <string>
#include <vector>

#include "platform/foundation/NSBlock.h"
#include "platform/uikit/UIKit.h"

namespace host {

class VersionManager : public NSObject {
 public:
  VersionManager() = default;
  explicit VersionManager(Ref<NSString> version) : appVersion_(std::move(version)) {}

  // "+sharedInstance" ("@@:"): the one manager, made at boot. nil before.
  static StrongId sharedInstance(id cls, SEL);
  static void install(Ref<NSString> version);

  // "-appVersion" ("@@:"): the version as dot-separated numbers.
  NSString* appVersion() const { return appVersion_.get(); }

 private:
  Ref<NSString> appVersion_;
};

// The reachability values the app's monitor reports.
enum NetworkStatus : long {
  NetworkStatusUnknown = 0,
  NetworkStatusReachableViaWiFi = 1,
  NetworkStatusReachableViaWWAN = 2,
  NetworkStatusNotReachable = 3,
};

class CRReachabilityMonitor : public NSObject {
 public:
  // "+currentNetworkStatus" ("q@:"). Any thread.
  static long currentNetworkStatus(id cls, SEL);
  // The simulation's switch: what the monitor reports from now on. Any thread.
  static void setCurrentNetworkStatus(NetworkStatus status);
};

// What the coordinator showed: every controller it actually presented (a
// presentation that a replaced method swallowed never gets here).
struct PresentedSheet {
  std::string className;
  std::string title;            // the sheet's title, for the action sheet the title's name
  Ref<NSDictionary> userInfo;   // the action sheet's userInfo; nil for other controllers
  Weak<UIViewController> controller;
  bool completionRan = false;   // the presentation's completion block has run
};

class NeroAppFlowController : public NSObject {
 public:
  // "+sharedInstance" ("@@:"): the app's coordinator, made at boot.
  static StrongId sharedInstance(id cls, SEL);
  static NeroAppFlowController* shared();
  static void install();

  // "-presentViewController:fromViewController:animated:completion:"
  // ("v@:@@B@"): presents controller modally from `from` (the app's top
  // controller when nil) by sending "presentViewController:animated:completion:"
  // with the completion block object, and records it when the toolkit did
  // present it (a presenter already showing a sheet presents nothing).
  void presentViewController_fromViewController_animated_completion(UIViewController* controller,
                                                                    UIViewController* from, bool animated,
                                                                    NSBlock* completion);

  // The controller shown when a presentation names none: set by the app.
  void setFallbackPresenter(UIViewController* presenter) { fallbackPresenter_ = presenter; }

  const std::vector<PresentedSheet>& presentedSheets() const { return presented_; }
  void clearPresentedSheets() { presented_.clear(); }

 private:
  void noteCompletion(const UIViewController* controller);

  Weak<UIViewController> fallbackPresenter_;
  std::vector<PresentedSheet> presented_;
};

}  // namespace host
