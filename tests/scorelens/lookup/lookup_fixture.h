#pragma once
// Helpers shared by the lookup's tests: building models and search hits.

#include <gtest/gtest.h>

#include <string>

#include "platform/foundation/NSJSONSerialization.h"
#include "platform/foundation/NSValue.h"
#include "scorelens/lookup/CXVideoDisplayPageModel.h"

namespace lookup_test {

inline Ref<NSString> ns(const std::string& text) { return NSString::stringWithUTF8String(text); }

// Decodes JSON written in the test; bad JSON is a broken test.
inline StrongId json(const std::string& text) {
  Ref<NSError> error;
  StrongId value = NSJSONSerialization::JSONObjectWithData_options_error(NSData::dataWithBytes(text), 0, &error);
  if (!value) ADD_FAILURE() << "test JSON does not decode: " << text;
  return value;
}

inline Ref<NSArray> names(std::initializer_list<const char*> list) {
  Ref<NSMutableArray> out = NSMutableArray::array();
  for (const char* name : list) out->addObject(ns(name));
  return out->copyArray();
}

inline Ref<CXVideoDisplayPageModel> film(const char* title, long year = 0, long runtimeSeconds = 0) {
  Ref<CXVideoDisplayPageModel> model = make<CXVideoDisplayPageModel>();
  model->setIsMovie(true);
  model->setTitle(ns(title));
  if (year) model->setReleaseYear(box(year));
  if (runtimeSeconds) model->setRuntime(box(runtimeSeconds));
  return model;
}

inline Ref<CXVideoDisplayPageModel> series(const char* title, long seasons = -1) {
  Ref<CXVideoDisplayPageModel> model = make<CXVideoDisplayPageModel>();
  model->setIsMovie(false);
  model->setTitle(ns(title));
  model->setNumSeasons(seasons);
  return model;
}

}  // namespace lookup_test
