// The PCF attribute names and their IDF records, both ways, with families of
// numbered members.

#include <gtest/gtest.h>

#include "test_support.h"

namespace pipedex::testing {
namespace {

TEST(AttributeMap, NamesAndRecordsBothWays) {
  Fixture f(Catalogue(R"(<PLOTRA-ATTRIBUTES>
  <ATT PCF="UNIQUE-ID"/>
  <ATT PCF="COMPONENT-IDENTIFIER" IDF="12;13"/>
  <ATT PCF="SPOOL" IDF="30" EXPORTUSING="displayname "/>
  <ATT PCF="NO-RECORD"/>
  <ATT PCFBASE="ATTRIBUTE" NUMBER="10" BASE="1" IDF="500"/>
  <ATT PCFBASE="PIPELINE" NUMBER="10" BASE="0" IDF="600;5;300"/>
  <ATT PCFBASE="SPLIT" NUMBER="8" BASE="0" IDF="100;2;50;3;10"/>
  <ATT PCFBASE="UNSIZED" IDF="700"/>
  <PODFILE-SUPPRESS-LIST><ATT SUPPRESS="STATUS"/><ATT SUPPRESS="spool"/></PODFILE-SUPPRESS-LIST></PLOTRA-ATTRIBUTES>)"));
  ExpectAnswers(f.pipedex, {
      {"PCFAttributeCheck", {"component-identifier"}, "0"},
      {"PCFAttributeCheck", {"SPOOL"}, "4"},  // mapped first, so not suppressed
      {"PCFAttributeCheck", {"STATUS"}, "1"}, {"PCFAttributeCheck", {"ATTRIBUTE10"}, "0"},
      {"PCFAttributeCheck", {"ATTRIBUTE11"}, "2"},
      {"PCFAttributeCheck", {"UNSIZED"}, "1"},  // no NUMBER: Number -1
      {"PCFAttributeCheck", {"UNSIZED1"}, "2"}, {"PCFAttributeCheck", {" SPOOL"}, "2"},
      {"GetPCFAttribute", {"-1"}, R"("UNIQUE-ID")"}, {"GetPCFAttribute", {"13"}, R"("COMPONENT-IDENTIFIER")"},
      {"GetIDFAttribute", {"COMPONENT-IDENTIFIER"}, "12"}, {"GetIDFAttribute", {"NO-RECORD"}, "-1"},
      {"GetIDFAttribute", {"STATUS"}, "-9999"}, {"GetIDFAttribute", {"UNKNOWN"}, "-9999"},
      {"GetPCFAttribute", {"495"}, R"("ATTRIBUTE6")"}, {"GetPCFAttribute", {"500"}, R"("ATTRIBUTE1")"},
      {"GetPCFAttribute", {"491"}, R"("ATTRIBUTE10")"}, {"GetPCFAttribute", {"490"}, R"("")"},
      {"GetIDFAttribute", {"attribute6"}, "495"},
      {"GetIDFAttribute", {"ATTRIBUTE"}, "502"},  // the bare base name reads as member -1
      {"GetPCFAttribute", {"700"}, R"("UNSIZED")"},  // a family below two members matches like a single one
      {"GetPCFAttribute", {"701"}, R"("")"},
      // Records of the five-part form: first record, members per step, step.
      {"GetIDFAttribute", {"PIPELINE0"}, "600"}, {"GetIDFAttribute", {"PIPELINE4"}, "596"},
      {"GetIDFAttribute", {"PIPELINE5"}, "300"}, {"GetIDFAttribute", {"PIPELINE9"}, "296"},
      {"GetPCFAttribute", {"600"}, R"("PIPELINE0")"}, {"GetPCFAttribute", {"596"}, R"("PIPELINE4")"},
      {"GetPCFAttribute", {"300"}, R"("PIPELINE5")"}, {"GetPCFAttribute", {"296"}, R"("PIPELINE9")"},
      {"GetPCFAttribute", {"295"}, R"("")"}, {"GetPCFAttribute", {"7"}, R"("")"},
      {"GetPCFAttribute", {"100"}, R"("SPLIT0")"}, {"GetPCFAttribute", {"99"}, R"("SPLIT1")"},
      {"GetPCFAttribute", {"50"}, R"("SPLIT2")"}, {"GetPCFAttribute", {"48"}, R"("SPLIT4")"},
      {"GetPCFAttribute", {"10"}, R"("SPLIT5")"}, {"GetPCFAttribute", {"8"}, R"("SPLIT7")"},
      {"GetIDFAttribute", {"SPLIT1"}, "-9999"},  // five parts: no record formula
  });
}

TEST(AttributeMap, BadRecordTextsRaiseTypeMismatchAndOverflow) {
  Fixture f(Catalogue(R"(<PLOTRA-ATTRIBUTES><ATT PCF="FIRST" IDF="12;abc"/><ATT PCF="LATER" IDF="14"/>
    <ATT PCFBASE="BADCOUNT" NUMBER="10" BASE="0" IDF="600;x;300"/>
    <ATT PCFBASE="TOP" NUMBER="10" BASE="1" IDF="2147483647"/><ATT PCFBASE="EDGE" NUMBER="10" BASE="1" IDF="2147483645"/>
    <ATT PCFBASE="LOW" NUMBER="10" BASE="1" IDF="-2147483638"/></PLOTRA-ATTRIBUTES>)"));
  ExpectAnswers(f.pipedex, {
      {"GetPCFAttribute", {"12"}, R"("FIRST")"},  // matched before the bad part is read
      {"GetPCFAttribute", {"13"}, "error 13"}, {"GetPCFAttribute", {"14"}, "error 13"},
      {"GetIDFAttribute", {"BADCOUNT1"}, "error 13"},
      {"GetIDFAttribute", {"TOP"}, "error 6"},  // 2147483647 + 1 + 1
      {"GetIDFAttribute", {"TOP3"}, "2147483645"},
      {"GetIDFAttribute", {"EDGE"}, "2147483647"}, {"GetIDFAttribute", {"LOW10"}, "-2147483647"},  // ends of the range on the way
  });
}

}  // namespace
}  // namespace pipedex::testing
