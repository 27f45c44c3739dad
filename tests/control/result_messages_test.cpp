#include "tandrel/result_messages.h"

#include <gtest/gtest.h>

#include <string>

namespace tandrel {
namespace {

TEST(ResultMessages, EveryCodeHasItsFixedTextAfterAJoinAndAfterASplit) {
  const struct {
    int code;
    const char* afterJoin;
    const char* afterSplit;
  } table[] = {
      {0, "Joinned successfully", "Splitted successfully"},
      {1, "Error open file", "Error open file"},
      {2, "Error read file", "Error read file"},
      {3, "File corrupted", "File corrupted"},
      {4, "Error file diff", "Error file diff"},
      {5, "Error file not supported", "Error file not supported"},
      {6, "Error WAV file diff", "Error WAV file diff"},
      {7, "Error parameter invalid", "Error parameter invalid"},
  };
  for (const auto& row : table) {
    ASSERT_NE(JoinResultMessage(row.code), nullptr) << row.code;
    ASSERT_NE(SplitResultMessage(row.code), nullptr) << row.code;
    EXPECT_EQ(std::string(JoinResultMessage(row.code)), row.afterJoin) << row.code;
    EXPECT_EQ(std::string(SplitResultMessage(row.code)), row.afterSplit) << row.code;
  }
}

TEST(ResultMessages, CodesOutsideTheTableShowNothing) {
  for (int code : {-1, 8, 100, -32768}) {
    EXPECT_EQ(JoinResultMessage(code), nullptr) << code;
    EXPECT_EQ(SplitResultMessage(code), nullptr) << code;
  }
}

}  // namespace
}  // namespace tandrel
