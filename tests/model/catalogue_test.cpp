#include <gtest/gtest.h>

#include <functional>

#include "base/xml_document.h"
#include "model/catalogue.h"
#include "test_support.h"

namespace pipedex {
namespace {

using testing::Catalogue;

// The catalogue and search results built from an inline catalogue, whole or
// in two steps; between them, between() may change the document (as the
// language texts do).
struct Built : model::Catalogue, model::SearchResults {
  explicit Built(const std::string& sections, model::BuildScope scope = model::BuildScope::Whole,
                 const std::function<void(pugi::xml_node)>& between = {}) {
    xml::ParseError error;
    EXPECT_TRUE(xml::LoadText(doc, testing::Catalogue(sections), error));
    root = xml::FirstChildElement(doc, "ZENROD-ISOMETRICS-DATA");
    EXPECT_FALSE(model::BuildCatalogue(root, *this, *this, scope));
    if (between) between(root);
    if (scope == model::BuildScope::IndexedLists) model::CompleteCatalogue(root, *this, *this);
  }
  pugi::xml_document doc;
  pugi::xml_node root;
};

const char* kMessyCatalogue = R"(
<A_CPT>
  <!-- a comment between groups --><?note a processing instruction?>
  <Elbows Description="">
    <Elbow-90 PCFTYPE="ELBOW" Configuration="Elbow"><SKEY>ELBW</SKEY><SKEY>elbw</SKEY></Elbow-90>
    <Elbow-Ret PCFTYPE="ELBOW" Configuration="Return_2D"><SKEY>ELBW</SKEY></Elbow-Ret>
    <Elbow-NonStandard PCFTYPE="ELBOW"/>
    <Lower PCFTYPE="elbow"/>
  </Elbows>
  <Empty/>
  <Misc>
    <Elbow-90 PCFTYPE="PIPE"><SKEY> PIBW </SKEY></Elbow-90>
    <NoType/>
  </Misc>
</A_CPT>
<A_ENDPREP>
  <ENDPREP Plotra="Y">BW--</ENDPREP><ENDPREP Plotra="Y">BWXX</ENDPREP><ENDPREP Plotra="y">SW--</ENDPREP>
  <ENDPREP Plotra="Y">S</ENDPREP><ENDPREP>FL--</ENDPREP><Other Plotra="Y">CP--</Other>
  <ENDPREP Plotra="Y">~S</ENDPREP><ENDPREP Plotra="Y">ÄÖ--</ENDPREP><ENDPREP Plotra="Y">ÄÖ</ENDPREP>
</A_ENDPREP>
<A_SKEY><SKEY Description="first"> ELBW </SKEY><!-- c --><SKEY Description="last">elbw</SKEY><NOTSKEY/></A_SKEY>
<A_PCFIDF>
  <PIPE><IDF>10</IDF><IDF>11</IDF><DEFAULT/></PIPE>
  <ELBOW><IDF> 10</IDF></ELBOW>
  <EMPTY/>
</A_PCFIDF>
<A_DEFAULT_ENDPREP><SKEYLIST><SKEY>ELBW</SKEY><CP_1_PREP>**--</CP_1_PREP></SKEYLIST></A_DEFAULT_ENDPREP>
<PLOTRA-ATTRIBUTES>
  <ATT PCF="WEIGHT" IDF="40" EXPORTUSING=" displayName "/>
  <ATT PCF="weight" IDF="41"/>
  <ATT PCF="BOTH" PCFBASE="FAMILY" IDF="42"/>
  <ATT PCFBASE="TEXTS" NUMBER="abc" BASE="2.5x" IDF="500"/>
  <ATT PCFBASE="HUGE" NUMBER="99999999999" BASE="1" IDF="600"/>
  <ATT PCFBASE="DEFAULTS"/>
  <ATT IDF="7"/>
  <ATT PCF=""/>
  <PODFILE-SUPPRESS-LIST><ATT SUPPRESS="Weight"/><ATT SUPPRESS="hidden"/><ATT SUPPRESS=""/></PODFILE-SUPPRESS-LIST>
</PLOTRA-ATTRIBUTES>)";

TEST(BuildInternalLists, IndexesAMessyCatalogueWithoutFailing) {
  // Whole, and in two steps as when a compiled index is written.
  for (model::BuildScope scope : {model::BuildScope::Whole, model::BuildScope::IndexedLists}) {
    SCOPED_TRACE(static_cast<int>(scope));
    Built b(kMessyCatalogue, scope);
    const Built& s = b;
    EXPECT_EQ(s.GroupNodes->size(), 3u);
    EXPECT_EQ(s.CptTypeNodes->size(), 6u);
    EXPECT_EQ(s.EndPrepNodes->size(), 9u);
    EXPECT_EQ(s.PlotraEndPreps, "~BW~~S~~ÄÖ~");  // "~~S~" already occurs in the text

    // Both Elbow-90 elements file their SKEYs; the name resolves to the later one.
    const model::CTypeLookup& elbw = s.SKEYIndex.Item("ELBW");
    EXPECT_EQ(elbw.nCpts(), 3);
    EXPECT_EQ(elbw.GetCptType(3), "Elbow-Ret");
    EXPECT_EQ(s.SKEYIndex.Item(" PIBW ").GetPCFTYPE(1), "PIPE");  // untrimmed key
    EXPECT_EQ(s.CptTypeTags.Item("elbow-90").Node.Parent().Name(), std::string("Misc"));
    EXPECT_EQ(s.PCFTYPEIndex.Item("").GetCptType(1), "NoType");
    EXPECT_EQ(s.PCFTYPEIndex.Item("ELBOW").nCpts(), 4);  // "elbow" joins "ELBOW"
    ASSERT_EQ(s.DefaultElbows.size(), 1u);
    EXPECT_EQ(s.DefaultElbows[0].ComponentType(), "Elbow-90");

    EXPECT_EQ(*s.PCFTYPEList, (model::NameList{"", "PIPE", "ELBOW", "EMPTY"}));
    EXPECT_EQ(s.IDFIndex.Item("10").GetCptType(1), "DEFAULT");
    EXPECT_EQ(s.IDFIndex.Item(" 10").GetCptType(1), "");

    EXPECT_EQ(s.SKEYNodes->size(), 2u);
    EXPECT_EQ(s.SKEYTags.Count(), 1);
    EXPECT_EQ(s.SKEYTags.Item("ELBW").Tag, "elbw");
    EXPECT_EQ(s.SKEYTags.Item("ELBW").Node.Attribute("Description"), "last");
    EXPECT_EQ(s.DefaultEndPrepTags.Item("elbw").Node.Parent().Name(), "SKEYLIST");

    // Each mapping as "IDF number base", with "display" when exported by display name; "-" for none.
    const model::AttList& map = s.AttMap;
    auto mapped = [](const model::AttLookup* a) {
      if (!a) return std::string("-");
      return std::string(a->IDFAttribute).append(" ") + std::to_string(a->Number) + " " + std::to_string(a->AttBase) + (a->UseDisplayName ? " display" : "");
    };
    std::string all;
    for (const char* key : {"WEIGHT", "BOTH", "FAMILY", "TEXTS", "HUGE", "DEFAULTS", "", "HIDDEN"}) all += mapped(map.Item(key)) + "|";
    EXPECT_EQ(all, "40 1 0 display|42 1 0|-|500 0 2|-|-1 -1 -1|-| -1 -1|");  // PCF="" is a mapping without a key
    EXPECT_EQ(mapped(map.Item(std::int64_t{5})) + "|" + mapped(map.Item(std::int64_t{7})), "-1 1 0| -1 -1");
    EXPECT_EQ(map.Count(), 7);  // WEIGHT BOTH TEXTS DEFAULTS "" hidden, and the unkeyed suppression
  }
}

TEST(BuildInternalLists, MissingSectionsGiveEmptyListsAndNoRootFailsTheBuild) {
  Built b("<!-- nothing -->");
  EXPECT_TRUE(b.GroupNodes && b.GroupNodes->empty());
  EXPECT_EQ(*b.PCFTYPEList, model::NameList{""});
  EXPECT_EQ(b.AttMap.Count(), 0);
  EXPECT_FALSE(b.PlotraAttSection);

  auto failure = model::BuildCatalogue({}, b, b);
  EXPECT_FALSE(b.GroupNodes);
  EXPECT_FALSE(b.OperationNodes);
  EXPECT_TRUE(failure && !failure->empty());
}

TEST(BuildInternalLists, TheIndexesKeepThePCFTypesReadBeforeTheLanguageTexts) {
  Built b("<A_CPT><Elbows><Elbow-90 PCFTYPE=\"ELBOW\"><SKEY>ELBW</SKEY></Elbow-90></Elbows></A_CPT>",
          model::BuildScope::IndexedLists, [](pugi::xml_node root) {
            root.child("A_CPT").child("Elbows").child("Elbow-90").attribute("PCFTYPE").set_value("BOGEN");
          });
  EXPECT_EQ(b.SKEYIndex.Item("ELBW").GetPCFTYPE(1), "ELBOW");
  EXPECT_EQ(b.PCFTYPEIndex.Item("ELBOW").GetCptType(1), "Elbow-90");
  EXPECT_EQ(b.PCFTYPEIndex.Item("BOGEN").nCpts(), 0);
}

TEST(BuildInternalLists, SKEYsEndingInAPlotraEndPreparation) {
  Built b("<A_ENDPREP><ENDPREP Plotra=\"Y\">BW--</ENDPREP><ENDPREP Plotra=\"Y\">sw--</ENDPREP></A_ENDPREP>"
          "<A_CPT><Elbows><Elbow-90/><Elbow-45/></Elbows><Tees><Tee/></Tees></A_CPT>");
  Built& s = b;
  EXPECT_TRUE(s.SKEYHasEndPrepSuffix("ELbw"));
  EXPECT_TRUE(s.SKEYHasEndPrepSuffix("TE**"));
  EXPECT_TRUE(s.SKEYHasEndPrepSuffix("ÄÖBW"));
  EXPECT_FALSE(s.SKEYHasEndPrepSuffix("flBW"));
  EXPECT_FALSE(s.SKEYHasEndPrepSuffix("ELBWX"));
  EXPECT_FALSE(s.SKEYHasEndPrepSuffix("ELSW"));  // the document wrote the code in lower case
}

}  // namespace
}  // namespace pipedex
