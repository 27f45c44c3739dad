#pragma once

// Writing one WAVE output, for the cuts and the join. Internal to the engine.

#include <cstdint>
#include <functional>
#include <span>
#include <vector>

#include "operation_run.h"
#include "tandrel_engine/file_system.h"
#include "tandrel_engine/result_code.h"
#include "tandrel_engine/wave_header.h"

namespace tandrel {

// The bytes an output of `dataSize` sample bytes starts with: RIFF, WAVE and the fmt chunk of
// `format` (its first 36 bytes), the chunks `before`, then the data chunk's header. The RIFF size
// also counts the `afterSize` bytes behind the data (its pad byte included). With nothing before
// or after these are the canonical 44 bytes. Empty when the RIFF size does not fit in 32 bits.
std::vector<std::uint8_t> WaveOutputHeader(const WaveHeader& format, std::uint64_t dataSize,
                                           std::span<const std::uint8_t> before,
                                           std::uint64_t afterSize);

// Copies exactly the sample data into the output; on a failure it records it in the run.
using WaveDataWriter = std::function<ResultCode(ByteSink& out)>;

// Writes `piece.path` (index, count and path filled in by the caller): the header, the data
// `writeData` copies (`dataSize` bytes), then, when the wrap gives After bytes, the pad byte of an
// odd data size and those bytes. InvalidParameter when the sizes do not fit a RIFF header;
// OpenFailed on an I/O failure or when cancelled.
ResultCode WriteWaveOutput(FileSystem& files, OperationRun& run, OutputPiece piece,
                           const WaveHeader& format, std::uint64_t dataSize,
                           const WaveDataWriter& writeData);

}  // namespace tandrel
