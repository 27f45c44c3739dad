#include "tandrel/path_name.h"

#include <gtest/gtest.h>

#include <string>

namespace tandrel {
namespace {

struct BaseNameCase {
  std::string path;
  std::string baseName;
};

TEST(GetBaseNameTest, TakesTheNameAfterTheLastSeparatorCutBeforeItsLastDot) {
  const std::string s(1, kPathSeparator);
  const BaseNameCase cases[] = {
      {s + "music" + s + "song.mp3", "song"},
      {"song.mp3", "song"},
      {"song", "song"},
      {"live.2019.wav", "live.2019"},
      {s + "music" + s + "album.v2" + s + "track", "track"},
      {s + "music" + s + ".hidden", ""},
      {s + "music" + s, ""},
      {"", ""},
      {"a b .mp3", "a b "},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(GetBaseName(c.path), c.baseName) << '"' << c.path << '"';
  }
}

}  // namespace
}  // namespace tandrel
