// The guides cannot rot: every code block of docs/*.md (and every marked
// block of README.md) is a copy of a file, or of consecutive lines of a file,
// that the tests build, load or run, named on the line before the block:
//   <!-- file: docs/examples/look_up.cpp -->      the block is the whole file
//   <!-- excerpt: docs/examples/x.xml -->         the block is lines of the file
// Every docs/examples/NAME.out is what its program prints (the C++ examples
// are built with the tests), the batch transcript is what the CLI answers line
// by line, and the catalogue guide's files answer as the guide says.

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <regex>
#include <sstream>

#include "docs/docs_support.h"
#include "test_support.h"

namespace pipedex::testing::docs {
namespace {

TEST(DocBlocks, EveryBlockOfTheGuidesIsACheckedCopyAndReadmeLinksEachGuide) {
  const std::string readme = ReadSource("README.md");
  std::vector<std::string> documents = {"README.md"};
  for (const auto& entry : std::filesystem::directory_iterator(SourcePath("docs"))) {
    if (entry.path().extension() != ".md") continue;
    documents.push_back((std::filesystem::path("docs") / entry.path().filename()).string());
    EXPECT_NE(readme.find("](" + documents.back() + ")"), std::string::npos) << "README does not link " << documents.back();
  }
  static const std::regex annotation(R"(^<!-- (file|excerpt): (\S+) -->$)");
  int checked = 0;
  for (const std::string& document : documents) {
    std::vector<std::string> lines;
    std::istringstream in(ReadSource(document));
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    std::string previous;  // the last line before a block that is not blank
    for (std::size_t open = 0; open < lines.size(); ++open) {
      if (!lines[open].starts_with("```")) {
        if (!lines[open].empty()) previous = lines[open];
        continue;
      }
      std::string text;
      std::size_t close = open + 1;
      for (; close < lines.size() && !lines[close].starts_with("```"); ++close) text += lines[close] + "\n";
      const std::string where = document + ":" + std::to_string(open + 1);
      ASSERT_LT(close, lines.size()) << where << ": a code block is not closed";
      std::smatch m;
      const bool marked = std::regex_match(previous, m, annotation);
      EXPECT_TRUE(marked || document == "README.md") << where << ": code block without a file or excerpt line";
      const std::string kind = m[1].str(), source = m[2].str();
      previous = lines[open = close];
      if (!marked) continue;
      ++checked;
      const std::string content = ReadSource(source);
      EXPECT_TRUE(std::filesystem::is_regular_file(SourcePath(source))) << where << ": no file " << source;
      if (kind == "file") EXPECT_EQ(text, content) << where << " differs from " << source;
      else EXPECT_TRUE(!text.empty() && ("\n" + content).find("\n" + text) != std::string::npos)
          << where << " is not a run of whole lines of " << source;
    }
  }
  EXPECT_GT(checked, 22);
}

TEST(DocExamples, EveryOutputFileIsWhatItsProgramPrints) {
  TempDir dir;
  const auto cpp = [](const std::string& name) { return Quote(BuiltProgram("docs-example-" + name)); };
  const bool python3 = Shell("command -v python3").status == 0;
#ifdef PIPEDEX_PYTHON_EXECUTABLE  // the Python module's examples run with this build's module, when it is built
  const std::string module = "PYTHONPATH='" PIPEDEX_PYTHON_PATH "' '" PIPEDEX_PYTHON_EXECUTABLE "' docs/examples/";
#else
  const std::string module;
#endif
  const std::map<std::string, std::string> commands = {
      {"quick_start", cpp("quick_start")}, {"enumerate", cpp("enumerate")}, {"look_up", cpp("look_up")},
      {"validate", cpp("validate")}, {"threads", cpp("threads")}, {"platform", cpp("platform") + " data"},
      {"overlays", cpp("overlays") + " examples/ProjectPipedex.xml " + Quote(dir.File("merged.xml"))},
      {"tree-elbows", "pipedex --component-dir data tree --group Elbows"},
      {"skey-check.sh", "sh docs/examples/skey-check.sh ELBW VTFL XXXX; echo \"exit status $?\""},
      {"batch_client.py", python3 ? "python3 docs/examples/batch_client.py" : ""},
      {"python_tour.py", module.empty() ? "" : module + "python_tour.py examples/ProjectPipedex.xml"},
      {"python_threads.py", module.empty() ? "" : module + "python_threads.py"},
      {"catalogue_file", cpp("catalogue_file") + "; echo \"exit status $?\""},
      {"check-mistakes", "pipedex check --catalogue docs/examples/catalogue/mistakes.xml; echo \"exit status $?\""},
      {"search-socket", "pipedex --component-dir data search socket"},
      {"describe-GetSKEYData", "pipedex describe GetSKEYData"},
      {"skey-json", "pipedex --component-dir data skey PB3D --json"},
      {"error-json", "pipedex --catalogue /no/plant.xml skeys --json 2>&1; echo \"exit status $?\""}};
  int run = 0;
  for (const auto& entry : std::filesystem::directory_iterator(SourcePath("docs/examples"))) {
    const std::string name = entry.path().stem();
    if (entry.path().extension() != ".out") continue;
    auto command = commands.find(name);
    ASSERT_NE(command, commands.end()) << "no program for docs/examples/" << name << ".out";
    if (command->second.empty()) continue;  // a Python example where Python or the module is missing
    ShellResult r = Shell(command->second);
    EXPECT_EQ(r.status, 0) << name << ":\n" << r.output;
    EXPECT_EQ(r.output, ReadSource("docs/examples/" + name + ".out")) << name;
    ++run;
  }
  EXPECT_GE(run, 15);
  EXPECT_NE(ReadFile(dir.File("merged.xml")).find(">FLWX</SKEY>"), std::string::npos);

  std::istringstream transcript(ReadSource("docs/examples/batch-session.txt"));
  std::vector<std::string> requests, answers;
  std::string line;
  for (int i = 0; std::getline(transcript, line); ++i) (i % 2 == 0 ? requests : answers).push_back(line);
  ASSERT_GE(requests.size(), 6u);
  EXPECT_EQ(RunBatch({"--component-dir", SampleDataDir(), "--locale", "en_US"}, requests), answers);
}

TEST(CatalogueGuide, TheGuidesFilesAnswerAsTheGuideSays) {
  const std::string catalogue = ReadSource("docs/examples/catalogue/SystemPipedex.xml");
  const std::string overlay = SourcePath("docs/examples/catalogue/project-overlay.xml");
  Fixture f(catalogue);
  ExpectAnswers(f.pipedex, {
      {"GroupCount", {}, "5"}, {"SKEYCount", {}, "8"}, {"EndPrepCount", {}, "3"}, {"OperationCount", {}, "3"},
      {"ConfigurationCount", {}, "6"}, {"GetConfiguration", {"1"}, R"("Straight")"}, {"PCFTYPECount", {}, "6"},
      // ELFL is not listed: the generic EL** answers, with FL-- ends.
      {"GetSKEYData", {"ELFL"}, R"(true "Elbow" "FL--" "FL--" "XX--" "XX--")"},
      {"GetSKEYAttribute", {"ELBW", "Description"}, R"("Elbow, butt-welded")"},
      {"FindComponentTypes", {"", "SKEY", "ELBW"}, "3"},
      {"GetDefaultCategory", {"SURS"}, R"("ERECTION")"}, {"GetDefaultCategory", {"ZSW2"}, R"("FABRICATION")"},
      {"GetExpectedWeldNumberCount", {"ZSW2"}, "2"},
      // The NonStandard elbow is no default elbow.
      {"DefaultElbows", {}, R"([{"ComponentType":"Elbow-90","Angle":90.0},{"ComponentType":"Elbow-45","Angle":45.0}])"},
      {"IsValidPlacement", {"Support-Rest", "Pipe", ""}, "true"},
      {"IsValidPlacement", {"Support-Rest", "Elbow-45", "elbw"}, "true"},
      {"IsValidPlacement", {"Support-Rest", "Flange-WeldNeck", "FLWN"}, "false"},
      {"GetDefaultPCFTYPE", {"100"}, R"("PIPE")"}, {"GetIDFAttribute", {"COMPONENT-ATTRIBUTE3"}, "498"},
      {"PCFAttributeCheck", {"SPOOL-IDENTIFIER"}, "4"}, {"PCFAttributeCheck", {"COMPONENT-STATUS"}, "1"},
      {"WeldAttributesAllowed", {"180", "SURS"}, "false"}, {"WeldAttributesAllowed", {"130", "FLWN"}, "false"},
      {"WeldAttributesAllowed", {"130", "FLSO"}, "true"}, {"GetConvertedBore", {"MM", "IN", "3"}, "75.0"},
      {"GetDefaultAllowedConnection", {"BW--"}, R"("BW--" "BW--")"},
      {"IsTrimmableSKEY", {"ELBW"}, "true"}, {"IsOperationSupported", {"Pipe", "3"}, "true"},
      {"HasFlag", {"Pipe", "1"}, "true"},
  });
  EXPECT_TRUE(f.pipedex.GetSystemSymbols());
  EXPECT_STREQ(f.pipedex.GetComponentTypeDefaultDataEntry("Pipe").child("Field").attribute("Name").value(), "Length");

  Fixture german(catalogue, {"de", "AT"});
  german.dir.Write("SystemPipedex.de.xml", ReadSource("docs/examples/catalogue/SystemPipedex.de.xml"));
  ExpectAnswers(german.pipedex, {
      {"GetComponentTypeData", {"Elbow-90"}, R"(true "Elbows" "ELBOW" "Angle_90" "Bogen 90°")"},
      {"GetGroupAttribute", {"Elbows", "Description"}, R"("Bögen")"},
      {"GetEndPrepDescription", {"BW--"}, R"("Stumpfnaht")"},
      {"GetSKEYAttribute", {"ELBW", "Description"}, R"("Bogen, stumpfgeschweißt")"},
      {"GetSKEYAttribute", {"ELFL", "Description"}, R"("Elbow")"},  // not translated: stays
  });

  ExpectAnswers(f.pipedex, {
      {"LoadProjectXML", {overlay}, "true"}, {"GroupCount", {}, "6"}, {"GetGroup", {"6"}, R"("Valves")"},
      {"GetComponentTypeData", {"Support-Rest"}, R"(true "Pipes" "SUPPORT" "Support" "Resting support")"},
      {"FindSKEYs", {"Flange-WeldNeck"}, "2"},
      {"GetSKEYAttribute", {"VTFL", "Description"}, R"("Gate valve")"},
      {"GetConvertedBore", {"MM", "IN", "2"}, "51.0"},
      {"GetConvertedBore", {"IN", "MM", "50"}, "2.0"},  // the 50 / 2 row was replaced
  });
  EXPECT_TRUE(f.pipedex.GetProjectSymbols());
}

}  // namespace
}  // namespace pipedex::testing::docs
