#include <gtest/gtest.h>

#include <filesystem>

#include "core/merged_document.h"
#include "pipedex/error.h"
#include "test_support.h"

namespace pipedex::testing {
namespace {

const std::string kSystem = Catalogue(R"(
  <A_CPT>
    <Valves>
      <Valve-Gate PCFTYPE="VALVE" Description="Gate valve"><SKEY>VG**</SKEY></Valve-Gate>
    </Valves>
    <Fittings>
      <Tee PCFTYPE="TEE"><SKEY>TEBW</SKEY></Tee>
      <Cap PCFTYPE="CAP"><SKEY>CPBW</SKEY></Cap>
    </Fittings>
    <Misc>
      <Cap PCFTYPE="CAP"/>
    </Misc>
  </A_CPT>
  <A_SKEY>
    <SKEY Description="Gate valve">VG**</SKEY>
    <SKEY>TEBW</SKEY>
  </A_SKEY>
  <BORE-CONVERSION-TABLE>
    <BORE MM="25" IN="1"/>
    <BORE MM="50" IN="2"/>
    <BORE MM="80" IN="3"/>
  </BORE-CONVERSION-TABLE>)");

// A project file in the fixture's folder.
std::string Project(const Fixture& f, const std::string& name, const std::string& sections) {
  return f.dir.Write(name, Catalogue(sections));
}

Strings BoreRows(const pugi::xml_document& doc) {
  Strings rows;
  for (const pugi::xpath_node& n : doc.select_nodes("//BORE-CONVERSION-TABLE/BORE"))
    rows.push_back(std::string(n.node().attribute("MM").value()) + "/" + n.node().attribute("IN").value());
  return rows;
}

template <typename F>
Error Raised(F&& call) {
  try {
    call();
  } catch (const Error& e) {
    return e;
  }
  ADD_FAILURE() << "no error raised";
  return Error(0, "", "");
}

TEST(ProjectOverlay, UCptAddsNewGroupsTypesAndTheSKEYsOfExistingTypes) {
  Fixture f(kSystem);
  ASSERT_EQ(f.pipedex.GroupCount(), 3);
  const std::string path = Project(f, "p.xml", R"(
    <U_CPT>
      <!-- comments and text between the groups are skipped --> loose text
      <Extra Note="project"><Strainer PCFTYPE="MISC"><SKEY>ST**</SKEY></Strainer></Extra>
      <Valves>
        <Valve-Plug PCFTYPE="VALVE"><SKEY>VP**</SKEY></Valve-Plug>
        <Valve-Gate PCFTYPE="CHANGED" Description="ignored">
          <SKEY>VG**</SKEY><SKEY>VGFL</SKEY><Operation>PlaceIn</Operation>
        </Valve-Gate>
      </Valves>
    </U_CPT>)");

  EXPECT_TRUE(f.pipedex.LoadProjectXML(path));
  EXPECT_EQ(f.pipedex.GroupCount(), 4);
  EXPECT_EQ(f.pipedex.GetGroup(4), "Extra");
  EXPECT_EQ(f.pipedex.ProjectXMLPath(), path);
  EXPECT_EQ(f.pipedex.UserXMLPath(), path);

  auto doc = Merged(f.pipedex, f.dir);
  EXPECT_EQ(std::string(doc->select_node("//A_CPT/Extra").node().attribute("Note").value()), "project");
  EXPECT_EQ(Select(*doc, "//A_CPT/Extra/Strainer/SKEY"), Strings{"ST**"});
  EXPECT_EQ(Select(*doc, "//A_CPT/Valves/*", true), (Strings{"Valve-Gate", "Valve-Plug"}));
  // The existing type gains both SKEYs, the one it had included; nothing else changes.
  EXPECT_EQ(Select(*doc, "//Valve-Gate/SKEY"), (Strings{"VG**", "VG**", "VGFL"}));
  EXPECT_EQ(std::string(doc->select_node("//Valve-Gate").node().attribute("PCFTYPE").value()), "VALVE");
  EXPECT_TRUE(Select(*doc, "//Valve-Gate/Operation").empty());
}

TEST(ProjectOverlay, ChangeGroupsMovesTypesIncludingThoseAddedByTheSameFile) {
  Fixture f(kSystem);
  const std::string path = Project(f, "p.xml", R"(
    <U_CPT>
      <Special><Bracket/></Special>
      <Valves><Valve-Ball/></Valves>
    </U_CPT>
    <CHANGE_GROUPS>
      <Special><Valve-Ball/><Cap/><Unknown/></Special>
      <Nowhere><Tee/></Nowhere>
      <Valves/>
    </CHANGE_GROUPS>)");

  EXPECT_TRUE(f.pipedex.LoadProjectXML(path));
  auto doc = Merged(f.pipedex, f.dir);
  EXPECT_EQ(Select(*doc, "//A_CPT/Special/*", true), (Strings{"Bracket", "Valve-Ball", "Cap"}));
  // Only the first Cap in document order moves; a missing target group changes nothing.
  EXPECT_EQ(Select(*doc, "//A_CPT/Fittings/*", true), Strings{"Tee"});
  EXPECT_EQ(Select(*doc, "//A_CPT/Misc/*", true), Strings{"Cap"});
  EXPECT_EQ(Select(*doc, "//A_CPT/Valves/*", true), Strings{"Valve-Gate"});
  EXPECT_EQ(Select(*doc, "//A_CPT/Special/Cap/SKEY"), Strings{"CPBW"});
}

TEST(ProjectOverlay, LoadingTwiceAppendsSKEYsAgainWhileBoreRowsReplaceThemselves) {
  Fixture f(kSystem);
  ASSERT_EQ(f.pipedex.SKEYCount(), 2);
  const std::string path = Project(f, "p.xml", R"(
    <U_CPT><Fittings><Tee><SKEY>TESW</SKEY></Tee></Fittings></U_CPT>
    <U_SKEY><SKEY Description="Socket-weld tee">TESW</SKEY><!-- copied as it stands --></U_SKEY>
    <U_BORE-CONVERSION-TABLE><BORE MM="51" IN="2"/><BORE MM="90" IN="3.5"/></U_BORE-CONVERSION-TABLE>)");

  EXPECT_TRUE(f.pipedex.LoadProjectXML(path));
  EXPECT_EQ(f.pipedex.SKEYCount(), 3);
  EXPECT_EQ(f.pipedex.GetSKEY(3), "TESW");
  EXPECT_TRUE(f.pipedex.LoadUserXML(path));
  EXPECT_EQ(f.pipedex.SKEYCount(), 4);

  auto doc = Merged(f.pipedex, f.dir);
  EXPECT_EQ(Select(*doc, "//Tee/SKEY"), (Strings{"TEBW", "TESW", "TESW"}));
  EXPECT_EQ(doc->select_nodes("//A_SKEY/comment()").size(), 2u);
  EXPECT_EQ(BoreRows(*doc), (Strings{"25/1", "80/3", "51/2", "90/3.5"}));
}

TEST(ProjectOverlay, BoreRowReplacesTheRowWithItsMMAndTheRowWithItsIN) {
  Fixture f(kSystem);
  // Values are compared exactly: " 25" and "1.0" match nothing.
  const std::string path = Project(f, "p.xml", R"(
    <U_BORE-CONVERSION-TABLE><BORE MM="50" IN="3"/><BORE MM=" 25" IN="1.0"/></U_BORE-CONVERSION-TABLE>)");
  EXPECT_TRUE(f.pipedex.LoadProjectXML(path));
  EXPECT_EQ(BoreRows(*Merged(f.pipedex, f.dir)), (Strings{"25/1", "50/3", " 25/1.0"}));
}

TEST(ProjectOverlay, MalformedOverlayIsRefusedWholeButStillRebuildsAndSetsThePath) {
  Fixture f(kSystem);
  const std::string before = MergedText(f.pipedex, f.dir);
  const std::string goodSections = R"(
    <U_CPT><Extra><Strainer/></Extra></U_CPT>
    <CHANGE_GROUPS><Misc><Tee/></Misc></CHANGE_GROUPS>
    <U_SKEY><SKEY>ST**</SKEY></U_SKEY>)";
  const std::vector<std::pair<std::string, std::string>> bad = {
      {"no-in.xml", R"(<U_BORE-CONVERSION-TABLE><BORE MM="51" IN="2"/><BORE MM="90"/></U_BORE-CONVERSION-TABLE>)"},
      {"no-mm.xml", R"(<U_BORE-CONVERSION-TABLE><BORE IN="2"/></U_BORE-CONVERSION-TABLE>)"},
      {"comment.xml", R"(<U_BORE-CONVERSION-TABLE><BORE MM="51" IN="2"/><!-- note --></U_BORE-CONVERSION-TABLE>)"},
      {"text.xml", R"(<U_BORE-CONVERSION-TABLE>51 mm<BORE MM="51" IN="2"/></U_BORE-CONVERSION-TABLE>)"},
      {"quote.xml", R"(<U_BORE-CONVERSION-TABLE><BORE MM='5"1' IN="2"/></U_BORE-CONVERSION-TABLE>)"},
  };
  for (const auto& [name, bores] : bad) {
    const std::string path = Project(f, name, goodSections + bores);
    EXPECT_FALSE(f.pipedex.LoadProjectXML(path)) << name;
    EXPECT_EQ(MergedText(f.pipedex, f.dir), before) << name;
    EXPECT_EQ(f.pipedex.ProjectXMLPath(), path) << name;
  }

  // A foreign root element: refused too.
  const std::string foreign =
      f.dir.Write("foreign.xml", "<PROJECT>" + goodSections + "</PROJECT>");
  EXPECT_FALSE(f.pipedex.LoadProjectXML(foreign));
  EXPECT_EQ(MergedText(f.pipedex, f.dir), before);

  // The lists are rebuilt all the same: an SKEY added since shows in the counts.
  f.pipedex.AddSKEY("VGXX", "", "VG**");
  EXPECT_EQ(f.pipedex.SKEYCount(), 2);
  EXPECT_FALSE(f.pipedex.LoadProjectXML(Project(f, "symbols.xml", "<SYMBOLS/>")));
  EXPECT_EQ(f.pipedex.SKEYCount(), 3);
  EXPECT_EQ(f.pipedex.ProjectXMLPath(), f.dir.path() + "/symbols.xml");
}

TEST(ProjectOverlay, SectionWhoseTargetIsMissingFromTheSystemRefusesTheWholeFile) {
  Fixture f(Catalogue("<A_CPT><Valves/></A_CPT>"));
  const std::string before = MergedText(f.pipedex, f.dir);
  EXPECT_FALSE(f.pipedex.LoadProjectXML(Project(f, "bores.xml", R"(
    <U_CPT><Extra/></U_CPT><U_BORE-CONVERSION-TABLE><BORE MM="51" IN="2"/></U_BORE-CONVERSION-TABLE>)")));
  EXPECT_FALSE(f.pipedex.LoadProjectXML(Project(f, "skeys.xml", "<U_CPT><Extra/></U_CPT><U_SKEY><SKEY>ST**</SKEY></U_SKEY>")));
  EXPECT_EQ(MergedText(f.pipedex, f.dir), before);
  // Empty sections have nothing to put there and merge.
  EXPECT_TRUE(f.pipedex.LoadProjectXML(Project(f, "empty.xml", "<U_SKEY/><U_BORE-CONVERSION-TABLE/><U_CPT><Extra/></U_CPT>")));
  EXPECT_EQ(f.pipedex.GroupCount(), 2);

  Fixture noCpt(Catalogue("<A_SKEY/>"));
  EXPECT_FALSE(noCpt.pipedex.LoadProjectXML(Project(noCpt, "p.xml", "<U_CPT><Extra/></U_CPT><U_SKEY><SKEY>ST**</SKEY></U_SKEY>")));
  EXPECT_EQ(noCpt.pipedex.SKEYCount(), 0);
}

TEST(ProjectOverlay, ProjectSymbolsComeFromTheLastFileThatMerged) {
  Fixture f(kSystem);
  EXPECT_FALSE(f.pipedex.GetProjectSymbols());
  ASSERT_TRUE(f.pipedex.LoadProjectXML(Project(f, "a.xml", R"(
    <U_BORE-CONVERSION-TABLE><BORE MM="51" IN="2"/></U_BORE-CONVERSION-TABLE>
    <SYMBOLS Units="A"><Symbol Name="STRAINER"/></SYMBOLS>)")));
  const pugi::xml_node symbols = f.pipedex.GetProjectSymbols();
  EXPECT_EQ(std::string(symbols.attribute("Units").value()), "A");
  // The bore queries see the merged table.
  EXPECT_DOUBLE_EQ(f.pipedex.GetConvertedBore("IN", "MM", 51), 2.0);

  // A file without overlay sections, one that does not parse or one that is
  // refused leaves the symbols (and the node handed out) as they were.
  EXPECT_FALSE(f.pipedex.LoadProjectXML(Project(f, "b.xml", R"(<SYMBOLS Units="B"/>)")));
  EXPECT_THROW(f.pipedex.LoadProjectXML(f.dir.Write("c.xml", "<ZENROD-ISOMETRICS-DATA>")), Error);
  EXPECT_FALSE(f.pipedex.LoadProjectXML(Project(f, "d.xml", R"(
    <U_BORE-CONVERSION-TABLE><BORE/></U_BORE-CONVERSION-TABLE><SYMBOLS Units="D"/>)")));
  EXPECT_EQ(f.pipedex.GetProjectSymbols(), symbols);
  EXPECT_EQ(std::string(symbols.attribute("Units").value()), "A");

  // A file that merges without SYMBOLS leaves none.
  EXPECT_TRUE(f.pipedex.LoadProjectXML(Project(f, "e.xml", "<U_SKEY/>")));
  EXPECT_FALSE(f.pipedex.GetProjectSymbols());
}

TEST(ProjectOverlay, MissingOrUnparsableFilesRaiseAndChangeNothing) {
  Fixture f(kSystem);
  const std::string good = Project(f, "good.xml", "<U_SKEY><SKEY>ST**</SKEY></U_SKEY>");
  ASSERT_TRUE(f.pipedex.LoadProjectXML(good));
  const std::string before = MergedText(f.pipedex, f.dir);

  const std::string missing = f.dir.path() + "/missing.xml";
  Error e = Raised([&] { f.pipedex.LoadProjectXML(missing); });
  EXPECT_EQ(e.number(), static_cast<std::int32_t>(0x80040212));
  EXPECT_EQ(e.source(), "Pipedex");
  EXPECT_EQ(e.description(), "Specified Project XML Data (" + missing + ") does not exist");
  std::filesystem::create_directory(f.dir.path() + "/folder.xml");
  EXPECT_EQ(Raised([&] { f.pipedex.LoadUserXML(f.dir.path() + "/folder.xml"); }).number(),
            static_cast<std::int32_t>(0x80040212));

  e = Raised([&] { f.pipedex.LoadProjectXML(f.dir.Write("empty.xml", "")); });
  EXPECT_EQ(e.number(), static_cast<std::int32_t>(0x80040213));
  EXPECT_EQ(e.description().rfind("Error parsing Project XML Data\r\n", 0), 0u) << e.description();

  e = Raised([&] {
    f.pipedex.LoadProjectXML(f.dir.Write("broken.xml", "<ZENROD-ISOMETRICS-DATA>\n<U_SKEY>\n<SKEY>ST**</U_SKEY>\n"));
  });
  EXPECT_EQ(e.number(), static_cast<std::int32_t>(0x80040213));
  EXPECT_EQ(e.source(), "Pipedex");
  EXPECT_NE(e.description().find("Line   : 3\r\nSource : <SKEY>ST**</U_SKEY>"), std::string::npos) << e.description();

  EXPECT_EQ(MergedText(f.pipedex, f.dir), before);
  EXPECT_EQ(f.pipedex.ProjectXMLPath(), good);
}

TEST(AutomaticProject, ProjectFileBesideTheSystemFileIsMergedBeforeTheLanguageTexts) {
  Fixture f(kSystem, {"de", "DE"});
  f.dir.Write("ProjectPipedex.xml", Catalogue("<U_CPT><Extra Description=\"Extra items\"/></U_CPT>"));
  f.dir.Write("SystemPipedex.de.xml", Catalogue("<A_CPT><Extra Description=\"Zusatzteile\"/></A_CPT>"));
  EXPECT_EQ(f.pipedex.GroupCount(), 4);
  EXPECT_EQ(f.pipedex.ProjectXMLPath(), f.dir.path() + "/ProjectPipedex.xml");
  EXPECT_EQ(f.pipedex.UserXMLPath(), f.dir.path() + "/ProjectPipedex.xml");
  EXPECT_EQ(std::string(Merged(f.pipedex, f.dir)->select_node("//A_CPT/Extra").node().attribute("Description").value()),
            "Zusatzteile");

  Fixture none(kSystem);
  EXPECT_EQ(none.pipedex.ProjectXMLPath(), "");
  EXPECT_EQ(none.pipedex.UserXMLPath(), "");
}

TEST(AutomaticProject, ParseErrorArrivesInsideTheInitialisationFailureAndIsNotRetried) {
  Fixture f(kSystem);
  f.dir.Write("ProjectPipedex.xml", "<ZENROD-ISOMETRICS-DATA><U_CPT>");
  Error e = Raised([&] { f.pipedex.GroupCount(); });
  EXPECT_EQ(e.number(), static_cast<std::int32_t>(0x80040205));
  EXPECT_EQ(e.source(), "Pipedex");
  EXPECT_EQ(e.description().rfind("Unexpected initialisation error : Error parsing Project XML Data\r\n", 0), 0u)
      << e.description();
  // Initialised, but no lists were built.
  EXPECT_EQ(f.pipedex.GroupCount(), 0);
  EXPECT_EQ(f.pipedex.ProjectXMLPath(), "");
}

TEST(AutomaticProject, MergeReportingFalseRaisesUserXmlErrorAfterTheFirstListBuild) {
  Fixture f(kSystem);
  f.dir.Write("ProjectPipedex.xml", Catalogue(R"(
    <U_CPT><Extra/></U_CPT><U_BORE-CONVERSION-TABLE><BORE MM="51"/></U_BORE-CONVERSION-TABLE>)"));
  Error e = Raised([&] { f.pipedex.SKEYCount(); });
  EXPECT_EQ(e.number(), static_cast<std::int32_t>(0x80040204));
  EXPECT_EQ(e.source(), "Pipedex");
  EXPECT_EQ(e.description(), "Error parsing User XML");
  // The lists built inside the project load stand; nothing of the file was merged.
  EXPECT_EQ(f.pipedex.GroupCount(), 3);
  EXPECT_EQ(f.pipedex.ProjectXMLPath(), f.dir.path() + "/ProjectPipedex.xml");
}

TEST(OverlayCli, BatchAndProjectOptionAnswerTheOverlayOperations) {
  Fixture f(kSystem);
  const std::string project = Project(f, "p.xml", "<U_SKEY><SKEY>ST**</SKEY></U_SKEY>");
  const std::string dump = f.dir.path() + "/out.xml";
  auto lines = RunBatch({"--component-dir", f.dir.path(), "--project", project},
                        {R"({"call": "ProjectXMLPath"})",
                         R"({"call": "LoadUserXML", "args": [")" + project + R"("]})",
                         R"({"call": "LoadProjectXML", "args": ["/nonexistent/p.xml"]})",
                         R"({"call": "AddSKEY", "args": ["TESW", "", "TEBW"]})",
                         R"({"call": "AddSKEY", "args": ["TESW", "", "ZZZZ"]})",
                         R"({"call": "DumpXML", "args": [")" + dump + R"("]})"});
  ASSERT_GE(lines.size(), 6u);
  EXPECT_EQ(lines[0], R"({"result":")" + project + R"("})");
  EXPECT_EQ(lines[1], R"({"result":true})");
  EXPECT_EQ(lines[2], R"({"error":{"number":-2147220974,"source":"Pipedex","description":)"
                      R"("Specified Project XML Data (/nonexistent/p.xml) does not exist"}})");
  EXPECT_EQ(lines[3], R"({"result":null})");
  EXPECT_EQ(lines[4], R"({"error":{"number":-2147220982,"source":"Pipedex.AddSKEY","description":)"
                      R"("Error adding SKEY TESW\r\nReference SKEY (ZZZZ) does not exist"}})");
  pugi::xml_document doc;
  ASSERT_TRUE(doc.load_file(dump.c_str()));
  EXPECT_EQ(Select(doc, "//A_SKEY/SKEY"), (Strings{"VG**", "TESW", "TEBW", "ST**", "ST**"}));
}

TEST(OverlayCli, AddSKEYAndDumpCommandsWriteTheMergedDocument) {
  Fixture f(kSystem);
  const std::string project = Project(f, "p.xml", "<U_CPT><Extra/></U_CPT>");
  int exitCode = -1;
  std::string out = RunCli({"--component-dir", f.dir.path(), "--project", project, "add-skey", "TESW", "TEBW",
                            "--description", "Socket-weld tee", "--dump", f.dir.path() + "/a.xml", "--json"},
                           &exitCode);
  EXPECT_EQ(exitCode, 0);
  EXPECT_NE(out.find(R"("Description":"Socket-weld tee")"), std::string::npos) << out;
  pugi::xml_document added;
  ASSERT_TRUE(added.load_file((f.dir.path() + "/a.xml").c_str()));
  EXPECT_EQ(Select(added, "//A_SKEY/SKEY[@Description='Socket-weld tee']"), Strings{"TESW"});
  EXPECT_EQ(Select(added, "//A_CPT/Extra", true), Strings{"Extra"});

  out = RunCli({"--component-dir", f.dir.path(), "dump", f.dir.path() + "/d.xml"}, &exitCode);
  EXPECT_EQ(exitCode, 0);
  EXPECT_NE(out.find("(none)"), std::string::npos) << out;
  EXPECT_TRUE(std::filesystem::exists(f.dir.path() + "/d.xml"));

  RunCli({"--component-dir", f.dir.path(), "add-skey", "TESW", "ZZZZ", "--dump", f.dir.path() + "/e.xml"}, &exitCode);
  EXPECT_EQ(exitCode, 1);
  EXPECT_FALSE(std::filesystem::exists(f.dir.path() + "/e.xml"));
}

}  // namespace
}  // namespace pipedex::testing
