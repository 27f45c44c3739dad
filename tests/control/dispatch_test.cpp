// Late-bound calls: name lookup, argument count, member lookup, coercion failures and the types
// of results, through the exported control class.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "scratch_files.h"
#include "tandrel/tandrel_ctrl.h"

namespace tandrel {
namespace {

using test::ScratchDir;
using test::WriteWave;

TEST(Dispatch, NamesAreFoundWithoutRegardToCase) {
  CTandrelCtrl ctrl;
  const struct {
    const char* name;
    int dispid;
  } found[] = {{"Join", 1},        {"join", 1},        {"CUTBYTIME", 2},  {"cutBySize", 3},
               {"getfilesize", 4}, {"GetPlayTime", 5}, {"GETPLAYTIME", 5}};
  for (const auto& f : found) {
    int dispid = -1;
    EXPECT_EQ(ctrl.GetIDsOfNames(f.name, dispid), DispatchStatus::Ok) << f.name;
    EXPECT_EQ(dispid, f.dispid) << f.name;
  }
  for (const char* name : {"", "Joi", "Join ", "StatusChange", "Cut", "FilesCount"}) {
    int dispid = 42;
    EXPECT_EQ(ctrl.GetIDsOfNames(name, dispid), DispatchStatus::UnknownName) << name;
    EXPECT_EQ(dispid, 42) << name;
  }
}

TEST(Dispatch, UnknownMembersAndWrongCountsAreRefusedBeforeAnythingRuns) {
  CTandrelCtrl ctrl;
  const std::vector<Variant> three = {Variant("a"), Variant("b"), Variant(std::int16_t{1})};
  for (int dispid : {0, 6, -1, 1000}) {
    EXPECT_EQ(ctrl.Invoke(dispid, three).status, DispatchStatus::MemberNotFound) << dispid;
  }
  const struct {
    int dispid;
    std::size_t count;
  } wrongCounts[] = {{1, 0}, {1, 2}, {1, 4}, {2, 2}, {3, 1}, {4, 0}, {4, 2}, {5, 3}};
  for (const auto& w : wrongCounts) {
    const std::vector<Variant> args(w.count, Variant("x"));
    const DispatchResult result = ctrl.Invoke(w.dispid, args);
    EXPECT_EQ(result.status, DispatchStatus::BadParamCount) << w.dispid << " with " << w.count;
    EXPECT_EQ(result.result.Type(), VarType::Empty);
  }
}

// A failed coercion names the first argument at fault (in declaration order), and the method
// does not run: no event, no output file.
TEST(Dispatch, CoercionFailuresNameTheArgumentAndRunNothing) {
  ScratchDir dir;
  WriteWave(dir.File("a.wav"), 400, 1);
  WriteWave(dir.File("b.wav"), 400, 2);
  const std::string out = dir.File("out.wav");
  const std::string list = dir.File("a.wav") + "|" + dir.File("b.wav");
  const std::string source = dir.File("a.wav");
  std::string* nullText = nullptr;

  const struct {
    const char* what;
    int dispid;
    std::vector<Variant> args;
    DispatchStatus status;
    unsigned argError;
  } cases[] = {
      {"count not a number", 1, {out, list, "abc"}, DispatchStatus::TypeMismatch, 2},
      {"count too large", 1, {out, list, std::int32_t{70000}}, DispatchStatus::Overflow, 2},
      {"count text too large", 1, {out, list, "70000"}, DispatchStatus::Overflow, 2},
      {"count double too large", 1, {out, list, 32767.5}, DispatchStatus::Overflow, 2},
      {"first of two at fault",
       1,
       {Variant::Ref(nullText), list, "x"},
       DispatchStatus::TypeMismatch,
       0},
      {"cut count", 2, {source, "1;10;" + out, "two"}, DispatchStatus::TypeMismatch, 2},
      {"size not a number",
       3,
       {source, "big", dir.Path().string()},
       DispatchStatus::TypeMismatch,
       1},
      {"size too large", 3, {source, 3e9, dir.Path().string()}, DispatchStatus::Overflow, 1},
      {"size text too large",
       3,
       {source, "2147483648", dir.Path().string()},
       DispatchStatus::Overflow,
       1},
      {"file name reference broken", 4, {Variant::Ref(nullText)}, DispatchStatus::TypeMismatch, 0},
  };
  for (const auto& c : cases) {
    CTandrelCtrl ctrl;
    int events = 0;
    ctrl.Advise([&events](int, std::int16_t) { ++events; });
    const DispatchResult result = ctrl.Invoke(c.dispid, c.args);
    EXPECT_EQ(result.status, c.status) << c.what;
    EXPECT_EQ(result.argError, c.argError) << c.what;
    EXPECT_EQ(result.result.Type(), VarType::Empty) << c.what;
    EXPECT_EQ(events, 0) << c.what;
    EXPECT_FALSE(std::filesystem::exists(out)) << c.what;
    EXPECT_FALSE(std::filesystem::exists(dir.File("a_1.wav"))) << c.what;
  }
}

// The queries answer with a Long, the failure values included; arguments of other types are
// coerced to text first.
TEST(Dispatch, QueriesGiveLongResults) {
  ScratchDir dir;
  WriteWave(dir.File("one.wav"), 176400, 1);  // one second at 44100 Hz, 16-bit stereo
  { std::ofstream(dir.File("notes.txt")) << "hello"; }
  const struct {
    const char* what;
    int dispid;
    Variant arg;
    std::int32_t value;
  } cases[] = {
      {"size", 4, dir.File("one.wav"), 176444},
      {"size of any kind", 4, dir.File("notes.txt"), 5},
      {"size of a missing file", 4, dir.File("missing.wav"), 0},
      {"play time", 5, dir.File("one.wav"), 1000},
      {"play time of a missing WAVE", 5, dir.File("missing.wav"), 1},
      {"play time of a missing MP3", 5, dir.File("missing.mp3"), 1},
      {"play time of a text file", 5, dir.File("notes.txt"), 5},
      {"a number is a name", 4, std::int16_t{12}, 0},
  };
  CTandrelCtrl ctrl;
  for (const auto& c : cases) {
    const DispatchResult result = ctrl.Invoke(c.dispid, {&c.arg, 1});
    ASSERT_EQ(result.status, DispatchStatus::Ok) << c.what;
    ASSERT_EQ(result.result.Type(), VarType::Long) << c.what;
    EXPECT_EQ(result.result.LongValue(), c.value) << c.what;
  }
}

}  // namespace
}  // namespace tandrel
