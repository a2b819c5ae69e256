// The human commands: what each prints (as a table or as typed JSON), their
// exit statuses, and a catalogue file of any name given by --catalogue or
// PIPEDEX_CATALOGUE.

#include <gtest/gtest.h>

#include "docs/docs_support.h"
#include "test_support.h"

namespace pipedex::testing::docs {
namespace {

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
  for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
    text.replace(at, from.size(), to);
  return text;
}

TEST(CliCommands, PrintTypedAnswersAndTellNothingFoundByStatus) {
  TempDir dir;
  dir.Write("cat/plant.xml",
            Catalogue("<A_CPT><Pipes Description=\"Straight runs\"><Pipe PCFTYPE=\"PIPE\"/></Pipes></A_CPT>"
                      "<A_PCFIDF><PIPE/></A_PCFIDF>"));
  dir.Write("cat/ProjectPipedex.xml", Catalogue("<U_CPT><Extras><Spool/></Extras></U_CPT>"));
  dir.Write("cat/SystemPipedex.de.xml", Catalogue("<A_CPT><Pipes Description=\"Gerade Rohre\"/></A_CPT>"));
  dir.Write("bad/broken.xml", Catalogue("<A_CPT>\n  <Pipes></Pipe>\n</A_CPT>"));
  const std::string sample = "--component-dir " + Quote(SampleDataDir()) + " --locale en_US ";
  struct Row {
    std::string command;  // "$S" is the sample catalogue's options, "$D" the test folder
    int status;
    std::string output;  // a part of standard output and standard error
  } rows[] = {
      {"$S info --json", 0, R"("GroupCount":11,"SKEYCount":45,)"},
      {"$S info --json", 0, R"("UserXMLPath":null,"LanguageFile":null,"Locale":"en_US")"},
      {"$S groups --json", 0, R"([{"Index":1,"Group":"Pipes","Description":"Pipe and straight pipe-like items"},)"},
      {"$S skeys", 0, "Index  SKEY  Description"},
      {"$S endpreps --json", 0, R"({"Index":1,"EndPrep":"BW--","Description":"Butt weld"})"},
      {"$S skey PB3D --json", 0, R"("IsoPriority":30,"CP_1_Prep":"BW--",)"},
      {"$S skey PB3D --json", 0, R"("Trimmable":true})"},
      {"$S type Elbow-90 --json", 0, R"("Operations":["Trim"],"Flags":[],"SKEYs":["EL**"]})"},
      {"$S attribute COMPONENT-ATTRIBUTE6 --json", 0, R"("PCFAttributeCheck":0,"Check":"valid","IDFAttribute":495})"},
      {"$S record 13", 0, "PCFAttribute  COMPONENT-IDENTIFIER"},
      {"$S elbows --json", 0, R"({"ComponentType":"Elbow-90","Angle":90.0})"},
      {"$S bore 2 in MM --json", 0, R"("ConvertedBore":50.0})"},
      {"$S search socket", 0, "EndPrep        SW--           Socket weld\n"},
      {"$S search ELB --json", 0, R"({"Kind":"SKEY","Name":"ELBW","Description":)"},
      {"$S call --list", 0, "\nGetSKEYData\n"},
      {"$S describe GetSKEYData", 0, "GetSKEYData -> boolean\nParameter    Direction  Type"},
      {"$S check", 0, "0 errors, 0 warnings in "},
      {"$S skey ZZZZ", 1, "pipedex: no SKEY ZZZZ in the catalogue\n"},
      {"$S types --group Nope", 1, "pipedex: no component types found\n"},
      {"$S endprep XX--", 1, "pipedex: no end preparation XX-- in the catalogue\n"},
      {"$S record 1", 1, "pipedex: no PCF attribute maps to IDF record 1\n"},
      {"$S attribute NOPE", 1, "pipedex: PCF attribute NOPE is not recognised\n"},
      {"$S search zzqq", 1, "pipedex: nothing matches \"zzqq\"\n"},
      {"$S describe getskeydata", 1, "unknown operation getskeydata; did you mean GetSKEYData?\n"},
      {"$S bore 2 FOO MM", 2, "FOO not in"},
      {"$S trea", 2, "pipedex: unknown command trea; did you mean tree?"},
      {"$S frobnicate --json", 2, "pipedex: unknown command frobnicate (pipedex --help"},
      {"--catalogue $D/cat/plant.xml --locale de_AT info --json", 0,
       R"({"SystemXMLPath":"$D/cat/plant.xml","ProjectXMLPath":"$D/cat/ProjectPipedex.xml","UserXMLPath":null,)"
       R"("LanguageFile":"$D/cat/SystemPipedex.de.xml","Locale":"de_AT","GroupCount":2,)"},
      {"PIPEDEX_CATALOGUE=$D/cat/plant.xml pipedex groups --locale de_AT", 0, "1      Pipes   Gerade Rohre\n"},
      {"--catalogue $D/cat/plant.xml dump $D/cat/plant.xml", 1, "loaded; give --force to overwrite it\n"},
      {"--catalogue $D/cat/plant.xml dump -", 0, "<Spool />"},
      {"--catalogue $D/cat/missing.xml groups", 1,
       "error 0x80040202 (Pipedex): Data file specified in registry ( $D/cat/missing.xml )not found"},
      {"--catalogue $D/cat/missing.xml groups --json", 1,
       R"j({"number":-2147220990,"source":"Pipedex","description":"Data file specified in registry ( $D/cat/missing.xml )not found)j"},
      {"--catalogue $D/bad/broken.xml skeys", 1,
       "$D/bad/broken.xml:4:12: error: the file does not parse: Start-end tags mismatch [parse]\n"},
      {"--catalogue $D/bad/broken.xml check --json", 1,
       R"([{"file":"$D/bad/broken.xml","line":4,"column":12,"severity":"error","code":"parse",)"},
      {"check --catalogue $D/bad/broken.xml", 1, "1 error, 0 warnings in $D/bad/broken.xml\n"},
  };
  for (const Row& row : rows) {
    std::string command = Replaced(Replaced(row.command, "$S", sample), "$D", dir.path());
    if (command.find("pipedex ") == std::string::npos) command = "pipedex " + command;
    command = Replaced(command, "pipedex ", Quote(BuiltProgram("pipedex")) + " ");
    const ShellResult r = Shell(command + " 2>&1");
    EXPECT_EQ(r.status, row.status) << row.command << "\n" << r.output;
    EXPECT_NE(r.output.find(Replaced(row.output, "$D", dir.path())), std::string::npos) << row.command << "\n" << r.output;
  }
}

}  // namespace
}  // namespace pipedex::testing::docs
