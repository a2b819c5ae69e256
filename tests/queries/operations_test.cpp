// Counts and indexed getters, operations and flags.

#include <gtest/gtest.h>

#include "test_support.h"

namespace pipedex::testing {
namespace {

TEST(Counts, CountTheWholeSectionsAndGettersStayInBounds) {
  Fixture f(Catalogue(R"(
    <A_CPT><Pipes>text is not the name</Pipes><!-- c --><Welds/></A_CPT>
    <A_SKEY><SKEY>ELBW</SKEY><Other>XXXX</Other><SKEY> TEBW </SKEY></A_SKEY>
    <A_CONFIGURATION><Config>Elbow<Default-Configuration>geo</Default-Configuration></Config></A_CONFIGURATION>
    <A_ENDPREP><ENDPREP>BW--</ENDPREP><ENDPREP>SW--</ENDPREP></A_ENDPREP>
    <A_OPERATION><Operation>Trim</Operation><Special>Cut</Special></A_OPERATION>
    <A_PCFIDF><PIPE/><ELBOW/><TEE/></A_PCFIDF>)"));
  ExpectAnswers(f.pipedex, {
      {"GroupCount", {}, "2"}, {"SKEYCount", {}, "2"}, {"ConfigurationCount", {}, "1"}, {"EndPrepCount", {}, "2"},
      {"OperationCount", {}, "2"},  // every child, whatever its name
      {"PCFTYPECount", {}, "3"}, {"ComponentTypeCount", {}, "0"},  // no search made yet
      {"GetGroup", {"1"}, R"("Pipes")"}, {"GetGroup", {"2"}, R"("Welds")"}, {"GetSKEY", {"2"}, R"(" TEBW ")"},
      {"GetConfiguration", {"1"}, R"("Elbowgeo")"}, {"GetEndPrep", {"2"}, R"("SW--")"}, {"GetOperation", {"2"}, R"("Cut")"},
  });
  for (const char* index : {"0", "-1", "3", "-2147483648", "2147483647"})
    for (const char* getter : {"GetGroup", "GetSKEY", "GetConfiguration", "GetEndPrep", "GetOperation", "GetComponentType"})
      EXPECT_EQ(Ask(f.pipedex, getter, {index}), R"("")") << getter << " " << index;
}

TEST(Operations, NamesListsAndSupport) {
  Fixture f(Catalogue(R"(
    <A_CPT><G>
      <Pipe><Operation>Tap</Operation><Operation Enum="7.5"> trim </Operation><Operation/><Flag>variable</Flag></Pipe>
      <Plain><Operation>Branch</Operation></Plain>
    </G></A_CPT>
    <A_OPERATION><Operation Enum="1">FormBranch</Operation><Operation Enum="2.5">Formtap</Operation><Other/>
      <Operation>Tap</Operation><Operation Enum="abc">Trim</Operation><Operation Enum="3.5">Cut</Operation></A_OPERATION>)"));
  ExpectAnswers(f.pipedex, {
      {"OperationStringToEnum", {"  placeon "}, "8"}, {"OperationStringToEnum", {"FormTap"}, "2"},
      {"OperationEnumToString", {"2"}, R"("Formtap")"}, {"OperationEnumToString", {"0"}, R"("")"},
      {"FlagStringToEnum", {" artificial"}, "2"}, {"FlagStringToEnum", {"UNKNOWN"}, "0"}, {"FlagEnumToString", {"0"}, R"("")"},
      {"OperationCount", {}, "6"}, {"FindOperations", {""}, "5"},
      {"GetOperationEnum", {"2"}, "2"},  // 2.5, half to even
      {"GetOperationEnum", {"5"}, "4"},  // 3.5, half to even
      {"GetOperationEnum", {"3"}, "0"},  // no Enum
      {"GetOperationEnum", {"4"}, "0"},  // not a number
      {"GetOperationEnum", {"0"}, "0"}, {"GetOperationEnum", {"6"}, "0"},
      {"FindOperations", {"pipe"}, "3"}, {"GetOperationEnum", {"1"}, "0"}, {"GetOperationEnum", {"2"}, "8"},
      // An unknown component type is an error, and the list stays.
      {"FindOperations", {"Nope"}, "error 91"}, {"OperationCount", {}, "3"},
      {"IsOperationSupported", {"Pipe", "7"}, "true"},
      {"IsOperationSupported", {"Pipe", "0"}, "true"},  // the empty Operation child
      {"IsOperationSupported", {"Plain", "0"}, "false"}, {"IsOperationSupported", {"Plain", "3"}, "true"},
      {"IsOperationSupported", {"Nope", "7"}, "false"},
      {"HasFlag", {"PIPE", "1"}, "true"}, {"HasFlag", {"PIPE", "2"}, "false"}, {"HasFlag", {"Plain", "1"}, "false"},
  });
  // The conversions load the catalogue too.
  Fixture broken("<broken");
  EXPECT_EQ(Ask(broken.pipedex, "OperationEnumToString", {"7"}), "error -2147220989");
}

}  // namespace
}  // namespace pipedex::testing
