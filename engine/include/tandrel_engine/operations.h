#pragma once

#include <cstdint>
#include <string>

#include "tandrel_engine/file_system.h"
#include "tandrel_engine/operation_options.h"
#include "tandrel_engine/result_code.h"

namespace tandrel {

// What the engine tells its caller while a cut or a join runs, synchronously, on the caller's
// thread. Exactly three notifications, each with one 16-bit value.
class ProgressSink {
 public:
  virtual ~ProgressSink() = default;
  // 3 at the successful end of a cut, 4 at the successful end of a join, just before returning 0.
  virtual void StatusChange(std::int16_t status) = 0;
  // After each piece: trunc(k / n * 100).
  virtual void Cut(std::int16_t percent) = 0;
  // After each input: trunc(k / n * 100).
  virtual void Join(std::int16_t percent) = 0;
};

// Every operation opens, allocates, closes and frees its own things; nothing persists between
// calls. Outputs are written to a file in the target's folder that takes the target's name only
// when complete (see CreateFileSink): a failure leaves no half-written file, and pieces finished
// before it stay. An output that is the same file as an input (however the path is spelled), or
// that exists and is not a regular file, gives OpenFailed before anything is written to it. A
// failed read or write is OpenFailed, never success. No notification follows a failure;
// StatusChange comes last, only on success. `sink` may be null.
//
// An MP3 cut or join of more than 16 MB of files reads and parses on the caller's thread and
// writes on threads of its own where the platform has them (two for a cut, so that one piece
// goes out while the next one does): the kernel copies the frames' byte ranges, the outputs are
// named in order, and every notification and wrap call still comes on the caller's thread.
//
// Each operation has a second form taking OperationOptions: a cancel flag, a wrap of bytes around
// each output, a report of what was written and what failed, and for a cut by time the source's
// frame index (operation_options.h). The first form is the second with no options.

// Cuts `openFileName` into `filesCount` sections listed in `cutTimeInfo` as
// "start;end;path|start;end;path...", times in 1-based inclusive milliseconds, end -1 = to the end.
// MP3: a section covers the audio frames [floor((start - 1) / ms), floor(end / ms)) counted from
// the first frame after any leading tag and info frame (ms = 26, 24 or 36), so consecutive
// sections 1;L, L+1;2L ... tile the stream exactly; a source with an info frame gives pieces that
// start with their own. WAVE: block-aligned byte ranges of the sample data under a 44-byte header.
// Codes: 5 not .wav/.mp3; 7 list count, fewer than three fields or end before start; 1 source or
// output; 3 no WAVE header; 7 a WAVE section outside the data.
ResultCode CutByTime(const std::string& openFileName, const std::string& cutTimeInfo,
                     std::int16_t filesCount, ProgressSink* sink,
                     FileSystem& files = RealFileSystem());
ResultCode CutByTime(const std::string& openFileName, const std::string& cutTimeInfo,
                     std::int16_t filesCount, ProgressSink* sink, const OperationOptions& options,
                     FileSystem& files = RealFileSystem());

// Cuts `openFileName` into consecutive pieces of `fileSize` bytes (sample bytes rounded down to
// whole blocks for WAVE; whole frames until the size is reached or passed for MP3) written to
// savePath + separator + base + "_" + k + ".mp3" or ".wav". Codes: 7 a size below 1 or above the
// source's size (checked first; a missing source counts as size 0), 5, 1, 3, and 7 for a WAVE
// piece size below one block.
ResultCode CutBySize(const std::string& openFileName, std::int32_t fileSize,
                     const std::string& savePath, ProgressSink* sink,
                     FileSystem& files = RealFileSystem());
ResultCode CutBySize(const std::string& openFileName, std::int32_t fileSize,
                     const std::string& savePath, ProgressSink* sink,
                     const OperationOptions& options, FileSystem& files = RealFileSystem());

// Joins the `filesCount` files listed in `filesToJoin` ("path|path...") into `saveFileName`.
// WAVE: one header counting every input's sample data, then exactly that data. MP3: the first
// input's leading tag, one info frame counting what follows, then every input's audio frames
// (not their tags or info frames). Codes: 7 list count, 4 kinds differ, 5 not .wav/.mp3, 1 an
// input or the output, 2 a WAVE header, 6 WAVE formats differ, 7 more WAVE data than a header
// holds.
ResultCode Join(const std::string& saveFileName, const std::string& filesToJoin,
                std::int16_t filesCount, ProgressSink* sink, FileSystem& files = RealFileSystem());
ResultCode Join(const std::string& saveFileName, const std::string& filesToJoin,
                std::int16_t filesCount, ProgressSink* sink, const OperationOptions& options,
                FileSystem& files = RealFileSystem());

}  // namespace tandrel
