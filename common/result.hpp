#pragma once
// A value or the reason there is none. Readers return these instead of throwing,
// so every caller decides what the user is told.
#include <optional>
#include <string>
#include <utility>

namespace keld {

template <typename T>
class Result {
 public:
  Result(T value) : value_(std::move(value)) {}
  static Result failure(std::string why) {
    Result r;
    r.error_ = std::move(why);
    return r;
  }
  explicit operator bool() const { return value_.has_value(); }
  bool ok() const { return value_.has_value(); }
  const T& value() const { return *value_; }
  T& value() { return *value_; }
  const T* operator->() const { return &*value_; }
  T* operator->() { return &*value_; }
  const T& operator*() const { return *value_; }
  const std::string& error() const { return error_; }

 private:
  Result() = default;
  std::optional<T> value_;
  std::string error_;
};

// For operations that give nothing back but may fail.
struct Status {
  std::string error;  // empty when it went well
  bool ok() const { return error.empty(); }
  explicit operator bool() const { return ok(); }
  static Status good() { return {}; }
  static Status failure(std::string why) { return Status{std::move(why)}; }
};

}  // namespace keld
