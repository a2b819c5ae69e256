// DumpXML replaces its target in one step: a save that fails raises and
// leaves an existing file exactly as it was.

#include <gtest/gtest.h>

#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>

#include "test_support.h"

namespace pipedex::testing {
namespace {

constexpr std::int32_t kXmlServiceError = static_cast<std::int32_t>(0x80004005);

std::vector<std::string> FileNames(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

// A catalogue whose saved form is about 100 kB.
std::string LargeCatalogue() {
  std::string skeys;
  for (int i = 0; i < 2500; ++i) skeys += "<SKEY Description=\"generated " + std::to_string(i) + "\">S" + std::to_string(i) + "</SKEY>";
  return Catalogue("<A_CPT><Pipes><Pipe PCFTYPE=\"PIPE\"><SKEY>S1</SKEY></Pipe></Pipes></A_CPT><A_SKEY>" + skeys +
                   "</A_SKEY>");
}

// Saves and expects the error of a failing save.
void ExpectSaveFails(Pipedex& p, const std::string& target) {
  try {
    p.DumpXML(target);
    ADD_FAILURE() << "saving to " << target << " succeeded";
  } catch (const Error& e) {
    EXPECT_EQ(e.number(), kXmlServiceError);
    EXPECT_EQ(e.source(), "Pipedex");
    EXPECT_NE(e.description().find(target), std::string::npos) << e.description();
  }
}

// A tmpfs mounted for the test (needs the privilege to mount).
struct SmallFilesystem {
  SmallFilesystem(const std::string& where, const char* options, unsigned long flags = 0) : path(where) {
    std::filesystem::create_directories(path);
    mounted = ::mount("tmpfs", path.c_str(), "tmpfs", flags, options) == 0;
  }
  ~SmallFilesystem() {
    if (mounted) ::umount2(path.c_str(), MNT_DETACH);
  }
  std::string path;
  bool mounted = false;
};

TEST(AtomicSave, ReplacesTheTargetWithTheSameBytesEveryTime) {
  Fixture f(LargeCatalogue());
  const std::string target = f.dir.path() + "/saved.xml";
  f.pipedex.DumpXML(target);
  const std::string first = ReadFile(target);
  EXPECT_EQ(first.rfind("<?xml version=\"1.0\" encoding=\"UTF-8\"?>", 0), 0u);
  ::chmod(target.c_str(), 0600);
  f.pipedex.DumpXML(target);  // over the existing file
  EXPECT_EQ(ReadFile(target), first);
  struct stat st {};
  ASSERT_EQ(::stat(target.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);  // a replaced file keeps its permissions
  EXPECT_EQ(FileNames(f.dir.path()), (std::vector<std::string>{"SystemPipedex.xml", "saved.xml"}));
  // The temporary name fits wherever the target's name fits.
  const std::string longName = f.dir.path() + "/" + std::string(250, 'n') + ".xml";
  f.pipedex.DumpXML(longName);
  EXPECT_EQ(ReadFile(longName), first);
}

TEST(AtomicSave, AFailingSaveRaisesAndLeavesTheExistingFileUntouched) {
  Fixture f(LargeCatalogue());
  const std::string reference = f.dir.path() + "/reference.xml";
  f.pipedex.DumpXML(reference);
  const std::string expected = ReadFile(reference);

  ExpectSaveFails(f.pipedex, "/proc/self/pipedex-dump.xml");
  ExpectSaveFails(f.pipedex, f.dir.path() + "/no/such/folder/dump.xml");
  std::filesystem::create_directories(f.dir.path() + "/a-folder");
  ExpectSaveFails(f.pipedex, f.dir.path() + "/a-folder");  // the target is a folder
  EXPECT_TRUE(std::filesystem::is_directory(f.dir.path() + "/a-folder"));

  // A file size limit makes the write fail half-way, as a full disk would.
  const std::string existing = f.dir.path() + "/existing.xml";
  std::ofstream(existing) << "old content";
  struct rlimit saved {};
  ::getrlimit(RLIMIT_FSIZE, &saved);
  auto previous = std::signal(SIGXFSZ, SIG_IGN);
  struct rlimit small = saved;
  small.rlim_cur = 16 * 1024;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  ExpectSaveFails(f.pipedex, existing);
  ::setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, previous);
  EXPECT_EQ(ReadFile(existing), "old content");

  EXPECT_EQ(FileNames(f.dir.path()),
            (std::vector<std::string>{"SystemPipedex.xml", "a-folder", "existing.xml", "reference.xml"}));
  f.pipedex.DumpXML(existing);  // once the cause is gone, the same save succeeds
  EXPECT_EQ(ReadFile(existing), expected);
}

TEST(AtomicSave, FullAndReadOnlyFilesystems) {
  Fixture f(LargeCatalogue());
  const std::string reference = f.dir.path() + "/reference.xml";
  f.pipedex.DumpXML(reference);
  const std::string expected = ReadFile(reference);

  SmallFilesystem full(f.dir.path() + "/full", "size=64k");
  if (!full.mounted) GTEST_SKIP() << "mounting a tmpfs is not permitted here";
  const std::string target = full.path + "/catalogue.xml";
  std::ofstream(target) << "old content";
  ExpectSaveFails(f.pipedex, target);
  EXPECT_EQ(ReadFile(target), "old content");
  EXPECT_EQ(FileNames(full.path), std::vector<std::string>{"catalogue.xml"});

  SmallFilesystem roomy(f.dir.path() + "/roomy", "size=1m");
  ASSERT_TRUE(roomy.mounted);
  f.pipedex.DumpXML(roomy.path + "/catalogue.xml");
  EXPECT_EQ(ReadFile(roomy.path + "/catalogue.xml"), expected);

  SmallFilesystem readOnly(f.dir.path() + "/readonly", "size=64k", MS_RDONLY);
  ASSERT_TRUE(readOnly.mounted);
  ExpectSaveFails(f.pipedex, readOnly.path + "/catalogue.xml");
}

}  // namespace
}  // namespace pipedex::testing
