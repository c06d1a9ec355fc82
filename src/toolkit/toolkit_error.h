// The one error type raised by toolkit services (bad numbers, bad component names, list indexes,
// files that cannot be opened). The host shows its message in the error box and the editor goes on.
#pragma once

#include <stdexcept>
#include <string>

class EToolkitError : public std::runtime_error {
 public:
  explicit EToolkitError(const std::string& message) : std::runtime_error(message) {}
};
