#include "host/catalog.h"

#include <fmt/format.h>

#include <fstream>
#include <nlohmann/json.hpp>
#include <set>
#include <sstream>

namespace host {
namespace {

using nlohmann::json;

// Reads one entry. The first problem is kept (later reads then see
// defaults and their complaints are dropped); parse adds where it happened.
struct EntryReader {
  const json& entry;
  mutable std::optional<std::string> problem;

  void fail(const std::string& why) const {
    if (!problem) problem = why;
  }

  const json* member(const char* key) const {
    auto it = entry.find(key);
    return it == entry.end() || it->is_null() ? nullptr : &*it;
  }
  long integer(const char* key, long min, long max, bool required) const {
    const json* v = member(key);
    if (!v) {
      if (required) fail(fmt::format("\"{}\" is missing", key));
      return 0;
    }
    if (!v->is_number_integer()) {
      fail(fmt::format("\"{}\" must be an integer", key));
      return 0;
    }
    if (v->is_number_unsigned() && v->get<unsigned long>() > static_cast<unsigned long>(max)) {
      fail(fmt::format("\"{}\" is too large", key));
      return 0;
    }
    long n = v->get<long>();
    if (n < min || n > max) fail(fmt::format("\"{}\" is {}, outside {}...{}", key, n, min, max));
    return n;
  }
  std::optional<long> optionalInteger(const char* key, long min, long max) const {
    if (!member(key)) return std::nullopt;
    return integer(key, min, max, true);
  }
  std::string text(const char* key, bool required) const {
    const json* v = member(key);
    if (!v) {
      if (required) fail(fmt::format("\"{}\" is missing", key));
      return {};
    }
    if (!v->is_string()) {
      fail(fmt::format("\"{}\" must be text", key));
      return {};
    }
    return v->get<std::string>();
  }
  bool boolean(const char* key, bool required, bool fallback) const {
    const json* v = member(key);
    if (!v) {
      if (required) fail(fmt::format("\"{}\" is missing", key));
      return fallback;
    }
    if (!v->is_boolean()) {
      fail(fmt::format("\"{}\" must be true or false", key));
      return fallback;
    }
    return v->get<bool>();
  }
  std::vector<std::string> texts(const char* key) const {
    const json* v = member(key);
    if (!v) return {};
    if (!v->is_array()) {
      fail(fmt::format("\"{}\" must be a list of texts", key));
      return {};
    }
    std::vector<std::string> out;
    for (const json& item : *v) {
      if (!item.is_string() || item.get<std::string>().empty()) {
        fail(fmt::format("\"{}\" must hold non-empty texts only", key));
        return {};
      }
      out.push_back(item.get<std::string>());
    }
    return out;
  }

  std::optional<CatalogTitle> read() const {
    if (!entry.is_object()) {
      fail("an entry must be an object");
      return std::nullopt;
    }
    CatalogTitle t;
    t.videoId = integer("videoId", 1, 999999999, true);
    t.title = text("title", true);
    if (t.title.empty()) fail("\"title\" is empty");
    t.isMovie = boolean("isMovie", true, true);
    t.year = static_cast<int>(integer("year", 1888, 2100, true));
    t.runtimeSeconds = optionalInteger("runtimeSeconds", 60, 24 * 3600);
    if (auto seasons = optionalInteger("seasons", 1, 100)) t.seasons = static_cast<int>(*seasons);
    if (t.isMovie && !t.runtimeSeconds) fail("a film needs \"runtimeSeconds\"");
    if (t.isMovie && t.seasons) fail("a film has no \"seasons\"");
    if (!t.isMovie && !t.seasons) fail("a series needs \"seasons\"");
    if (!t.isMovie && t.runtimeSeconds) fail("a series has no \"runtimeSeconds\"");
    if (member("maturity")) t.maturity = text("maturity", true);
    if (t.maturity && t.maturity->empty()) fail("\"maturity\" is empty (use null for none)");
    t.badges = texts("badges");
    t.cast = texts("cast");
    t.directors = texts("directors");
    t.writers = texts("writers");
    t.creators = texts("creators");
    if (auto episodes = optionalInteger("episodes", 1, 10000)) t.episodes = static_cast<int>(*episodes);
    t.limited = boolean("limited", false, false);
    if (t.isMovie && (t.episodes || t.limited)) fail("a film has no \"episodes\" and is not \"limited\"");
    t.synopsis = text("synopsis", false);
    t.genres = texts("genres");
    t.moods = texts("moods");
    if (problem) return std::nullopt;
    return t;
  }
};

}  // namespace

Result<Catalog> Catalog::parse(std::string_view text, const std::string& source) {
  json document = json::parse(text, nullptr, /*allow_exceptions=*/false);
  if (document.is_discarded()) {
    // Parse again for the parser's own account of where it went wrong; the
    // library reports that only by exception.
    try {
      json again = json::parse(text);
      (void)again;
    } catch (const json::parse_error& e) {
      return Error{fmt::format("host catalog {}: not JSON: {}", source, e.what())};
    }
    return Error{fmt::format("host catalog {}: not JSON", source)};
  }
  if (!document.is_array()) return Error{fmt::format("host catalog {}: expected an array of titles", source)};
  if (document.empty()) return Error{fmt::format("host catalog {}: has no titles", source)};

  Catalog catalog;
  std::set<long> ids;
  for (size_t i = 0; i < document.size(); ++i) {
    const json& entry = document[i];
    std::string where = fmt::format("host catalog {}: entry {}", source, i + 1);
    if (entry.is_object()) {
      auto id = entry.find("videoId");
      if (id != entry.end() && id->is_number_integer()) where += fmt::format(" (videoId {})", id->get<long>());
    }
    EntryReader reader{entry, std::nullopt};
    std::optional<CatalogTitle> title = reader.read();
    if (!title) return Error{where + ": " + *reader.problem};
    if (!ids.insert(title->videoId).second)
      return Error{fmt::format("{}: videoId {} is used twice", where, title->videoId)};
    catalog.titles_.push_back(std::move(*title));
  }
  return catalog;
}

Result<Catalog> Catalog::load(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return Error{fmt::format("host catalog {}: cannot be read", path)};
  std::ostringstream bytes;
  bytes << in.rdbuf();
  if (in.bad()) return Error{fmt::format("host catalog {}: read failed", path)};
  return parse(bytes.str(), path);
}

const CatalogTitle* Catalog::find(long videoId) const {
  for (const CatalogTitle& t : titles_)
    if (t.videoId == videoId) return &t;
  return nullptr;
}

std::vector<const CatalogTitle*> Catalog::findByTitle(std::string_view name) const {
  std::vector<const CatalogTitle*> found;
  for (const CatalogTitle& t : titles_)
    if (t.title == name) found.push_back(&t);
  return found;
}

std::string defaultCatalogPath() { return std::string(SCORELENS_HOST_DATA_DIR) + "/host-catalog.json"; }

}  // namespace host
