#pragma once
// The demo's pieces, shared by the page run, the sweep and the text picture.
// Everything here runs on the main thread of a booted host.

#include <nlohmann/json.hpp>

#include <optional>
#include <ostream>
#include <string>

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
