#pragma once
#include <string>
#include <utility>
#include <variant>

namespace kelvane {

// A value, or the message that says what went wrong.
struct Failure {
  std::string message;
};

template <class T>
class [[nodiscard]] Result {
public:
  Result(T value) : v_(std::move(value)) {}
  Result(Failure f) : v_(std::move(f)) {}

  bool ok() const { return v_.index() == 0; }
  explicit operator bool() const { return ok(); }
  T& value() { return std::get<0>(v_); }
  const T& value() const { return std::get<0>(v_); }
  T& operator*() { return value(); }
  const T& operator*() const { return value(); }
  T* operator->() { return &value(); }
  const T* operator->() const { return &value(); }
  const std::string& error() const { return std::get<1>(v_).message; }

private:
  std::variant<T, Failure> v_;
};

struct Ok {};
using Status = Result<Ok>;

inline Failure fail(std::string message) { return Failure{std::move(message)}; }

}  // namespace kelvane
