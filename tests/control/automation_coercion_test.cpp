#include "automation_coercion.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

namespace tandrel {
namespace {

struct ToIntegerCase {
  const char* what;
  Variant arg;
  DispatchStatus status;
  std::int32_t value;  // when Ok
};

void ExpectInteger(const ToIntegerCase& c, VarType target) {
  Variant out;
  const DispatchStatus status = CoerceArgument(c.arg, target, out);
  EXPECT_EQ(status, c.status) << c.what;
  if (status != DispatchStatus::Ok || c.status != DispatchStatus::Ok) return;
  ASSERT_EQ(out.Type(), target) << c.what;
  EXPECT_EQ(target == VarType::Short ? out.ShortValue() : out.LongValue(), c.value) << c.what;
}

constexpr auto kOk = DispatchStatus::Ok;
constexpr auto kMismatch = DispatchStatus::TypeMismatch;
constexpr auto kOverflow = DispatchStatus::Overflow;
const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kInf = std::numeric_limits<double>::infinity();

TEST(AutomationCoercion, ToShort) {
  const std::vector<ToIntegerCase> cases = {
      {"short", Variant(std::int16_t{-5}), kOk, -5},
      {"long in range", Variant(std::int32_t{-32768}), kOk, -32768},
      {"long at top", Variant(std::int32_t{32767}), kOk, 32767},
      {"long above", Variant(std::int32_t{32768}), kOverflow, 0},
      {"long below", Variant(std::int32_t{-32769}), kOverflow, 0},
      {"long 70000", Variant(std::int32_t{70000}), kOverflow, 0},
      {"2.5 to even", Variant(2.5), kOk, 2},
      {"3.5 to even", Variant(3.5), kOk, 4},
      {"-2.5 to even", Variant(-2.5), kOk, -2},
      {"-0.5 to even", Variant(-0.5), kOk, 0},
      {"2.4999", Variant(2.4999), kOk, 2},
      {"2.5001", Variant(2.5001), kOk, 3},
      {"32767.4 rounds into range", Variant(32767.4), kOk, 32767},
      {"32767.5 rounds out of range", Variant(32767.5), kOverflow, 0},
      {"-32768.5 rounds to even, in range", Variant(-32768.5), kOk, -32768},
      {"NaN", Variant(kNaN), kOverflow, 0},
      {"infinity", Variant(-kInf), kOverflow, 0},
      {"true", Variant(true), kOk, -1},
      {"false", Variant(false), kOk, 0},
      {"empty", Variant(), kOk, 0},
      {"text 12", Variant("12"), kOk, 12},
      {"blanks around", Variant(" \t12 "), kOk, 12},
      {"plus sign", Variant("+12"), kOk, 12},
      {"minus sign", Variant("-12"), kOk, -12},
      {"grouping commas", Variant("1,000"), kOk, 1000},
      {"fraction to even", Variant("2.5"), kOk, 2},
      {"fraction up", Variant("12.51"), kOk, 13},
      {"exponent", Variant("1.5E1"), kOk, 15},
      {"negative exponent", Variant("1500e-2"), kOk, 15},
      {"leading point", Variant(".5"), kOk, 0},
      {"trailing point", Variant("5."), kOk, 5},
      {"tiny", Variant("1e-999"), kOk, 0},
      {"text 70000", Variant("70000"), kOverflow, 0},
      {"huge exponent", Variant("1e999"), kOverflow, 0},
      {"letters", Variant("abc"), kMismatch, 0},
      {"empty text", Variant(""), kMismatch, 0},
      {"blanks only", Variant("  "), kMismatch, 0},
      {"sign only", Variant("-"), kMismatch, 0},
      {"trailing letters", Variant("12abc"), kMismatch, 0},
      {"exponent without digits", Variant("1e"), kMismatch, 0},
      {"leading comma", Variant(",1"), kMismatch, 0},
      {"two points", Variant("1.2.3"), kMismatch, 0},
      {"blank inside", Variant("1 2"), kMismatch, 0},
      {"hex is not read", Variant("0x10"), kMismatch, 0},
  };
  for (const auto& c : cases) ExpectInteger(c, VarType::Short);
}

TEST(AutomationCoercion, ToLong) {
  const std::vector<ToIntegerCase> cases = {
      {"short widens", Variant(std::int16_t{-32768}), kOk, -32768},
      {"long", Variant(std::int32_t{2147483647}), kOk, 2147483647},
      {"text at top", Variant("2147483647"), kOk, 2147483647},
      {"text above", Variant("2147483648"), kOverflow, 0},
      {"text at bottom", Variant("-2,147,483,648"), kOk, -2147483647 - 1},
      {"3e9", Variant(3e9), kOverflow, 0},
      {"-2147483648.5 to even", Variant(-2147483648.5), kOk, -2147483647 - 1},
      {"2147483647.5 to even is out", Variant(2147483647.5), kOverflow, 0},
      {"70000 fits", Variant("70000"), kOk, 70000},
      {"true", Variant(true), kOk, -1},
      {"letters", Variant("x"), kMismatch, 0},
  };
  for (const auto& c : cases) ExpectInteger(c, VarType::Long);
}

TEST(AutomationCoercion, ToString) {
  const struct {
    const char* what;
    Variant arg;
    const char* text;
  } cases[] = {
      {"short", Variant(std::int16_t{12}), "12"},
      {"long", Variant(std::int32_t{-70000}), "-70000"},
      {"double with fraction", Variant(1.5), "1.5"},
      {"double whole", Variant(3.0), "3"},
      {"double decimal", Variant(0.1), "0.1"},
      {"double large", Variant(1e20), "1E+20"},
      {"double 15 significant digits", Variant(123456789012345678.0), "1.23456789012346E+17"},
      {"true", Variant(true), "-1"},
      {"false", Variant(false), "0"},
      {"empty", Variant(), ""},
      {"text as it is", Variant("C:/x|y;1"), "C:/x|y;1"},
  };
  for (const auto& c : cases) {
    Variant out;
    ASSERT_EQ(CoerceArgument(c.arg, VarType::String, out), kOk) << c.what;
    ASSERT_EQ(out.Type(), VarType::String) << c.what;
    EXPECT_EQ(out.StringValue(), c.text) << c.what;
  }
}

// Every by-reference form, and a by-reference Variant holding a value or a typed reference,
// converts exactly as the value itself and leaves the caller's storage as it was.
TEST(AutomationCoercion, ReferencesConvertAsTheirValuesWithoutWriteBack) {
  std::int16_t shortValue = 300;
  std::int32_t longValue = 70000;
  double doubleValue = 2.5;
  bool boolValue = true;
  std::string stringValue = "1,234";
  Variant heldValue(std::string("42"));
  Variant heldRef = Variant::Ref(&longValue);

  const struct {
    const char* what;
    Variant value;
    Variant ref;
  } cases[] = {
      {"short", Variant(shortValue), Variant::Ref(&shortValue)},
      {"long", Variant(longValue), Variant::Ref(&longValue)},
      {"double", Variant(doubleValue), Variant::Ref(&doubleValue)},
      {"bool", Variant(boolValue), Variant::Ref(&boolValue)},
      {"string", Variant(stringValue), Variant::Ref(&stringValue)},
      {"variant holding a value", Variant("42"), Variant::Ref(&heldValue)},
      {"variant holding a reference", Variant(longValue), Variant::Ref(&heldRef)},
  };
  for (const auto& c : cases) {
    for (VarType target : {VarType::Short, VarType::Long, VarType::String}) {
      Variant fromValue;
      Variant fromRef;
      const DispatchStatus byValue = CoerceArgument(c.value, target, fromValue);
      ASSERT_EQ(CoerceArgument(c.ref, target, fromRef), byValue) << c.what;
      EXPECT_FALSE(fromRef.IsByRef()) << c.what;
      if (byValue != kOk) continue;
      EXPECT_EQ(fromRef.Type(), target) << c.what;
      EXPECT_EQ(fromRef.ShortValue(), fromValue.ShortValue()) << c.what;
      EXPECT_EQ(fromRef.LongValue(), fromValue.LongValue()) << c.what;
      EXPECT_EQ(fromRef.StringValue(), fromValue.StringValue()) << c.what;
    }
  }
  EXPECT_EQ(shortValue, 300);
  EXPECT_EQ(longValue, 70000);
  EXPECT_EQ(doubleValue, 2.5);
  EXPECT_TRUE(boolValue);
  EXPECT_EQ(stringValue, "1,234");
  EXPECT_EQ(heldValue.Type(), VarType::String);
  EXPECT_EQ(heldValue.StringValue(), "42");
  EXPECT_TRUE(heldRef.IsByRef());
}

TEST(AutomationCoercion, BrokenReferencesAndUndeclaredTargetsAreMismatches) {
  Variant nullHolder = Variant::Ref(static_cast<std::int16_t*>(nullptr));
  Variant innermost(std::int16_t{1});
  Variant middle = Variant::Ref(&innermost);
  const struct {
    const char* what;
    Variant arg;
    VarType target;
  } cases[] = {
      {"null short reference", Variant::Ref(static_cast<std::int16_t*>(nullptr)), VarType::Short},
      {"null string reference", Variant::Ref(static_cast<std::string*>(nullptr)), VarType::String},
      {"null variant reference", Variant::Ref(static_cast<Variant*>(nullptr)), VarType::Long},
      {"variant holding a null reference", Variant::Ref(&nullHolder), VarType::Short},
      {"reference to a reference to a variant", Variant::Ref(&middle), VarType::Short},
      {"bool is never declared", Variant(true), VarType::Bool},
      {"double is never declared", Variant(1.0), VarType::Double},
  };
  for (const auto& c : cases) {
    Variant out;
    EXPECT_EQ(CoerceArgument(c.arg, c.target, out), kMismatch) << c.what;
  }
}

}  // namespace
}  // namespace tandrel
