#pragma once

#include <cstdint>
#include <string>

#include "tandrel/file_system.h"
#include "tandrel/result_code.h"

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

// Cuts `openFileName` into `filesCount` sections listed in `cutTimeInfo` as
// "start;end;path|start;end;path...", times in 1-based inclusive milliseconds, end -1 = to the end.
ResultCode CutByTime(const std::string& openFileName, const std::string& cutTimeInfo,
                     std::int16_t filesCount, ProgressSink* sink,
                     FileSystem& files = RealFileSystem());

// Cuts `openFileName` into consecutive pieces of `fileSize` bytes written to
// savePath + separator + base + "_" + k + ".mp3" or ".wav".
ResultCode CutBySize(const std::string& openFileName, std::int32_t fileSize,
                     const std::string& savePath, ProgressSink* sink,
                     FileSystem& files = RealFileSystem());

// Joins the `filesCount` files listed in `filesToJoin` ("path|path...") into `saveFileName`.
ResultCode Join(const std::string& saveFileName, const std::string& filesToJoin,
                std::int16_t filesCount, ProgressSink* sink, FileSystem& files = RealFileSystem());

}  // namespace tandrel
