#include <gtest/gtest.h>

#include "core/merged_document.h"
#include "pipedex/error.h"
#include "test_support.h"

namespace pipedex::testing {
namespace {

// BW and SW are end preparations of the Plotra convention; EL** is defined,
// TE** is not.
const std::string kSystem = Catalogue(R"(
  <A_CPT>
    <Elbows>
      <Elbow-90 PCFTYPE="BEND"><SKEY>EL**</SKEY><SKEY>ELBW</SKEY></Elbow-90>
      <Elbow-45 PCFTYPE="BEND45"><SKEY>ELBW</SKEY></Elbow-45>
    </Elbows>
    <Valves><Valve-Gate PCFTYPE="VALVE"><SKEY>VGFL</SKEY></Valve-Gate></Valves>
  </A_CPT>
  <A_SKEY>
    <SKEY Description="Gate valve">VGFL</SKEY>
    <SKEY Description="Elbow" IsoPriority="30">EL**</SKEY>
    <SKEY Description="Elbow, butt-welded">ELBW</SKEY>
    <SKEY>TESW</SKEY>
  </A_SKEY>
  <A_ENDPREP><ENDPREP Plotra="Y">BW--</ENDPREP><ENDPREP Plotra="Y">SW--</ENDPREP></A_ENDPREP>
  <A_DEFAULT_ENDPREP>
    <SKEYLIST><SKEY>EL**</SKEY><SKEY>ELBW</SKEY><CP_1_PREP>**--</CP_1_PREP></SKEYLIST>
  </A_DEFAULT_ENDPREP>)");

std::string Attribute(const pugi::xml_document& doc, const std::string& xpath, const char* name) {
  return doc.select_node(xpath.c_str()).node().attribute(name).value();
}

TEST(AddSKEY, CopiesTheGenericReferenceAndFilesTheNewSKEYWhereTheReferenceIsListed) {
  Fixture f(kSystem);
  f.pipedex.AddSKEY("ELXX", "", "ELBW");
  auto doc = Merged(f.pipedex, f.dir);
  // The copy comes from EL** and stands before it, with its own description.
  EXPECT_EQ(Select(*doc, "//A_SKEY/SKEY"), (Strings{"VGFL", "ELXX", "EL**", "ELBW", "TESW"}));
  EXPECT_EQ(Attribute(*doc, "//A_SKEY/SKEY[.='ELXX']", "Description"), "Based on ELBW");
  EXPECT_EQ(Attribute(*doc, "//A_SKEY/SKEY[.='ELXX']", "IsoPriority"), "30");
  EXPECT_EQ(Attribute(*doc, "//A_SKEY/SKEY[.='EL**']", "Description"), "Elbow");
  // Component types listing ELBW itself (not EL**) and ELBW's default list gain it.
  EXPECT_EQ(Select(*doc, "//Elbow-90/SKEY"), (Strings{"EL**", "ELBW", "ELXX"}));
  EXPECT_EQ(Select(*doc, "//Elbow-45/SKEY"), (Strings{"ELBW", "ELXX"}));
  EXPECT_EQ(Select(*doc, "//SKEYLIST/*", true), (Strings{"SKEY", "SKEY", "CP_1_PREP", "SKEY"}));
  EXPECT_EQ(Select(*doc, "//SKEYLIST/SKEY"), (Strings{"EL**", "ELBW", "ELXX"}));

  // The indexes know ELXX now: it serves as a reference itself, in any letter case.
  f.pipedex.AddSKEY("ELYY", "Special elbow", "elxx");
  doc = Merged(f.pipedex, f.dir);
  EXPECT_EQ(Select(*doc, "//A_SKEY/SKEY"), (Strings{"VGFL", "ELYY", "ELXX", "EL**", "ELBW", "TESW"}));
  EXPECT_EQ(Attribute(*doc, "//A_SKEY/SKEY[.='ELYY']", "Description"), "Special elbow");
  EXPECT_EQ(Select(*doc, "//Elbow-45/SKEY"), (Strings{"ELBW", "ELXX", "ELYY"}));
  EXPECT_EQ(Select(*doc, "//SKEYLIST/SKEY"), (Strings{"EL**", "ELBW", "ELXX", "ELYY"}));
  EXPECT_EQ(Select(*doc, "//Valve-Gate/SKEY"), Strings{"VGFL"});
}

TEST(AddSKEY, NewSKEYAnswersTheSKEYQueries) {
  Fixture f(kSystem);
  f.pipedex.AddSKEY("ELXX", "", "ELBW");
  std::string description, cp1, cp2, cp3, cp4;
  EXPECT_TRUE(f.pipedex.GetSKEYData("ELXX", description, cp1, cp2, cp3, cp4));
  EXPECT_EQ(description, "Based on ELBW");
  EXPECT_EQ(cp1, "XX--");  // from ELBW's default list, derived from the SKEY itself
  EXPECT_EQ(f.pipedex.GetIsoPriority("ELXX"), 30);
  EXPECT_EQ(f.pipedex.GetSKEYAttribute("ELXX", "Description"), "Based on ELBW");
  EXPECT_EQ(f.pipedex.FindSKEYs("Elbow-45"), 2);
  EXPECT_EQ(f.pipedex.GetSKEY(2), "ELXX");
  EXPECT_EQ(f.pipedex.FindSKEYs(""), 5);
}

TEST(AddSKEY, FallsBackToTheReferenceItselfAndOverwritesItsDescription) {
  Fixture f(kSystem);
  // TE** is not defined: the copy is made from TESW, which nothing lists.
  f.pipedex.AddSKEY("TEXX", "", "TESW");
  // VGFL does not end in a Plotra end preparation: copied as it is.
  f.pipedex.AddSKEY("VGXX", "Gate valve, special", "VGFL");
  auto doc = Merged(f.pipedex, f.dir);
  EXPECT_EQ(Select(*doc, "//A_SKEY/SKEY"), (Strings{"VGXX", "VGFL", "EL**", "ELBW", "TEXX", "TESW"}));
  EXPECT_EQ(Attribute(*doc, "//A_SKEY/SKEY[.='TEXX']", "Description"), "Based on TESW");
  EXPECT_EQ(Attribute(*doc, "//A_SKEY/SKEY[.='VGXX']", "Description"), "Gate valve, special");
  EXPECT_EQ(Attribute(*doc, "//A_SKEY/SKEY[.='VGFL']", "Description"), "Gate valve");
  EXPECT_EQ(Select(*doc, "//Valve-Gate/SKEY"), (Strings{"VGFL", "VGXX"}));
  EXPECT_EQ(Select(*doc, "//SKEY[.='TEXX']").size(), 1u);
}

TEST(AddSKEY, UnknownReferenceFailsWithNothingChanged) {
  Fixture f(kSystem);
  const std::string before = MergedText(f.pipedex, f.dir);
  try {
    f.pipedex.AddSKEY("ELXX", "", "ZZBW");
    ADD_FAILURE() << "no error raised";
  } catch (const Error& e) {
    EXPECT_EQ(e.number(), static_cast<std::int32_t>(0x8004020A));
    EXPECT_EQ(e.source(), "Pipedex.AddSKEY");
    EXPECT_EQ(e.description(), "Error adding SKEY ELXX\r\nReference SKEY (ZZBW) does not exist");
  }
  // Keys are not trimmed.
  EXPECT_THROW(f.pipedex.AddSKEY("ELXX", "", " TESW"), Error);
  EXPECT_EQ(MergedText(f.pipedex, f.dir), before);
}

TEST(AddSKEY, AddingTwiceInsertsTwoCopiesAndListsTheSKEYTwice) {
  Fixture f(kSystem);
  f.pipedex.AddSKEY("ELXX", "", "ELBW");
  f.pipedex.AddSKEY("ELXX", "", "ELBW");
  auto doc = Merged(f.pipedex, f.dir);
  EXPECT_EQ(Select(*doc, "//A_SKEY/SKEY"), (Strings{"VGFL", "ELXX", "ELXX", "EL**", "ELBW", "TESW"}));
  EXPECT_EQ(Select(*doc, "//Elbow-45/SKEY"), (Strings{"ELBW", "ELXX", "ELXX"}));
  // The node lists are not rebuilt until the next overlay is loaded.
  EXPECT_EQ(f.pipedex.SKEYCount(), 4);
  f.pipedex.LoadProjectXML(f.dir.Write("p.xml", Catalogue("<SYMBOLS/>")));
  EXPECT_EQ(f.pipedex.SKEYCount(), 6);
  EXPECT_EQ(f.pipedex.GetSKEY(2), "ELXX");
}

}  // namespace
}  // namespace pipedex::testing
