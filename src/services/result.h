#pragma once

// A value or the reason there is none. The services report every failure
// this way (a bad catalog, a port in use, a certificate that cannot be made)
// so that a caller, the CLI or a test, decides what to do with it.

#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>
#include <variant>

namespace services {

struct Error {
  std::string message;
};

template <class T>
class [[nodiscard]] Result {
 public:
  Result(T value) : state_(std::in_place_index<0>, std::move(value)) {}
  Result(Error error) : state_(std::in_place_index<1>, std::move(error)) {}

  bool ok() const { return state_.index() == 0; }
  explicit operator bool() const { return ok(); }

  // Reading the wrong side is a programming error, not a runtime condition.
  T& value() & { return std::get<0>(checked(true)); }
  const T& value() const& { return std::get<0>(checked(true)); }
  T&& value() && { return std::get<0>(std::move(checked(true))); }
  const Error& error() const { return std::get<1>(checked(false)); }

 private:
  template <class Self>
  static Self& check(Self& self, bool wantValue) {
    if (self.state_.index() != (wantValue ? 0u : 1u)) {
      std::fprintf(stderr, "services::Result: %s read from a result that holds %s\n",
                   wantValue ? "value" : "error", wantValue ? "an error" : "a value");
      std::abort();
    }
    return self;
  }
  std::variant<T, Error>& checked(bool wantValue) { return check(*this, wantValue).state_; }
  const std::variant<T, Error>& checked(bool wantValue) const { return check(*this, wantValue).state_; }

  std::variant<T, Error> state_;
};

// For operations that produce nothing but may fail.
struct Done {};
using Status = Result<Done>;

}  // namespace services
