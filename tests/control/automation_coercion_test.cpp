#include "automation_coercion.h"

#include <gtest/gtest.h>

#include <limits>
#include <span>
#include <string>

namespace tandrel {
namespace {

// What an argument becomes: the converted value as text, or the status that refused it.
std::string Coerced(const Variant& arg, VarType target) {
  Variant out;
  const DispatchStatus status = CoerceArgument(arg, target, out);
  if (status == DispatchStatus::Overflow) return "overflow";
  if (status == DispatchStatus::TypeMismatch) return "mismatch";
  if (status != DispatchStatus::Ok || out.Type() != target) return "wrong status or type";
  if (target == VarType::Short) return std::to_string(out.ShortValue());
  if (target == VarType::Long) return std::to_string(out.LongValue());
  return out.StringValue();
}

// An aggregate, not a pair: moving a Variant into a pair draws a false warning from GCC 12.
struct Row {
  Variant arg;
  const char* value;
};

TEST(AutomationCoercion, ConvertsAsAutomationDoes) {
  const double kNaN = std::numeric_limits<double>::quiet_NaN();
  const double kInf = std::numeric_limits<double>::infinity();
  const Row toShort[] = {
      {32767, "32767"},     {32768, "overflow"},   {-32769, "overflow"},  {2.5, "2"},
      {3.5, "4"},           {-2.5, "-2"},          {2.5001, "3"},         {32767.5, "overflow"},
      {-32768.5, "-32768"}, {kNaN, "overflow"},    {-kInf, "overflow"},   {true, "-1"},
      {Variant(), "0"},     {"12", "12"},          {" \t+12 ", "12"},     {"1,000", "1000"},
      {"12.51", "13"},      {"1500e-2", "15"},     {".5", "0"},           {"5.", "5"},
      {"1e-999", "0"},      {"70000", "overflow"}, {"1e999", "overflow"}, {"abc", "mismatch"},
      {"", "mismatch"},     {"  ", "mismatch"},    {"-", "mismatch"},     {"12abc", "mismatch"},
      {"1e", "mismatch"},   {",1", "mismatch"},    {"1.2.3", "mismatch"}, {"1 2", "mismatch"},
      {"0x10", "mismatch"}};
  const Row toLong[] = {{std::int16_t{-32768}, "-32768"},  {"70000", "70000"},
                        {"2147483647", "2147483647"},      {"2147483648", "overflow"},
                        {"-2,147,483,648", "-2147483648"}, {-2147483648.5, "-2147483648"},
                        {2147483647.5, "overflow"}};
  const Row toText[] = {{-70000, "-70000"}, {1.5, "1.5"},
                        {3.0, "3"},         {0.1, "0.1"},
                        {1e20, "1E+20"},    {123456789012345678.0, "1.23456789012346E+17"},
                        {true, "-1"},       {false, "0"},
                        {Variant(), ""},    {"C:/x|y;1", "C:/x|y;1"}};
  const auto expect = [](std::span<const Row> rows, VarType target) {
    for (const auto& [arg, value] : rows) {
      EXPECT_EQ(Coerced(arg, target), value) << "from " << Coerced(arg, VarType::String);
    }
  };
  expect(toShort, VarType::Short);
  expect(toLong, VarType::Long);
  expect(toText, VarType::String);
}

// Broken references, a reference to a reference to a Variant, and types never declared.
TEST(AutomationCoercion, RefusesWhatAutomationRefuses) {
  Variant nullHolder = Variant::Ref(static_cast<std::int16_t*>(nullptr));
  Variant innermost(std::int16_t{1});
  Variant middle = Variant::Ref(&innermost);
  EXPECT_EQ(Coerced(Variant::Ref(static_cast<std::string*>(nullptr)), VarType::String), "mismatch");
  EXPECT_EQ(Coerced(Variant::Ref(static_cast<Variant*>(nullptr)), VarType::Long), "mismatch");
  EXPECT_EQ(Coerced(Variant::Ref(&nullHolder), VarType::Short), "mismatch");
  EXPECT_EQ(Coerced(Variant::Ref(&middle), VarType::Short), "mismatch");
  EXPECT_EQ(Coerced(true, VarType::Bool), "mismatch");
  EXPECT_EQ(Coerced(1.0, VarType::Double), "mismatch");
}

}  // namespace
}  // namespace tandrel
