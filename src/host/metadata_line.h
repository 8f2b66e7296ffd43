#pragma once
// The one line of facts the title page shows under the title, as the app
// composes it. Pictures (badges drawn as images) stand in the text as U+FFFC,
// the object replacement character of attributed text.
//
// Rules, in order, parts separated by one space:
//   year          "1995"; a "New" badge is a ribbon drawn right after the
//                 year with no space: "2025\uFFFCNew"
//   maturity      a framed badge: "\uFFFCR\uFFFC", "\uFFFC16+\uFFFC"
//   length        a film's running time in hours and minutes, seconds dropped:
//                 "2h 50m", "2h" (whole hours), "45m" (under an hour);
//                 a limited series "Limited Series"; a one-season show with a
//                 known episode count "8 Episodes"; otherwise "1 Season" or
//                 "3 Seasons"
//   quality       each other badge as an icon followed by its name: "\uFFFCHD"
// Missing parts are left out with their space.
//
// Example: "1995 \uFFFCR\uFFFC 2h 50m \uFFFCHD"; with the pictures removed,
// "1995 R 2h 50m HD". Pure; any thread.

#include <string>

#include "host/catalog.h"

namespace host {

// U+FFFC in UTF-8.
inline constexpr const char* kObjectReplacement = "\xEF\xBF\xBC";

// The line for title, in UTF-8.
std::string composeMetadataLine(const CatalogTitle& title);
// "2h 50m", "2h", "45m" for a running time in seconds (seconds dropped).
std::string formatRunningTime(long seconds);
// The length part of the line: a film's running time (empty when unknown),
// a series' "Limited Series", "8 Episodes" or "3 Seasons".
std::string formatLength(const CatalogTitle& title);

}  // namespace host
