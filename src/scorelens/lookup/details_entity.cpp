// Filling the title model from the host's details object, which the module
// knows only by the messages it answers.

#include <string_view>

#include "platform/objc/runtime.h"
#include "scorelens/lookup/CXVideoDisplayPageModel.h"

namespace {
// The answer to a message that takes no argument and answers an object, or
// nil when the object has no such method: the host's classes change between
// versions, and a message nobody answers would end the host's process.
StrongId ask(id object, const char* selector) {
  Method method = class_getInstanceMethod(object_getClass(object), sel(selector));
  if (!method || !objc::encodingsMatch(method_getTypeEncoding(method), "@@:")) return nullptr;
  return objc_msgSend<StrongId>(object, selector);
}

// A record's "name", read with objectForKey: as the host's records answer it.
StrongId nameOfRecord(id record) {
  Method method = class_getInstanceMethod(object_getClass(record), sel("objectForKey:"));
  if (!method || !objc::encodingsMatch(method_getTypeEncoding(method), "@@:@")) return nullptr;
  return objc_msgSend<StrongId>(record, "objectForKey:", NSString::stringWithUTF8String("name"));
}

// The names of the entity's list `selector`, or nil when it has none to give.
Ref<NSArray> namesOf(id entity, const char* selector) {
  Ref<NSArray> records = Ref<NSArray>(objc_cast<NSArray>(ask(entity, selector).get()));
  if (!records || records->count() == 0) return nullptr;
  Ref<NSMutableArray> names = NSMutableArray::arrayWithCapacity(records->count());
  for (const StrongId& record : *records)
    if (StrongId name = nameOfRecord(record.get())) names->addObject(name);
  return names->copyArray();
}
}  // namespace

void CXVideoDisplayPageModel::populatePageModelFromDetailsEntity(id entity) {
  setTitle(objc_cast<NSString>(ask(entity, "title").get()));
  setReleaseYear(objc_cast<NSNumber>(ask(entity, "releaseYear").get()));
  setRuntime(objc_cast<NSNumber>(ask(entity, "runtime").get()));
  if (Ref<NSArray> names = namesOf(entity, "actors")) setActors(names);
  if (Ref<NSArray> names = namesOf(entity, "writers")) setWriters(names);
  if (Ref<NSArray> names = namesOf(entity, "directors")) setDirectors(names);
  if (Ref<NSArray> names = namesOf(entity, "creators")) setCreators(names);
}
