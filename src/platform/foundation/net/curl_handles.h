#pragma once

// Internal to net: owners for libcurl's handles, so that no path can leak or
// double-free one.

#include <curl/curl.h>

#include <cstdio>
#include <cstdlib>
#include <memory>

namespace net::detail {

struct EasyCleanup {
  void operator()(CURL* easy) const { curl_easy_cleanup(easy); }
};
using EasyHandle = std::unique_ptr<CURL, EasyCleanup>;

struct MultiCleanup {
  void operator()(CURLM* multi) const { curl_multi_cleanup(multi); }
};
using MultiHandle = std::unique_ptr<CURLM, MultiCleanup>;

// A curl_slist that frees itself; append keeps the list intact on failure.
class StringList {
 public:
  bool append(const char* line) {
    curl_slist* head = curl_slist_append(list_.get(), line);
    if (!head) return false;
    (void)list_.release();
    list_.reset(head);
    return true;
  }
  curl_slist* get() const { return list_.get(); }

 private:
  struct Free {
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
  };
  std::unique_ptr<curl_slist, Free> list_;
};

// curl_global_init, once per process, before the first handle. Never undone:
// the library stays ready until the process ends.
inline void initialiseCurlOnce() {
  static const CURLcode result = curl_global_init(CURL_GLOBAL_DEFAULT);
  if (result != CURLE_OK) {
    std::fprintf(stderr, "net: curl_global_init failed: %s\n", curl_easy_strerror(result));
    std::abort();
  }
}

}  // namespace net::detail
