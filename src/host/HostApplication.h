#pragma once
// The simulated streaming app: the process that ScoreLens is loaded into.
//
// Booting does what the app and the system do before the first screen, in
// this order: registers the app's classes for its version, makes its
// services (VersionManager, CRReachabilityMonitor, NeroAppFlowController),
// registers its typeface "NetflixSansApp-Regular", sets the main bundle and
// the user defaults, sizes the screen for the device, loads ScoreLens with
// dlopen (as the jailbreak's injection does; the host never links it), and
// only then builds its first screen. Nothing runs by itself afterwards: the
// CLI and tests open pages and drive the main run loop.
//
// One app per process, for the life of the process (its classes stay
// registered): a second boot is a programming error. Main thread only.

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "host/catalog.h"
#include "host/classes/app_services.h"
#include "host/result.h"
#include "host/legacy/legacy_page_classes.h"
#include "host/title_page/CDSDisplayPageViewController.h"
#include "host/version.h"
#include "platform/uikit/touch.h"

namespace host {

struct HostConfig {
  std::string version = "16.51.0";
  Device device = Device::iPhone;
  // libScoreLens.so to load; nullopt boots the stock app without the module.
  std::optional<std::string> modulePath;
  std::string catalogPath = defaultCatalogPath();
  // The app's bundle directory (NSBundle mainBundle).
  std::string bundlePath = std::string(SCORELENS_HOST_DATA_DIR) + "/Netflix.app";
  // Where the standard user defaults live; nullopt keeps the platform's
  // default, "" keeps them in memory only.
  std::optional<std::string> userDefaultsPath;
  // The app as a person opens it: the home screen at the root, under the
  // navigation bar. Off, the root is a bare screen without a bar, for the
  // commands and tests that open one page or the settings.
  bool homeScreen = false;
};

// One cell of an open page, for printing and inspection.
struct PageCell {
  NSInteger item = 0;
  PageItemKind kind = PageItemKind::Billboard;
  std::string className;            // the cell's run-time class
  CGRect frame{};                   // on screen: content position minus the scroll offset
  std::vector<std::string> texts;   // every label's text and button's title in the cell, depth first
  Ref<UICollectionViewCell> cell;
};

// A handle on one title page, current (16.1 and later) or older. It does not
// keep the page alive: once the page is closed (and its last transition has
// ended) isOpen() is false and the accessors answer nil or nothing.
class TitlePage {
 public:
  TitlePage() = default;
  explicit TitlePage(UIViewController* controller) : controller_(controller) {}

  bool isOpen() const;
  long videoId() const;
  // The current page's controller; nil for an older page.
  Ref<CDSDisplayPageViewController> controller() const;
  // The older page's controller; nil for a current page.
  Ref<NFUIVideoDisplayPage> legacyPage() const;
  Ref<UIViewController> viewController() const { return controller_.lock(); }
  // Either page's list.
  Ref<CDSCollectionView> collectionView() const;
  // The page's data source, where ScoreLens keeps its per-page state.
  Ref<CDSCollectionViewDiffableDataSource> dataSource() const;

  // The cells on screen, top to bottom.
  std::vector<PageCell> visibleCells() const;
  // Scrolls by dy points (clamped to the content) and lays the page out, so
  // newly visible items are asked for. Answers the new offset.
  CGFloat scrollBy(CGFloat dy);
  CGFloat scrollTo(CGFloat y);
  CGFloat scrollToBottom();
  CGFloat contentOffset() const;

  // A user's tap on the metadata line (through its gesture recogniser).
  // False when the metadata cell is not on screen.
  bool tapMetadata();
  // Dismisses the sheet the page presents, if any (not animated).
  void dismissPresentedSheet();
  // Closes the page: dismisses its sheet, pops it and every page above it.
  void close();

 private:
  Weak<UIViewController> controller_;
};

class HostApplication {
 public:
  // Boots the app (see above). Errors: a malformed version, an unreadable or
  // invalid catalog, a module path that does not exist or fails to load.
  // Everything but a failed dlopen is checked before anything is
  // registered; after a failed dlopen the process cannot boot again.
  static Result<HostApplication*> boot(const HostConfig& config);
  // The booted app, or null.
  static HostApplication* shared();

  const HostVersion& version() const { return version_; }
  Device device() const { return config_.device; }
  const HostFeatures& features() const { return features_; }
  CGSize screenSize() const;
  const Catalog& catalog() const { return catalog_; }
  bool moduleLoaded() const { return moduleHandle_ != nullptr; }
  // The classes registered at boot, in order.
  const std::vector<std::string>& registeredClassNames() const { return classNames_; }

  // Opens a title page on top of the navigation stack: the controller is
  // made and pushed, its view loads (viewDidLoad sent through the run time)
  // and the visible cells are asked for in page order; hosts before 16.1
  // open their older page. Errors: no such title, an ambiguous name.
  Result<TitlePage> openPage(long videoId);
  Result<TitlePage> openPageWithTitle(std::string_view title);
  // The page on top of the stack, if a title page is there.
  std::optional<TitlePage> topPage() const;

  // --- the main run loop ----------------------------------------------------------------
  // Each pass runs the main queue's due blocks and then lays out the screen,
  // as the device commits its layout at the end of a run-loop turn.
  size_t runOnce();
  // Passes until predicate() is true or timeout (real time) passes.
  bool runUntil(const std::function<bool()>& predicate, std::chrono::nanoseconds timeout);
  void runFor(std::chrono::nanoseconds duration);
  void layoutIfNeeded();

  // --- what the user saw -------------------------------------------------------------------
  const std::vector<PresentedSheet>& presentedSheets() const;
  void clearPresentedSheets();
  const std::vector<Ref<NSURL>>& openedURLs() const;
  void setNetworkStatus(NetworkStatus status) { CRReachabilityMonitor::setCurrentNetworkStatus(status); }

  UINavigationController* rootNavigationController() const { return navigation_.get(); }
  // The view a finger touches and a picture shows: the navigation stack's.
  UIView* window() const { return navigation_ ? navigation_->viewIfLoaded() : nullptr; }

  // --- a finger on the screen (window points); each lays the screen out after ---------
  uikit::TapResult tap(CGPoint point);
  Ref<UIView> drag(CGPoint from, CGPoint to);
  // A tap on the navigation bar's back button; false when it shows none.
  bool tapBack();
  // Back to the root screen: the sheet the top screen presents is dismissed,
  // the stack popped to its root.
  void goHome();
  // The titles of the screens on the stack, root first.
  std::vector<std::string> navigationTitles() const;

 private:
  HostApplication(HostConfig config, HostVersion version, Catalog catalog)
      : config_(std::move(config)), version_(std::move(version)), catalog_(std::move(catalog)) {}
  Status loadModule();
  void buildFirstScreen();

  HostConfig config_;
  HostVersion version_;
  HostFeatures features_;
  Catalog catalog_;
  std::vector<std::string> classNames_;
  void* moduleHandle_ = nullptr;
  Ref<UINavigationController> navigation_;
};

}  // namespace host
