#pragma once

#include <string>

#include "logic/platform_facts.h"

namespace trevasso::logic {

// The caption of the source's size, `bytes` as measured: "Size:" and five blanks, the byte count,
// then above 1 KB the kilobytes, and above 1 MB also the megabytes, in brackets:
// "Size:     1,536 Bytes (1.5 KB)".
std::string SizeCaption(double bytes, const PlatformFacts& facts);

// The caption of the source's play time, `milliseconds` as measured: "Time:" and five blanks, the
// milliseconds, then above 1 second the seconds, and above 1 minute also minutes and seconds:
// "Time:     61,234 MS (61 Seconds ; 1 Minutes and 1 Seconds)".
//
// The bracketed seconds are rounded half up; the minutes and seconds come from the seconds
// rounded half to even, so at exactly half a second the two can differ by one (62,500 ms shows
// 63 Seconds but 1 Minutes and 2 Seconds). Play times of any length get a full caption.
std::string TimeCaption(double milliseconds, const PlatformFacts& facts);

}  // namespace trevasso::logic
