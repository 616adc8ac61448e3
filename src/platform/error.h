#pragma once

#include <exception>
#include <string>
#include <utility>

namespace cv {

// The base of this program's own errors: a message the user may be shown,
// read through what(). It stands where std::runtime_error would, which keeps
// its message in the standard library's old reference-counted string: that
// string's whole implementation would be linked into the engine for it.
class Error : public std::exception {
 public:
  explicit Error(std::string message) : message_(std::move(message)) {}
  const char* what() const noexcept override { return message_.c_str(); }

 private:
  std::string message_;
};

}  // namespace cv
