#include <gtest/gtest.h>

#include "test_support.h"

namespace pipedex::testing {
namespace {

const std::string kCatalogue = Catalogue(R"(
<A_CPT><G>
  <Pipe><Operation>Tap</Operation><Operation Enum="7.5"> trim </Operation><Operation/><Flag>variable</Flag></Pipe>
  <Plain><Operation>Branch</Operation></Plain>
</G></A_CPT>
<A_OPERATION><Operation Enum="1">FormBranch</Operation><Operation Enum="2.5">Formtap</Operation><Other/>
  <Operation>Tap</Operation><Operation Enum="abc">Trim</Operation></A_OPERATION>)");

TEST(EnumerationNames, ConvertBothWays) {
  Fixture f(kCatalogue);
  Pipedex& p = f.pipedex;
  EXPECT_EQ(p.OperationStringToEnum("  placeon "), opPlaceOn);
  EXPECT_EQ(p.OperationStringToEnum("FormTap"), opFormtap);
  EXPECT_EQ(p.OperationEnumToString(opFormtap), "Formtap");
  EXPECT_EQ(p.OperationEnumToString(opUnknown), "");
  EXPECT_EQ(p.FlagStringToEnum(" artificial"), flArtificial);
  EXPECT_EQ(p.FlagStringToEnum("UNKNOWN"), flUnknown);
  EXPECT_EQ(p.FlagEnumToString(flUnknown), "");
  // The conversions load the catalogue too.
  Fixture broken("<broken");
  EXPECT_THROW(broken.pipedex.OperationEnumToString(opTrim), Error);
}

TEST(FindOperations, CatalogueAndComponentTypeOperations) {
  Fixture f(kCatalogue);
  Pipedex& p = f.pipedex;
  EXPECT_EQ(p.OperationCount(), 5);
  EXPECT_EQ(p.FindOperations(""), 4);
  EXPECT_EQ(p.GetOperationEnum(2), 2);  // 2.5, half to even
  EXPECT_EQ(p.GetOperationEnum(3), 0);  // no Enum
  EXPECT_EQ(p.GetOperationEnum(4), 0);  // not a number
  EXPECT_EQ(p.FindOperations("pipe"), 3);
  EXPECT_EQ(p.GetOperationEnum(1), 0);
  EXPECT_EQ(p.GetOperationEnum(2), 8);
  // An unknown component type is an error, and the list stays.
  EXPECT_EQ(ErrorOf([&] { p.FindOperations("Nope"); }).number(), 91);
  EXPECT_EQ(p.OperationCount(), 3);
}

TEST(IsOperationSupported, MatchesChildTextInAnyCase) {
  Fixture f(kCatalogue);
  Pipedex& p = f.pipedex;
  EXPECT_TRUE(p.IsOperationSupported("Pipe", opTrim));
  EXPECT_TRUE(p.IsOperationSupported("Pipe", opUnknown));  // the empty Operation child
  EXPECT_FALSE(p.IsOperationSupported("Plain", opUnknown));
  EXPECT_FALSE(p.IsOperationSupported("Nope", opTrim));
  EXPECT_TRUE(p.HasFlag("PIPE", flVariable));
}

}  // namespace
}  // namespace pipedex::testing
