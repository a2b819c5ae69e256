#include <gtest/gtest.h>

#include <limits>

#include "test_support.h"

namespace pipedex {
namespace {

TEST(Counts, CountTheWholeSectionsAndGettersStayInBounds) {
  testing::Fixture f(testing::Catalogue(R"(
    <A_CPT><Pipes>text is not the name</Pipes><!-- c --><Welds/></A_CPT>
    <A_SKEY><SKEY>ELBW</SKEY><Other>XXXX</Other><SKEY> TEBW </SKEY></A_SKEY>
    <A_CONFIGURATION><Config>Elbow<Default-Configuration>geo</Default-Configuration></Config></A_CONFIGURATION>
    <A_ENDPREP><ENDPREP>BW--</ENDPREP><ENDPREP>SW--</ENDPREP></A_ENDPREP>
    <A_OPERATION><Operation>Trim</Operation><Special>Cut</Special></A_OPERATION>
    <A_PCFIDF><PIPE/><ELBOW/><TEE/></A_PCFIDF>)"));
  Pipedex& p = f.pipedex;
  EXPECT_EQ(p.GroupCount(), 2);
  EXPECT_EQ(p.SKEYCount(), 2);
  EXPECT_EQ(p.ConfigurationCount(), 1);
  EXPECT_EQ(p.EndPrepCount(), 2);
  EXPECT_EQ(p.OperationCount(), 2);  // every child, whatever its name
  EXPECT_EQ(p.PCFTYPECount(), 3);
  EXPECT_EQ(p.ComponentTypeCount(), 0);  // no search made yet
  EXPECT_EQ(p.GetGroup(1), "Pipes");
  EXPECT_EQ(p.GetSKEY(2), " TEBW ");
  EXPECT_EQ(p.GetConfiguration(1), "Elbowgeo");
  EXPECT_EQ(p.GetEndPrep(2), "SW--");
  EXPECT_EQ(p.GetOperation(2), "Cut");

  for (std::int32_t index : {0, -1, 3, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()}) {
    EXPECT_EQ(p.GetGroup(index), "");
    EXPECT_EQ(p.GetSKEY(index), "");
    EXPECT_EQ(p.GetConfiguration(index), "");
    EXPECT_EQ(p.GetEndPrep(index), "");
    EXPECT_EQ(p.GetOperation(index), "");
    EXPECT_EQ(p.GetComponentType(index), "");
  }
}

}  // namespace
}  // namespace pipedex
