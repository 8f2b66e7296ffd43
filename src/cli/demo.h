#pragma once
// The demo's pieces, shared by the page run, the sweep and the text picture.
// Everything here runs on the main thread of a booted host.

#include <nlohmann/json.hpp>

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "cli/picture_output.h"
#include "cli/screen_report.h"
#include "cli/service_setup.h"
#include "host/HostApplication.h"
#include "scorelens/lookup/CXVideoDisplayPageModel.h"
#include "scorelens/view/CXEnhancedRatingViewContainer.h"

namespace cli::demo {

struct DemoOptions {
  std::string hostVersion = "16.51.0";
  std::string device = "iphone";
  std::string title;
  std::optional<long> videoId;
  std::string hostCatalog;
  bool reopen = false;
  bool list = false;
  bool realTime = false;  // the page's waits on the wall clock rather than the host's skipping clock
  std::optional<long> networkStatus;
  // Written to the defaults only when given: otherwise the stored (or default) choice stands.
  std::optional<std::string> criticPercentage, criticMeter, audiencePercentage, audienceMeter;
  std::string defaultsFile;
  bool json = false;
  PictureOptions picture;
  bool sweep = false;
  std::string sweepSeries = "Breaking Bad";
  ServiceOptions services;
};

constexpr const char* kDefaultTitle = "Heat";

// --- finding the title (demo_titles.cpp) ---

struct TitleChoice {
  std::vector<const host::CatalogTitle*> others;  // also matched; the first match opens
  std::string error;                              // why none matched, with the closest titles
};
// The video the options name: --video-id, else the catalog's first title that
// matches --title as a person types it (any case, surrounding spaces ignored).
std::optional<long> chooseVideo(const host::Catalog& catalog, const DemoOptions& o, TitleChoice* choice);
// 80017 "Heat" (film, 1972)
std::string describeTitle(const host::CatalogTitle& title);
// The catalog as a table: video id, title, kind, year, seasons or running time.
void printCatalog(const host::Catalog& catalog, std::ostream& out);

// --- what demo prints (demo_report.cpp) ---

// The opened page and what was gathered about it, for printing.
struct PageReport {
  const DemoOptions* options = nullptr;
  host::HostApplication* app = nullptr;
  long videoId = 0;
  TitleChoice choice;
  host::TitlePage page;
  bool older = false;  // the older title page
  Ref<CXEnhancedRatingViewContainer> strip;
  nlohmann::json stripState;  // stripJson of the strip, null without one
  nlohmann::json requests, openedURLs, warnings;
  double elapsedMs = -1;  // page open to the strip settled; -1 when it did not within the limit
  std::string services;   // which services answered
  std::vector<ScreenText> screen;  // every visible text, in reading order
};
// What the strip settled on: "scores", "a message" or "blank".
std::string settledOn(const nlohmann::json& strip);
void printPageJson(const PageReport& report, std::ostream& out);
void printPageText(const PageReport& report, std::ostream& out);

// --- the page as the module left it (demo_page_state.cpp) ---

// The current page keeps its strip on its data source, the older page in its summary cell; nil when none.
Ref<CXEnhancedRatingViewContainer> stripOf(const host::TitlePage& page);
Ref<CXVideoDisplayPageModel> modelOf(const host::TitlePage& page);
nlohmann::json modelJson(CXVideoDisplayPageModel* m);
// Settled: scores or a message shown, no animation or lookup running.
bool settled(CXEnhancedRatingViewContainer* strip);
// Nothing will change any more: no queued work or timer, animation, spinner or lookup.
bool idle(CXEnhancedRatingViewContainer* strip);
// The strip's bottom edge is at or above the play button's top, in the cell.
bool stripIsAbovePlayButton(CXEnhancedRatingViewContainer* strip);
std::string metadataLineOf(const host::TitlePage& page);
std::string titleOf(const host::TitlePage& page);
// view's frame in the window's points, as [x, y, width, height].
nlohmann::json windowFrame(UIView* view);
// The collection view cell that holds view, or nil.
UICollectionViewCell* cellHolding(UIView* view);
// What the strip shows, in a few words: "tomato 87%, popcorn 55%", the message, "blank".
std::string stripSummary(const nlohmann::json& strip);

// --- the text picture (demo_text_picture.cpp) ---

// The screen as a framed block of text in reading order (screen_report.h),
// with the strip in words where it sits.
void printPicture(const std::vector<ScreenText>& screen, CXEnhancedRatingViewContainer* strip, std::ostream& out);

// --- the sweep (demo_sweep.cpp) ---

// A film and a series at every gate boundary on both devices, one child process per page.
int runSweep(const DemoOptions& o);

}  // namespace cli::demo
