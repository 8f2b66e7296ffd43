// The host version gates: each asks once and keeps its answer.

#include "platform/dispatch/dispatch.h"
#include "scorelens/prefs/CXPrefsManager.h"
#include "scorelens/prefs/host_version.h"

namespace {
enum class Sense { AtLeast, Below };

struct Gate {
  const char* version;
  Sense sense;
  dispatch_once_t once = 0;
  bool answer = false;  // written once under `once`, read after it
};

bool ask(Gate& gate) {
  dispatch_once(&gate.once, [&gate] {
    NSComparisonResult order = CXCompareVersionWithHostVersion(gate.version);
    gate.answer = gate.sense == Sense::AtLeast ? order != NSOrderedDescending : order == NSOrderedDescending;
  });
  return gate.answer;
}

Gate displayPageCellRedesigniPhone{"9.19.0", Sense::AtLeast};
Gate displayPageCellRedesigniPad{"9.48.0", Sense::AtLeast};
Gate viewModelRedesign{"10.2.0", Sense::AtLeast};
Gate settingsRedesign{"12.5.0", Sense::AtLeast};
Gate aboveTheFoldRedesign{"13.14.0", Sense::AtLeast};
Gate settingsNewChevron{"14.23.0", Sense::AtLeast};
Gate aboveTheFoldStackViewRedesign{"14.28.0", Sense::AtLeast};
Gate displayPageCellRename{"16.51.0", Sense::AtLeast};
Gate lessThan10x{"10.0.0", Sense::Below};
Gate atLeast11x{"11.0.0", Sense::AtLeast};
Gate atLeast12x{"12.0.0", Sense::AtLeast};
Gate atLeast15x{"15.1.0", Sense::AtLeast};
Gate atLeast16x{"16.1", Sense::AtLeast};
Gate lessThan16x{"16.1", Sense::Below};

Gate* const allGates[] = {
    &displayPageCellRedesigniPhone, &displayPageCellRedesigniPad, &viewModelRedesign, &settingsRedesign,
    &aboveTheFoldRedesign, &settingsNewChevron, &aboveTheFoldStackViewRedesign, &displayPageCellRename,
    &lessThan10x, &atLeast11x, &atLeast12x, &atLeast15x, &atLeast16x, &lessThan16x,
};
}  // namespace

bool CXPrefsManager::hasDisplayPageCellRedesigniPhone() { return ask(displayPageCellRedesigniPhone); }
bool CXPrefsManager::hasDisplayPageCellRedesigniPad() { return ask(displayPageCellRedesigniPad); }
bool CXPrefsManager::hasViewModelRedesign() { return ask(viewModelRedesign); }
bool CXPrefsManager::hasSettingsRedesign() { return ask(settingsRedesign); }
bool CXPrefsManager::hasAboveTheFoldRedesign() { return ask(aboveTheFoldRedesign); }
bool CXPrefsManager::hasSettingsNewChevron() { return ask(settingsNewChevron); }
bool CXPrefsManager::hasAboveTheFoldStackViewRedesign() { return ask(aboveTheFoldStackViewRedesign); }
bool CXPrefsManager::hasDisplayPageCellRename() { return ask(displayPageCellRename); }
bool CXPrefsManager::isLessThanNetflix10x() { return ask(lessThan10x); }
bool CXPrefsManager::isAtLeastNetflix11x() { return ask(atLeast11x); }
bool CXPrefsManager::isAtLeastNetflix12x() { return ask(atLeast12x); }
bool CXPrefsManager::isAtLeastNetflix15x() { return ask(atLeast15x); }
bool CXPrefsManager::isAtLeastNetflix16x() { return ask(atLeast16x); }
bool CXPrefsManager::isLessThanNetflix16x() { return ask(lessThan16x); }

void CXPrefsManager::resetVersionGatesForTesting() {
  for (Gate* gate : allGates) {
    gate->once = 0;
    gate->answer = false;
  }
}
