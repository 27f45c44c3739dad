#pragma once

#include <cstdint>
#include <span>

#include "tandrel_engine/byte_io.h"

namespace tandrel {

// The size of an ID3v2 tag at the start of `bytes` (header, body and footer), or 0 when none.
// `bytes` should hold at least 10 bytes.
std::uint64_t Id3v2TagSize(std::span<const std::uint8_t> bytes);

// Where the audio of an MP3 file starts: after the ID3v2 tags at its beginning.
std::uint64_t FindAudioStart(ByteSource& source);

// Where the audio of an MP3 file ends: before the tags at its end, in whatever order taggers
// stacked them: ID3v1 (with an extended "TAG+" block), APEv1/APEv2, Lyrics3 v1/v2, and an ID3v2
// tag with a footer. Never before `audioStart`.
std::uint64_t FindAudioEnd(ByteSource& source, std::uint64_t audioStart);

}  // namespace tandrel
