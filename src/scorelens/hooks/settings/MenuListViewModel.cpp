#include "scorelens/hooks/settings/MenuListViewModel.h"

#include "scorelens/hooks/settings/settings_content.h"
#include "scorelens/prefs/CXPrefsManager.h"

namespace hooks::MenuListViewModel {

namespace {
bool isText(id value, const char* text) {
  auto* string = objc_cast<NSString>(value);
  return string && string->length() > 0 && string->isEqualToString(NSString::stringWithUTF8String(text));
}

// The first item whose "menuName" is "buildVersion", or nil.
NSDictionary* buildVersionItem(const NSArray* items) {
  for (const StrongId& element : *items) {
    auto* item = objc_cast<NSDictionary>(element.get());
    if (item && isText(item->objectForKey("menuName"_ns), "buildVersion")) return item;
  }
  return nullptr;
}

// A mutable copy of item whose values are copies too.
Ref<NSMutableDictionary> deepCopy(const NSDictionary* item) {
  Ref<NSMutableDictionary> copy = NSMutableDictionary::dictionary();
  for (const StrongId& key : item->allKeys())
    if (auto* value = objc_cast<NSObject>(item->objectForKey(key.get()))) copy->setObject_forKey(value->copy(), key);
  return copy;
}
}  // namespace

IMP saved_initWithDictionary;

Ref<NSDictionary> dictionaryWithModuleEntry(const NSDictionary* dictionary) {
  if (!dictionary) return nullptr;
  Ref<NSMutableDictionary> top = dictionary->mutableCopy();
  auto* original = objc_cast<NSArray>(top->objectForKey("sections"_ns));
  Ref<NSMutableArray> sections = original ? original->mutableCopy() : nullptr;
  for (NSUInteger i = 0; sections && i < sections->count(); ++i) {
    auto* section = objc_cast<NSDictionary>(sections->objectAtIndex(i));
    if (!section || !isText(section->objectForKey("menuName"_ns), "app")) continue;
    auto* items = objc_cast<NSArray>(section->objectForKey("items"_ns));
    NSDictionary* buildVersion = items ? buildVersionItem(items) : nullptr;
    if (!buildVersion) continue;

    Ref<NSMutableDictionary> entry = deepCopy(buildVersion);
    entry->setObject_forKey(settings::nameAndVersion(), "name"_ns);
    entry->setObject_forKey(NSString::stringWithUTF8String(settings::kProductName), "menuName"_ns);
    if (!CXPrefsManager::hasSettingsRedesign()) entry->setObject_forKey("22.0"_ns, "height"_ns);
    Ref<NSMutableArray> newItems = items->mutableCopy();
    newItems->addObject(entry->copyDictionary());
    Ref<NSMutableDictionary> newSection = section->mutableCopy();
    newSection->setObject_forKey(newItems->copyArray(), "items"_ns);
    sections->removeObjectAtIndex(i);
    sections->insertObject_atIndex(newSection->copyDictionary(), i);
    top->setObject_forKey(sections->copyArray(), "sections"_ns);
    break;
  }
  return top->copyDictionary();
}

StrongId initWithDictionary(id self, SEL _cmd, id dictionary) {
  Ref<NSDictionary> rewritten = dictionaryWithModuleEntry(objc_cast<NSDictionary>(dictionary));
  // Something that is not a dictionary is the host's to judge, as it came.
  id handed = rewritten ? static_cast<id>(rewritten.get()) : dictionary;
  return imp_call<StrongId>(saved_initWithDictionary, self, _cmd, handed);
}

}  // namespace hooks::MenuListViewModel
