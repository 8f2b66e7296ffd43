#pragma once
// The host's version and what each version of the app has. One table of
// version boundaries decides which classes exist and how the current title
// page behaves, so the class registration, the page and the tests agree.
//
// Versions compare as the app's own version checks do: numerically, part by
// part, and a version that is a prefix of another is the lower ("16.1" is
// below "16.1.0"), the order NSString's numeric search gives.

#include <string>
#include <string_view>
#include <vector>

#include "host/result.h"

namespace host {

class HostVersion {
 public:
  // Dot-separated decimal numbers ("16.51.0", "9.100.0", "16.1"): at least
  // one part, no empty part, nothing but digits and dots, each part at most
  // nine digits. Anything else is an error naming the text.
  static Result<HostVersion> parse(std::string_view text);

  const std::string& text() const { return text_; }
  // -1, 0 or 1 as this version is below, equal to or above other.
  int compare(const HostVersion& other) const;
  // Compares with a version text known to be well formed (a boundary of the
  // table below); a malformed one is a programming error.
  bool isAtLeast(std::string_view boundary) const;
  bool isBelow(std::string_view boundary) const { return !isAtLeast(boundary); }

 private:
  explicit HostVersion(std::string text, std::vector<unsigned long> parts)
      : text_(std::move(text)), parts_(std::move(parts)) {}
  std::string text_;
  std::vector<unsigned long> parts_;
};

enum class Device { iPhone, iPad };

// "iPhone" or "iPad" (case-insensitive); anything else is an error.
Result<Device> parseDevice(std::string_view text);
const char* deviceName(Device device);

// The form in which the details sheet's userInfo carries the title's people.
enum class DetailsSheetLayout {
  // "keys" and "metaData", sections of NSDictionary records with "name".
  Dictionaries,
  // The same, with sections of wrapped Swift values ("__SwiftValue") whose
  // description reads `Person(id: 12, name: "Al Pacino", role: .actor)`.
  SwiftValues,
  // One "detailsEntity" object answering title, releaseYear, runtime and
  // the four people lists.
  DetailsEntity,
};
const char* detailsSheetLayoutName(DetailsSheetLayout layout);

// What the app of one version has. The boundaries:
//
//   below 9.19.0        legacy page with the iPad summary-art cell only
//   9.19.0              above-the-fold summary cell (iPhone redesign)
//   9.48.0              the iPad summary-art cell is gone
//   10.2.0              the legacy page keeps its data in a view model that
//                       loads after the page first shows
//   11.0.0, 13.14.0,    layouts of the above-the-fold cell (see
//   14.28.0             legacy/summary_cells.h)
//   15.1.0              Swift settings (Argo.AppSettingsViewController_Swift,
//                       Argo.SimpleSettingsViewController); the Objective-C
//                       settings classes are gone
//   16.1                current title page (NetflixCollectionView.*, Argo.*
//                       display page views, HawkinsComponents.StandardButton,
//                       NFUILabel, Argo.ActionSheetController, __SwiftValue);
//                       the legacy page is gone. Details sheet: dictionaries.
//   16.20               details sheet of wrapped Swift values
//   16.30               the internal controller's instance variable is
//                       renamed "collectionView" -> "cdsCollectionView"
//   16.40               details sheet with a details entity, fetched before
//                       the sheet is presented: the sheet comes on a later
//                       main-queue turn, not within the tap
//   16.51.0             the play-button view is renamed
//                       Argo.DisplayPageButtonView -> Argo.DisplayPagePlaybackButtonView
//
// VersionManager, CRReachabilityMonitor, NeroAppFlowController and
// MenuListViewModel exist in every version.
struct HostFeatures {
  bool legacyTitlePage = false;            // NFUIVideoDisplayPage
  bool summaryArtCell = false;             // DisplayPageSummaryArtCell (iPad layout)
  bool aboveTheFoldSummaryCell = false;    // NFUIDisplayPageAboveTheFoldSummaryCell
  bool legacySettings = false;             // AppSettingsViewController and its providers
  bool swiftSettings = false;              // Argo.AppSettingsViewController_Swift and friends
  bool currentTitlePage = false;           // the collection-view title page
  bool playbackButtonRename = false;       // DisplayPagePlaybackButtonView
  const char* collectionViewIvar = nullptr;  // on the internal controller; null without the current page
  DetailsSheetLayout sheetLayout = DetailsSheetLayout::Dictionaries;
  // The legacy page's summary cell for the device (the iPad keeps the
  // summary-art cell while it exists).
  const char* legacySummaryCell = nullptr;
  bool legacyViewModel = false;  // the page's data arrives in a view model
  enum class AboveTheFold { TopMessage, TopSpacer, InlineMerch, MessageStack };
  AboveTheFold aboveTheFoldLayout = AboveTheFold::TopMessage;
};

HostFeatures featuresFor(const HostVersion& version, Device device);

}  // namespace host
