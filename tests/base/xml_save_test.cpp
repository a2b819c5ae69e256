// DumpXML replaces its target in one step: a save that fails raises and
// leaves an existing file exactly as it was.

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "test_support.h"

namespace pipedex::testing {
namespace {

std::vector<std::string> FileNames(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

// A catalogue whose saved form is about 100 kB, in a file without the declaration that the save adds.
std::string LargeCatalogue() {
  std::string skeys;
  for (int i = 0; i < 2500; ++i) skeys += "<SKEY Description=\"generated " + std::to_string(i) + "\">S" + std::to_string(i) + "</SKEY>";
  const std::string text = Catalogue("<A_CPT><Pipes><Pipe PCFTYPE=\"PIPE\"><SKEY>S1</SKEY></Pipe></Pipes></A_CPT><A_SKEY>" +
                                     skeys + "</A_SKEY>");
  return text.substr(text.find('\n') + 1);
}

// A failing save raises the error of the XML service, naming the target and ending with why.
void ExpectSaveFails(Pipedex& p, const std::string& target, const std::string& why = "") {
  EXPECT_THAT(Raised([&] { p.DumpXML(target); }),
              AllOf(StartsWith("-2147467259 Pipedex: "), HasSubstr(target.c_str()), ::testing::EndsWith(why)));
}

// A save writes the same bytes every time, over an existing file keeping its
// owner and mode, through links to the file they name, and a new file gets the umask.
TEST(AtomicSave, ReplacesTheTargetKeepingOwnerAndModeAndWritesThroughLinks) {
  Fixture f(LargeCatalogue());
  const std::string d = f.dir.path();
  f.pipedex.DumpXML(d + "/saved.xml");
  const std::string expected = ReadFile(d + "/saved.xml");
  EXPECT_EQ(expected.rfind("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<ZENROD-ISOMETRICS-DATA>\n\t<A_CPT>", 0), 0u);
  std::ofstream(d + "/real.xml") << "old content";
  ::chmod((d + "/real.xml").c_str(), 0640);
  const bool chowned = ::chown((d + "/real.xml").c_str(), 12345, 23456) == 0;
  ASSERT_EQ(::symlink("real.xml", (d + "/link.xml").c_str()), 0);
  ASSERT_EQ(::symlink((d + "/new/../fresh.xml").c_str(), (d + "/dangling.xml").c_str()), 0);
  std::filesystem::create_directories(d + "/new");
  const mode_t previous = ::umask(077);
  // The temporary name fits wherever the target's name fits.
  for (const std::string& name : std::vector<std::string>{"saved.xml", "link.xml", "dangling.xml", "private.xml", std::string(250, 'n') + ".xml"})
    f.pipedex.DumpXML(d + "/" + name);
  ::umask(previous);
  for (const char* name : {"saved.xml", "real.xml", "fresh.xml", "private.xml"}) EXPECT_EQ(ReadFile(d + "/" + name), expected) << name;
  struct stat st {};
  ASSERT_EQ(::lstat((d + "/link.xml").c_str(), &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode));
  ASSERT_EQ(::stat((d + "/real.xml").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
  EXPECT_TRUE(!chowned || (st.st_uid == 12345 && st.st_gid == 23456));
  ASSERT_EQ(::stat((d + "/private.xml").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  EXPECT_EQ(FileNames(d), (std::vector<std::string>{"SystemPipedex.xml", "dangling.xml", "fresh.xml", "link.xml", "new",
                                                    std::string(250, 'n') + ".xml", "private.xml", "real.xml", "saved.xml"}));
}

// An extended attribute's value, or "(none)".
std::string Attribute(const std::string& path, const char* name) {
  char value[256];
  const ssize_t n = ::getxattr(path.c_str(), name, value, sizeof value);
  return n < 0 ? "(none)" : std::string(value, static_cast<std::size_t>(n));
}

// An access control list as the kernel keeps it: its version, then tag,
// permissions and user or group number of each entry.
std::string AccessList(std::initializer_list<std::array<std::uint32_t, 3>> entries) {
  std::string list("\x02\0\0\0", 4);
  for (const auto& [tag, perm, id] : entries) {
    const std::uint16_t half[2] = {static_cast<std::uint16_t>(tag), static_cast<std::uint16_t>(perm)};
    list.append(reinterpret_cast<const char*>(half), 4).append(reinterpret_cast<const char*>(&id), 4);
  }
  return list;
}

// Who may write a replaced file does not change: its access control list
// (user 12345 may write it) and other extended attributes are kept, and a
// list its folder would hand down is not added to a file that had none.
TEST(AtomicSave, KeepsExtendedAttributesAndTheAccessControlList) {
  Fixture f(LargeCatalogue());
  const std::string d = f.dir.path(), listed = d + "/listed.xml", plain = d + "/plain.xml";
  constexpr std::uint32_t kAny = 0xFFFFFFFF;
  const std::string access = AccessList({{1, 6, kAny}, {2, 6, 12345}, {4, 4, kAny}, {0x10, 6, kAny}, {0x20, 0, kAny}});
  for (const std::string& file : {listed, plain}) std::ofstream(file) << "old content";
  if (::setxattr(listed.c_str(), "system.posix_acl_access", access.data(), access.size(), 0) != 0 ||
      ::setxattr(listed.c_str(), "user.origin", "plant", 5, 0) != 0 ||
      ::setxattr(d.c_str(), "system.posix_acl_default", access.data(), access.size(), 0) != 0)
    GTEST_SKIP() << "no access control lists here: " << std::strerror(errno);
  for (const std::string& file : {listed, plain}) f.pipedex.DumpXML(file);
  EXPECT_NE(ReadFile(listed), "old content");
  EXPECT_EQ(Attribute(listed, "system.posix_acl_access"), access);
  EXPECT_EQ(Attribute(listed, "user.origin"), "plant");
  EXPECT_EQ(Attribute(plain, "system.posix_acl_access"), "(none)");
}

TEST(AtomicSave, AFailingSaveRaisesAndLeavesTheTargetAsItWas) {
  Fixture f(LargeCatalogue());
  const std::string d = f.dir.path();
  for (const char* name : {"readonly.xml", "linked.xml", "existing.xml"}) std::ofstream(d + "/" + name) << "old content";
  ::chmod((d + "/readonly.xml").c_str(), 0444);
  ASSERT_EQ(::link((d + "/linked.xml").c_str(), (d + "/other-name.xml").c_str()), 0);
  ASSERT_EQ(::mkfifo((d + "/fifo").c_str(), 0644), 0);
  ASSERT_EQ(::symlink("fifo", (d + "/link-to-fifo").c_str()), 0);
  ASSERT_EQ(::symlink("loop-b", (d + "/loop-a").c_str()), 0);
  ASSERT_EQ(::symlink("loop-a", (d + "/loop-b").c_str()), 0);
  std::filesystem::create_directories(d + "/a-folder");
  const bool device = ::mknod((d + "/null").c_str(), S_IFCHR | 0666, ::makedev(1, 3)) == 0;
  const std::pair<std::string, std::string> targets[] = {
      {"/proc/self/pipedex-dump.xml", ""}, {d + "/no/such/folder/dump.xml", ""}, {d + "/a-folder", ""},
      {d + "/readonly.xml", "the file is read-only"}, {d + "/linked.xml", "the file has 1 other name(s) (hard links)"},
      {d + "/fifo", "it is not a regular file"}, {d + "/link-to-fifo", "it is not a regular file"},
      {d + "/loop-a", std::strerror(ELOOP)}, {device ? d + "/null" : d + "/fifo", "it is not a regular file"},
      {d + std::string("/a.xml\0.bak", 12), std::strerror(EINVAL)},
  };
  for (const auto& [target, why] : targets) ExpectSaveFails(f.pipedex, target, why);

  // A file size limit makes the write fail half-way, as a full disk would.
  struct rlimit saved {};
  ::getrlimit(RLIMIT_FSIZE, &saved);
  auto previous = std::signal(SIGXFSZ, SIG_IGN);
  struct rlimit small = saved;
  small.rlim_cur = 16 * 1024;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  ExpectSaveFails(f.pipedex, d + "/existing.xml");
  ::setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, previous);

  for (const char* name : {"readonly.xml", "other-name.xml", "existing.xml"}) EXPECT_EQ(ReadFile(d + "/" + name), "old content");
  struct stat st {};
  ASSERT_EQ(::lstat((d + "/link-to-fifo").c_str(), &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode));
  EXPECT_TRUE(!device || (::stat((d + "/null").c_str(), &st) == 0 && S_ISCHR(st.st_mode)));
  EXPECT_TRUE(std::filesystem::is_directory(d + "/a-folder"));
  std::vector<std::string> names = {"SystemPipedex.xml", "a-folder", "existing.xml", "fifo", "link-to-fifo", "linked.xml",
                                    "loop-a", "loop-b", "null", "other-name.xml", "readonly.xml"};
  if (!device) names.erase(names.begin() + 8);
  EXPECT_EQ(FileNames(d), names);  // no temporary file is left behind
  f.pipedex.DumpXML(d + "/existing.xml");  // once the cause is gone, the same save succeeds
  EXPECT_NE(ReadFile(d + "/existing.xml"), "old content");
}

}  // namespace
}  // namespace pipedex::testing
