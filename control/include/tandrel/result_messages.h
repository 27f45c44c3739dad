#pragma once

#include "tandrel/export.h"

namespace tandrel {

// The message the programs show for a result code: after a join, and after a split. nullptr for a
// code outside 0 to 7 (no message is shown then).
TANDREL_API const char* JoinResultMessage(int code);
TANDREL_API const char* SplitResultMessage(int code);

}  // namespace tandrel
