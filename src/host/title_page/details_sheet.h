#pragma once
// The details action sheet that the title page's metadata line opens: the
// title's cast, directors, writers, creators, genres and moods. Its userInfo
// carries them in the form of the app's version (DetailsSheetLayout).
// Main thread only (the sheet is a view controller); the values are immutable.

#include <string>
#include <vector>

#include "host/catalog.h"
#include "host/version.h"
#include "platform/foundation/NSValue.h"
#include "platform/uikit/UIKit.h"

namespace host {

// "Argo.ActionSheetController": a sheet of titled sections.
class ActionSheetController : public UIViewController {
 public:
  ActionSheetController() = default;

  // "userInfo" ("@@:"): what the sheet shows, as its maker gave it.
  NSDictionary* userInfo() const { return userInfo_.get(); }
  void setUserInfo(NSDictionary* info) { userInfo_ = info; }

  // One label per section: "Cast: Al Pacino, Robert De Niro".
  void loadView() override;

 private:
  Ref<NSDictionary> userInfo_;
};

// "__SwiftValue": the run time's box for a Swift value that has no object
// form. All it answers is its description, the value as Swift prints it.
class SwiftValue : public NSObject {
 public:
  SwiftValue() = default;
  explicit SwiftValue(std::string description) : description_(std::move(description)) {}
  Ref<NSString> description() const override;

 private:
  std::string description_;
};

// The app's details object for a title ("Argo.DetailsEntity"). Every
// message answers an object ("@@:"): title (text), releaseYear (number),
// runtime (number of seconds; nil for a series), actors, writers,
// directors, creators (lists of records {"id": number, "name": text}).
class DetailsEntity : public NSObject {
 public:
  DetailsEntity() = default;
  explicit DetailsEntity(const CatalogTitle& title);

  Ref<NSString> title() const { return title_; }
  Ref<NSNumber> releaseYear() const { return releaseYear_; }
  Ref<NSNumber> runtime() const { return runtime_; }
  Ref<NSArray> actors() const { return actors_; }
  Ref<NSArray> writers() const { return writers_; }
  Ref<NSArray> directors() const { return directors_; }
  Ref<NSArray> creators() const { return creators_; }
  Ref<NSNumber> videoId() const { return videoId_; }

 private:
  Ref<NSString> title_;
  Ref<NSNumber> releaseYear_, runtime_, videoId_;
  Ref<NSArray> actors_, writers_, directors_, creators_;
};

// The section titles of title's sheet, in the sheet's order: "Cast",
// "Director"/"Directors", "Writer"/"Writers", "Creator"/"Creators",
// "Genres", "This movie is..."/"This show is...". Empty sections are left out.
std::vector<std::string> detailsSectionTitles(const CatalogTitle& title);

// The userInfo of title's details sheet in the given layout. Every layout
// also carries "videoId" (number) and "title" (text).
Ref<NSDictionary> makeDetailsUserInfo(const CatalogTitle& title, DetailsSheetLayout layout);

// A new sheet (its view not loaded) for title.
Ref<ActionSheetController> makeDetailsSheet(const CatalogTitle& title, DetailsSheetLayout layout);

// `Person(id: 12, name: "Al Pacino", role: .actor)` with Swift's escaping of
// quotes and backslashes in the name.
std::string swiftPersonDescription(long id, const std::string& name, const char* role);

// A stable identifier for a person or tag name, as the app's ids are stable.
long stableIdFor(const std::string& name);

}  // namespace host
