#pragma once

#include <cstdint>
#include <string>

#include "tandrel_engine/audio_kind.h"
#include "tandrel_engine/byte_io.h"

namespace tandrel {

// The low 32 bits of the file's size in bytes, whatever its kind; 0 when it cannot be opened.
std::int32_t GetFileSize(const std::string& path);

// The play time of an MP3 or WAVE file in whole milliseconds. Failure codes share the range:
// 5 when the name is not .wav or .mp3, 1 when the file cannot be opened, 3 when a WAVE file has
// no readable header or a bytes-per-second of 0. An MP3 file without any frame gives 0.
//
// MP3: an info header ("Xing" or "Info") in the first frame after any ID3v2 tag gives its frame
// count times the frame duration; otherwise the audio bytes (after the tag) are counted in frames
// of the reference's unpadded length. WAVE: data size * 1000 / bytes per second of the
// normalised header.
std::int32_t GetPlayTime(const std::string& path);

// The same measure over an open source whose kind the caller judged (Wave or Mp3).
std::int32_t GetPlayTime(ByteSource& source, AudioKind kind);

}  // namespace tandrel
