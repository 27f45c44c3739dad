#pragma once

#include <string_view>

namespace tandrel {

// The kind of an audio file, judged from its name alone; the content is never sniffed.
enum class AudioKind { None = 0, Wave = 1, Mp3 = 2 };

// Looks at the text after the last '.' of the whole path: exactly "wav" or "mp3" in any letter
// case gives Wave or Mp3; anything else, a path without a dot included, gives None.
AudioKind GetAudioKind(std::string_view path);

}  // namespace tandrel
