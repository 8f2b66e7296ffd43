#pragma once

// The ratings site's home page: a large page of markup and scripts that
// publishes the settings of the site's outside services, the search tokens
// among them, as a JSON object assigned to a script variable.

#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

#include "services/catalog.h"

namespace services {

// The text that introduces the settings object on the page.
inline constexpr std::string_view kThirdPartyMarker = "root.RottenTomatoes.thirdParty = ";

enum class HomePageVariant {
  Normal,
  WithoutMarker,       // the settings are assigned without the spaced marker
  WithBrokenSettings,  // the marker is there but its object is not valid JSON
};

// The settings object: "algoliaSearch" holds {"aId", "sId"}; its last member
// is a nested object, so its text ends in two closing braces.
nlohmann::ordered_json thirdPartySettings(std::string_view applicationId, std::string_view apiKey);

// Renders the page, about a megabyte of UTF-8 whatever the catalog holds,
// with four carousels of a fixed number of the catalog's titles (the most
// popular films, the newest series, ...). The same arguments always give the
// same bytes. Cost: a few milliseconds.
std::string renderHomePage(const Catalog& catalog, std::string_view applicationId, std::string_view apiKey,
                           HomePageVariant variant = HomePageVariant::Normal);

// A small page for one title (/m/<vanity> or /tv/<vanity>), so that the link
// the module builds leads somewhere.
std::string renderTitlePage(const nlohmann::json& hit);

}  // namespace services
