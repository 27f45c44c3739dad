#include "cli/code_text.h"

#include "tandrel_engine/audio_kind.h"

namespace tandrel::cli {

std::string CodeText(int code, const std::string& path) {
  switch (code) {
    case 0:
      return {};
    case 1:
      return "cannot be opened";
    case 2:
      return "an input has no WAVE header that can be read";
    case 3:
      return "no WAVE header that can be read (not a WAVE file, or a damaged one)";
    case 4:
      return "the inputs are not all of one kind";
    case 5:
      // The name says MP3, so it is its content that is not.
      if (GetAudioKind(path) == AudioKind::Mp3) return "no MP3 audio in it";
      return "neither a .wav nor a .mp3 file";
    case 6:
      return "the WAVE inputs are not all of one format";
    case 7:
      return "invalid parameter";
    default:
      return "unknown result code " + std::to_string(code);
  }
}

}  // namespace tandrel::cli
