#include "host/metadata_line.h"

#include <fmt/format.h>

#include <algorithm>

namespace host {

std::string formatRunningTime(long seconds) {
  long minutes = seconds / 60;
  long hours = minutes / 60;
  minutes %= 60;
  if (hours == 0) return fmt::format("{}m", minutes);
  if (minutes == 0) return fmt::format("{}h", hours);
  return fmt::format("{}h {}m", hours, minutes);
}

std::string formatLength(const CatalogTitle& t) {
  if (t.isMovie) return t.runtimeSeconds ? formatRunningTime(*t.runtimeSeconds) : "";
  if (t.limited) return "Limited Series";
  int seasons = t.seasons.value_or(1);
  if (seasons == 1 && t.episodes) return fmt::format("{} Episode{}", *t.episodes, *t.episodes == 1 ? "" : "s");
  return fmt::format("{} Season{}", seasons, seasons == 1 ? "" : "s");
}

std::string composeMetadataLine(const CatalogTitle& t) {
  const std::string picture = kObjectReplacement;
  std::vector<std::string> parts;

  std::string year = std::to_string(t.year);
  bool isNew = std::find(t.badges.begin(), t.badges.end(), "New") != t.badges.end();
  if (isNew) year += picture + "New";
  parts.push_back(year);

  if (t.maturity) parts.push_back(picture + *t.maturity + picture);

  if (std::string length = formatLength(t); !length.empty()) parts.push_back(length);

  for (const std::string& badge : t.badges)
    if (badge != "New") parts.push_back(picture + badge);

  std::string line;
  for (const std::string& part : parts) {
    if (!line.empty()) line += ' ';
    line += part;
  }
  return line;
}

}  // namespace host
