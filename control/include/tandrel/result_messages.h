#pragma once

// The C++ interface of libTandrel needs C++20 (std::span and friends).
#if !defined(__cplusplus) || __cplusplus < 202002L
#error "tandrel/result_messages.h needs C++20 (-std=c++20; pkg-config --variable=cxx_standard tandrel)"
#endif

#include "tandrel/export.h"

namespace tandrel {

// The message the programs show for a result code: after a join, and after a split. nullptr for a
// code outside 0 to 7 (no message is shown then).
TANDREL_API const char* JoinResultMessage(int code);
TANDREL_API const char* SplitResultMessage(int code);

}  // namespace tandrel
