// Finding the title demo opens, as a person types it, and the catalog it
// chooses from (demo --list).

#include <fmt/format.h>

#include <algorithm>
#include <cctype>

#include "cli/demo.h"
#include "platform/foundation/NSString.h"

namespace cli::demo {
namespace {

std::string trimmed(const std::string& text) {
  const auto first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return "";
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// Case-insensitively equal, as the catalog's text (ICU) compares: "élite" is "Élite".
bool sameTitle(const std::string& typed, const std::string& title) {
  Ref<NSString> a = NSString::stringWithUTF8String(typed), b = NSString::stringWithUTF8String(title);
  return a && b && a->caseInsensitiveCompare(b) == NSOrderedSame;
}

std::string lowered(const std::string& text) {
  std::string out = text;
  std::transform(out.begin(), out.end(), out.begin(), [](unsigned char c) { return std::tolower(c); });
  return out;
}

// Edits between two texts (bytes), for suggesting the closest titles.
size_t editDistance(const std::string& a, const std::string& b) {
  std::vector<size_t> row(b.size() + 1);
  for (size_t j = 0; j <= b.size(); ++j) row[j] = j;
  for (size_t i = 1; i <= a.size(); ++i) {
    size_t diagonal = row[0];
    row[0] = i;
    for (size_t j = 1; j <= b.size(); ++j) {
      const size_t above = row[j];
      row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
      diagonal = above;
    }
  }
  return row[b.size()];
}

std::string lengthOf(const host::CatalogTitle& t) {
  if (t.seasons) return fmt::format("{} season{}", *t.seasons, *t.seasons == 1 ? "" : "s");
  if (t.runtimeSeconds) return fmt::format("{} min", (*t.runtimeSeconds + 30) / 60);
  return "";
}

}  // namespace

std::string describeTitle(const host::CatalogTitle& t) {
  return fmt::format("{} \"{}\" ({}, {})", t.videoId, t.title, t.isMovie ? "film" : "series", t.year);
}

std::optional<long> chooseVideo(const host::Catalog& catalog, const DemoOptions& o, TitleChoice* choice) {
  if (o.videoId) {
    if (!catalog.find(*o.videoId)) {
      choice->error = fmt::format("no title with video id {} in the host catalog (see demo --list)", *o.videoId);
      return std::nullopt;
    }
    return o.videoId;
  }
  const std::string typed = trimmed(o.title.empty() ? kDefaultTitle : o.title);
  std::vector<const host::CatalogTitle*> found;
  for (const host::CatalogTitle& t : catalog.titles())
    if (sameTitle(typed, t.title)) found.push_back(&t);
  if (!found.empty()) {
    choice->others.assign(found.begin() + 1, found.end());
    return found.front()->videoId;
  }
  // The three closest, a title that contains what was typed counting as close.
  std::vector<std::pair<size_t, const host::CatalogTitle*>> ranked;
  const std::string want = lowered(typed);
  for (const host::CatalogTitle& t : catalog.titles()) {
    const std::string name = lowered(t.title);
    const bool contains = !want.empty() && name.find(want) != std::string::npos;
    ranked.push_back({contains ? 0 : editDistance(want, name), &t});
  }
  std::stable_sort(ranked.begin(), ranked.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
  // The closest always; the next two only when they are about as close as a typo.
  std::string closest;
  for (size_t i = 0; i < std::min<size_t>(3, ranked.size()); ++i)
    if (i == 0 || ranked[i].first <= std::max<size_t>(2, want.size() / 3))
      closest += fmt::format("{}\"{}\"", i ? ", " : "", ranked[i].second->title);
  choice->error = fmt::format("no title \"{}\" in the host catalog; the closest: {} (see demo --list)", typed, closest);
  return std::nullopt;
}

void printCatalog(const host::Catalog& catalog, std::ostream& out) {
  out << fmt::format("{:<9} {:<50} {:<7} {:<5} {}\n", "video id", "title", "kind", "year", "seasons or running time");
  for (const host::CatalogTitle& t : catalog.titles())
    out << fmt::format("{:<9} {:<50} {:<7} {:<5} {}\n", t.videoId, t.title, t.isMovie ? "film" : "series", t.year,
                       lengthOf(t));
}

}  // namespace cli::demo
