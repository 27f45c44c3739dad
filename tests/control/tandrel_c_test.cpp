// The C interface as a C++ caller sees it: object lifetime and null arguments. (Events through
// it are checked by the C program and the Python script.)

#include <gtest/gtest.h>

#include <memory>

#include "tandrel/tandrel.h"
#include "tandrel/tandrel_ctrl.h"

namespace tandrel {
namespace {

void Ignore(void*, int, short) {}

TEST(TandrelC, CanUnloadNowFollowsLiveObjectsOfBothInterfaces) {
  ASSERT_EQ(Tandrel_CanUnloadNow(), 1) << "another test left an object alive";
  TandrelObject* first = Tandrel_Create();
  TandrelObject* second = Tandrel_Create();
  ASSERT_NE(first, nullptr);
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(Tandrel_CanUnloadNow(), 0);
  Tandrel_Release(first);
  EXPECT_EQ(Tandrel_CanUnloadNow(), 0);
  Tandrel_Release(second);
  EXPECT_EQ(Tandrel_CanUnloadNow(), 1);
  {
    const auto ctrl = std::make_unique<CTandrelCtrl>();
    EXPECT_EQ(Tandrel_CanUnloadNow(), 0);
  }
  EXPECT_EQ(Tandrel_CanUnloadNow(), 1);
  Tandrel_Release(nullptr);
  EXPECT_EQ(Tandrel_CanUnloadNow(), 1);
}

TEST(TandrelC, NullArgumentsAreAnsweredNotFollowed) {
  EXPECT_EQ(Tandrel_Advise(nullptr, Ignore, nullptr), 0U);
  EXPECT_EQ(Tandrel_Unadvise(nullptr, 1), 0);
  EXPECT_EQ(Tandrel_Join(nullptr, "o.wav", "a.wav", 1), 7);
  EXPECT_EQ(Tandrel_CutByTime(nullptr, "a.wav", "1;2;p.wav", 1), 7);
  EXPECT_EQ(Tandrel_CutBySize(nullptr, "a.wav", 100, "."), 7);
  EXPECT_EQ(Tandrel_GetFileSize(nullptr, "a.wav"), 0);
  EXPECT_EQ(Tandrel_GetPlayTime(nullptr, "a.wav"), 1);

  TandrelObject* object = Tandrel_Create();
  EXPECT_EQ(Tandrel_Advise(object, nullptr, nullptr), 0U);
  EXPECT_EQ(Tandrel_Unadvise(object, 12345), 0);
  // A null string is empty text: no extension, so not an audio file.
  EXPECT_EQ(Tandrel_GetPlayTime(object, nullptr), 5);
  EXPECT_EQ(Tandrel_GetFileSize(object, nullptr), 0);
  EXPECT_EQ(Tandrel_CutByTime(object, nullptr, nullptr, 1), 5);
  Tandrel_Release(object);
}

}  // namespace
}  // namespace tandrel
