// Every allocation (operator new and the parser's) and every file system call of the library fails in turn, one per
// run: each run ends with its normal answer or a pipedex::Error (out of memory for an allocation), leaves the saved
// file old or new and no temporary file, and the instance answers once nothing fails. Needs PIPEDEX_FAULT_INJECTION.
#include <gtest/gtest.h>

#include <functional>
#include <new>

#include "base/sys_calls.h"
#include "pipedex/check.h"
#include "pipedex/pipedex.h"
#include "temp_dir.h"

using std::align_val_t, std::nothrow_t, std::size_t;
static long allocations = 0, allocationsToFailure = 0;  // 0: none fails
static void* Allocate(size_t size, size_t alignment = 0) {
  if (++allocations, allocationsToFailure > 0 && --allocationsToFailure == 0) return nullptr;
  if (alignment <= alignof(std::max_align_t)) return std::malloc(size ? size : 1);
  return std::aligned_alloc(alignment, (size / alignment + 1) * alignment);
}
static void* OrThrow(void* p) { return p ? p : throw std::bad_alloc(); }
#define NEW_AND_ARRAY(parameters, body) void* operator new parameters body void* operator new[] parameters body
NEW_AND_ARRAY((size_t n), { return OrThrow(Allocate(n)); })
NEW_AND_ARRAY((size_t n, align_val_t a), { return OrThrow(Allocate(n, size_t(a))); })
NEW_AND_ARRAY((size_t n, const nothrow_t&) noexcept, { return Allocate(n); })
NEW_AND_ARRAY((size_t n, align_val_t a, const nothrow_t&) noexcept, { return Allocate(n, size_t(a)); })
#define FREED_BY(...) void operator delete(void* p __VA_OPT__(, ) __VA_ARGS__) noexcept { std::free(p); } \
  void operator delete[](void* p __VA_OPT__(, ) __VA_ARGS__) noexcept { std::free(p); }
FREED_BY() FREED_BY(size_t) FREED_BY(align_val_t) FREED_BY(size_t, align_val_t) FREED_BY(const nothrow_t&)
FREED_BY(align_val_t, const nothrow_t&)

namespace pipedex {
TEST(FaultInjection, EveryFailureEndsCleanly) {
  pugi::set_memory_management_functions([](size_t n) { return Allocate(n); }, std::free);
  testing::TempDir dir;  // the project file lies beside the system file: the load merges it too
  for (std::string name : {"data/SystemPipedex.xml", "data/SystemPipedex.de.xml", "examples/ProjectPipedex.xml"})
    std::filesystem::copy_file(PIPEDEX_SOURCE_DIR "/" + name, dir.File(name.substr(name.find('/') + 1)));
  const std::string system = dir.File("SystemPipedex.xml"), project = dir.File("ProjectPipedex.xml"), old = "<old/>",
                    dump = dir.File("dump.xml");  // no allocation of the test's own while failures are injected
  const CheckOptions options{project, "", {"de", "DE"}};
  const struct { const char* name; bool loaded; std::function<void(Pipedex&, std::string&)> run; } scenarios[] = {
      {"first call", false, [](Pipedex& p, std::string& a) {
         a.append(std::to_string(p.GroupCount())).append(p.GetGroup(2)).append(p.GetSKEY(3)).append(p.SystemXMLPath());
         a.append(p.GetEndPrepDescription(p.GetEndPrep(1))).append(std::to_string(p.DefaultElbows().size()));
       }},
      {"save", true, [&](Pipedex& p, std::string&) { p.DumpXML(dump); }},
      {"overlay", true, [&](Pipedex& p, std::string& a) { a.append(std::to_string(p.LoadProjectXML(project))); }},
      {"check", false, [&](Pipedex&, std::string& a) { for (auto& f : CheckCatalogue(system, options)) a += f.code; }}};
  const long stride = std::max(1L, std::atol(std::getenv("PIPEDEX_INJECT_STRIDE") ?: "1"));
  for (const auto& s : scenarios) {
    std::string expected, saved;
    long allocationPoints = 0, callPoints = 0;
    // A run on a new instance with the kth allocation or file system call failing (none for 0).
    const auto attempt = [&](long allocation, long call) {
      Pipedex p(MakeSystemPlatform({dir.path(), dir.File("none.reg"), "de_DE"}));
      if (s.loaded) p.GroupCount();
      dir.Write("dump.xml", old);
      std::string answer, at = std::string(s.name) + " " + std::to_string(allocation) + "/" + std::to_string(call);
      answer.reserve(1 << 16);
      long number = 0, before = allocations, callsBefore = sys::CallsMade();
      allocationsToFailure = allocation, sys::FailCall(call, call % 3 == 0 ? EINTR : call % 2 ? EIO : ENOSPC);
      try { s.run(p, answer); } catch (const Error& e) { number = e.number(); } catch (...) { ADD_FAILURE() << at; }
      allocationsToFailure = 0, sys::FailCall(0, 0);
      if (allocation == 0 && call == 0)  // the reference run
        allocationPoints = allocations - before, callPoints = sys::CallsMade() - callsBefore, expected = answer,
        saved = dir.Read("dump.xml");
      const bool unread = call > 0 && answer.find("missing-file") != std::string::npos;  // the check's own finding
      EXPECT_EQ(number == 0 && !unread ? answer : expected, expected) << at;  // an answer is the normal one
      EXPECT_EQ(number == errors::kOutOfMemory, allocation > 0 && number != 0) << at << " " << number;
      EXPECT_TRUE(dir.Read("dump.xml") == old || dir.Read("dump.xml") == saved) << at;
      EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 4) << at;  // no temporary file
      EXPECT_NE(p.GetSKEY(1), "") << at;  // the instance answers once nothing fails
    };
    attempt(0, 0);
    std::printf("%s: %ld allocations, %ld file system calls\n", s.name, allocationPoints, callPoints);
    for (long k = 1; k <= allocationPoints; k += stride) attempt(k, 0);  // the allocations sampled at the stride
    for (long k = 1; k <= callPoints; ++k) attempt(0, k);                // every file system call
  }
}
}  // namespace pipedex
