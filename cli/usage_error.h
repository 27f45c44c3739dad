#pragma once

#include <stdexcept>

namespace tandrel::cli {

// The exit status of a command line that cannot be carried out as written (EX_USAGE).
inline constexpr int kUsageExit = 64;

// Thrown for such a command line; what() is the reason, one line, without the program's name.
class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

}  // namespace tandrel::cli
