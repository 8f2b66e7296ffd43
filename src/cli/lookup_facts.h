#pragma once
// A title's facts as the lookup command takes them, from its options or from
// one line of a batch, and the page model the module is given for them.

#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

#include "scorelens/lookup/CXVideoDisplayPageModel.h"

namespace cli {

struct LookupFacts {
  std::string title;
  bool movie = false;
  bool series = false;
  std::optional<long> year;
  std::optional<long> runtimeSeconds;
  std::optional<long> seasons;
  std::vector<std::string> actors, writers, directors, creators;
};

Ref<CXVideoDisplayPageModel> modelFrom(const LookupFacts& facts);

// The facts of one batch line, a JSON object with the single lookup's
// members: "title", "movie" or "series" (true), "year", "runtime" (seconds),
// "seasons", "actors", "writers", "directors", "creators". nullopt with the
// reason in *error when the line is not such an object.
std::optional<LookupFacts> factsFromJson(const std::string& line, std::string* error);

}  // namespace cli
