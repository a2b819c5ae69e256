// The commands: what each prints (as a table or as typed JSON) and where, their
// exit statuses, a catalogue file of any name given by --catalogue or
// PIPEDEX_CATALOGUE, and component errors on stderr saying where the tool looked.

#include <gtest/gtest.h>

#include <filesystem>

#include "docs/docs_support.h"
#include "test_support.h"

namespace pipedex::testing::docs {
namespace {

const std::string kNoCatalogue =
    "error 0x80040201 (Pipedex): Path to Pipedex file not specified in registry and it does not exist "
    "in application directory\npipedex looked for SystemPipedex.xml in $D and $D/Data, then in the registry file ";
const std::string kAdvice =
    "; use --catalogue FILE for a catalogue file of any name, --component-dir DIR for a folder holding "
    "SystemPipedex.xml, or --registry FILE or PIPEDEX_REGISTRY=FILE for a registry file whose DataPath names it\n";

TEST(CliCommands, PrintTypedAnswersAndTellNothingFoundByStatus) {
  TempDir dir;
  dir.Write("cat/plant.xml",
            Catalogue("<A_CPT><Pipes Description=\"Straight runs\"><Pipe PCFTYPE=\"PIPE\"/></Pipes></A_CPT>"
                      "<A_PCFIDF><PIPE/></A_PCFIDF>"));
  dir.Write("cat/ProjectPipedex.xml", Catalogue("<U_CPT><Extras><Spool/></Extras></U_CPT>"));
  dir.Write("cat/SystemPipedex.de.xml", Catalogue("<A_CPT><Pipes Description=\"Gerade Rohre\"/></A_CPT>"));
  dir.Write("bad/broken.xml", Catalogue("<A_CPT>\n  <Pipes></Pipe>\n</A_CPT>"));
  dir.Write("tree/SystemPipedex.xml",
            Catalogue("<A_CPT><Elbows><Elbow-90 PCFTYPE='ELBOW' Configuration='Angle_90'><SKEY>EL**</SKEY>"
                      "<SKEY>ELBW</SKEY></Elbow-90><Bögen-Spezial PCFTYPE='ELBOW'><SKEY>ELSP</SKEY></Bögen-Spezial>"
                      "</Elbows><Empty/></A_CPT>"));
  // Paths are data: a line break, a quote and a backslash in a folder's name.
  for (const char* odd : {"odd\nline", "odd\"quote\\slash"}) {
    dir.Write(std::string(odd) + "/plant.xml", ReadFile(dir.path() + "/cat/plant.xml"));
    dir.Write(std::string(odd) + "/broken.xml", ReadFile(dir.path() + "/bad/broken.xml"));
  }
  // Files the system cannot look at: a link to itself as the project file beside the catalogue.
  dir.Write("loop/plant.xml", ReadFile(dir.path() + "/cat/plant.xml"));
  std::filesystem::create_symlink("ProjectPipedex.xml", dir.path() + "/loop/ProjectPipedex.xml");
  dir.Write("novalue.reg", "[HKEY_LOCAL_MACHINE\\Software\\Zenrod\\Pipedex\\Settings]\n");
  dir.Write("elsewhere.reg", "[HKEY_LOCAL_MACHINE\\Software\\Zenrod\\Pipedex\\Settings]\n\"DataPath\"=\"/no/x.xml\"\n");
  const std::string sample = "--component-dir " + Quote(SampleDataDir()) + " --locale en_US ";
  struct Row {
    std::string command;  // "$S" is the sample catalogue's options, "$D" the test folder
    int status;
    std::string output;  // a part of standard output and standard error, unless the command redirects them
  } rows[] = {
      {"info --json", 0, "/Data/SystemPipedex.xml\""},  // the sample beside the library
      {"$S groups --json", 0, R"([{"Index":1,"Group":"Pipes","Description":"Pipe and straight pipe-like items"},)"},
      {"$S endpreps --json", 0, R"({"Index":1,"EndPrep":"BW--","Description":"Butt weld"})"},
      {"$S type Elbow-90 --json", 0, R"("Operations":["Trim"],"Flags":[],"SKEYs":["EL**"]})"},
      {"$S attribute COMPONENT-ATTRIBUTE6 --json", 0, R"("PCFAttributeCheck":0,"Check":"valid","IDFAttribute":495})"},
      {"$S record 13", 0, "PCFAttribute  COMPONENT-IDENTIFIER"},
      {"$S elbows --json", 0, R"({"ComponentType":"Elbow-90","Angle":90.0})"},
      {"$S bore 2 in MM --json", 0, R"("ConvertedBore":50.0})"},
      {"$S search ELB --json", 0, R"({"Kind":"SKEY","Name":"ELBW","Description":)"},
      {"--component-dir " + Quote(SampleDataDir()) + " --locale de_AT check", 0, "0 errors, 0 warnings in "},
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
      {"$S call NoSuchOperation", 2, "NoSuchOperation"},
      {"--no-such-option", 2, "Run with --help for more information."},
      // The version alone, answered before any parser is built, as the parser answers it.
      {"pipedex --version >$D/v1 && pipedex --locale de_AT info --version >$D/v2 && cmp $D/v1 $D/v2 && tr -d 0-9. <$D/v1",
       0, "pipedex \n"},
      {"--catalogue $D/cat/plant.xml --locale de_AT info --json", 0,
       R"({"SystemXMLPath":"$D/cat/plant.xml","ProjectXMLPath":"$D/cat/ProjectPipedex.xml","UserXMLPath":null,)"
       R"("LanguageFile":"$D/cat/SystemPipedex.de.xml","Locale":"de_AT","GroupCount":2,)"},
      {"PIPEDEX_CATALOGUE=$D/cat/plant.xml pipedex groups --locale de_AT", 0, "1      Pipes   Gerade Rohre\n"},
      {"--catalogue $D/cat/plant.xml dump $D/cat/plant.xml", 1, "loaded; give --force to overwrite it\n"},
      {"--catalogue $D/cat/plant.xml dump -", 0, "<Spool />"},
      {"--catalogue $D/bad/broken.xml skeys", 1,
       "$D/bad/broken.xml:4:12: error: the file does not parse: Start-end tags mismatch [parse]\n"},
      {"--catalogue $D/bad/broken.xml check --json", 1,
       R"([{"file":"$D/bad/broken.xml","line":4,"column":12,"severity":"error","code":"parse",)"},
      {"check --catalogue $D/bad/broken.xml", 1, "1 error, 0 warnings in $D/bad/broken.xml\n"},
      {"check --catalogue $D/cat/plant.xml --user $D/bad/broken.xml", 1,  // every file with findings is named
       "1 error, 0 warnings in $D/cat/plant.xml and $D/bad/broken.xml\n"},
      {"--component-dir $D/tree tree", 0,
       "Group / component type   PCF type  Configuration  SKEYs\n"
       "-----------------------  --------  -------------  -----\n"
       "Elbows\n"
       "├─ Elbow-90              ELBOW     Angle_90       EL** ELBW\n"
       "└─ Bögen-Spezial         ELBOW                    ELSP\n"
       "Empty\n"
       "└─ (no component types)\n"},
      {"--component-dir $D/tree tree --group elbows --json", 0,  // a group named in other letter case
       R"([{"Group":"Elbows","ComponentTypes":[{"ComponentType":"Elbow-90","PCFTYPE":"ELBOW","Configuration":)"
       R"("Angle_90","SKEYs":["EL**","ELBW"]},{"ComponentType":"Bögen-Spezial","PCFTYPE":"ELBOW","Configuration":)"
       R"("","SKEYs":["ELSP"]}]}])"},
      {"--component-dir $D/tree tree --group Valves", 1,
       "pipedex: no group named \"Valves\" (pipedex groups lists the groups)\n"},
      // Component errors: on stderr alone, in hexadecimal or as JSON, with where the tool looked.
      {"--component-dir $D tree 2>&1 >/dev/null", 1,
       kNoCatalogue + "/nonexistent/registry.reg (missing)" + kAdvice},
      {"--component-dir $D tree --json 2>&1 >/dev/null", 1,
       R"({"number":-2147220991,"source":"Pipedex","description":"Path to Pipedex file not specified in registry and )"
       "it does not exist in application directory\"}\n"},
      {"--component-dir $D --registry $D/novalue.reg info 2>&1 >/dev/null", 1,
       kNoCatalogue + "$D/novalue.reg (no DataPath value)" + kAdvice},
      {"--component-dir $D --registry $D/elsewhere.reg skeys 2>&1 >/dev/null", 1,
       "error 0x80040202 (Pipedex): Data file specified in registry ( /no/x.xml )not found . Reinstall the Zenrod "
       "Pipedex component\npipedex looked for SystemPipedex.xml in $D and $D/Data, then in the registry file "
       "$D/elsewhere.reg (DataPath \"/no/x.xml\")" + kAdvice},
      {"echo \"stdout [$(pipedex --component-dir $D info 2>/dev/null)]\"", 0, "stdout []\n"},
      // An answer that could not be written is a failure, whatever the command.
      {"$S call GroupCount 2>&1 >/dev/full", 1, "pipedex: writing the output failed"},
      {"pipedex --version 2>&1 >/dev/full", 1, "pipedex: writing the output failed"},
      {"$S call NoSuchOperation 2>&1 >/dev/full", 2, "pipedex: writing the output failed"},
      // Paths with any byte but zero; plain output keeps FILE:LINE:COLUMN on one line.
      {"--catalogue \"$D/odd\nline/plant.xml\" groups", 0, "Straight runs"},
      {"--catalogue '$D/odd\"quote\\slash/plant.xml' groups", 0, "Straight runs"},
      {"check --catalogue \"$D/odd\nline/broken.xml\"", 1, "$D/odd\\nline/broken.xml:4:12: error: the file does not parse"},
      // Files that cannot be looked at, and no current folder: the documented error, never an abort.
      {"--catalogue $D/loop/plant.xml info --json", 0, R"("ProjectXMLPath":null,)"},
      {"mkdir $D/gone && cd $D/gone && rmdir $D/gone && pipedex --catalogue plant.xml groups", 1,
       "error 0x80040202 (Pipedex): Data file specified in registry ( plant.xml )not found"},
      // The machine-facing commands keep to the component's answer alone, and a batch goes on after it.
      {"out=$(pipedex --component-dir $D call GroupCount 2>&1); echo \"[$out] $?\"", 0, "application directory\"}}] 1\n"},
      {R"(printf '%s\n' '{"call": "SystemXMLPath"}' '{"call": "GroupCount"}' | pipedex --component-dir $D batch)", 0,
       "application directory\"}}\n{\"error\":{\"number\":-2147220991,\"source\":\"Pipedex\","},
      // The compiled index: built, shown, verified, refused once its catalogue changed, cleared.
      {"$X cache show --json", 0, R"({"path":"$D/xc/pipedex/)"},
      {"$X cache prebuild --json", 0, R"(.pxi","valid":true,"state":"valid","size":)"},
      {"$X --no-index cache show --json", 0, R"({"path":"","valid":false,"state":"the platform keeps no index")"},
      {"$X cache verify", 0, "state  valid\n"},
      {"f=$(ls $D/xc/pipedex/*.pxi) && printf Z | dd of=$f bs=1 seek=$(($(stat -c %s $f) - 3)) conv=notrunc 2>/dev/null"
       " && $X cache verify", 1, "state  its payload is damaged\n"},
      {"touch $D/cat/ProjectPipedex.xml && $X cache verify", 1, "state  a file it was built from has changed\n"},
      {"$X cache clear && $X cache verify", 1, "removed 1 index file\npath   $D/xc/pipedex/"},
  };
  for (const Row& row : rows) {
    std::string command =
        Replaced(row.command, "$X", "PIPEDEX_CACHE= XDG_CACHE_HOME=$D/xc pipedex --catalogue $D/cat/plant.xml");
    command = Replaced(Replaced(command, "$S", sample), "$D", dir.path());
    if (command.find("pipedex ") == std::string::npos) command = "pipedex " + command;
    const ShellResult r = Shell(command.find('>') == std::string::npos ? command + " 2>&1" : command);
    EXPECT_EQ(r.status, row.status) << row.command << "\n" << r.output;
    EXPECT_NE(r.output.find(Replaced(row.output, "$D", dir.path())), std::string::npos) << row.command << "\n" << r.output;
  }
}

}  // namespace
}  // namespace pipedex::testing::docs
