#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "logic/notice.h"

namespace trevasso::logic {

// Why the cutter does not open the Add Sections dialog: no source open, a source without play
// time, or one that is empty or gone (`fileLength` 0). Nothing when it opens.
std::optional<Notice> AddSectionsRefusal(const std::string& source, double playTime,
                                         std::int64_t fileLength);

// Why Remove does nothing: the section list is empty.
std::optional<Notice> RemoveSectionsRefusal(std::size_t rows);

// Why the split does not start, checked in this order: no source open, or one that is empty or
// gone; then, in a split by time, a section list of no `sections`. Nothing when it may go on to
// the section count and the piece size.
std::optional<Notice> SplitRefusal(const std::string& source, std::int64_t fileLength, bool byTime,
                                   std::size_t sections);

}  // namespace trevasso::logic
