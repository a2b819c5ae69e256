#include <gtest/gtest.h>

#include "test_support.h"

namespace pipedex::testing {
namespace {

const std::string kCatalogue = Catalogue(R"(
<A_ENDPREP>
  <ENDPREP Plotra="Y" Description="Butt weld" Trimmable="Y">BW--</ENDPREP>
  <ENDPREP Plotra="Y" Description="Butt weld, bevelled" Trimmable="N">BW--</ENDPREP>
  <ENDPREP Plotra="y">SC--</ENDPREP><ENDPREP>GR--</ENDPREP><ENDPREP Trimmable="E"/><ENDPREP Plotra="Y">𝐀𝐁--</ENDPREP>
</A_ENDPREP>
<A_SKEY><SKEY>ELBW</SKEY><SKEY>VT**</SKEY><SKEY>FLSC</SKEY></A_SKEY>
<A_DEFAULT_ENDPREP><SKEYLIST><SKEY>EL**</SKEY><CP_1_PREP>**--</CP_1_PREP></SKEYLIST></A_DEFAULT_ENDPREP>
<DefaultConnectionTable><ENDPREP Name="BW--" Allow="SW--"/></DefaultConnectionTable>)");

TEST(EndPreps, DescriptionsPlotraFlagsConsistencyAndConnections) {
  Fixture f(kCatalogue);
  ExpectAnswers(f.pipedex, {
      {"GetEndPrepDescription", {"BW--"}, R"("Butt weld, bevelled")"},  // the last match
      {"GetEndPrepAttribute", {"BW--", "Trimmable"}, R"("Y")"},         // the first match
      {"GetEndPrepDescription", {"BW-- "}, R"("")"}, {"GetEndPrepAttribute", {"bw--", "Trimmable"}, R"("")"},
      {"GetEndPrepAttribute", {"", "Trimmable"}, R"("")"},  // not the end preparation without a code
      {"IsPlotraEndPrep", {"bw"}, "true"}, {"IsPlotraEndPrep", {"BWX"}, "true"},
      {"IsPlotraEndPrep", {"SC--"}, "false"},  // Plotra="y" does not count
      {"IsPlotraEndPrep", {"GR--"}, "false"}, {"IsPlotraEndPrep", {"**"}, "false"},
      {"IsPlotraEndPrep", {"𝐀𝐁"}, "true"},  // two characters of four bytes each: the longest token
      {"IsEndPrepConsistent", {"BW--", "FLSC"}, R"(false "BW--" "FLSC")"},
      {"IsEndPrepConsistent", {"GR--", "FLSC"}, R"(true "GR--" "FLSC")"},   // not flagged: always consistent
      {"IsEndPrepConsistent", {"bw", "ELBW"}, R"(true "bw" "ELBW")"},       // connection point 1 is BW--
      {"IsEndPrepConsistent", {"BW--", "VT**"}, R"(true "BW--" "VT**")"},   // generic SKEY
      {"IsEndPrepConsistent", {"BW--", "PPbw"}, R"(true "BW--" "PPbw")"},   // unknown, ends in the end preparation
      {"IsEndPrepConsistent", {"BW--", "PPSC"}, R"(false "BW--" "PPSC")"},  // SC is not flagged: no suffix
      {"GetDefaultAllowedConnection", {"BW--"}, R"("SW--" "BW--")"},
      {"GetDefaultAllowedConnection", {"x' or '1'='1"}, "error -2147467259"},
  });
  // These load the catalogue themselves, so a new instance answers from it.
  Fixture first(kCatalogue), second(kCatalogue);
  EXPECT_EQ(Ask(first.pipedex, "IsPlotraEndPrep", {"bw"}), "true");
  EXPECT_EQ(second.pipedex.GetDefaultAllowedConnection("BW--"), "SW--");  // inputs only, a literal will do
  EXPECT_FALSE(second.pipedex.IsEndPrepConsistent("BW--", "FLSC"));
}

}  // namespace
}  // namespace pipedex::testing
