#include "platform/uikit/UIApplication.h"

#include <algorithm>
#include <cctype>

#include "platform/dispatch/dispatch.h"

namespace {
std::string lowercase(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return s;
}
}  // namespace

UIApplication* UIApplication::sharedApplication() {
  UIKIT_MAIN_THREAD_ONLY();
  static UIApplication* app = [] {
    UIApplication* a = make<UIApplication>().leak();
    a->makeImmortal();
    return a;
  }();
  return app;
}

bool UIApplication::canOpenURL(const NSURL* url) const {
  UIKIT_MAIN_THREAD_ONLY();
  if (!url) return false;
  std::string scheme = lowercase(utf8(url->scheme().get()));
  return !scheme.empty() && schemes_.count(scheme) > 0;
}

bool UIApplication::openURL(NSURL* url) {
  UIKIT_MAIN_THREAD_ONLY();
  if (!canOpenURL(url)) return false;
  opened_.emplace_back(url);
  return true;
}

void UIApplication::openURL_options_completionHandler(NSURL* url, const NSDictionary* /*options*/,
                                                      std::function<void(bool)> completion) {
  UIKIT_MAIN_THREAD_ONLY();
  bool opened = openURL(url);
  if (completion)
    dispatch_async(dispatch_get_main_queue(), [opened, completion = std::move(completion)] { completion(opened); });
}

void UIApplication::setOpenableURLSchemes(std::set<std::string> schemes) {
  UIKIT_MAIN_THREAD_ONLY();
  schemes_.clear();
  for (const auto& s : schemes) schemes_.insert(lowercase(s));
}

void UIApplication::addOpenableURLScheme(const std::string& scheme) {
  UIKIT_MAIN_THREAD_ONLY();
  schemes_.insert(lowercase(scheme));
}

void UIApplication::clearOpenedURLs() {
  UIKIT_MAIN_THREAD_ONLY();
  opened_.clear();
}
