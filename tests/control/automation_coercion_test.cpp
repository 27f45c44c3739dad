#include "automation_coercion.h"

#include <gtest/gtest.h>

#include <limits>
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
  const Row toShort[] = {
      {32767, "32767"},    {32768, "overflow"},   {-32769, "overflow"}, {2.5, "2"},
      {3.5, "4"},          {-32768.5, "-32768"},  {kNaN, "overflow"},   {true, "-1"},
      {Variant(), "0"},    {" \t+12 ", "12"},     {"1,000", "1000"},    {"12.51", "13"},
      {"1500e-2", "15"},   {"1e999", "overflow"}, {"", "mismatch"},     {"12abc", "mismatch"},
      {"1 2", "mismatch"}, {"0x10", "mismatch"}};
  const Row toLong[] = {
      {std::int16_t{-32768}, "-32768"}, {"2147483648", "overflow"}, {-2147483648.5, "-2147483648"}};
  const Row toText[] = {{-70000, "-70000"}, {1.5, "1.5"},    {1e20, "1E+20"},
                        {false, "0"},       {Variant(), ""}, {"C:/x|y;1", "C:/x|y;1"}};
  for (const auto& [arg, value] : toShort)
    EXPECT_EQ(Coerced(arg, VarType::Short), value) << Coerced(arg, VarType::String);
  for (const auto& [arg, value] : toLong)
    EXPECT_EQ(Coerced(arg, VarType::Long), value) << Coerced(arg, VarType::String);
  for (const auto& [arg, value] : toText) EXPECT_EQ(Coerced(arg, VarType::String), value);
}

}  // namespace
}  // namespace tandrel
