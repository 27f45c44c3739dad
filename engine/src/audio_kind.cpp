#include "tandrel_engine/audio_kind.h"

#include <cctype>

namespace tandrel {
namespace {

bool EqualsNoCase(std::string_view text, std::string_view lower) {
  if (text.size() != lower.size()) return false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(text[i])) != lower[i]) return false;
  }
  return true;
}

}  // namespace

AudioKind GetAudioKind(std::string_view path) {
  const auto dot = path.rfind('.');
  if (dot == std::string_view::npos) return AudioKind::None;
  const auto extension = path.substr(dot + 1);
  if (EqualsNoCase(extension, "wav")) return AudioKind::Wave;
  if (EqualsNoCase(extension, "mp3")) return AudioKind::Mp3;
  return AudioKind::None;
}

}  // namespace tandrel
