#include "tandrel/operations.h"

namespace tandrel {

// Placeholder until the operation lands.
ResultCode CutByTime(const std::string&, const std::string&, std::int16_t, ProgressSink*) { return ResultCode::InvalidParameter; }

}  // namespace tandrel
