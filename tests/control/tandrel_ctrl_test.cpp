// The control through its C++ class on real files: results, events and their order, late-bound
// calls and the ways they fail, live objects.

#include "tandrel/tandrel_ctrl.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "fixtures/byte_compare.h"
#include "fixtures/temp_dir.h"
#include "fixtures/wave_builder.h"
#include "tandrel_engine/result_code.h"
#include "tandrel/result_messages.h"
#include "tandrel/tandrel.h"

namespace tandrel {
namespace {

namespace fs = std::filesystem;
using Events = std::vector<std::pair<int, int>>;  // DISPID, value

constexpr int kStatus = CTandrelCtrl::kEventStatusChange;
constexpr int kJoin = CTandrelCtrl::kEventJoin;
const Events kJoinOfThree = {{kJoin, 33}, {kJoin, 66}, {kJoin, 100}, {kStatus, 4}};

// Writes a WAVE file of `size` sample bytes (44100 Hz, 16-bit stereo); returns the samples.
std::vector<std::uint8_t> WriteWave(const std::string& path, std::uint32_t size,
                                    std::uint32_t seed) {
  auto bytes = fixtures::MakeCanonicalWaveHeader({}, size);
  const auto samples = fixtures::MakeSamples(size, seed);
  bytes.insert(bytes.end(), samples.begin(), samples.end());
  fixtures::WriteFile(path, bytes);
  return samples;
}

class ControlTest : public ::testing::Test {
 protected:
  // Inputs a, b and c of 1000, 2000 and 3000 sample bytes (44100 Hz, 16-bit stereo).
  void SetUp() override {
    ctrl_.Advise([this](int dispid, std::int16_t value) { events_.emplace_back(dispid, value); });
    joined_ = fixtures::MakeCanonicalWaveHeader({}, 6000);
    for (std::uint32_t i = 1; i <= 3; ++i) {
      const std::string name = dir_.File(std::string(1, static_cast<char>('a' + i - 1)) + ".wav");
      const auto samples = WriteWave(name, 1000 * i, i);
      list_ += (i > 1 ? "|" : "") + name;
      joined_.insert(joined_.end(), samples.begin(), samples.end());
    }
  }

  // A call that goes through; its Short result code.
  int Run(int dispid, const std::vector<Variant>& args) {
    const DispatchResult result = ctrl_.Invoke(dispid, args);
    EXPECT_TRUE(result.status == DispatchStatus::Ok && result.result.Type() == VarType::Short);
    return result.result.ShortValue();
  }
  bool Exists(const std::string& name) const { return fs::exists(dir_.File(name)); }

  fixtures::TempDir dir_;
  CTandrelCtrl ctrl_;
  Events events_;
  std::string list_;                  // the three inputs as a join list
  std::vector<std::uint8_t> joined_;  // the file their join must write
};

// Every sink hears every event in order: t checks at each event that the first sink heard
// exactly the same before it, then throws, which must reach neither the other sinks nor the
// operation. While the join runs, q disconnects v (after it) and itself, and then still uses its
// own state (the sanitizer build catches a use after free).
TEST_F(ControlTest, JoinOfThreeFilesFiresJoinPerInputThenStatusChangeToEverySink) {
  Events q, v, t;
  std::uint32_t qCookie = 0, vCookie = 0;
  auto state = std::make_shared<Events*>(&q);
  qCookie = ctrl_.Advise([&, state](int dispid, std::int16_t value) {
    EXPECT_TRUE(ctrl_.Unadvise(vCookie) && ctrl_.Unadvise(qCookie));
    (*state)->emplace_back(dispid, value);
  });
  state.reset();
  vCookie = ctrl_.Advise([&v](int id, std::int16_t w) { v.emplace_back(id, w); });
  ctrl_.Advise([&](int id, std::int16_t w) {
    t.emplace_back(id, w);
    EXPECT_EQ(t, events_);
    throw std::runtime_error("sink failed");
  });
  EXPECT_EQ(Run(CTandrelCtrl::kDispJoin, {dir_.File("j.wav"), list_, std::int16_t{3}}), 0);
  EXPECT_EQ(events_, kJoinOfThree);
  EXPECT_EQ(t, kJoinOfThree);
  EXPECT_EQ(q, (Events{{kJoin, 33}}));
  EXPECT_EQ(v, Events{});
  EXPECT_FALSE(ctrl_.Unadvise(qCookie));
  EXPECT_EQ(Tandrel_CanUnloadNow(), 0);  // ctrl_ is alive; the C program sees it come back to 1
  EXPECT_TRUE(fixtures::SameBytes(fixtures::ReadFile(dir_.File("j.wav")), joined_));
}

// The third section ends beyond the data: the first two pieces are written and announced, then
// the call fails without StatusChange and without a third piece.
TEST_F(ControlTest, CutThatFailsAfterSomePiecesFiredCutForThosePiecesOnly) {
  WriteWave(dir_.File("second.wav"), 176400, 4);
  const std::string sections = "1;100;" + dir_.File("p1.wav") + "|101;200;" + dir_.File("p2.wav") +
                               "|1;5000;" + dir_.File("p3.wav");
  EXPECT_EQ(ctrl_.CutByTime(dir_.File("second.wav"), sections, 3), 7);
  EXPECT_EQ(events_, (Events{{CTandrelCtrl::kEventCut, 33}, {CTandrelCtrl::kEventCut, 66}}));
  EXPECT_TRUE(Exists("p1.wav") && Exists("p2.wav") && !Exists("p3.wav"));
}

// An engine failure is a result code and fires no StatusChange. A call refused by dispatch runs
// nothing and gives no result; a failed coercion names the first argument at fault. Neither
// leaves output behind.
TEST_F(ControlTest, FailingCallsFireNoStatusChange) {
  const std::string out = dir_.File("out.wav");
  std::string* nullText = nullptr;
  constexpr auto kOk = DispatchStatus::Ok;
  constexpr auto kMismatch = DispatchStatus::TypeMismatch;
  constexpr auto kOverflow = DispatchStatus::Overflow;
  // DISPID, arguments, status, and the result code when kOk, else the argument at fault.
  const std::tuple<int, std::vector<Variant>, DispatchStatus, int> cases[] = {
      {1, {out, list_, std::int16_t{2}}, kOk, 7},
      {2, {dir_.File("x.txt"), "1;10;" + out, std::int16_t{1}}, kOk, 5},
      {3, {dir_.File("a.wav"), std::int32_t{100}, dir_.File("nowhere")}, kOk, 1},
      {0, {out, list_, std::int16_t{3}}, DispatchStatus::MemberNotFound, 0},
      {1, {out, list_}, DispatchStatus::BadParamCount, 0},
      {1, {out, list_, "abc"}, kMismatch, 2},
      {1, {out, list_, std::int32_t{70000}}, kOverflow, 2},
      {1, {Variant::Ref(nullText), list_, "x"}, kMismatch, 0},
      {3, {dir_.File("a.wav"), 3e9, dir_.Path()}, kOverflow, 1}};
  for (const auto& [dispid, args, status, codeOrArg] : cases) {
    SCOPED_TRACE(dispid);
    const DispatchResult result = ctrl_.Invoke(dispid, args);
    EXPECT_EQ(result.status, status);
    EXPECT_EQ(result.result.Type(), status == kOk ? VarType::Short : VarType::Empty);
    EXPECT_EQ(result.result.ShortValue(), status == kOk ? codeOrArg : 0);
    if (status == kMismatch || status == kOverflow) {
      EXPECT_EQ(result.argError, static_cast<unsigned>(codeOrArg));
    }
    EXPECT_EQ(events_, Events{});
    EXPECT_FALSE(Exists("out.wav") || Exists("a_1.wav"));
  }
}

// By reference (to the value, or to a Variant holding it or a reference to it, of a type that
// coerces to the declared one), the arguments give the same result, events and output
// as plain values, and are not written back.
TEST_F(ControlTest, ByReferenceArgumentsGiveTheSameResultsAndAreNotWrittenBack) {
  std::string out = dir_.File("j.wav");
  std::string list = list_;
  std::int16_t count = 3;
  std::int32_t longCount = 3;
  Variant outHolder(out);
  Variant listHolder = Variant::Ref(&list);
  const std::vector<Variant> forms[] = {
      {out, list, std::int16_t{3}},
      {Variant::Ref(&out), Variant::Ref(&list), Variant::Ref(&count)},
      {Variant::Ref(&outHolder), Variant::Ref(&listHolder), Variant::Ref(&longCount)}};
  for (std::size_t i = 0; i < std::size(forms); ++i) {
    fs::remove(out);
    events_.clear();
    EXPECT_EQ(Run(CTandrelCtrl::kDispJoin, forms[i]), 0) << "form " << i;
    EXPECT_EQ(events_, kJoinOfThree) << "form " << i;
    EXPECT_TRUE(fixtures::SameBytes(fixtures::ReadFile(out), joined_)) << "form " << i;
  }
  // The queries answer with a Long (LongValue() of anything else is 0) whatever the form.
  for (const Variant& arg : {Variant(out), Variant::Ref(&out), Variant::Ref(&outHolder)}) {
    EXPECT_EQ(ctrl_.Invoke(CTandrelCtrl::kDispGetFileSize, {&arg, 1}).result.LongValue(), 6044);
    EXPECT_EQ(ctrl_.Invoke(CTandrelCtrl::kDispGetPlayTime, {&arg, 1}).result.LongValue(), 34);
  }
  EXPECT_EQ(out, dir_.File("j.wav"));
  EXPECT_EQ(list, list_);
  EXPECT_EQ(count + longCount, 6);
  EXPECT_TRUE(outHolder.Type() == VarType::String && listHolder.IsByRef());
}

TEST_F(ControlTest, NamesAreFoundWithoutRegardToCase) {
  const char* names[] = {"join", "CUTBYTIME", "cutBySize", "getfilesize", "GetPlayTime", "Joi"};
  for (int i = 0; i < 6; ++i) {
    int dispid = 42;  // left alone for an unknown name
    EXPECT_EQ(ctrl_.GetIDsOfNames(names[i], dispid),
              i < 5 ? DispatchStatus::Ok : DispatchStatus::UnknownName);
    EXPECT_EQ(dispid, i < 5 ? i + 1 : 42) << names[i];
  }
}

}  // namespace
}  // namespace tandrel

namespace tandrel {
namespace {

// The C names are the engine's codes, and the C messages the programs' texts.
TEST(CInterfaceNamesTest, AgreeWithTheEngineAndThePrograms) {
  const std::pair<int, ResultCode> codes[] = {
      {TANDREL_OK, ResultCode::Success},
      {TANDREL_ERROR_OPEN, ResultCode::OpenFailed},
      {TANDREL_ERROR_READ, ResultCode::WaveReadFailed},
      {TANDREL_ERROR_CORRUPTED, ResultCode::WaveCorrupted},
      {TANDREL_ERROR_KINDS_DIFFER, ResultCode::KindsDiffer},
      {TANDREL_ERROR_NOT_SUPPORTED, ResultCode::NotSupported},
      {TANDREL_ERROR_WAVE_FORMATS_DIFFER, ResultCode::WaveFormatsDiffer},
      {TANDREL_ERROR_INVALID_PARAMETER, ResultCode::InvalidParameter},
  };
  for (const auto& [c, code] : codes) {
    EXPECT_EQ(c, static_cast<int>(code));
    EXPECT_STREQ(Tandrel_ResultMessage(c), SplitResultMessage(c));
    EXPECT_STREQ(Tandrel_JoinResultMessage(c), JoinResultMessage(c));
  }
  EXPECT_STREQ(Tandrel_ResultMessage(0), "Splitted successfully");
  EXPECT_STREQ(Tandrel_JoinResultMessage(0), "Joinned successfully");
  EXPECT_STREQ(Tandrel_ResultMessage(5), "Error file not supported");
  EXPECT_EQ(Tandrel_ResultMessage(8), nullptr);
  EXPECT_EQ(Tandrel_JoinResultMessage(-1), nullptr);

  EXPECT_EQ(TANDREL_EVENT_STATUS_CHANGE, CTandrelCtrl::kEventStatusChange);
  EXPECT_EQ(TANDREL_EVENT_CUT, CTandrelCtrl::kEventCut);
  EXPECT_EQ(TANDREL_EVENT_JOIN, CTandrelCtrl::kEventJoin);
  EXPECT_STREQ(Tandrel_Version(), TANDREL_PROJECT_VERSION);
}

}  // namespace
}  // namespace tandrel
