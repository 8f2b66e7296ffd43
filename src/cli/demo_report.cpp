// What demo prints about the page it opened: one JSON object, or the page as
// text with the facts, the requests and how long the strip took to settle.

#include <fmt/format.h>

#include <algorithm>

#include "cli/demo.h"
#include "cli/picture_output.h"
#include "cli/strip_report.h"
#include "platform/uikit/UIView.h"

namespace cli::demo {
namespace {

// The requests' own time: they run one after the other, so their times add
// up; never more than the page took in all.
double networkMs(const PageReport& r) {
  double network = 0;
  for (const auto& request : r.requests) network += request["ms"].get<double>();
  return r.elapsedMs >= 0 ? std::min(network, r.elapsedMs) : network;
}

// The time to a settled strip, split into the requests' and the page's own
// (its delays, the module's spinner and fades).
std::string settleLine(const PageReport& r) {
  const double network = networkMs(r);
  const size_t n = r.requests.size();
  std::string split = n == 0 ? " (no request: all of it the page's own delays and fades)"
                             : fmt::format(" ({:.0f} ms network in {} request{}, {:.0f} ms the page's own delays and fades)",
                                           network, n, n == 1 ? "" : "s", r.elapsedMs - network);
  return fmt::format("Page open to strip settled: {:.0f} ms, on {}{}{}\n", r.elapsedMs, settledOn(r.stripState), split,
                     r.options->reopen ? "; reopened" : "");
}

void printFacts(const PageReport& r, bool cached, std::ostream& out) {
  out << "\nFacts gathered from the page:\n";
  if (auto m = modelOf(r.page)) {
    auto j = modelJson(m.get());
    bool any = false;
    for (const char* key : {"title", "releaseYear", "runtime", "numSeasons", "isMovie", "actors", "directors", "writers", "creators"})
      if (!j[key].is_null()) {
        out << fmt::format("  {:<12} {}\n", key, j[key].dump());
        any = true;
      }
    if (!any) out << (cached ? "  none: the scores came from the cache, so the page needed none\n" : "  none\n");
  } else if (r.older) {
    out << "  (the older page keeps none: each showing of its summary cell gathers them anew)\n";
  }
}

}  // namespace

std::string settledOn(const nlohmann::json& strip) {
  if (strip.is_null()) return "blank";
  if (!strip["rows"].empty() && !strip["rows"][0]["icon"].is_null()) return "scores";
  return strip["message"]["visible"].get<bool>() ? "a message" : "blank";
}

void printPageJson(const PageReport& r, std::ostream& out) {
  const DemoOptions& o = *r.options;
  nlohmann::json others = nlohmann::json::array();
  for (const host::CatalogTitle* t : r.choice.others)
    others.push_back({{"videoId", t->videoId}, {"title", t->title}, {"year", t->year}, {"isMovie", t->isMovie}});
  nlohmann::json strip = r.stripState;
  if (r.strip) {
    strip["placed"] = r.strip->superview() != nullptr;
    strip["aboveButton"] = stripIsAbovePlayButton(r.strip.get());
    strip["frame"] = windowFrame(r.strip.get());
  }
  UICollectionViewCell* stripCell = r.strip ? cellHolding(r.strip.get()) : nullptr;
  nlohmann::json cell = nullptr;
  if (stripCell) cell = {{"class", stripCell->className()}, {"frame", windowFrame(stripCell)}};
  const bool settled = r.elapsedMs >= 0;
  nlohmann::json j = {
      {"host", {{"version", o.hostVersion}, {"device", host::deviceName(r.app->device())}}},
      {"page",
       {{"videoId", r.videoId},
        {"title", titleOf(r.page)},
        {"metadataLine", metadataLineOf(r.page)},
        {"generation", r.older ? "older" : "current"},
        {"cell", cell}}},
      {"otherMatches", others},
      {"model", modelJson(modelOf(r.page).get())},
      {"strip", strip},
      {"requests", r.requests},
      {"sheetShown", !r.app->presentedSheets().empty()},
      {"openedURLs", r.openedURLs},
      {"screen", screenJson(r.screen)},
      {"layoutWarnings", r.warnings},
      {"settledOn", settled ? nlohmann::json(settledOn(r.stripState)) : nlohmann::json(nullptr)},
      {"elapsedMs", settled ? nlohmann::json(std::lround(r.elapsedMs)) : nlohmann::json(nullptr)},
      {"networkMs", std::lround(networkMs(r))},
      {"clock", o.realTime ? "real time" : "host"}};
  notePicture(j, o.picture);
  out << j.dump(2) << "\n";
}

void printPageText(const PageReport& r, std::ostream& out) {
  const DemoOptions& o = *r.options;
  out << fmt::format("Host {} on an {}, ScoreLens loaded; {}\n", o.hostVersion, host::deviceName(r.app->device()),
                     r.services);
  if (!r.choice.others.empty()) {
    out << fmt::format("Opened {}; also matching:", describeTitle(*r.app->catalog().find(r.videoId)));
    for (const host::CatalogTitle* t : r.choice.others) out << " " << describeTitle(*t) << ";";
    out << " open one with --video-id\n";
  }
  out << "\n";
  printPicture(r.screen, r.strip.get(), out);
  const std::string on = settledOn(r.stripState);
  const bool cached = r.requests.empty() && on == "scores";
  printFacts(r, cached, out);
  out << "\nRequests:\n";
  if (r.requests.empty()) out << (cached ? "  none: the scores came from the cache\n" : "  none\n");
  for (const auto& q : r.requests)
    out << fmt::format("  {:>5} ms  {} {} -> {}\n", q["ms"].get<long>(), q["method"].get<std::string>(),
                       q["url"].get<std::string>(), q["status"].get<long>());
  if (r.elapsedMs < 0)
    out << "\nThe strip did not settle within 10 seconds.\n";
  else
    out << "\n" << settleLine(r);
  if (r.elapsedMs >= 0 && on == "blank" && r.strip && !r.strip->ratingDataTask())
    out << (r.older ? "The strip stays blank: the facts on this page are not enough for a lookup.\n"
                    : "The strip stays blank: no lookup was started.\n");
  out << "\nLayout warnings:" << (r.warnings.empty() ? " none" : "") << "\n";
  for (const auto& w : r.warnings) out << "  " << w.get<std::string>() << "\n";
  if (o.picture.wanted()) out << fmt::format("\nPicture: {} (scale {})\n", o.picture.png, o.picture.scale);
}

}  // namespace cli::demo
