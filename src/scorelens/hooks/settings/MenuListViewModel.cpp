#include "scorelens/hooks/settings/MenuListViewModel.h"

namespace hooks::MenuListViewModel {

IMP saved_initWithDictionary;

StrongId initWithDictionary(id self, SEL _cmd, id dictionary) {
  return imp_call<StrongId>(saved_initWithDictionary, self, _cmd, dictionary);
}

}  // namespace hooks::MenuListViewModel
