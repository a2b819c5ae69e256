// Separate instances on separate threads share nothing: eight threads, each
// with its own instance, make one fixed random sequence of calls over every
// operation and property of the batch protocol and must give exactly the
// answers of the same sequence made on one thread alone.

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <thread>

#include "operation_sweep.h"
#include "test_support.h"

namespace pipedex::testing {
namespace {

std::vector<std::string> Answers() {
  TempDir files;  // the files this sequence reads and writes
  files.Write("project.xml", ReadFile(PIPEDEX_SOURCE_DIR "/examples/ProjectPipedex.xml"));
  const OperationSweep sweep(files.path());
  const cli::Property& tolerance = sweep.table.setters().begin()->second;
  auto p = NewInstance(SampleDataDir(), "de_DE");
  const auto pool = NamePool(*p);
  std::vector<std::string> answers;
  std::mt19937 random(20240611);
  for (int i = 0; i < 700; ++i) {
    const std::size_t k = random(), pick = k % (sweep.operations.size() + 1);
    if (pick == sweep.operations.size()) {
      tolerance.set(*p, cli::ArgValue(static_cast<double>(k % 90) / 10));
      continue;
    }
    const cli::Operation& op = *sweep.operations[pick];
    // Calls that change the catalogue or touch a file come up rarely.
    if (op.effect != cli::Effect::None && k % 8 != 0) continue;
    std::string answer = OperationSweep::Answer(*p, op, OperationSweep::Arguments(op, pool, k / 64));
    for (auto at = answer.find(files.path()); at != std::string::npos; at = answer.find(files.path()))
      answer.replace(at, files.path().size(), "FOLDER");  // each sequence has a folder of its own
    answers.push_back(answer);
    if (op.effect == cli::Effect::WritesFile) answers.back() += files.Read("dump.xml");
  }
  return answers;
}

TEST(Threads, EightInstancesOnEightThreadsAnswerLikeOne) {
  const auto expected = Answers();
  std::vector<std::vector<std::string>> answers(8);
  std::vector<std::thread> threads;
  for (auto& a : answers) threads.emplace_back([&a] { a = Answers(); });
  for (auto& thread : threads) thread.join();
  for (const auto& a : answers) {
    ASSERT_EQ(a.size(), expected.size());
    for (std::size_t i = 0; i < a.size(); ++i) ASSERT_EQ(a[i], expected[i]) << "call " << i;
  }
  // The sequence reached the catalogue, not only errors.
  const auto isError = [](const std::string& a) { return a.rfind("{\"error\"", 0) == 0; };
  EXPECT_LT(std::count_if(expected.begin(), expected.end(), isError), std::ssize(expected) / 4);
}

}  // namespace
}  // namespace pipedex::testing
