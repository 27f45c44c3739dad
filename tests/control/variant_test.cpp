#include "tandrel/variant.h"

#include <gtest/gtest.h>

#include <string>

namespace tandrel {
namespace {

// Accessors and Deref read through a reference, and through a referenced Variant to its value
// or to the storage its own reference points at, and see later changes of that storage.
TEST(Variant, ReadsThroughReferencesAtTheTimeOfReading) {
  std::string text = "before";
  Variant held = Variant::Ref(&text);
  const Variant outer = Variant::Ref(&held);
  text = "after";
  EXPECT_EQ(outer.StringValue(), "after");
  const Variant value = outer.Deref();
  EXPECT_FALSE(value.IsByRef());
  EXPECT_EQ(value.Type(), VarType::String);
  EXPECT_EQ(value.StringValue(), "after");

  std::int16_t count = 3;
  Variant heldValue(std::int32_t{7});
  EXPECT_EQ(Variant::Ref(&count).ShortValue(), 3);
  EXPECT_EQ(Variant::Ref(&heldValue).Deref().LongValue(), 7);
  EXPECT_EQ(Variant::Ref(&heldValue).Deref().Type(), VarType::Long);
}

TEST(Variant, BrokenReferencesDerefToEmpty) {
  Variant plain(std::int16_t{1});
  Variant middle = Variant::Ref(&plain);
  Variant nullHolder = Variant::Ref(static_cast<std::string*>(nullptr));
  const Variant broken[] = {
      Variant::Ref(static_cast<double*>(nullptr)),
      Variant::Ref(static_cast<Variant*>(nullptr)),
      Variant::Ref(&middle),
      Variant::Ref(&nullHolder),
  };
  for (const auto& v : broken) {
    EXPECT_FALSE(v.IsValidReference());
    EXPECT_EQ(v.Deref().Type(), VarType::Empty);
    EXPECT_EQ(v.ShortValue(), 0);
    EXPECT_EQ(v.StringValue(), "");
  }
  EXPECT_TRUE(middle.IsValidReference());
  EXPECT_TRUE(plain.IsValidReference());
}

}  // namespace
}  // namespace tandrel
