#include <gtest/gtest.h>

#include <functional>

#include <filesystem>

#include <unistd.h>

#include "base/xml_document.h"

#include "docs/docs_support.h"
#include "overlays/merged_document.h"

namespace pipedex::testing {
namespace {

const std::string kSystem = Catalogue(R"(
  <A_CPT>
    <Valves><Valve-Gate PCFTYPE="VALVE"><SKEY>VG**</SKEY></Valve-Gate></Valves>
    <Fittings><Tee><SKEY>TEBW</SKEY></Tee><Cap><SKEY>CPBW</SKEY></Cap></Fittings>
    <Misc><Cap/></Misc>
  </A_CPT>
  <A_SKEY><SKEY>VG**</SKEY><SKEY>TEBW</SKEY></A_SKEY>
  <BORE-CONVERSION-TABLE><BORE MM="25" IN="1"/><BORE MM="50" IN="2"/><BORE MM="80" IN="3"/></BORE-CONVERSION-TABLE>)");

Strings BoreRows(const pugi::xml_document& doc) {
  Strings rows;
  for (const pugi::xpath_node& n : doc.select_nodes("//BORE-CONVERSION-TABLE/BORE"))
    rows.push_back(std::string(n.node().attribute("MM").value()) + "/" + n.node().attribute("IN").value());
  return rows;
}

TEST(ProjectOverlay, MergesEachSectionByItsRuleAndASecondLoadAgain) {
  Fixture f(kSystem);
  const std::string path = f.dir.Write("p.xml", Catalogue(R"(
    <U_CPT>
      <!-- skipped --> skipped
      <Extra Note="project"><Strainer><SKEY>ST**</SKEY></Strainer></Extra>
      <Valves><Valve-Ball/><Valve-Gate PCFTYPE="CHANGED"><SKEY>VG**</SKEY><Operation/></Valve-Gate></Valves>
      <valves><Valve-Gate/></valves>
    </U_CPT>
    <CHANGE_GROUPS><Extra><Valve-Ball/><Cap/><Unknown/><tee/></Extra><Nowhere><Tee/></Nowhere></CHANGE_GROUPS>
    <U_SKEY><SKEY>ST**</SKEY><!-- copied too --></U_SKEY>
    <U_BORE-CONVERSION-TABLE><BORE MM="50" IN="3"/><BORE MM=" 25" IN="1.0"/></U_BORE-CONVERSION-TABLE>
    <SYMBOLS Units="A"/>)"));
  ASSERT_EQ(f.pipedex.GroupCount(), 3);
  EXPECT_TRUE(f.pipedex.LoadProjectXML(path));
  EXPECT_EQ(f.pipedex.GetGroup(4), "Extra");
  EXPECT_EQ(f.pipedex.GetGroup(5), "valves");  // names are compared with their letter case
  EXPECT_EQ(f.pipedex.UserXMLPath(), path);
  EXPECT_EQ(std::string(f.pipedex.GetProjectSymbols().attribute("Units").value()), "A");
  EXPECT_DOUBLE_EQ(f.pipedex.GetConvertedBore("IN", "MM", 50), 3.0);
  auto doc = Merged(f.pipedex, f.dir);
  EXPECT_EQ(Attr(*doc, "//Extra", "Note"), "project");
  // A type added by U_CPT moves too; only the first Cap in document order moves.
  EXPECT_EQ(Select(*doc, "//A_CPT/Extra/*", true), (Strings{"Strainer", "Valve-Ball", "Cap"}));
  EXPECT_EQ(Select(*doc, "//A_CPT/Valves/* | //A_CPT/Fittings/* | //A_CPT/Misc/*", true),
            (Strings{"Valve-Gate", "Tee", "Cap"}));
  // An existing type only gains the SKEYs, even one it lists already.
  EXPECT_EQ(Select(*doc, "//Valve-Gate/*", true), (Strings{"SKEY", "SKEY"}));
  EXPECT_EQ(Attr(*doc, "//Valve-Gate", "PCFTYPE"), "VALVE");
  EXPECT_EQ(doc->select_nodes("//A_SKEY/comment()").size(), 1u);
  // MM=50 replaces 50/2 and IN=3 replaces 80/3; values are compared exactly.
  EXPECT_EQ(BoreRows(*doc), (Strings{"25/1", "50/3", " 25/1.0"}));

  EXPECT_TRUE(f.pipedex.LoadUserXML(path));
  doc = Merged(f.pipedex, f.dir);
  EXPECT_EQ(Select(*doc, "//A_SKEY/SKEY"), (Strings{"VG**", "TEBW", "ST**", "ST**"}));
  EXPECT_EQ(Select(*doc, "//Valve-Gate/SKEY").size(), 3u);
  EXPECT_EQ(BoreRows(*doc), (Strings{"25/1", "50/3", " 25/1.0"}));
}

TEST(ProjectOverlay, MalformedOverlayIsRefusedWholeYetRebuildsAndSetsThePath) {
  Fixture f(kSystem);
  ASSERT_TRUE(f.pipedex.LoadProjectXML(f.dir.Write("a.xml", Catalogue("<U_SKEY/><SYMBOLS Units='A'/>"))));
  const pugi::xml_node symbols = f.pipedex.GetProjectSymbols();
  const std::string before = MergedText(f.pipedex, f.dir);
  const std::string good = "<U_CPT><Extra/></U_CPT><U_SKEY><SKEY>ST**</SKEY></U_SKEY><SYMBOLS/>";
  for (const std::string bores : {"<BORE MM='51' IN='2'/><BORE MM='90'/>", "<BORE IN='2'/>", "<!-- c --><BORE/>",
                                  "51 mm", "<BORE MM='5\"1' IN='2'/>"}) {
    const std::string path =
        f.dir.Write("b.xml", Catalogue(good + "<U_BORE-CONVERSION-TABLE>" + bores + "</U_BORE-CONVERSION-TABLE>"));
    EXPECT_FALSE(f.pipedex.LoadProjectXML(path)) << bores;
    EXPECT_EQ(f.pipedex.ProjectXMLPath(), path);
  }
  EXPECT_FALSE(f.pipedex.LoadProjectXML(f.dir.Write("c.xml", "<PROJECT>" + good + "</PROJECT>")));
  EXPECT_EQ(MergedText(f.pipedex, f.dir), before);
  EXPECT_EQ(f.pipedex.GetProjectSymbols(), symbols);

  // A section whose target the system lacks refuses the file; an empty one does not.
  Fixture bare(Catalogue("<A_CPT/>"));
  EXPECT_FALSE(bare.pipedex.LoadProjectXML(bare.dir.Write("p.xml", Catalogue(good))));
  EXPECT_TRUE(bare.pipedex.LoadProjectXML(bare.dir.Write("q.xml", Catalogue("<U_CPT><X/></U_CPT><U_SKEY/>"))));
  EXPECT_EQ(bare.pipedex.GroupCount(), 1);

  // Lists are rebuilt even when the file has no overlay section.
  f.pipedex.AddSKEY("VGXX", "", "VG**");
  EXPECT_EQ(f.pipedex.SKEYCount(), 2);
  EXPECT_FALSE(f.pipedex.LoadProjectXML(f.dir.Write("d.xml", Catalogue("<SYMBOLS/>"))));
  EXPECT_EQ(f.pipedex.SKEYCount(), 3);
  EXPECT_EQ(f.pipedex.GetProjectSymbols(), symbols);
}

TEST(ProjectOverlay, MissingOrUnparsableFilesRaiseAndChangeNothing) {
  Fixture f(kSystem);
  const std::string before = MergedText(f.pipedex, f.dir);
  const std::string missing = f.dir.path() + "/missing.xml";
  const auto load = [&](const std::string& path) { return Raised([&] { f.pipedex.LoadProjectXML(path); }); };
  EXPECT_EQ(load(missing), "-2147220974 Pipedex: Specified Project XML Data (" + missing + ") does not exist");
  std::filesystem::create_directory(f.dir.path() + "/folder.xml");
  EXPECT_THAT(Raised([&] { f.pipedex.LoadUserXML(f.dir.path() + "/folder.xml"); }), StartsWith("-2147220974 "));
  // A path with a zero byte names no file, even when its start does.
  EXPECT_THAT(load(f.dir.Write("p.xml", Catalogue("")) + std::string("\0.bak", 5)), StartsWith("-2147220974 "));
  EXPECT_THAT(load(f.dir.Write("empty.xml", "")), StartsWith("-2147220973 "));
  // Too large a file is refused before it is read (a sparse file takes no room).
  ASSERT_EQ(::truncate(f.dir.Write("huge.xml", "<a/>").c_str(), static_cast<off_t>(xml::kMaxFileSize) + 1), 0);
  EXPECT_THAT(load(f.dir.path() + "/huge.xml"), HasSubstr("larger than the 2048 MiB"));
  EXPECT_THAT(load(f.dir.Write("bad.xml", "<ZENROD-ISOMETRICS-DATA>\n<U_SKEY>\n<SKEY></U_SKEY>")),
              AllOf(StartsWith("-2147220973 Pipedex: Error parsing Project XML Data\r\n"),
                    HasSubstr("Line   : 3\r\nSource : <SKEY></U_SKEY>")));
  EXPECT_EQ(MergedText(f.pipedex, f.dir), before);
  EXPECT_EQ(f.pipedex.ProjectXMLPath(), "");
}

TEST(AutomaticProject, MergedBeforeTheLanguageTextsAndReportedAsWritten) {
  Fixture f(kSystem, {"de", "DE"});
  f.dir.Write("ProjectPipedex.xml", Catalogue("<U_CPT><Extra Description='Extra items'/></U_CPT>"));
  f.dir.Write("SystemPipedex.de.xml", Catalogue("<A_CPT><Extra Description='Zusatzteile'/></A_CPT>"));
  EXPECT_EQ(f.pipedex.GroupCount(), 4);
  EXPECT_EQ(f.pipedex.ProjectXMLPath(), f.dir.path() + "/ProjectPipedex.xml");
  EXPECT_EQ(Attr(*Merged(f.pipedex, f.dir), "//Extra", "Description"), "Zusatzteile");

  // A file that does not parse: the general failure, no lists, no retry.
  Fixture broken(kSystem);
  broken.dir.Write("ProjectPipedex.xml", "<ZENROD-ISOMETRICS-DATA>");
  EXPECT_THAT(Raised([&] { broken.pipedex.GroupCount(); }),
              StartsWith("-2147220987 Pipedex: Unexpected initialisation error : Error parsing Project XML Data\r\n"));
  EXPECT_EQ(broken.pipedex.GroupCount(), 0);
  // Operations that read the lists that were never built answer by their own failure rules.
  bool trimmed = true;
  double standard = 0;
  std::string type;
  broken.pipedex.GetAngleComponentData2("Elbow-90-V", "BW", "BW", 45, trimmed, standard, type);
  EXPECT_EQ(std::to_string(trimmed) + " " + std::to_string(standard) + " " + type, "0 90.000000 Elbow-90");
  EXPECT_EQ(broken.pipedex.FindPCFTYPEs("", 999), 0);
  for (auto operation : std::vector<std::function<void()>>{[&] { broken.pipedex.FindPCFTYPEs("ELBW", 999); },
                                                           [&] { broken.pipedex.GetIDFAttribute("ITEM-CODE"); },
                                                           [&] { broken.pipedex.PCFAttributeCheck("ITEM-CODE"); },
                                                           [&] { broken.pipedex.GetPCFAttribute(1); },
                                                           [&] { broken.pipedex.IsTrimmableSKEY("ELBW"); }})
    EXPECT_EQ(ErrorOf(operation).number(), 91);
  EXPECT_EQ(Raised([&] { broken.pipedex.AddSKEY("ELXX", "", "ELBW"); }),
            "-2147220982 Pipedex.AddSKEY: Error adding SKEY ELXX\r\nObject variable or With block variable not set");

  // A file whose merge reports false: "Error parsing User XML" after the first list build.
  Fixture refused(kSystem);
  refused.dir.Write("ProjectPipedex.xml",
                    Catalogue("<U_CPT><X/></U_CPT><U_BORE-CONVERSION-TABLE><BORE/></U_BORE-CONVERSION-TABLE>"));
  EXPECT_EQ(Raised([&] { refused.pipedex.SKEYCount(); }), "-2147220988 Pipedex: Error parsing User XML");
  EXPECT_EQ(refused.pipedex.GroupCount(), 3);
  EXPECT_EQ(refused.pipedex.ProjectXMLPath(), refused.dir.path() + "/ProjectPipedex.xml");
}

// The overlay merge finds groups, component types and bore rows through maps:
// names held twice, a type found in the second group of a name, bore values
// held by several rows and rows of another name behave as the document order says.
TEST(ProjectOverlay, NamesHeldTwiceMergeInDocumentOrder) {
  Fixture f(Catalogue(R"(
    <A_CPT><G><A/></G><H><Dup/></H><G><B/></G><K><Dup/></K></A_CPT>
    <A_SKEY/>
    <BORE-CONVERSION-TABLE><BORE MM="1" IN="a"/><ROW MM="2" IN="b"/><BORE MM="2" IN="c"/>
      <BORE MM="2" IN="d"/><BORE MM="3" IN="c"/></BORE-CONVERSION-TABLE>)"));
  const std::string path = f.dir.Write("p.xml", Catalogue(R"(
    <U_CPT><G><B><SKEY>X</SKEY></B><C/></G><N><A/></N><N><Z/></N></U_CPT>
    <CHANGE_GROUPS><N><Dup/><Dup/><C/></N></CHANGE_GROUPS>
    <U_BORE-CONVERSION-TABLE><BORE MM="2" IN="c"/><ROW MM="9" IN="d"/><BORE MM="2" IN="e"/></U_BORE-CONVERSION-TABLE>)"));
  ASSERT_TRUE(f.pipedex.LoadProjectXML(path));
  auto doc = Merged(f.pipedex, f.dir);
  EXPECT_EQ(Select(*doc, "//A_CPT/*", true), (Strings{"G", "H", "G", "K", "N"}));
  // B lives in the second G: it gains the SKEY there; C is new in the first G, then moves.
  EXPECT_EQ(Select(*doc, "//A_CPT/G[2]/B/SKEY"), (Strings{"X"}));
  // The second N of U_CPT joins the group the first one added; both Dup move, first H's then K's.
  EXPECT_EQ(Select(*doc, "//A_CPT/N/*", true), (Strings{"A", "Z", "Dup", "Dup", "C"}));
  // Row 2/c goes with MM=2 (and IN=c, 3/c); the ROW is no BORE; 2/d goes with MM=2 of the last row.
  Strings rows;
  for (const pugi::xpath_node& n : doc->select_nodes("//BORE-CONVERSION-TABLE/*"))
    rows.push_back(std::string(n.node().name()) + ":" + n.node().attribute("MM").value() + "/" +
                   n.node().attribute("IN").value());
  EXPECT_EQ(rows, (Strings{"BORE:1/a", "ROW:2/b", "ROW:9/d", "BORE:2/e"}));
}

// The CLI's --project option loads the overlay first; add-skey saves with --dump.
TEST(OverlayCli, ProjectOptionAndAddSkey) {
  Fixture f(kSystem);
  const std::string project = f.dir.Write("p.xml", Catalogue("<U_SKEY><SKEY>ST**</SKEY></U_SKEY>"));
  EXPECT_EQ(RunBatch({"--component-dir", f.dir.path(), "--project", project}, {R"({"call": "ProjectXMLPath"})"}),
            std::vector<std::string>{R"({"result":")" + project + R"("})"});
  const std::string out = f.dir.path() + "/out.xml";
  EXPECT_EQ(docs::Shell("pipedex --component-dir " + Quote(f.dir.path()) + " --project " + Quote(project) +
                        " add-skey TESW TEBW --description Tee --dump " + Quote(out)).status, 0);
  pugi::xml_document doc;
  ASSERT_TRUE(doc.load_file(out.c_str()));
  EXPECT_EQ(Select(doc, "//A_SKEY/SKEY[@Description='Tee']"), Strings{"TESW"});
  EXPECT_EQ(Select(doc, "//A_SKEY/SKEY[last()]"), Strings{"ST**"});
}

}  // namespace
}  // namespace pipedex::testing
