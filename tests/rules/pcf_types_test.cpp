#include <gtest/gtest.h>

#include "test_support.h"

namespace pipedex::testing {
namespace {

const std::string kCatalogue = Catalogue(R"(
<A_ENDPREP><ENDPREP Plotra="Y">BW--</ENDPREP></A_ENDPREP>
<A_CPT><G>
  <Valve-A PCFTYPE="VALVE"><SKEY>VA**</SKEY></Valve-A>
  <Valve-B PCFTYPE="VALVE-X"><SKEY>VABW</SKEY></Valve-B>
  <Valve-C PCFTYPE="VALVE"><SKEY>VABW</SKEY><SKEY>MIXD</SKEY></Valve-C>
  <Valve-D PCFTYPE="valve"><SKEY>MIXD</SKEY></Valve-D>
</G></A_CPT>
<A_PCFIDF>
  <VALVE-X><IDF>150</IDF><IDF>1</IDF><DEFAULT/></VALVE-X>
  <VALVE><IDF>150</IDF><IDF>160</IDF></VALVE>
  <MISC><IDF>160</IDF><REMARK>150</REMARK></MISC>
  <AAA><IDF>170</IDF></AAA><BBB><IDF>170</IDF><DEFAULT/></BBB>
  <VALVE/>
</A_PCFIDF>
<WELD-EXCLUSION-LIST><EXCLUDE IDF="100"/><EXCLUDE IDF="200" SKEY=" vabw "/></WELD-EXCLUSION-LIST>)");

// The count FindPCFTYPEs answers, then the names it listed.
std::string Found(Pipedex& p, const std::string& skey, const std::string& record) {
  std::string out = Ask(p, "FindPCFTYPEs", {skey, record});
  for (std::int32_t i = 1; i <= p.PCFTYPECount(); ++i) out.append(" ").append(p.GetPCFTYPE(i));
  return out;
}

TEST(FindPCFTYPEs, CandidatesRecordFitDefaultsAndWeldExclusions) {
  Fixture f(kCatalogue);
  Pipedex& p = f.pipedex;
  const std::pair<const char*, const char*> rows[][2] = {
      {{"VABW", "0"}, {"2 VALVE VALVE-X", "generic form first, each name once"}}, {{"*", "150"}, {"2 VALVE-X VALVE", ""}},
      {{"MIXD", "0"}, {"2 VALVE valve", "duplicates in other letter case stay"}},
      {{"", "999"}, {"5 VALVE-X VALVE MISC AAA BBB", "nothing of the list before"}},
      {{"*", "999"}, {"3 VALVE VALVE-X valve", ""}},
      {{"VABW", "150"}, {"2 VALVE-X VALVE", "the record's order decides"}}, {{"MIXD", "160"}, {"2 VALVE valve", ""}},
      {{"VABW", "777"}, {"0", "a record the catalogue does not hold"}}, {{"NONE", "1"}, {"1 VALVE-X", "no candidate: the record's default"}},
      {{"NONE", "999"}, {"1 ", ""}}, {{"NONE", "0"}, {"0", ""}},
  };
  for (const auto& r : rows) EXPECT_EQ(Found(p, r[0].first, r[0].second), r[1].first) << r[0].first << " " << r[0].second << " " << r[1].second;
  ExpectAnswers(p, {
      {"GetPCFTYPE", {"0"}, R"("")"}, {"GetPCFTYPE", {"4"}, R"("")"},
      {"GetDefaultPCFTYPE", {"150"}, R"("VALVE-X")"},
      {"GetDefaultPCFTYPE", {"160"}, R"("")"},  // two types, none marked
      {"GetDefaultPCFTYPE", {"170"}, R"("BBB")"},  // the last one marked
      {"GetDefaultPCFTYPE", {"-3"}, R"("")"},
      // Weld exclusions: the whole record, or one SKEY in any letter case.
      {"WeldAttributesAllowed", {"100", "ANY"}, "false"}, {"WeldAttributesAllowed", {"200", "VABW"}, "false"},
      {"WeldAttributesAllowed", {"200", "VA**"}, "true"}, {"WeldAttributesAllowed", {"300", "VABW"}, "true"},
  });
  Fixture bare(Catalogue("<A_CPT><G><Pipe PCFTYPE='PIPE'><SKEY>PIPE</SKEY></Pipe></G></A_CPT>"));
  EXPECT_EQ(Found(bare.pipedex, "", "999"), "1 ");
  EXPECT_EQ(Found(bare.pipedex, "PIPE", "0"), "1 PIPE");
  // Long lists (over a thousand candidate and record pairs) keep the record's order too.
  std::string types, records, expected = "40";
  for (int i = 0; i < 40; ++i) types += "<T" + std::to_string(i) + " PCFTYPE='p" + std::to_string(i) + "'><SKEY>LLBW</SKEY></T" + std::to_string(i) + ">";
  for (int i = 39; i >= 0; --i) records += "<P" + std::to_string(i) + "><IDF>5</IDF></P" + std::to_string(i) + "><Q" + std::to_string(i) + "><IDF>5</IDF></Q" + std::to_string(i) + ">";
  for (int i = 39; i >= 0; --i) expected += " p" + std::to_string(i);
  Fixture longLists(Catalogue("<A_CPT><G>" + types + "</G></A_CPT><A_PCFIDF>" + records + "</A_PCFIDF>"));
  EXPECT_EQ(Found(longLists.pipedex, "LLBW", "5"), expected);
}

}  // namespace
}  // namespace pipedex::testing
