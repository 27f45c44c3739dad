#include "tandrel/section_list.h"

#include <gtest/gtest.h>

#include <climits>

namespace tandrel {
namespace {

TEST(SplitListTest, EntriesMustMatchTheCount) {
  struct Case {
    const char* list;
    std::int16_t count;
    int expected;  // entries, or -1 for a refusal
  };
  const Case cases[] = {
      {"a|b|c", 3, 3}, {"a|b|c", 2, -1}, {"a|b", 3, -1}, {"", 1, 1},   {"", 0, -1},
      {"a", -1, -1},   {"|", 2, 2},      {"a||b", 3, 3}, {"a|", 2, 2},
  };
  for (const auto& c : cases) {
    const auto entries = SplitList(c.list, c.count);
    if (c.expected < 0) {
      EXPECT_FALSE(entries) << c.list << " / " << c.count;
    } else {
      ASSERT_TRUE(entries) << c.list << " / " << c.count;
      EXPECT_EQ(entries->size(), static_cast<std::size_t>(c.expected));
    }
  }
  EXPECT_EQ(*SplitList("x|y", 2), (std::vector<std::string>{"x", "y"}));
}

TEST(ReadLongTest, ReadsLikeTheCLibrary) {
  const std::pair<const char*, std::int32_t> cases[] = {
      {"1000", 1000},
      {"  42", 42},
      {"\t-1", -1},
      {"+7", 7},
      {"12abc", 12},
      {"abc", 0},
      {"", 0},
      {"-", 0},
      {"99999999999", INT_MAX},
      {"-99999999999", INT_MIN},
      {"2147483647", INT_MAX},
      {"- 5", 0},
  };
  for (const auto& [text, value] : cases) EXPECT_EQ(ReadLong(text), value) << '"' << text << '"';
}

TEST(ParseSectionsTest, ThreeFieldsEachTextAfterAThirdSeparatorIgnored) {
  const auto sections =
      ParseSections({"1;1000;/out/a_001.mp3", "1001;-1;/out/b.mp3;junk", " 5 ;x;/p;q;r"});
  ASSERT_TRUE(sections);
  ASSERT_EQ(sections->size(), 3u);
  EXPECT_EQ((*sections)[0].start, 1);
  EXPECT_EQ((*sections)[0].end, 1000);
  EXPECT_EQ((*sections)[0].path, "/out/a_001.mp3");
  EXPECT_EQ((*sections)[1].end, -1);
  EXPECT_EQ((*sections)[1].path, "/out/b.mp3");
  EXPECT_EQ((*sections)[2].start, 5);
  EXPECT_EQ((*sections)[2].end, 0);
  EXPECT_EQ((*sections)[2].path, "/p");
}

TEST(ParseSectionsTest, FewerThanThreeFieldsIsRefused) {
  for (const char* entry : {"", "1", "1;2", "1;2/x.mp3"}) {
    EXPECT_FALSE(ParseSections({entry})) << entry;
  }
  // A long path is not cut short.
  const std::string path = "/" + std::string(600, 'p') + ".mp3";
  const auto sections = ParseSections({"1;2;" + path});
  ASSERT_TRUE(sections);
  EXPECT_EQ(sections->front().path, path);
}

TEST(CheckSectionsTest, EndBeforeStartIsRefused) {
  EXPECT_TRUE(CheckSections({{1, 1000, ""}, {1000, 1000, ""}, {5000, -1, ""}}));
  EXPECT_FALSE(CheckSections({{1, 1000, ""}, {1001, 1000, ""}}));
  EXPECT_FALSE(CheckSections({{5, -2, ""}}));
}

}  // namespace
}  // namespace tandrel
