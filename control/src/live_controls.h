#pragma once

namespace tandrel {

// The number of CTandrelCtrl objects alive in the process, whoever made them; the module may be
// unloaded when it is 0.
int LiveControls() noexcept;

}  // namespace tandrel
