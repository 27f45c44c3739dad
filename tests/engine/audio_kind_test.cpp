#include "tandrel/audio_kind.h"

#include <gtest/gtest.h>

#include <string>

namespace tandrel {
namespace {

struct KindCase {
  std::string path;
  AudioKind kind;
};

TEST(GetAudioKindTest, JudgesTheThreeCharactersAfterTheLastDot) {
  const KindCase cases[] = {
      {"song.mp3", AudioKind::Mp3},
      {"song.Mp3", AudioKind::Mp3},
      {"SONG.MP3", AudioKind::Mp3},
      {"take.wav", AudioKind::Wave},
      {"take.WAV", AudioKind::Wave},
      {"take.wAv", AudioKind::Wave},
      {"/music/a.b/take.wav", AudioKind::Wave},
      {"/music/old.wav.mp3", AudioKind::Mp3},
      {".mp3", AudioKind::Mp3},
      {"song.mpeg", AudioKind::None},
      {"song.mp", AudioKind::None},
      {"song.wma", AudioKind::None},
      {"song.mp4", AudioKind::None},
      {"song.mp3 ", AudioKind::None},
      {"song.mp3.", AudioKind::None},
      {"song.", AudioKind::None},
      {"song", AudioKind::None},
      {"", AudioKind::None},
      // The last dot lies in a folder name: "mp3/track" is not three characters.
      {"/music/album.mp3/track", AudioKind::None},
      {"/music/album.wav/", AudioKind::None},
      // Only exactly these letters; lookalikes from other code pages are not folded.
      {"song.m\xD0\xA0"
       "3",
       AudioKind::None},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(GetAudioKind(c.path), c.kind) << '"' << c.path << '"';
  }
}

}  // namespace
}  // namespace tandrel
