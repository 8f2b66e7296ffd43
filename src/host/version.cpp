#include "host/version.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>

namespace host {

Result<HostVersion> HostVersion::parse(std::string_view text) {
  auto bad = [&](const char* why) {
    return Error{"host version \"" + std::string(text) + "\" is not a version: " + why};
  };
  if (text.empty()) return bad("it is empty");
  std::vector<unsigned long> parts;
  size_t start = 0;
  while (true) {
    size_t dot = text.find('.', start);
    std::string_view part = text.substr(start, dot == std::string_view::npos ? std::string_view::npos : dot - start);
    if (part.empty()) return bad("it has an empty part");
    if (part.size() > 9) return bad("a part has more than nine digits");
    if (!std::all_of(part.begin(), part.end(), [](char c) { return c >= '0' && c <= '9'; }))
      return bad("expected dot-separated decimal numbers");
    parts.push_back(std::strtoul(std::string(part).c_str(), nullptr, 10));
    if (dot == std::string_view::npos) break;
    start = dot + 1;
  }
  return HostVersion(std::string(text), std::move(parts));
}

int HostVersion::compare(const HostVersion& other) const {
  size_t n = std::min(parts_.size(), other.parts_.size());
  for (size_t i = 0; i < n; ++i)
    if (parts_[i] != other.parts_[i]) return parts_[i] < other.parts_[i] ? -1 : 1;
  if (parts_.size() == other.parts_.size()) return 0;
  return parts_.size() < other.parts_.size() ? -1 : 1;
}

bool HostVersion::isAtLeast(std::string_view boundary) const {
  Result<HostVersion> parsed = parse(boundary);
  if (!parsed) {
    std::fprintf(stderr, "host: malformed version boundary: %s\n", parsed.error().message.c_str());
    std::abort();
  }
  return compare(parsed.value()) >= 0;
}

Result<Device> parseDevice(std::string_view text) {
  std::string lower;
  for (char c : text) lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (lower == "iphone") return Device::iPhone;
  if (lower == "ipad") return Device::iPad;
  return Error{"unknown device \"" + std::string(text) + "\": expected iPhone or iPad"};
}

const char* deviceName(Device device) { return device == Device::iPad ? "iPad" : "iPhone"; }

const char* detailsSheetLayoutName(DetailsSheetLayout layout) {
  switch (layout) {
    case DetailsSheetLayout::Dictionaries: return "dictionaries";
    case DetailsSheetLayout::SwiftValues: return "swift-values";
    case DetailsSheetLayout::DetailsEntity: return "details-entity";
  }
  return "?";
}

HostFeatures featuresFor(const HostVersion& v, Device device) {
  HostFeatures f;
  f.currentTitlePage = v.isAtLeast("16.1");
  f.legacyTitlePage = !f.currentTitlePage;
  f.summaryArtCell = v.isBelow("9.48.0");
  f.aboveTheFoldSummaryCell = v.isAtLeast("9.19.0") && f.legacyTitlePage;
  f.swiftSettings = v.isAtLeast("15.1.0");
  f.legacySettings = !f.swiftSettings;
  if (f.currentTitlePage) {
    f.playbackButtonRename = v.isAtLeast("16.51.0");
    f.collectionViewIvar = v.isAtLeast("16.30") ? "cdsCollectionView" : "collectionView";
    if (v.isAtLeast("16.40"))
      f.sheetLayout = DetailsSheetLayout::DetailsEntity;
    else if (v.isAtLeast("16.20"))
      f.sheetLayout = DetailsSheetLayout::SwiftValues;
    else
      f.sheetLayout = DetailsSheetLayout::Dictionaries;
  }
  if (f.legacyTitlePage) {
    bool padLayout = device == Device::iPad && f.summaryArtCell;
    f.legacySummaryCell = padLayout || !f.aboveTheFoldSummaryCell ? "DisplayPageSummaryArtCell"
                                                                   : "NFUIDisplayPageAboveTheFoldSummaryCell";
    f.legacyViewModel = v.isAtLeast("10.2.0");
    using L = HostFeatures::AboveTheFold;
    f.aboveTheFoldLayout = v.isAtLeast("14.28.0")   ? L::MessageStack
                           : v.isAtLeast("13.14.0") ? L::InlineMerch
                           : v.isAtLeast("11.0.0")  ? L::TopSpacer
                                                    : L::TopMessage;
  }
  return f;
}

}  // namespace host
