#include <gtest/gtest.h>

#include "overlays/merged_document.h"

namespace pipedex::testing {
namespace {

// BW and SW are Plotra end preparations; EL** is defined, TE** is not.
const std::string kSystem = Catalogue(R"(
  <A_CPT>
    <Elbows>
      <Elbow-90 PCFTYPE="BEND"><SKEY>EL**</SKEY><SKEY>ELBW</SKEY></Elbow-90>
      <Elbow-45 PCFTYPE="BEND"><SKEY>ELBW</SKEY></Elbow-45>
    </Elbows>
    <Valves><Valve-Gate><SKEY>VGFL</SKEY></Valve-Gate></Valves>
  </A_CPT>
  <A_SKEY>
    <SKEY Description="Gate valve">VGFL</SKEY>
    <SKEY Description="Elbow" IsoPriority="30">EL**</SKEY>
    <SKEY>ELBW</SKEY>
    <SKEY>TESW</SKEY>
  </A_SKEY>
  <A_ENDPREP><ENDPREP Plotra="Y">BW--</ENDPREP><ENDPREP Plotra="Y">SW--</ENDPREP></A_ENDPREP>
  <A_DEFAULT_ENDPREP><SKEYLIST><SKEY>EL**</SKEY><SKEY>ELBW</SKEY><CP_1_PREP>**--</CP_1_PREP></SKEYLIST></A_DEFAULT_ENDPREP>)");

TEST(AddSKEY, CopiesTheGenericReferenceAndIsSeenByTheSKEYQueries) {
  Fixture f(kSystem);
  f.pipedex.AddSKEY("ELXX", "", "ELBW");
  auto doc = Merged(f.pipedex, f.dir);
  EXPECT_EQ(Select(*doc, "//A_SKEY/SKEY"), (Strings{"VGFL", "ELXX", "EL**", "ELBW", "TESW"}));
  EXPECT_EQ(Attr(*doc, "//A_SKEY/SKEY[.='ELXX']", "Description"), "Based on ELBW");
  EXPECT_EQ(Attr(*doc, "//A_SKEY/SKEY[.='EL**']", "Description"), "Elbow");
  // Listed where ELBW itself (not EL**) is listed, at the end.
  EXPECT_EQ(Select(*doc, "//Elbow-45/SKEY"), (Strings{"ELBW", "ELXX"}));
  EXPECT_EQ(Select(*doc, "//SKEYLIST/*", true), (Strings{"SKEY", "SKEY", "CP_1_PREP", "SKEY"}));

  std::string description, cp1, cp2, cp3, cp4;
  EXPECT_TRUE(f.pipedex.GetSKEYData("ELXX", description, cp1, cp2, cp3, cp4));
  EXPECT_EQ(description + " " + cp1, "Based on ELBW XX--");
  EXPECT_EQ(f.pipedex.GetIsoPriority("elxx"), 30);
  EXPECT_EQ(f.pipedex.FindSKEYs("Elbow-90"), 3);
  EXPECT_EQ(f.pipedex.GetSKEY(3), "ELXX");

  // The indexes know ELXX: it serves as a reference in turn, in any letter case.
  f.pipedex.AddSKEY("ELYY", "Special", "elxx");
  doc = Merged(f.pipedex, f.dir);
  EXPECT_EQ(Select(*doc, "//A_SKEY/SKEY"), (Strings{"VGFL", "ELYY", "ELXX", "EL**", "ELBW", "TESW"}));
  EXPECT_EQ(Attr(*doc, "//A_SKEY/SKEY[.='ELYY']", "Description"), "Special");
  EXPECT_EQ(Select(*doc, "//Elbow-45/SKEY"), (Strings{"ELBW", "ELXX", "ELYY"}));
  EXPECT_EQ(Select(*doc, "//SKEYLIST/SKEY"), (Strings{"EL**", "ELBW", "ELXX", "ELYY"}));
}

TEST(AddSKEY, FallbackReferenceUnknownReferenceAndAddingTwice) {
  Fixture f(kSystem);
  const std::string before = MergedText(f.pipedex, f.dir);
  EXPECT_EQ(Raised([&] { f.pipedex.AddSKEY("ELXX", "", "ZZBW"); }),
            "-2147220982 Pipedex.AddSKEY: Error adding SKEY ELXX\r\nReference SKEY (ZZBW) does not exist");
  EXPECT_THROW(f.pipedex.AddSKEY("ELXX", "", " TESW"), Error);  // keys are not trimmed
  // Texts that could not be saved and loaded again are refused, saying why.
  const struct {
    std::string skey, description, why;
  } invalid[] = {
      {std::string("NU\0LL", 5), "", "Invalid new SKEY: the text holds the character U+0000, which XML does not allow (at byte 2)"},
      {"EL\x1B", "", "Invalid new SKEY: the text holds the character U+001B, which XML does not allow (at byte 2)"},
      {"EL\xEF\xBF\xBE", "", "Invalid new SKEY: the text holds the character U+FFFE, which XML does not allow (at byte 2)"},
      {"ELXX", "caf\xE9", "Invalid description: the text is not valid UTF-8 (at byte 3)"},
      {"EL\xED\xA0\x80", "", "Invalid new SKEY: the text is not valid UTF-8 (at byte 2)"},
  };
  for (const auto& c : invalid) {
    EXPECT_EQ(Raised([&] { f.pipedex.AddSKEY(c.skey, c.description, "ELBW"); }), "-2147220982 Pipedex.AddSKEY: " + c.why);
  }
  EXPECT_EQ(MergedText(f.pipedex, f.dir), before);

  f.pipedex.AddSKEY("TEXX", "", "TESW");  // no TE**: copied from TESW, which nothing lists
  f.pipedex.AddSKEY("VGXX", "Special", "VGFL");
  f.pipedex.AddSKEY("VGXX", "Special", "VGFL");
  auto doc = Merged(f.pipedex, f.dir);
  EXPECT_EQ(Select(*doc, "//A_SKEY/SKEY"), (Strings{"VGXX", "VGXX", "VGFL", "EL**", "ELBW", "TEXX", "TESW"}));
  EXPECT_EQ(Attr(*doc, "//A_SKEY/SKEY[.='TEXX']", "Description"), "Based on TESW");
  EXPECT_EQ(Attr(*doc, "//A_SKEY/SKEY[.='VGXX']", "Description"), "Special");
  EXPECT_EQ(Attr(*doc, "//A_SKEY/SKEY[.='VGFL']", "Description"), "Gate valve");
  EXPECT_EQ(Select(*doc, "//Valve-Gate/SKEY"), (Strings{"VGFL", "VGXX", "VGXX"}));
  EXPECT_EQ(doc->select_nodes("//A_CPT//SKEY[.='TEXX']").size(), 0u);
}

}  // namespace
}  // namespace pipedex::testing
