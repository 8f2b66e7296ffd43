#pragma once

// The title index behind the stand-in services: a JSON array of hits, each
// exactly as the search service returns it, plus two members the search
// never shows ("certifiedStatus", read only by the certified-status service).

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <unordered_map>

#include <nlohmann/json.hpp>

#include "services/result.h"

namespace services {

class Catalog {
 public:
  // Parses and checks catalog text. Only what the services rely on is
  // checked: an array of objects, each with a non-empty text "title"; a
  // text "emsId", when present, unique; "isEmsSearchable" and "popularity",
  // when present, numbers; "certifiedStatus", when present, a boolean. Other
  // members may hold anything, so a catalog can carry deliberately odd hits.
  // Errors name the hit by position and title. Cost: linear in the text.
  static Result<Catalog> parse(std::string_view text);

  // Reads a file and parses it; a missing or unreadable file is an error.
  static Result<Catalog> load(const std::filesystem::path& path);

  // The array of hits, in file order. Never changes after loading.
  const nlohmann::json& hits() const { return hits_; }
  std::size_t size() const { return hits_.size(); }

  // The hit whose "emsId" is `emsId`, or null. Constant time.
  const nlohmann::json* findByEmsId(std::string_view emsId) const;

  // The hit of kind `type` ("movie" or "tv") whose "vanity" is `vanity`, or null.
  const nlohmann::json* findByVanity(std::string_view type, std::string_view vanity) const;

 private:
  nlohmann::json hits_ = nlohmann::json::array();
  std::unordered_map<std::string, std::size_t> byEmsId_;
  std::unordered_map<std::string, std::size_t> byVanity_;
};

// The catalog shipped with the sources (ratings-catalog.json).
std::filesystem::path defaultCatalogPath();

}  // namespace services
