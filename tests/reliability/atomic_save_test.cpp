// DumpXML replaces its target in one step: a save that fails raises and
// leaves an existing file exactly as it was.

#include <gtest/gtest.h>

#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>
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

TEST(AtomicSave, TargetsThatAreNotPlainWritableFilesAreRefusedUnchanged) {
  Fixture f(LargeCatalogue());
  const std::string d = f.dir.path();
  std::ofstream(d + "/readonly.xml") << "old content";
  ::chmod((d + "/readonly.xml").c_str(), 0444);
  std::ofstream(d + "/linked.xml") << "old content";
  ASSERT_EQ(::link((d + "/linked.xml").c_str(), (d + "/other-name.xml").c_str()), 0);
  ASSERT_EQ(::mkfifo((d + "/fifo").c_str(), 0644), 0);
  ASSERT_EQ(::symlink("fifo", (d + "/link-to-fifo").c_str()), 0);
  ASSERT_EQ(::symlink("loop-b", (d + "/loop-a").c_str()), 0);
  ASSERT_EQ(::symlink("loop-a", (d + "/loop-b").c_str()), 0);
  const bool device = ::mknod((d + "/null").c_str(), S_IFCHR | 0666, ::makedev(1, 3)) == 0;
  const struct {
    std::string target, why;
  } cases[] = {
      {d + "/readonly.xml", "the file is read-only"},
      {d + "/linked.xml", "the file has 1 other name(s) (hard links)"},
      {d + "/fifo", "it is not a regular file"},
      {d + "/link-to-fifo", "it is not a regular file"},
      {d + "/loop-a", std::strerror(ELOOP)},
      {d + "/null", "it is not a regular file"},
      {d + std::string("/a.xml\0.bak", 12), std::strerror(EINVAL)},
  };
  for (const auto& c : cases) {
    if (c.target == d + "/null" && !device) continue;
    SCOPED_TRACE(c.target);
    Error e = ErrorOf([&] { f.pipedex.DumpXML(c.target); });
    EXPECT_EQ(e.number(), kXmlServiceError);
    EXPECT_EQ(e.description().substr(e.description().size() - c.why.size()), c.why) << e.description();
  }
  EXPECT_EQ(ReadFile(d + "/readonly.xml"), "old content");
  EXPECT_EQ(ReadFile(d + "/other-name.xml"), "old content");
  struct stat st {};
  ASSERT_EQ(::lstat((d + "/link-to-fifo").c_str(), &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode));
  EXPECT_TRUE(!device || (::stat((d + "/null").c_str(), &st) == 0 && S_ISCHR(st.st_mode)));
  EXPECT_FALSE(std::filesystem::exists(d + "/a.xml"));
}

TEST(AtomicSave, LinksAreFollowedAndOwnerModeAndUmaskKept) {
  Fixture f(LargeCatalogue());
  const std::string d = f.dir.path();
  const std::string reference = d + "/reference.xml";
  f.pipedex.DumpXML(reference);
  const std::string expected = ReadFile(reference);
  // A link to a file, and a link to a file not yet there: the file they name is written.
  std::ofstream(d + "/real.xml") << "old content";
  ::chmod((d + "/real.xml").c_str(), 0640);
  const bool chowned = ::chown((d + "/real.xml").c_str(), 12345, 23456) == 0;
  ASSERT_EQ(::symlink("real.xml", (d + "/link.xml").c_str()), 0);
  ASSERT_EQ(::symlink((d + "/new/../fresh.xml").c_str(), (d + "/dangling.xml").c_str()), 0);
  std::filesystem::create_directories(d + "/new");
  const mode_t previous = ::umask(077);
  f.pipedex.DumpXML(d + "/link.xml");
  f.pipedex.DumpXML(d + "/dangling.xml");
  f.pipedex.DumpXML(d + "/private.xml");
  ::umask(previous);
  struct stat st {};
  ASSERT_EQ(::lstat((d + "/link.xml").c_str(), &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode));
  EXPECT_EQ(ReadFile(d + "/real.xml"), expected);
  EXPECT_EQ(ReadFile(d + "/fresh.xml"), expected);
  ASSERT_EQ(::stat((d + "/real.xml").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
  EXPECT_TRUE(!chowned || (st.st_uid == 12345 && st.st_gid == 23456));
  ASSERT_EQ(::stat((d + "/private.xml").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);  // a new file gets the umask
  EXPECT_EQ(FileNames(d), (std::vector<std::string>{"SystemPipedex.xml", "dangling.xml", "fresh.xml", "link.xml", "new",
                                                    "private.xml", "real.xml", "reference.xml"}));
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
