#include "logic/open_file_filter.h"

#include <string_view>

namespace trevasso::logic {

namespace {

// Whether `text` ends with `suffix` (lower-case ASCII) in any letter case. A separator cannot
// sit inside ".mp3", so the end of the whole path is the end of its file name.
bool EndsWithAnyCase(std::string_view text, std::string_view suffix) {
  if (text.size() < suffix.size()) return false;
  text.remove_prefix(text.size() - suffix.size());
  for (std::size_t i = 0; i < suffix.size(); ++i) {
    const char c =
        text[i] >= 'A' && text[i] <= 'Z' ? static_cast<char>(text[i] - 'A' + 'a') : text[i];
    if (c != suffix[i]) return false;
  }
  return true;
}

}  // namespace

std::vector<std::string> AudioFileFilters() {
  return {
      "MP3 and WAV Audio Files(*.mp3;*.wav) (*.[Mm][Pp]3 *.[Ww][Aa][Vv])",
      "MP3 Audio Files(*.mp3) (*.[Mm][Pp]3)",
      "WAV Audio Files(*.wav) (*.[Ww][Aa][Vv])",
  };
}

std::vector<std::string> DroppedAudioFiles(const std::vector<std::string>& paths) {
  std::vector<std::string> audio;
  for (const std::string& path : paths) {
    if (EndsWithAnyCase(path, ".mp3") || EndsWithAnyCase(path, ".wav")) audio.push_back(path);
  }
  return audio;
}

}  // namespace trevasso::logic
