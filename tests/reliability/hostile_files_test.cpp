// Broken and hostile system files: each gives the parse error or a plain
// answer, in bounded time and memory, and never a crash.

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>

#include "test_support.h"

namespace pipedex::testing {
namespace {

constexpr std::int32_t kParseError = -2147220989;  // 0x80040203

// The error the first data operation raises.
Error InitialisationError(Pipedex& p) {
  return ErrorOf([&] { p.GroupCount(); });
}

double SecondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Every text the counts and getters answer, in one string.
std::string AllAnswers(Pipedex& p) {
  std::string all;
  for (std::int32_t i = 0; i <= p.GroupCount() + 1; ++i) all += p.GetGroup(i) + "|";
  for (std::int32_t i = 0; i <= p.SKEYCount() + 1; ++i) all += p.GetSKEY(i) + "|";
  for (std::int32_t i = 0; i <= p.EndPrepCount() + 1; ++i) all += p.GetEndPrep(i) + "|";
  for (std::int32_t i = 0; i <= p.ConfigurationCount() + 1; ++i) all += p.GetConfiguration(i) + "|";
  for (std::int32_t i = 0; i <= p.OperationCount() + 1; ++i) all += p.GetOperation(i) + "|";
  return all;
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
  auto start = std::chrono::steady_clock::now();
  ASSERT_EQ(f.pipedex.SKEYCount(), 2);
  EXPECT_EQ(f.pipedex.GetSKEY(1), "&lol9;");  // the reference stays as written
  std::string answers = AllAnswers(f.pipedex);
  EXPECT_EQ(answers.find("TOP-SECRET"), std::string::npos);
  EXPECT_EQ(answers.find("lollol"), std::string::npos);
  f.pipedex.DumpXML(f.dir.path() + "/dump.xml");
  std::string dump = ReadFile(f.dir.path() + "/dump.xml");
  EXPECT_EQ(dump.find("TOP-SECRET"), std::string::npos);
  EXPECT_LT(dump.size(), 4096u);
  EXPECT_LT(SecondsSince(start), 5.0);
}

TEST(HostileFiles, NestingAHundredThousandLevelsDeep) {
  const int depth = 100000;
  std::string open, close;
  for (int i = 0; i < depth; ++i) open += "<n>", close += "</n>";
  const std::string deepSKEY = "<SKEY>" + open + "BW" + close + "</SKEY>";
  Fixture f(Catalogue("<A_CPT><Pipes><Pipe>" + deepSKEY + "</Pipe></Pipes></A_CPT><A_SKEY>" + deepSKEY +
                      "</A_SKEY><SYMBOLS>" + open + close + "</SYMBOLS>"));
  // A language variant whose SKEY is just as deep: its node path carries the
  // whole text, and XPath compares it against the deep system element.
  f.dir.Write("SystemPipedex.en.xml",
              Catalogue("<A_SKEY><SKEY Description=\"deep\">" + open + "BW" + close + "</SKEY></A_SKEY>"));
  auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(f.pipedex.GroupCount(), 1);
  EXPECT_EQ(f.pipedex.SKEYCount(), 1);
  EXPECT_EQ(f.pipedex.GetSKEY(1), "BW");
  std::string dumped = f.dir.path() + "/deep.xml";
  f.pipedex.DumpXML(dumped);
  Pipedex again(std::make_shared<TestPlatform>(f.dir.path()));
  f.dir.Write("SystemPipedex.xml", ReadFile(dumped));
  EXPECT_EQ(again.GetSKEY(1), "BW");
  EXPECT_LT(SecondsSince(start), 20.0);
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
  };
  for (const Case& c : cases) {
    Fixture f(c.file);
    Error e = InitialisationError(f.pipedex);
    EXPECT_EQ(e.number(), kParseError);
    EXPECT_EQ(e.description().rfind("Error parsing Zenrod XML Data\r\nAn invalid character was found in text content.\r\n"
                                    "Line   : " + std::to_string(c.line) + "\r\nSource : ", 0),
              0u)
        << e.description();
    // The description is text: the offending bytes are shown as U+FFFD.
    EXPECT_EQ(e.description().find('\0'), std::string::npos);
    EXPECT_EQ(e.description().find('\xFF'), std::string::npos);
  }
}

TEST(HostileFiles, Utf16AndWindows1252AreDecoded) {
  const std::string catalogue = Catalogue("<A_CPT><Bögen Description=\"90° – €\"/></A_CPT><A_SKEY><SKEY>Ω€</SKEY></A_SKEY>");
  Fixture utf8(catalogue);
  std::string utf8Dump = utf8.dir.path() + "/utf8.xml";
  utf8.pipedex.DumpXML(utf8Dump);

  // The same catalogue in UTF-16 with a byte order mark, little- and big-endian.
  std::u32string chars;
  for (std::size_t i = 0; i < catalogue.size();) {
    unsigned char c = static_cast<unsigned char>(catalogue[i]);
    int n = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
    char32_t cp = n == 1 ? c : c & (0x7F >> n);
    for (int k = 1; k < n; ++k) cp = (cp << 6) | (static_cast<unsigned char>(catalogue[i + k]) & 0x3F);
    chars.push_back(cp);
    i += static_cast<std::size_t>(n);
  }
  for (bool bigEndian : {false, true}) {
    std::string utf16 = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (char32_t cp : chars) {
      char hi = static_cast<char>(cp >> 8), lo = static_cast<char>(cp & 0xFF);
      utf16 += bigEndian ? std::string{hi, lo} : std::string{lo, hi};
    }
    Fixture f(utf16);
    EXPECT_EQ(f.pipedex.GetGroup(1), "Bögen");
    EXPECT_EQ(f.pipedex.GetSKEY(1), "Ω€");
    f.pipedex.DumpXML(f.dir.path() + "/utf16.xml");
    EXPECT_EQ(ReadFile(f.dir.path() + "/utf16.xml"), ReadFile(utf8Dump));  // saved as UTF-8, like the original
  }

  // UTF-8 with a byte order mark is read where it lies, like plain UTF-8.
  Fixture bom("\xEF\xBB\xBF" + catalogue);
  EXPECT_EQ(bom.pipedex.GetSKEY(1), "Ω€");
  Fixture bomBroken("\xEF\xBB\xBF" + Catalogue("<A_SKEY>\n<SKEY>\x01</SKEY></A_SKEY>"));
  EXPECT_NE(InitialisationError(bomBroken.pipedex).description().find("Line   : 4\r\n"), std::string::npos);

  // windows-1252, including the characters 0x80 to 0x9F that differ from Latin-1.
  Fixture cp1252("<?xml version=\"1.0\" encoding=\"windows-1252\"?>\n<ZENROD-ISOMETRICS-DATA><A_SKEY>"
                 "<SKEY>\x80\x82\x8A\x91\x92\x93\x94\x96\x97\x99\x9F\xE4</SKEY></A_SKEY></ZENROD-ISOMETRICS-DATA>");
  EXPECT_EQ(cp1252.pipedex.GetSKEY(1), "€‚Š‘’“”–—™Ÿä");
}

TEST(HostileFiles, TruncatedAndEmptyFilesAreParseErrors) {
  std::string sample = ReadFile(SampleDataDir() + "/SystemPipedex.xml");
  Fixture truncated(sample.substr(0, sample.size() / 2));
  Error e = InitialisationError(truncated.pipedex);
  EXPECT_EQ(e.number(), kParseError);
  EXPECT_EQ(e.description().rfind("Error parsing Zenrod XML Data\r\n", 0), 0u);
  EXPECT_EQ(e.description().find("Line   : 1\r\n"), std::string::npos);  // the error is not placed at the start

  for (const std::string empty : {"", "   \n", "\xEF\xBB\xBF", "\xFF\xFE", "<?xml version=\"1.0\"?>"}) {
    Fixture f(empty);
    Error error = InitialisationError(f.pipedex);
    EXPECT_EQ(error.number(), kParseError);
    EXPECT_EQ(InitialisationError(f.pipedex).number(), kParseError);  // and again on the next call
  }
}

TEST(HostileFiles, ProjectFilesAndLanguageVariantsAreReadTheSameWay) {
  TempDir secretDir;
  std::string secret = secretDir.Write("secret.txt", "TOP-SECRET-CONTENT");
  Fixture f(Catalogue("<A_CPT><Pipes><Pipe PCFTYPE=\"PIPE\"><SKEY>PIPE</SKEY></Pipe></Pipes></A_CPT><A_SKEY/>"));
  auto projectError = [&](const std::string& text) {
    return ErrorOf([&] { f.pipedex.LoadProjectXML(f.dir.Write("project.xml", text)); });
  };
  for (const std::string& bad : {std::string("<ZENROD-ISOMETRICS-DATA>\xFF</ZENROD-ISOMETRICS-DATA>"),
                                std::string("<ZENROD-ISOMETRICS-DATA/>") + '\0', std::string(""),
                                std::string("<ZENROD-ISOMETRICS-DATA><U_SKEY>")}) {
    Error e = projectError(bad);
    EXPECT_EQ(e.number(), -2147220973);  // 0x80040213
    EXPECT_EQ(e.description().rfind("Error parsing Project XML Data\r\n", 0), 0u) << e.description();
  }
  EXPECT_EQ(f.pipedex.GroupCount(), 1);

  // Deep nesting and entities inside overlay sections are merged as they are.
  std::string open, close;
  for (int i = 0; i < 100000; ++i) open += "<n>", close += "</n>";
  EXPECT_TRUE(f.pipedex.LoadProjectXML(f.dir.Write(
      "deep.xml", "<!DOCTYPE ZENROD-ISOMETRICS-DATA [<!ENTITY file SYSTEM \"" + secret +
                      "\">]><ZENROD-ISOMETRICS-DATA><U_CPT><Deep Note=\"&file;\"><Bend>" + open + close +
                      "<SKEY>&file;</SKEY></Bend></Deep></U_CPT><U_SKEY><SKEY>" + open + "DE" + close +
                      "</SKEY></U_SKEY></ZENROD-ISOMETRICS-DATA>")));
  EXPECT_EQ(f.pipedex.GroupCount(), 2);
  EXPECT_EQ(f.pipedex.GetSKEY(1), "DE");
  EXPECT_EQ(f.pipedex.FindSKEYs("Bend"), 1);
  EXPECT_EQ(f.pipedex.GetSKEYAttribute("&file;", "Description"), "");
  f.pipedex.DumpXML(f.dir.path() + "/merged.xml");
  EXPECT_EQ(ReadFile(f.dir.path() + "/merged.xml").find("TOP-SECRET"), std::string::npos);

  // A language variant that is not text fails the initialisation as a whole.
  Fixture german(Catalogue("<A_CPT><Pipes/></A_CPT>"), {"de", "AT"});
  german.dir.Write("SystemPipedex.de.xml", Catalogue("<A_CPT><Pipes Description=\"R\xF6hren\"/></A_CPT>"));
  Error e = InitialisationError(german.pipedex);
  EXPECT_EQ(e.number(), -2147220987);  // 0x80040205
  EXPECT_NE(e.description().find("Error parsing Zenrod XML Data\r\nAn invalid character"), std::string::npos);
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

TEST(HostileFiles, AHundredMegabyteFileLoadsInBoundedTimeAndMemory) {
  TempDir dir;
  std::string path = dir.path() + "/SystemPipedex.xml";
  {
    std::ofstream out(path, std::ios::binary);
    out << Catalogue("").substr(0, Catalogue("").rfind("</"));
    out << "<A_SKEY><SKEY Description=\"elbow\">ELBW</SKEY></A_SKEY><SYMBOLS>\n";
    const std::string symbol = "<SYMBOL Name=\"S\" Shape=\"arc 0,0 10,10 90\"><Line>0 0 10 10</Line></SYMBOL>\n";
    for (std::size_t written = 0; written < 100u * 1024 * 1024; written += symbol.size()) out << symbol;
    out << "</SYMBOLS></ZENROD-ISOMETRICS-DATA>\n";
  }
  auto start = std::chrono::steady_clock::now();
  auto [peakKb, exitCode] = InChild([&] {
    Pipedex p(std::make_shared<TestPlatform>(dir.path()));
    return p.SKEYCount() == 1 && p.GetSKEY(1) == "ELBW";
  });
  EXPECT_EQ(exitCode, 0);
  EXPECT_LT(SecondsSince(start), 60.0);
  // The file, its parsed form and the test's own memory, about 6 times the
  // file's size; the sanitizers add their shadow memory and bookkeeping.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
  constexpr long kLimitKb = 4L * 1024 * 1024;
#else
  constexpr long kLimitKb = 1L * 1024 * 1024;
#endif
  EXPECT_LT(peakKb, kLimitKb) << peakKb << " kB";
  std::cout << "[ measure  ] 100 MB file: " << SecondsSince(start) << " s, peak " << peakKb / 1024 << " MB\n";

  // A file truncated in the middle of that size is reported like any other.
  ASSERT_EQ(::truncate(path.c_str(), 60L * 1024 * 1024), 0);
  Pipedex truncated(std::make_shared<TestPlatform>(dir.path()));
  Error e = InitialisationError(truncated);
  EXPECT_EQ(e.number(), kParseError);
}

}  // namespace
}  // namespace pipedex::testing
