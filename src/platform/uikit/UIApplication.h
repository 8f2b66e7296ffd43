#pragma once
// The running application. Opening a URL hands it to the system; here the
// application records every URL it opened, in order, for tests and the demo
// to read. Which schemes can be opened is configuration (http and https until
// changed). Main thread only.

#include <functional>
#include <set>
#include <string>
#include <vector>

#include "platform/foundation/NSURL.h"
#include "platform/uikit/UIKitDefines.h"
#include "platform/uikit/UIResponder.h"

class UIApplication : public UIResponder {
 public:
  // The one application; lives for the process.
  static UIApplication* sharedApplication();

  // Whether some app handles the URL's scheme (compared without case). NO
  // for nil or a URL without a scheme.
  bool canOpenURL(const NSURL* url) const;
  // Opens (records) the URL when it can be opened; answers whether it did.
  bool openURL(NSURL* url);
  // As openURL; completion, if any, gets the answer on the main queue later,
  // as on the device. Options are accepted and ignored.
  void openURL_options_completionHandler(NSURL* url, const NSDictionary* options,
                                         std::function<void(bool)> completion);

  // --- configuration and inspection (tests, the simulated host, the demo) ---
  void setOpenableURLSchemes(std::set<std::string> schemes);
  void addOpenableURLScheme(const std::string& scheme);
  // Every URL opened so far, oldest first.
  const std::vector<Ref<NSURL>>& openedURLs() const {
    UIKIT_MAIN_THREAD_ONLY();
    return opened_;
  }
  void clearOpenedURLs();

 private:
  std::set<std::string> schemes_{"http", "https"};
  std::vector<Ref<NSURL>> opened_;
};
