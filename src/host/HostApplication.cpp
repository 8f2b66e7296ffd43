#include "host/HostApplication.h"

#include <dlfcn.h>
#include <fmt/format.h>

#include <filesystem>

#include "host/classes/register.h"
#include "host/misuse.h"
#include "host/title_page/display_page_views.h"
#include "platform/foundation/NSBundle.h"
#include "platform/foundation/NSUserDefaults.h"

namespace host {

namespace {
HostApplication* theApp = nullptr;
bool bootStarted = false;

void collectTexts(UIView* view, std::vector<std::string>& out) {
  if (auto* label = objc_cast<UILabel>(view)) {
    if (NSString* t = label->text(); t && t->length()) out.push_back(t->UTF8String());
  } else if (auto* button = objc_cast<UIButton>(view)) {
    if (NSString* t = button->currentTitle(); t && t->length()) out.push_back(t->UTF8String());
  }
  for (const Ref<UIView>& child : view->subviewList()) collectTexts(child.get(), out);
}
}  // namespace

// --- boot ------------------------------------------------------------------------------------

Result<HostApplication*> HostApplication::boot(const HostConfig& config) {
  if (!dispatch::isMainThread()) misuse("the host boots on the main thread");
  if (bootStarted) misuse("the host boots once per process");
  Result<HostVersion> version = HostVersion::parse(config.version);
  if (!version) return version.error();
  Result<Catalog> catalog = Catalog::load(config.catalogPath);
  if (!catalog) return catalog.error();
  if (config.modulePath) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(*config.modulePath, ec))
      return Error{fmt::format("ScoreLens module not found at {}", *config.modulePath)};
  }

  bootStarted = true;
  // The app lives for the process, as its classes do.
  auto* app = new HostApplication(config, std::move(version).value(), std::move(catalog).value());
  app->features_ = featuresFor(app->version_, config.device);
  app->classNames_ = registerHostClasses(app->version_, config.device);
  VersionManager::install(NSString::stringWithUTF8String(app->version_.text()));
  CRReachabilityMonitor::setCurrentNetworkStatus(NetworkStatusReachableViaWiFi);
  NeroAppFlowController::install();
  UIFont::registerFontName("NetflixSansApp-Regular");
  NSBundle::setMainBundlePath(config.bundlePath);
  if (config.userDefaultsPath) NSUserDefaults::setStandardUserDefaultsPath(*config.userDefaultsPath);
  if (config.device == Device::iPad)
    UIScreen::mainScreen()->configureAsPad();
  else
    UIScreen::mainScreen()->configureAsPhone();

  if (config.modulePath)
    if (Status loaded = app->loadModule(); !loaded) return loaded.error();

  theApp = app;  // the first screen may ask for the app (the home screen lists its catalog)
  app->buildFirstScreen();
  return app;
}

HostApplication* HostApplication::shared() { return theApp; }

Status HostApplication::loadModule() {
  dlerror();
  // The module's initialisers run inside dlopen and install its hooks.
  void* handle = dlopen(config_.modulePath->c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!handle) {
    const char* why = dlerror();
    return Error{fmt::format("ScoreLens module {} could not be loaded: {}", *config_.modulePath,
                             why ? why : "unknown error")};
  }
  // Never closed: its replacements stay installed in the class tables.
  moduleHandle_ = handle;
  return Done{};
}

void HostApplication::buildFirstScreen() {
  Ref<UIViewController> home;
  if (config_.homeScreen) {
    StrongId made = StrongId::adopt(class_createInstance(objc_getClass("Argo.HomeViewController"), 0));
    home = Ref<UIViewController>(objc_cast<UIViewController>(made.get()));
  } else {
    home = make<UIViewController>();
    home->setTitle(NSString::stringWithUTF8String("Home"));
  }
  navigation_ = make<UINavigationController>(home.get());
  navigation_->setNavigationBarHidden_animated(!config_.homeScreen, false);
  objc_msgSend<StrongId>(navigation_, "view");
  objc_msgSend<void>(navigation_, "beginAppearanceTransition:animated:", true, false);
  objc_msgSend<void>(navigation_, "endAppearanceTransition");
  NeroAppFlowController::shared()->setFallbackPresenter(navigation_);
  layoutIfNeeded();
}

CGSize HostApplication::screenSize() const { return UIScreen::mainScreen()->bounds().size; }

// --- a finger on the screen ---------------------------------------------------------------

uikit::TapResult HostApplication::tap(CGPoint point) {
  layoutIfNeeded();
  uikit::TapResult result = uikit::tapAt(window(), point);
  layoutIfNeeded();
  return result;
}

Ref<UIView> HostApplication::drag(CGPoint from, CGPoint to) {
  layoutIfNeeded();
  Ref<UIView> scrolled = uikit::dragIn(window(), from, to);
  layoutIfNeeded();
  return scrolled;
}

bool HostApplication::tapBack() {
  UINavigationBar* bar = navigation_->navigationBar();
  UIButton* back = bar->backButton();
  if (!bar->superview() || back->isHidden()) return false;
  CGRect b = back->bounds();
  CGPoint centre = back->convertPointToWindow({CGRectGetMidX(b), CGRectGetMidY(b)});
  return tap(centre).handler.get() == back;
}

void HostApplication::goHome() {
  if (UIViewController* top = navigation_->topViewController(); top && top->presentedViewController())
    objc_msgSend<void>(top, "dismissViewControllerAnimated:completion:", false, nullptr);
  navigation_->popToRootViewControllerAnimated(false);
  layoutIfNeeded();
}

std::vector<std::string> HostApplication::navigationTitles() const {
  std::vector<std::string> titles;
  for (const Ref<UIViewController>& c : navigation_->childList())
    titles.push_back(c->title() ? c->title()->UTF8String() : std::string());
  return titles;
}

// --- pages ----------------------------------------------------------------------------------

Result<TitlePage> HostApplication::openPage(long videoId) {
  UIKIT_MAIN_THREAD_ONLY();
  const CatalogTitle* title = catalog_.find(videoId);
  if (!title) return Error{fmt::format("no title with videoId {} in the host catalog", videoId)};
  if (!features_.currentTitlePage) {
    Ref<NFUIVideoDisplayPage> page = make<NFUIVideoDisplayPage>();
    page->setVideo(videoId, buildPageContent(*title, catalog_.titles()));
    page->setTitle(NSString::stringWithUTF8String(title->title));
    objc_msgSend<void>(navigation_, "pushViewController:animated:", page, false);
    layoutIfNeeded();
    return TitlePage(page.get());
  }
  Ref<CDSDisplayPageViewController> page = make<CDSDisplayPageViewController>();
  page->setVideo(videoId, buildPageContent(*title, catalog_.titles()));
  page->setTitle(NSString::stringWithUTF8String(title->title));  // what the navigation bar shows
  objc_msgSend<void>(navigation_, "pushViewController:animated:", page, false);
  layoutIfNeeded();
  return TitlePage(page.get());
}

Result<TitlePage> HostApplication::openPageWithTitle(std::string_view name) {
  std::vector<const CatalogTitle*> found = catalog_.findByTitle(name);
  if (found.empty()) return Error{fmt::format("no title named \"{}\" in the host catalog", name)};
  if (found.size() > 1) {
    std::string which;
    for (const CatalogTitle* t : found) which += fmt::format("{}{} ({})", which.empty() ? "" : ", ", t->videoId, t->year);
    return Error{fmt::format("\"{}\" names {} titles: {}; open one by videoId", name, found.size(), which)};
  }
  return openPage(found.front()->videoId);
}

std::optional<TitlePage> HostApplication::topPage() const {
  UIViewController* top = navigation_->topViewController();
  if (objc_cast<CDSDisplayPageViewController>(top) || objc_cast<NFUIVideoDisplayPage>(top)) return TitlePage(top);
  return std::nullopt;
}

// --- the run loop ---------------------------------------------------------------------------

void HostApplication::layoutIfNeeded() {
  if (UIView* root = navigation_ ? navigation_->viewIfLoaded() : nullptr) root->layoutIfNeeded();
}

size_t HostApplication::runOnce() {
  size_t ran = dispatch::MainRunLoop::runOnce();
  layoutIfNeeded();
  return ran;
}

bool HostApplication::runUntil(const std::function<bool()>& predicate, std::chrono::nanoseconds timeout) {
  return dispatch::MainRunLoop::runUntil(
      [&] {
        layoutIfNeeded();
        return predicate();
      },
      timeout);
}

void HostApplication::runFor(std::chrono::nanoseconds duration) {
  runUntil([] { return false; }, duration);
}

const std::vector<PresentedSheet>& HostApplication::presentedSheets() const {
  return NeroAppFlowController::shared()->presentedSheets();
}

void HostApplication::clearPresentedSheets() { NeroAppFlowController::shared()->clearPresentedSheets(); }

const std::vector<Ref<NSURL>>& HostApplication::openedURLs() const {
  return UIApplication::sharedApplication()->openedURLs();
}

// --- the page handle ---------------------------------------------------------------------------

bool TitlePage::isOpen() const {
  Ref<UIViewController> page = controller_.lock();
  return page && page->parentViewController();
}

Ref<CDSDisplayPageViewController> TitlePage::controller() const {
  Ref<UIViewController> page = controller_.lock();
  return Ref<CDSDisplayPageViewController>(objc_cast<CDSDisplayPageViewController>(page.get()));
}

Ref<NFUIVideoDisplayPage> TitlePage::legacyPage() const {
  Ref<UIViewController> page = controller_.lock();
  return Ref<NFUIVideoDisplayPage>(objc_cast<NFUIVideoDisplayPage>(page.get()));
}

long TitlePage::videoId() const {
  Ref<NSNumber> id;
  if (Ref<CDSDisplayPageViewController> page = controller()) id = page->videoId();
  if (Ref<NFUIVideoDisplayPage> page = legacyPage()) id = page->videoId();
  return id ? id->integerValue() : 0;
}

Ref<CDSCollectionView> TitlePage::collectionView() const {
  if (Ref<NFUIVideoDisplayPage> legacy = legacyPage()) return Ref<CDSCollectionView>(legacy->collectionView());
  Ref<CDSDisplayPageViewController> page = controller();
  CDSInternalViewController* internal = page ? page->internalController() : nullptr;
  return internal ? internal->collectionView() : nullptr;
}

Ref<CDSCollectionViewDiffableDataSource> TitlePage::dataSource() const {
  Ref<CDSDisplayPageViewController> page = controller();
  CDSInternalViewController* internal = page ? page->internalController() : nullptr;
  return internal ? internal->dataSource() : nullptr;
}

std::vector<PageCell> TitlePage::visibleCells() const {
  std::vector<PageCell> cells;
  Ref<CDSCollectionView> view = collectionView();
  if (!view) return cells;
  const std::vector<PageItem>* items = nullptr;
  if (Ref<NFUIVideoDisplayPage> legacy = legacyPage()) items = &legacy->items();
  if (Ref<CDSDisplayPageViewController> page = controller(); page && page->content()) items = &page->content()->items;
  if (!items) return cells;
  for (const auto& shown : view->shownCells()) {
    PageCell cell;
    cell.item = shown.item;
    cell.kind = (*items)[static_cast<size_t>(shown.item)].kind;
    cell.className = shown.cell->className();
    cell.frame = shown.cell->frame();
    cell.frame.origin.y -= view->contentOffset();
    collectTexts(shown.cell.get(), cell.texts);
    cell.cell = shown.cell;
    cells.push_back(std::move(cell));
  }
  return cells;
}

CGFloat TitlePage::scrollTo(CGFloat y) {
  Ref<CDSCollectionView> view = collectionView();
  if (!view) return 0;
  view->setContentOffset(y);
  if (HostApplication* app = HostApplication::shared()) app->layoutIfNeeded();
  return view->contentOffset();
}

CGFloat TitlePage::scrollBy(CGFloat dy) { return scrollTo(contentOffset() + dy); }

CGFloat TitlePage::scrollToBottom() {
  Ref<CDSCollectionView> view = collectionView();
  return view ? scrollTo(view->maximumContentOffset()) : 0;
}

CGFloat TitlePage::contentOffset() const {
  Ref<CDSCollectionView> view = collectionView();
  return view ? view->contentOffset() : 0;
}

bool TitlePage::tapMetadata() {
  for (const PageCell& cell : visibleCells()) {
    if (cell.kind != PageItemKind::Metadata) continue;
    auto* hosting = objc_cast<HostingCell>(cell.cell.get());
    auto* metadata = hosting ? objc_cast<DisplayPageTitleMetadataView>(hosting->hostedView()) : nullptr;
    return metadata && metadata->tapRecognizer() && metadata->tapRecognizer()->simulateTap();
  }
  return false;
}

void TitlePage::dismissPresentedSheet() {
  Ref<UIViewController> page = controller_.lock();
  if (page && page->presentedViewController())
    objc_msgSend<void>(page, "dismissViewControllerAnimated:completion:", false, nullptr);
}

void TitlePage::close() {
  Ref<UIViewController> page = controller_.lock();
  if (!page) return;
  dismissPresentedSheet();
  Ref<UINavigationController> navigation = page->navigationController();
  if (!navigation) return;
  while (navigation->topViewController() && navigation->topViewController() != page.get())
    objc_msgSend<StrongId>(navigation, "popViewControllerAnimated:", false);
  objc_msgSend<StrongId>(navigation, "popViewControllerAnimated:", false);
  if (HostApplication* app = HostApplication::shared()) app->layoutIfNeeded();
}

}  // namespace host
