#include "tandrel_engine/section_list.h"

#include <gtest/gtest.h>

#include <climits>

namespace tandrel {
namespace {

TEST(SectionListTest, SplitListNeedsExactlyTheCount) {
  const std::tuple<const char*, std::int16_t, int> cases[] = {
      {"a|b|c", 3, 3}, {"a|b|c", 2, -1}, {"a|b", 3, -1}, {"", 1, 1},
      {"", 0, -1},     {"a", -1, -1},    {"a||b", 3, 3}, {"a|", 2, 2},
  };
  for (const auto& [list, count, expected] : cases) {
    const auto entries = SplitList(list, count);
    EXPECT_EQ(entries ? static_cast<int>(entries->size()) : -1, expected) << list << " / " << count;
  }
  EXPECT_EQ(*SplitList("x|y", 2), (std::vector<std::string>{"x", "y"}));
}

TEST(SectionListTest, TimesReadLikeTheCLibrarySaturatingAt32Bits) {
  const std::pair<const char*, std::int32_t> cases[] = {
      {"1000", 1000},
      {"  42", 42},
      {"\t-1", -1},
      {"+7", 7},
      {"12abc", 12},
      {"abc", 0},
      {"", 0},
      {"- 5", 0},
      {"2147483647", INT_MAX},
      {"99999999999", INT_MAX},
      {"-99999999999", INT_MIN},
  };
  for (const auto& [text, value] : cases) EXPECT_EQ(ReadLong(text), value) << '"' << text << '"';
}

TEST(SectionListTest, SectionsNeedThreeFieldsAndAnEndNotBeforeTheStart) {
  const auto sections =
      ParseSections({"1;1000;/out/a_001.mp3", "1001;-1;/out/b.mp3;junk", " 5 ;x;/p;q;r"});
  ASSERT_TRUE(sections);
  const std::vector<std::tuple<int, int, std::string>> expected = {
      {1, 1000, "/out/a_001.mp3"}, {1001, -1, "/out/b.mp3"}, {5, 0, "/p"}};
  for (std::size_t i = 0; i < expected.size(); ++i) {
    const auto& s = (*sections)[i];
    EXPECT_EQ(std::make_tuple(int{s.start}, int{s.end}, s.path), expected[i]);
  }
  for (const char* entry : {"", "1", "1;2", "1;2/x.mp3"})
    EXPECT_FALSE(ParseSections({entry})) << entry;
  // A path longer than the old 259-character limit is kept whole.
  const std::string path = "/" + std::string(600, 'p') + ".mp3";
  EXPECT_EQ(ParseSections({"1;2;" + path})->front().path, path);

  EXPECT_TRUE(CheckSections({{1, 1000, ""}, {1000, 1000, ""}, {5000, -1, ""}}));
  EXPECT_FALSE(CheckSections({{1, 1000, ""}, {1001, 1000, ""}}));
  EXPECT_FALSE(CheckSections({{5, -2, ""}}));
}

}  // namespace
}  // namespace tandrel
