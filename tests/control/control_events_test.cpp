// The operations through the control, with real files: results, events and their order, and
// by-reference arguments.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "scratch_files.h"
#include "tandrel/tandrel_ctrl.h"

namespace tandrel {
namespace {

using test::ReadBytes;
using test::SameBytes;
using test::SampleBytes;
using test::ScratchDir;
using test::WriteWave;

using Event = std::pair<int, int>;  // DISPID, value
using Events = std::vector<Event>;

constexpr int kStatus = CTandrelCtrl::kEventStatusChange;
constexpr int kCut = CTandrelCtrl::kEventCut;
constexpr int kJoin = CTandrelCtrl::kEventJoin;
constexpr std::size_t kOneSecond = 176400;  // 44100 Hz, 16-bit stereo

std::uint32_t Le32(const std::vector<std::uint8_t>& bytes, std::size_t at) {
  return bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 | std::uint32_t{bytes[at + 3]} << 24;
}

class ControlEventsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ctrl_.Advise([this](int dispid, std::int16_t value) { events_.emplace_back(dispid, value); });
  }

  // Three WAVE inputs of 1000, 2000 and 3000 sample bytes; returns the join list.
  std::string ThreeInputs() {
    WriteWave(dir_.File("a.wav"), 1000, 1);
    WriteWave(dir_.File("b.wav"), 2000, 2);
    WriteWave(dir_.File("c.wav"), 3000, 3);
    return dir_.File("a.wav") + "|" + dir_.File("b.wav") + "|" + dir_.File("c.wav");
  }

  std::vector<std::uint8_t> JoinedSamples() const {
    std::vector<std::uint8_t> all;
    for (const auto& [size, seed] : {std::pair{1000, 1}, {2000, 2}, {3000, 3}}) {
      const auto part =
          SampleBytes(static_cast<std::size_t>(size), static_cast<std::uint8_t>(seed));
      all.insert(all.end(), part.begin(), part.end());
    }
    return all;
  }

  ScratchDir dir_;
  CTandrelCtrl ctrl_;
  Events events_;
};

TEST_F(ControlEventsTest, JoinOfThreeFilesFiresJoinPerInputThenStatusChange) {
  const std::string list = ThreeInputs();
  const std::string out = dir_.File("joined.wav");
  const DispatchResult result =
      ctrl_.Invoke(CTandrelCtrl::kDispJoin, {{Variant(out), Variant(list), std::int16_t{3}}});
  ASSERT_EQ(result.status, DispatchStatus::Ok);
  ASSERT_EQ(result.result.Type(), VarType::Short);
  EXPECT_EQ(result.result.ShortValue(), 0);
  EXPECT_EQ(events_, (Events{{kJoin, 33}, {kJoin, 66}, {kJoin, 100}, {kStatus, 4}}));

  const auto joined = ReadBytes(out);
  ASSERT_EQ(joined.size(), 44U + 6000U);
  EXPECT_EQ(Le32(joined, 4), 6036U);
  EXPECT_EQ(Le32(joined, 40), 6000U);
  EXPECT_TRUE(SameBytes({joined.begin() + 44, joined.end()}, JoinedSamples()));
}

TEST_F(ControlEventsTest, CutsFireCutPerPieceThenStatusChange) {
  WriteWave(dir_.File("song.wav"), 1000, 7);
  const std::string source = dir_.File("song.wav");
  const std::string sections =
      "1;1;" + dir_.File("p1.wav") + "|2;2;" + dir_.File("p2.wav") + "|3;-1;" + dir_.File("p3.wav");
  EXPECT_EQ(ctrl_.CutByTime(source, sections, 3), 0);
  EXPECT_EQ(events_, (Events{{kCut, 33}, {kCut, 66}, {kCut, 100}, {kStatus, 3}}));
  for (const char* piece : {"p1.wav", "p2.wav", "p3.wav"}) {
    EXPECT_TRUE(std::filesystem::exists(dir_.File(piece))) << piece;
  }

  // 1000 sample bytes in pieces of 300: 300, 300, 300 and 100, named by the engine.
  events_.clear();
  EXPECT_EQ(ctrl_.CutBySize(source, 300, dir_.Path().string()), 0);
  EXPECT_EQ(events_, (Events{{kCut, 25}, {kCut, 50}, {kCut, 75}, {kCut, 100}, {kStatus, 3}}));
  const std::uintmax_t sizes[] = {344, 344, 344, 144};
  for (int k = 1; k <= 4; ++k) {
    const std::string piece = dir_.File("song_" + std::to_string(k) + ".wav");
    ASSERT_TRUE(std::filesystem::exists(piece)) << piece;
    EXPECT_EQ(std::filesystem::file_size(piece), sizes[k - 1]) << piece;
  }
}

// The third section ends beyond the data: the first two pieces are written and announced, then
// the call fails without StatusChange and without a third piece.
TEST_F(ControlEventsTest, CutThatFailsAfterSomePiecesFiredCutForThosePiecesOnly) {
  WriteWave(dir_.File("second.wav"), kOneSecond, 4);
  const std::string sections = "1;100;" + dir_.File("p1.wav") + "|101;200;" + dir_.File("p2.wav") +
                               "|1;5000;" + dir_.File("p3.wav");
  EXPECT_EQ(ctrl_.CutByTime(dir_.File("second.wav"), sections, 3), 7);
  EXPECT_EQ(events_, (Events{{kCut, 33}, {kCut, 66}}));
  EXPECT_TRUE(std::filesystem::exists(dir_.File("p1.wav")));
  EXPECT_TRUE(std::filesystem::exists(dir_.File("p2.wav")));
  EXPECT_FALSE(std::filesystem::exists(dir_.File("p3.wav")));
}

TEST_F(ControlEventsTest, FailingCallsFireNoStatusChange) {
  const std::string list = ThreeInputs();
  WriteWave(dir_.File("slow.wav"), 1000, 5, {22050, 2, 16});
  const std::string a = dir_.File("a.wav");
  const std::string out = dir_.File("out.wav");
  const struct {
    const char* what;
    int dispid;
    std::vector<Variant> args;
    int code;
  } cases[] = {
      {"join count differs", 1, {out, list, std::int16_t{2}}, 7},
      {"join kinds differ",
       1,
       {dir_.File("out.mp3"), a + "|" + dir_.File("b.mp3"), std::int16_t{2}},
       4},
      {"join input missing", 1, {out, a + "|" + dir_.File("missing.wav"), std::int16_t{2}}, 1},
      {"join formats differ", 1, {out, a + "|" + dir_.File("slow.wav"), std::int16_t{2}}, 6},
      {"cut source missing", 2, {dir_.File("missing.wav"), "1;10;" + out, std::int16_t{1}}, 1},
      {"cut source not audio", 2, {dir_.File("x.txt"), "1;10;" + out, std::int16_t{1}}, 5},
      {"piece larger than source", 3, {a, std::int32_t{1045}, dir_.Path().string()}, 7},
      {"piece folder missing", 3, {a, std::int32_t{100}, dir_.File("nowhere")}, 1},
  };
  for (const auto& c : cases) {
    events_.clear();
    const DispatchResult result = ctrl_.Invoke(c.dispid, c.args);
    ASSERT_EQ(result.status, DispatchStatus::Ok) << c.what;
    ASSERT_EQ(result.result.Type(), VarType::Short) << c.what;
    EXPECT_EQ(result.result.ShortValue(), c.code) << c.what;
    EXPECT_EQ(events_, Events{}) << c.what;
  }
}

TEST_F(ControlEventsTest, EverySinkReceivesEveryEventInConnectionOrder) {
  std::vector<std::pair<char, Event>> log;
  ctrl_.Advise([&log](int id, std::int16_t v) { log.push_back({'b', {id, v}}); });
  ctrl_.Advise([&log](int id, std::int16_t v) { log.push_back({'c', {id, v}}); });
  EXPECT_EQ(ctrl_.Join(dir_.File("out.wav"), ThreeInputs(), 3), 0);

  const Events expected = {{kJoin, 33}, {kJoin, 66}, {kJoin, 100}, {kStatus, 4}};
  EXPECT_EQ(events_, expected);
  std::vector<std::pair<char, Event>> interleaved;
  for (const Event& e : expected) {
    interleaved.push_back({'b', e});
    interleaved.push_back({'c', e});
  }
  EXPECT_EQ(log, interleaved);
}

// A sink disconnects itself on its first event and another sink on the second; the operation
// runs to its end and the remaining sink hears everything.
TEST_F(ControlEventsTest, SinksMayDisconnectThemselvesAndOthersWhileTheOperationRuns) {
  Events quitter;
  Events victim;
  std::uint32_t quitterCookie = 0;
  const std::uint32_t victimCookie =
      ctrl_.Advise([&victim](int id, std::int16_t v) { victim.emplace_back(id, v); });
  quitterCookie = ctrl_.Advise([&](int id, std::int16_t v) {
    quitter.emplace_back(id, v);
    if (quitter.size() == 1) {
      EXPECT_TRUE(ctrl_.Unadvise(victimCookie));
    }
    if (quitter.size() == 2) {
      EXPECT_TRUE(ctrl_.Unadvise(quitterCookie));
    }
  });
  EXPECT_EQ(ctrl_.Join(dir_.File("out.wav"), ThreeInputs(), 3), 0);
  EXPECT_EQ(events_, (Events{{kJoin, 33}, {kJoin, 66}, {kJoin, 100}, {kStatus, 4}}));
  EXPECT_EQ(victim, (Events{{kJoin, 33}}));
  EXPECT_EQ(quitter, (Events{{kJoin, 33}, {kJoin, 66}}));
}

// Arguments passed by reference, or as other types that coerce to the declared ones, give the
// same result, the same events and the same output as plain values, and are not written back.
TEST_F(ControlEventsTest, ByReferenceArgumentsGiveTheSameResultsAndAreNotWrittenBack) {
  std::string out = dir_.File("joined.wav");
  std::string list = ThreeInputs();
  std::int16_t count = 3;
  std::int32_t longCount = 3;
  double doubleCount = 3.4;
  std::string textCount = "3";
  Variant outHolder(out);
  Variant listHolder = Variant::Ref(&list);
  Variant countHolder(std::int16_t{3});

  const struct {
    const char* what;
    std::vector<Variant> args;
  } forms[] = {
      {"values", {out, list, std::int16_t{3}}},
      {"typed references", {Variant::Ref(&out), Variant::Ref(&list), Variant::Ref(&count)}},
      {"variant references",
       {Variant::Ref(&outHolder), Variant::Ref(&listHolder), Variant::Ref(&countHolder)}},
      {"count as long", {out, list, Variant::Ref(&longCount)}},
      {"count as double", {out, list, Variant::Ref(&doubleCount)}},
      {"count as text", {out, list, Variant::Ref(&textCount)}},
  };
  for (const auto& form : forms) {
    std::filesystem::remove(out);
    events_.clear();
    const DispatchResult result = ctrl_.Invoke(CTandrelCtrl::kDispJoin, form.args);
    ASSERT_EQ(result.status, DispatchStatus::Ok) << form.what;
    EXPECT_EQ(result.result.ShortValue(), 0) << form.what;
    EXPECT_EQ(events_, (Events{{kJoin, 33}, {kJoin, 66}, {kJoin, 100}, {kStatus, 4}})) << form.what;
    const auto joined = ReadBytes(out);
    ASSERT_EQ(joined.size(), 6044U) << form.what;
    EXPECT_TRUE(SameBytes({joined.begin() + 44, joined.end()}, JoinedSamples())) << form.what;
  }
  EXPECT_EQ(out, dir_.File("joined.wav"));
  EXPECT_EQ(list, dir_.File("a.wav") + "|" + dir_.File("b.wav") + "|" + dir_.File("c.wav"));
  EXPECT_EQ(count, 3);
  EXPECT_EQ(longCount, 3);
  EXPECT_EQ(doubleCount, 3.4);
  EXPECT_EQ(textCount, "3");
  EXPECT_EQ(outHolder.Type(), VarType::String);
  EXPECT_TRUE(listHolder.IsByRef());
  EXPECT_EQ(countHolder.Type(), VarType::Short);

  // The queries, by value and by reference.
  for (int dispid : {CTandrelCtrl::kDispGetFileSize, CTandrelCtrl::kDispGetPlayTime}) {
    std::string name = dir_.File("b.wav");
    Variant holder(name);
    const Variant byValue[] = {Variant(name)};
    const Variant byRef[] = {Variant::Ref(&name)};
    const Variant byVariantRef[] = {Variant::Ref(&holder)};
    const std::int32_t expected = ctrl_.Invoke(dispid, byValue).result.LongValue();
    EXPECT_EQ(expected, dispid == CTandrelCtrl::kDispGetFileSize ? 2044 : 11);
    EXPECT_EQ(ctrl_.Invoke(dispid, byRef).result.LongValue(), expected);
    EXPECT_EQ(ctrl_.Invoke(dispid, byVariantRef).result.LongValue(), expected);
    EXPECT_EQ(name, dir_.File("b.wav"));
  }
}

}  // namespace
}  // namespace tandrel
