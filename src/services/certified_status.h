#pragma once

// The certified-status service: a title's Tomatometer state by its emsId.

#include <string_view>

#include "services/catalog.h"
#include "services/search_index.h"

namespace services {

// The path prefix of a lookup; the emsId follows it.
inline constexpr std::string_view kCertifiedPathPrefix = "/api/ems/v2/emsId/";

// Answers the lookup of `emsId`: 200 with {"tomatometer": {"certifiedFresh",
// "score", ...}, "userRating": {...}, ...} for a title of `catalog`, 404
// with an error object for an unknown or empty id. "certifiedFresh" comes
// from the hit's "certifiedStatus" when it has one, else from its
// "rottenTomatoes"/"certifiedFresh", else false.
ServiceAnswer answerCertifiedStatus(const Catalog& catalog, std::string_view emsId);

}  // namespace services
