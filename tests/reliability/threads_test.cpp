// Separate instances on separate threads share nothing: eight threads, each
// with its own instance, run one fixed random sequence of calls over every
// operation of the batch protocol and must give exactly the answers of a
// single-threaded run of the same sequence.

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <random>
#include <thread>

#include "protocol.h"
#include "test_support.h"

namespace pipedex::testing {
namespace {

// The arguments one call may use, drawn once for the whole sequence.
struct Draw {
  std::string a, b, c;
  std::int32_t n = 0;
  double angle = 0;
};

// What each thread needs besides its instance: where it may save.
struct Context {
  std::string dumpPath;
  std::string projectPath;
};

// Every operation and property of the batch protocol, in name order.
struct Calls {
  cli::OperationTable table = cli::BuildOperationTable();
  std::vector<const cli::Operation*> operations;
  std::vector<const cli::Property*> setters;
  Calls() {
    for (const auto& [name, op] : table.operations()) operations.push_back(&op);
    for (const auto& [name, property] : table.setters()) setters.push_back(&property);
  }
  std::size_t size() const { return operations.size() + setters.size(); }
};

// One call as the batch protocol makes it, its answer as one JSON line. Calls
// that change the catalogue or touch a file come up rarely; their file names
// are the thread's own.
std::string Answer(Pipedex& p, const Calls& calls, std::size_t k, const Draw& d, const Context& c) {
  if (k >= calls.operations.size()) {
    const cli::Property& property = *calls.setters[k - calls.operations.size()];
    const double value = std::abs(d.angle) / 10;
    property.set(p, cli::ArgValue(std::in_place_type<double>, value));
    return property.name;
  }
  const cli::Operation& op = *calls.operations[k];
  if (op.effect != cli::Effect::None && d.n % 8 != 0) return "";
  cli::Args args;
  const std::string* texts[] = {&d.a, &d.b, &d.c};
  for (std::size_t i = 0; i < op.params.size(); ++i) {
    switch (op.params[i].type) {
      case cli::ArgType::String: args.values.emplace_back(*texts[i % 3]); break;
      case cli::ArgType::Long: args.values.emplace_back(d.n); break;
      case cli::ArgType::Double: args.values.emplace_back(d.angle); break;
      case cli::ArgType::Bool: args.values.emplace_back(false); break;
    }
  }
  if (op.effect == cli::Effect::ReadsFile) args.Str(0) = c.projectPath;
  if (op.effect == cli::Effect::WritesFile) args.Str(0) = c.dumpPath;
  bool componentError = false;
  std::string answer = cli::Dump(cli::Run(p, op, args, componentError));
  if (op.effect == cli::Effect::WritesFile) answer += std::to_string(std::hash<std::string>()(ReadFile(c.dumpPath)));
  return answer;
}

struct Step {
  std::size_t call;
  Draw draw;
};

std::unique_ptr<Pipedex> NewInstance() {
  return std::make_unique<Pipedex>(std::make_shared<TestPlatform>(SampleDataDir(), LocaleNames{"de", "DE"}));
}

// A fixed sequence: the same seed gives the same steps on every run.
std::vector<Step> Sequence(std::size_t length, std::size_t callKinds) {
  auto instance = NewInstance();
  Pipedex& p = *instance;
  std::vector<std::string> names = {"", "ELBW", "EL**", "BW", "bw--", "Welds", "x' or '1'='1", " Tee ", "Elbow-90-V"};
  for (std::int32_t i = 1; i <= p.GroupCount(); ++i) names.push_back(p.GetGroup(i));
  for (std::int32_t i = 1; i <= p.SKEYCount(); ++i) names.push_back(p.GetSKEY(i));
  for (std::int32_t i = 1; i <= p.EndPrepCount(); ++i) names.push_back(p.GetEndPrep(i));
  for (std::int32_t i = 1; i <= p.ConfigurationCount(); ++i) names.push_back(p.GetConfiguration(i));
  p.FindComponentTypes("", "", "");
  for (std::int32_t i = 1; i <= p.ComponentTypeCount(); ++i) names.push_back(p.GetComponentType(i));
  for (std::int32_t i = 1; i <= p.PCFTYPECount(); ++i) names.push_back(p.GetPCFTYPE(i));
  const double angles[] = {0, 22.5, 30, 45, 50, 60, 89.5, 90, 135, -45};

  std::mt19937 random(20240611);
  auto pick = [&](std::size_t n) { return static_cast<std::size_t>(random() % n); };
  std::vector<Step> steps(length);
  for (Step& s : steps) {
    s.call = pick(callKinds);
    s.draw = {names[pick(names.size())], names[pick(names.size())], names[pick(names.size())],
              static_cast<std::int32_t>(pick(120)) - 2, angles[pick(std::size(angles))]};
  }
  return steps;
}

std::vector<std::string> RunSequence(const std::vector<Step>& steps, const Calls& calls, const Context& context) {
  auto p = NewInstance();
  std::vector<std::string> answers;
  for (const Step& step : steps) answers.push_back(Answer(*p, calls, step.call, step.draw, context));
  return answers;
}

TEST(Threads, EightInstancesOnEightThreadsAnswerLikeOne) {
  TempDir dir;
  const Calls calls;
  const auto steps = Sequence(600, calls.size());
  const std::string project = PIPEDEX_SOURCE_DIR "/examples/ProjectPipedex.xml";
  const auto expected = RunSequence(steps, calls, {dir.path() + "/single.xml", project});

  constexpr int kThreads = 8;
  std::vector<std::vector<std::string>> answers(kThreads);
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    Context context{dir.path() + "/thread-" + std::to_string(t) + ".xml", project};
    threads.emplace_back([&, t, context] { answers[static_cast<std::size_t>(t)] = RunSequence(steps, calls, context); });
  }
  for (auto& thread : threads) thread.join();

  for (int t = 0; t < kThreads; ++t) {
    ASSERT_EQ(answers[static_cast<std::size_t>(t)].size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i)
      ASSERT_EQ(answers[static_cast<std::size_t>(t)][i], expected[i]) << "thread " << t << ", call " << i;
  }
  // The sequence reached the catalogue, not only errors.
  std::size_t errors = 0;
  for (const auto& a : expected) errors += a.rfind("{\"error\"", 0) == 0;
  EXPECT_LT(errors, expected.size() / 4);
}

}  // namespace
}  // namespace pipedex::testing
