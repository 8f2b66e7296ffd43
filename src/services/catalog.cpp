#include "services/catalog.h"

#include <fstream>
#include <sstream>

#include <fmt/format.h>

namespace services {

namespace {

using nlohmann::json;

std::string describeHit(std::size_t index, const json& hit) {
  if (hit.is_object()) {
    auto title = hit.find("title");
    if (title != hit.end() && title->is_string() && !title->get_ref<const std::string&>().empty()) {
      return fmt::format("hit {} (\"{}\")", index, title->get_ref<const std::string&>());
    }
  }
  return fmt::format("hit {}", index);
}

std::string vanityKey(std::string_view type, std::string_view vanity) {
  return fmt::format("{}/{}", type, vanity);
}

}  // namespace

Result<Catalog> Catalog::parse(std::string_view text) {
  json parsed;
  try {
    parsed = json::parse(text);
  } catch (const json::parse_error& e) {
    return Error{fmt::format("catalog is not valid JSON: {}", e.what())};
  }
  if (!parsed.is_array()) {
    return Error{fmt::format("catalog must be a JSON array of hits, not {}", parsed.type_name())};
  }

  Catalog catalog;
  for (std::size_t i = 0; i < parsed.size(); ++i) {
    const json& hit = parsed[i];
    if (!hit.is_object()) {
      return Error{fmt::format("hit {} must be a JSON object, not {}", i, hit.type_name())};
    }
    auto title = hit.find("title");
    if (title == hit.end() || !title->is_string() || title->get_ref<const std::string&>().empty()) {
      return Error{fmt::format("{} has no \"title\" text", describeHit(i, hit))};
    }
    for (const char* numeric : {"isEmsSearchable", "popularity"}) {
      auto member = hit.find(numeric);
      if (member != hit.end() && !member->is_number()) {
        return Error{fmt::format("{}: \"{}\" must be a number", describeHit(i, hit), numeric)};
      }
    }
    auto certified = hit.find("certifiedStatus");
    if (certified != hit.end() && !certified->is_boolean()) {
      return Error{fmt::format("{}: \"certifiedStatus\" must be true or false", describeHit(i, hit))};
    }
    auto emsId = hit.find("emsId");
    if (emsId != hit.end() && emsId->is_string()) {
      const auto& id = emsId->get_ref<const std::string&>();
      auto [it, inserted] = catalog.byEmsId_.emplace(id, i);
      if (!inserted) {
        return Error{fmt::format("{} repeats the emsId \"{}\" of {}", describeHit(i, hit), id,
                                 describeHit(it->second, parsed[it->second]))};
      }
    }
    auto type = hit.find("type");
    auto vanity = hit.find("vanity");
    if (type != hit.end() && type->is_string() && vanity != hit.end() && vanity->is_string()) {
      // First one wins: two hits may share a page name only by mistake, and
      // the title page is a convenience, not something the module reads.
      catalog.byVanity_.emplace(
          vanityKey(type->get_ref<const std::string&>(), vanity->get_ref<const std::string&>()), i);
    }
  }
  catalog.hits_ = std::move(parsed);
  return catalog;
}

Result<Catalog> Catalog::load(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    return Error{fmt::format("cannot open catalog {}", path.string())};
  }
  std::ostringstream text;
  text << in.rdbuf();
  if (in.bad()) {
    return Error{fmt::format("cannot read catalog {}", path.string())};
  }
  auto catalog = parse(text.str());
  if (!catalog) {
    return Error{fmt::format("{}: {}", path.string(), catalog.error().message)};
  }
  return catalog;
}

const nlohmann::json* Catalog::findByEmsId(std::string_view emsId) const {
  auto it = byEmsId_.find(std::string(emsId));
  return it == byEmsId_.end() ? nullptr : &hits_[it->second];
}

const nlohmann::json* Catalog::findByVanity(std::string_view type, std::string_view vanity) const {
  auto it = byVanity_.find(vanityKey(type, vanity));
  return it == byVanity_.end() ? nullptr : &hits_[it->second];
}

std::filesystem::path defaultCatalogPath() {
  return std::filesystem::path(SCORELENS_SERVICES_DATA_DIR) / "ratings-catalog.json";
}

}  // namespace services
