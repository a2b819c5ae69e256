// Broken and hostile system files: each gives the parse error or a plain
// answer, with memory in proportion to the file, and never a crash.

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <functional>
#include <tuple>

#include "test_support.h"

namespace pipedex::testing {
namespace {

// The error the first data operation raises.
std::string InitialisationError(Pipedex& p) {
  return Raised([&] { p.GroupCount(); });
}
const std::string kParseError = "-2147220989 Pipedex: Error parsing Zenrod XML Data\r\n";

// The text inside a hundred thousand levels of <n> elements.
std::string Deep(const std::string& text) {
  std::string open, close;
  for (int i = 0; i < 100000; ++i) open += "<n>", close += "</n>";
  return open + text + close;
}

TEST(HostileFiles, EntitiesAreNeitherExpandedNorFetched) {
  TempDir secretDir;
  std::string secret = secretDir.Write("secret.txt", "TOP-SECRET-CONTENT");
  std::string lol = "<!ENTITY lol0 \"lol\">";
  for (int i = 1; i <= 9; ++i) {
    std::string prev = "&lol" + std::to_string(i - 1) + ";";
    std::string ten;
    for (int k = 0; k < 10; ++k) ten += prev;
    lol += "<!ENTITY lol" + std::to_string(i) + " \"" + ten + "\">";
  }
  Fixture f("<?xml version=\"1.0\"?>\n<!DOCTYPE ZENROD-ISOMETRICS-DATA [" + lol +
            "<!ENTITY file SYSTEM \"file://" + secret + "\"><!ENTITY rel SYSTEM \"" + secret +
            "\"><!ENTITY % pe SYSTEM \"" + secret + "\"> %pe;]>\n"
            "<ZENROD-ISOMETRICS-DATA><A_CPT><G Note=\"&file;\"/></A_CPT>"
            "<A_SKEY><SKEY>&lol9;</SKEY><SKEY>&file;&rel;</SKEY></A_SKEY>"
            "<A_ENDPREP><ENDPREP>&rel;</ENDPREP></A_ENDPREP></ZENROD-ISOMETRICS-DATA>");
  ASSERT_EQ(f.pipedex.SKEYCount(), 2);
  EXPECT_EQ(f.pipedex.GetSKEY(1), "&lol9;");  // the reference stays as written
  EXPECT_EQ(f.pipedex.GetSKEY(2) + f.pipedex.GetEndPrep(1), "&file;&rel;&rel;");
  f.pipedex.DumpXML(f.dir.path() + "/dump.xml");
  std::string dump = ReadFile(f.dir.path() + "/dump.xml");
  EXPECT_EQ(dump.find("TOP-SECRET"), std::string::npos);
  EXPECT_LT(dump.size(), 4096u);
}

TEST(HostileFiles, NestingAHundredThousandLevelsDeep) {
  const std::string deepSKEY = "<SKEY>" + Deep("BW") + "</SKEY>";
  Fixture f(Catalogue("<A_CPT><Pipes><Pipe>" + deepSKEY + "</Pipe></Pipes></A_CPT><A_SKEY>" + deepSKEY +
                      "</A_SKEY><SYMBOLS>" + Deep("") + "</SYMBOLS>"));
  // A language variant whose SKEY is just as deep: its node path carries the
  // whole text, and XPath compares it against the deep system element.
  f.dir.Write("SystemPipedex.en.xml",
              Catalogue("<A_SKEY><SKEY Description=\"deep\">" + Deep("BW") + "</SKEY></A_SKEY>"));
  EXPECT_EQ(f.pipedex.GroupCount(), 1);
  EXPECT_EQ(f.pipedex.SKEYCount(), 1);
  EXPECT_EQ(f.pipedex.GetSKEY(1), "BW");
  std::string dumped = f.dir.path() + "/deep.xml";
  f.pipedex.DumpXML(dumped);
  Pipedex again(PlatformIn(f.dir.path()));
  f.dir.Write("SystemPipedex.xml", ReadFile(dumped));
  EXPECT_EQ(again.GetSKEY(1), "BW");
}

TEST(HostileFiles, BytesThatAreNotTextAreParseErrors) {
  struct Case {
    std::string file;
    std::int32_t line;
  };
  const std::vector<Case> cases = {
      {Catalogue("<A_SKEY>\n<SKEY>B\xFFW</SKEY></A_SKEY>"), 4},                          // invalid UTF-8
      {Catalogue("<A_SKEY>\n<SKEY>\xC0\xAF</SKEY></A_SKEY>"), 4},                        // overlong form of "/"
      {Catalogue(std::string("<A_SKEY><SKEY>B") + '\0' + "W</SKEY></A_SKEY>"), 3},      // a zero byte in text
      {Catalogue("") + std::string(1, '\0') + "<more/>", 5},                           // a zero byte after the root
      {Catalogue("<A_SKEY><SKEY>\x01</SKEY></A_SKEY>"), 3},                             // a control character
      {"<?xml version=\"1.0\" encoding=\"windows-1252\"?>\n<ZENROD-ISOMETRICS-DATA>\x81</ZENROD-ISOMETRICS-DATA>",
       2},                                                                             // 0x81 is no windows-1252 character
      {"<?xml version=\"1.0\"?>\n<ZENROD-ISOMETRICS-DATA>\x80</ZENROD-ISOMETRICS-DATA>", 2},  // windows-1252 text read as UTF-8
      {"\xEF\xBB\xBF" + Catalogue("<A_SKEY>\n<SKEY>\x01</SKEY></A_SKEY>"), 4},  // a byte order mark shifts no line
  };
  for (const Case& c : cases) {
    Fixture f(c.file);
    const std::string raised = InitialisationError(f.pipedex);
    EXPECT_THAT(raised, StartsWith(kParseError + "An invalid character was found in text content.\r\nLine   : " +
                                   std::to_string(c.line) + "\r\nSource : "));
    // The description is text: the offending bytes are shown as U+FFFD.
    EXPECT_EQ(raised.find_first_of(std::string("\0\xFF", 2)), std::string::npos);
  }
}

TEST(HostileFiles, TruncatedAndEmptyFilesAreParseErrors) {
  std::string sample = ReadFile(SampleDataDir() + "/SystemPipedex.xml");
  Fixture truncated(sample.substr(0, sample.size() / 2));
  const std::string raised = InitialisationError(truncated.pipedex);
  EXPECT_THAT(raised, StartsWith(kParseError));
  EXPECT_EQ(raised.find("Line   : 1\r\n"), std::string::npos);  // the error is not placed at the start

  for (const std::string empty : {"", "   \n", "\xEF\xBB\xBF", "\xFF\xFE", "<?xml version=\"1.0\"?>"}) {
    Fixture f(empty);
    EXPECT_THAT(InitialisationError(f.pipedex), StartsWith(kParseError));
    EXPECT_THAT(InitialisationError(f.pipedex), StartsWith(kParseError));  // and again on the next call
  }
}

// The parser's memory runs out while one of these lives (its functions are
// plain pointers, so the switch is a variable of this file).
bool parserMemoryFails = false;
void* ParserAllocate(std::size_t size) { return parserMemoryFails ? nullptr : std::malloc(size); }
struct ParserMemoryFails {
  ParserMemoryFails() {
    parserMemoryFails = true;
    pugi::set_memory_management_functions(ParserAllocate, std::free);
  }
  ~ParserMemoryFails() { parserMemoryFails = false; }
};

// Memory that runs out is an error of its own, never a parse error at a line
// nor a neutral answer, and the next call loads the catalogue again.
TEST(HostileFiles, RunningOutOfMemoryIsItsOwnError) {
  Fixture f(ReadFile(SampleDataDir() + "/SystemPipedex.xml"));
  const std::string project = f.dir.Write("project.xml", Catalogue("<U_CPT><Extras><Spool/></Extras></U_CPT>"));
  const std::string outOfMemory = "-2147024882 Pipedex: Out of memory";
  const std::function<void()> calls[] = {
      [&] { f.pipedex.GroupCount(); },                // the load
      [&] { f.pipedex.GetBoreConversionTable(); },  // a neutral answer's member (an XPath)
      [&] { f.pipedex.LoadProjectXML(project); },     // a project file
  };
  for (std::size_t i = 0; i < std::size(calls); ++i) {
    if (i > 0) {
      EXPECT_GT(f.pipedex.GroupCount(), 0) << i;  // loaded again once there is memory
    }
    ParserMemoryFails fails;
    EXPECT_EQ(Raised(calls[i]), outOfMemory) << i;
  }
}

TEST(HostileFiles, ProjectFilesAreReadTheSameWay) {
  TempDir secretDir;
  std::string secret = secretDir.Write("secret.txt", "TOP-SECRET-CONTENT");
  Fixture f(Catalogue("<A_CPT><Pipes><Pipe PCFTYPE=\"PIPE\"><SKEY>PIPE</SKEY></Pipe></Pipes></A_CPT><A_SKEY/>"));
  EXPECT_THAT(Raised([&] { f.pipedex.LoadProjectXML(f.dir.Write("p.xml", "<ZENROD-ISOMETRICS-DATA>\xFF</ZENROD-ISOMETRICS-DATA>")); }),
              StartsWith("-2147220973 Pipedex: Error parsing Project XML Data\r\nAn invalid character"));
  // Deep nesting and entities inside overlay sections are merged as they are.
  EXPECT_TRUE(f.pipedex.LoadProjectXML(f.dir.Write(
      "deep.xml", "<!DOCTYPE ZENROD-ISOMETRICS-DATA [<!ENTITY file SYSTEM \"" + secret +
                      "\">]><ZENROD-ISOMETRICS-DATA><U_CPT><Deep Note=\"&file;\"><Bend>" + Deep("") +
                      "<SKEY>&file;</SKEY></Bend></Deep></U_CPT><U_SKEY><SKEY>" + Deep("DE") +
                      "</SKEY></U_SKEY></ZENROD-ISOMETRICS-DATA>")));
  EXPECT_EQ(f.pipedex.GroupCount(), 2);
  EXPECT_EQ(f.pipedex.GetSKEY(1), "DE");
  EXPECT_EQ(f.pipedex.FindSKEYs("Bend"), 1);
  EXPECT_EQ(f.pipedex.GetSKEYAttribute("&file;", "Description"), "");
  f.pipedex.DumpXML(f.dir.path() + "/merged.xml");
  EXPECT_EQ(ReadFile(f.dir.path() + "/merged.xml").find("TOP-SECRET"), std::string::npos);

}

// Peak memory (kB) and exit status of a child process running body.
template <typename F>
std::pair<long, int> InChild(F&& body) {
  pid_t pid = ::fork();
  if (pid == 0) {
    int code = 1;
    try {
      code = body() ? 0 : 1;
    } catch (...) {
    }
    ::_exit(code);
  }
  int status = 0;
  struct rusage usage {};
  ::wait4(pid, &status, 0, &usage);
  return {usage.ru_maxrss, WIFEXITED(status) ? WEXITSTATUS(status) : -1};
}

// A catalogue file of about `megabytes` MB, mostly symbols.
std::string LargeFile(const TempDir& dir, std::size_t megabytes) {
  const std::string path = dir.File("SystemPipedex.xml");
  std::ofstream out(path, std::ios::binary);
  out << "<ZENROD-ISOMETRICS-DATA><A_SKEY><SKEY Description=\"elbow\">ELBW</SKEY></A_SKEY><SYMBOLS>\n";
  const std::string symbol = "<SYMBOL Name=\"S\" Shape=\"arc 0,0 10,10 90\"><Line>0 0 10 10</Line></SYMBOL>\n";
  for (std::size_t written = 0; written < megabytes << 20; written += symbol.size()) out << symbol;
  out << "</SYMBOLS></ZENROD-ISOMETRICS-DATA>\n";
  return path;
}

// Memory grows with the file by a bounded factor: the peak for a file four
// times larger, less the peak for the smaller one, against the added size.
TEST(HostileFiles, MemoryGrowsInProportionToTheFile) {
  long peakKb[2];
  for (int i = 0; i < 2; ++i) {
    TempDir dir;
    LargeFile(dir, i == 0 ? 8 : 32);
    int exitCode = -1;
    std::tie(peakKb[i], exitCode) = InChild([&] {
      Pipedex p(PlatformIn(dir.path()));
      return p.SKEYCount() == 1 && p.GetSKEY(1) == "ELBW";
    });
    EXPECT_EQ(exitCode, 0);
  }
  // The file and its parsed form: about 6 bytes per byte read; the sanitizers add their shadow memory
  // (ThreadSanitizer's is the larger: about 25 bytes per byte in all).
#if defined(__SANITIZE_THREAD__)
  constexpr long kBytesPerByte = 40;
#elif defined(__SANITIZE_ADDRESS__)
  constexpr long kBytesPerByte = 24;
#else
  constexpr long kBytesPerByte = 8;
#endif
  EXPECT_LT(peakKb[1] - peakKb[0], kBytesPerByte * 24 * 1024) << peakKb[0] << " kB, then " << peakKb[1] << " kB";

  // A large file truncated in the middle is reported like any other.
  TempDir dir;
  ASSERT_EQ(::truncate(LargeFile(dir, 8).c_str(), 5L << 20), 0);
  Pipedex truncated(PlatformIn(dir.path()));
  EXPECT_THAT(InitialisationError(truncated), StartsWith(kParseError));
}

}  // namespace
}  // namespace pipedex::testing
