#include "tandrel/operations.h"

namespace tandrel {

// Placeholder until the operation lands.
ResultCode CutBySize(const std::string&, std::int32_t, const std::string&, ProgressSink*) { return ResultCode::InvalidParameter; }

}  // namespace tandrel
