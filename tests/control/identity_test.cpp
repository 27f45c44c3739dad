#include "identity.h"

#include <gtest/gtest.h>

#include <array>

#include "guid.h"

namespace tandrel {
namespace {

TEST(Guid, ReadsTheRegistryFormIntoTheBinaryLayout) {
  const auto guid = ParseGuid("{F206DFE2-1F3D-432A-90B4-443BB1A24D29}");
  ASSERT_TRUE(guid.has_value());
  EXPECT_EQ(guid->data1, 0xF206DFE2U);
  EXPECT_EQ(guid->data2, 0x1F3D);
  EXPECT_EQ(guid->data3, 0x432A);
  const std::array<std::uint8_t, 8> data4 = {0x90, 0xB4, 0x44, 0x3B, 0xB1, 0xA2, 0x4D, 0x29};
  EXPECT_EQ(guid->data4, data4);
  EXPECT_EQ(ParseGuid("{f206dfe2-1f3d-432a-90b4-443bb1a24d29}"), guid);
}

TEST(Guid, RefusesMalformedText) {
  for (const char* text : {
           "F206DFE2-1F3D-432A-90B4-443BB1A24D29",     // no braces
           "{F206DFE2-1F3D-432A-90B4-443BB1A24D2}",    // one digit short
           "{F206DFE2-1F3D-432A-90B4-443BB1A24D299}",  // one digit long
           "{F206DFE2-1F3D-432A-90B4+443BB1A24D29}",   // wrong separator
           "{F206DFE2-1F3D-432A-90G4-443BB1A24D29}",   // not hex in data4
           "{F206DFEZ-1F3D-432A-90B4-443BB1A24D29}",   // not hex in data1
           "",
       }) {
    EXPECT_FALSE(ParseGuid(text).has_value()) << text;
  }
}

// The DISPIDs follow declaration order, which is how a type library numbers them; the control's
// public constants must agree with the table that drives its dispatch.
TEST(Identity, MethodAndEventTablesFollowDeclarationOrder) {
  for (std::size_t i = 0; i < identity::kMethods.size(); ++i) {
    EXPECT_EQ(identity::kMethods[i].dispid, static_cast<int>(i + 1)) << identity::kMethods[i].name;
  }
  for (std::size_t i = 0; i < identity::kEvents.size(); ++i) {
    EXPECT_EQ(identity::kEvents[i].dispid, static_cast<int>(i + 1)) << identity::kEvents[i].name;
  }
  EXPECT_EQ(identity::kMethods[2].params[1].name, "FileSize");
  EXPECT_EQ(identity::kMethods[2].params[1].type, VarType::Long);
  EXPECT_EQ(identity::kMethods[0].params[2].type, VarType::Short);
}

}  // namespace
}  // namespace tandrel
