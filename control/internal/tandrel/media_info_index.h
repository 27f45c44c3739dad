// Tandrel_ReadMediaInfo for C++ programs built with this tree, with the frame index an MP3 cut
// can take. Not installed with the public headers: it takes the engine's own types.
#pragma once

#include <string>

#include "tandrel/media_info.h"
#include "tandrel_engine/frame_reader.h"

namespace tandrel {

// Tandrel_ReadMediaInfo's facts of `path`, and with `index` an MP3 file's frames indexed in the
// same pass (CountStreamFrames), for a cut of the file to take in OperationOptions::frames.
TANDREL_API short ReadMediaInfo(const std::string& path, TandrelMediaInfo& info, FrameIndex* index);

}  // namespace tandrel
