#pragma once

#include <cstdint>

namespace tandrel {

// The outcome of Join, CutByTime and CutBySize. Stable numbers: they cross the component boundary.
enum class ResultCode : std::int16_t {
  Success = 0,
  OpenFailed = 1,         // a file cannot be opened or an output cannot be created or written
  WaveReadFailed = 2,     // Join: a WAVE input's header cannot be read
  WaveCorrupted = 3,      // cuts: the WAVE source has no readable header
  KindsDiffer = 4,        // Join: the inputs are not all of one kind
  NotSupported = 5,       // not a .wav or .mp3 name
  WaveFormatsDiffer = 6,  // Join: a WAVE input's format differs from the first input's
  InvalidParameter = 7,   // list, section, piece size or output size out of bounds
};

}  // namespace tandrel
