#include "host/title_page/details_sheet.h"

#include <fmt/format.h>

namespace host {

namespace {

Ref<NSString> text(const std::string& s) { return NSString::stringWithUTF8String(s); }

struct Section {
  std::string title;
  const std::vector<std::string>* names;
  const char* role;  // the Swift case of a person's role; null for genres and moods
  const char* tagType;
};

std::vector<Section> sectionsOf(const CatalogTitle& t) {
  auto plural = [](const char* one, const std::vector<std::string>& names) {
    return names.size() == 1 ? std::string(one) : std::string(one) + "s";
  };
  std::vector<Section> all{
      {"Cast", &t.cast, "actor", nullptr},
      {plural("Director", t.directors), &t.directors, "director", nullptr},
      {plural("Writer", t.writers), &t.writers, "writer", nullptr},
      {plural("Creator", t.creators), &t.creators, "creator", nullptr},
      {"Genres", &t.genres, nullptr, "Genre"},
      {t.isMovie ? "This movie is..." : "This show is...", &t.moods, nullptr, "Tag"},
  };
  std::vector<Section> shown;
  for (const Section& s : all)
    if (!s.names->empty()) shown.push_back(s);
  return shown;
}

Ref<NSDictionary> record(const std::string& name) {
  return NSDictionary::dictionaryWithObjectsAndKeys(
      {{text("id"), NSNumber::numberWithInteger(stableIdFor(name))}, {text("name"), text(name)}});
}

std::string swiftEscaped(const std::string& s) {
  std::string out;
  for (char c : s) {
    if (c == '"' || c == '\\') out += '\\';
    out += c;
  }
  return out;
}

StrongId sectionEntry(const Section& section, const std::string& name, DetailsSheetLayout layout) {
  if (layout != DetailsSheetLayout::SwiftValues) return record(name);
  std::string description =
      section.role ? swiftPersonDescription(stableIdFor(name), name, section.role)
                   : fmt::format("{}(id: {}, name: \"{}\")", section.tagType, stableIdFor(name), swiftEscaped(name));
  return make<SwiftValue>(std::move(description));
}

Ref<NSArray> records(const std::vector<std::string>& names) {
  std::vector<StrongId> items;
  for (const std::string& name : names) items.emplace_back(record(name));
  return make<NSArray>(std::move(items));
}

}  // namespace

long stableIdFor(const std::string& name) {
  // FNV-1a: the same name gets the same id in every run and on every host.
  uint32_t h = 2166136261u;
  for (unsigned char c : name) h = (h ^ c) * 16777619u;
  return static_cast<long>(h % 900000u) + 100000;
}

std::string swiftPersonDescription(long id, const std::string& name, const char* role) {
  return fmt::format("Person(id: {}, name: \"{}\", role: .{})", id, swiftEscaped(name), role);
}

Ref<NSString> SwiftValue::description() const { return text(description_); }

DetailsEntity::DetailsEntity(const CatalogTitle& t)
    : title_(text(t.title)),
      releaseYear_(NSNumber::numberWithInteger(t.year)),
      runtime_(t.runtimeSeconds ? NSNumber::numberWithInteger(*t.runtimeSeconds) : nullptr),
      videoId_(NSNumber::numberWithInteger(t.videoId)),
      actors_(records(t.cast)),
      writers_(records(t.writers)),
      directors_(records(t.directors)),
      creators_(records(t.creators)) {}

std::vector<std::string> detailsSectionTitles(const CatalogTitle& title) {
  std::vector<std::string> titles;
  for (const Section& s : sectionsOf(title)) titles.push_back(s.title);
  return titles;
}

Ref<NSDictionary> makeDetailsUserInfo(const CatalogTitle& t, DetailsSheetLayout layout) {
  Ref<NSMutableDictionary> info = NSMutableDictionary::dictionary();
  info->setObject_forKey(NSNumber::numberWithInteger(t.videoId), text("videoId"));
  info->setObject_forKey(text(t.title), text("title"));
  if (layout == DetailsSheetLayout::DetailsEntity) {
    info->setObject_forKey(make<DetailsEntity>(t), text("detailsEntity"));
    return info->copyDictionary();
  }
  std::vector<StrongId> keys;
  Ref<NSMutableDictionary> metaData = NSMutableDictionary::dictionary();
  for (const Section& section : sectionsOf(t)) {
    std::vector<StrongId> entries;
    for (const std::string& name : *section.names) entries.push_back(sectionEntry(section, name, layout));
    keys.emplace_back(text(section.title));
    metaData->setObject_forKey(make<NSArray>(std::move(entries)), text(section.title));
  }
  info->setObject_forKey(make<NSArray>(std::move(keys)), text("keys"));
  info->setObject_forKey(metaData->copyDictionary(), text("metaData"));
  return info->copyDictionary();
}

Ref<ActionSheetController> makeDetailsSheet(const CatalogTitle& title, DetailsSheetLayout layout) {
  Ref<ActionSheetController> sheet = make<ActionSheetController>();
  sheet->setTitle(text(title.title));
  sheet->setUserInfo(makeDetailsUserInfo(title, layout));
  return sheet;
}

void ActionSheetController::loadView() {
  UIKIT_MAIN_THREAD_ONLY();
  CGRect screen = UIScreen::mainScreen()->bounds();
  Ref<UIView> root = make<UIView>(screen);
  root->setBackgroundColor(UIColor::colorWithWhite_alpha(0.1, 1));
  CGFloat y = 24;
  auto addLine = [&](const std::string& line) {
    Ref<UILabel> label = make<UILabel>(CGRectMake(16, y, screen.size.width - 32, 22));
    label->setText(text(line));
    label->setTextColor(UIColor::whiteColor());
    root->addSubview(label);
    y += 30;
  };
  addLine(utf8(title()));
  // The sections as the sheet lists them, whatever form userInfo has.
  NSDictionary* info = userInfo();
  auto* keys = info ? objc_cast<NSArray>(info->objectForKey(text("keys"))) : nullptr;
  auto* metaData = info ? objc_cast<NSDictionary>(info->objectForKey(text("metaData"))) : nullptr;
  auto* entity = info ? objc_cast<DetailsEntity>(info->objectForKey(text("detailsEntity"))) : nullptr;
  auto nameOf = [](id entry) -> std::string {
    if (auto* dict = objc_cast<NSDictionary>(entry)) return utf8(objc_cast<NSString>(dict->objectForKey(text("name"))));
    if (auto* value = objc_cast<SwiftValue>(entry)) return utf8(value->description());
    return {};
  };
  auto joined = [&](const NSArray* entries) {
    std::string line;
    if (!entries) return line;
    for (const StrongId& e : *entries) line += (line.empty() ? "" : ", ") + nameOf(e.get());
    return line;
  };
  if (entity) {
    addLine("Cast: " + joined(entity->actors()));
    if (entity->directors()->count()) addLine("Director: " + joined(entity->directors()));
    if (entity->writers()->count()) addLine("Writers: " + joined(entity->writers()));
    if (entity->creators()->count()) addLine("Creators: " + joined(entity->creators()));
  } else if (keys && metaData) {
    for (const StrongId& key : *keys)
      addLine(utf8(objc_cast<NSString>(key.get())) + ": " + joined(objc_cast<NSArray>(metaData->objectForKey(key.get()))));
  }
  setView(root);
}

}  // namespace host
