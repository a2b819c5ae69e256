// Separate instances on separate threads share nothing: eight threads, each
// with its own instance, run one fixed random sequence of calls and must give
// exactly the answers of a single-threaded run of the same sequence.

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <iomanip>
#include <random>
#include <sstream>
#include <thread>

#include "test_support.h"

namespace pipedex::testing {
namespace {

// The arguments one call may use, drawn once for the whole sequence.
struct Draw {
  std::string a, b, c;
  std::int32_t n = 0;
  double angle = 0;
};

// Writes values separated by "|", doubles exactly.
struct Answer {
  std::ostringstream out;
  Answer() { out << std::setprecision(17); }
  template <typename T>
  Answer& operator<<(const T& value) {
    if constexpr (std::is_same_v<T, pugi::xml_node>) {
      value.print(out, "", pugi::format_raw);
    } else if constexpr (std::is_enum_v<T>) {
      out << static_cast<std::int32_t>(value);
    } else {
      out << value;
    }
    out << "|";
    return *this;
  }
};

// What each thread needs besides its instance: where it may save.
struct Context {
  std::string dumpPath;
  std::string projectPath;
};

using Call = std::function<void(Pipedex&, const Draw&, const Context&, Answer&)>;

std::vector<Call> Calls() {
  std::vector<Call> calls = {
      [](Pipedex& p, const Draw&, const Context&, Answer& r) {
        r << p.GroupCount() << p.ComponentTypeCount() << p.SKEYCount() << p.ConfigurationCount() << p.EndPrepCount()
          << p.OperationCount() << p.PCFTYPECount();
      },
      [](Pipedex& p, const Draw& d, const Context&, Answer& r) {
        r << p.GetGroup(d.n) << p.GetComponentType(d.n) << p.GetSKEY(d.n) << p.GetConfiguration(d.n)
          << p.GetEndPrep(d.n) << p.GetOperation(d.n) << p.GetPCFTYPE(d.n) << p.GetOperationEnum(d.n);
      },
      [](Pipedex& p, const Draw& d, const Context&, Answer& r) {
        r << p.PCFAttributeCheck(d.a) << p.GetPCFAttribute(d.n) << p.GetIDFAttribute(d.a);
      },
      [](Pipedex& p, const Draw& d, const Context&, Answer& r) {
        static const char* by[] = {"Group", "SKEY", "PCFTYPE", "Configuration", ""};
        r << p.FindComponentTypes(d.c, by[static_cast<std::size_t>(d.n) % 5], d.a) << p.GetComponentType(1);
      },
      [](Pipedex& p, const Draw& d, const Context&, Answer& r) {
        std::string group, pcf, config, description;
        r << p.GetComponentTypeData(d.a, group, pcf, config, description) << group << pcf << config << description
          << p.GetComponentTypeAttribute(d.a, d.b) << p.GetComponentTypeDefaultConfiguration(d.a)
          << p.GetComponentTypeDefaultDataEntry(d.a) << p.GetGroupAttribute(d.c, d.b);
      },
      [](Pipedex& p, const Draw& d, const Context&, Answer& r) {
        std::string description, cp1, cp2, cp3, cp4;
        r << p.FindSKEYs(d.a) << p.GetSKEY(1) << p.GetSKEYData(d.b, description, cp1, cp2, cp3, cp4) << description
          << cp1 << cp2 << cp3 << cp4 << p.GetSKEYAttribute(d.b, "Description") << p.GetDefaultCategory(d.b)
          << p.GetIsoPriority(d.b) << p.GetExpectedWeldNumberCount(d.b);
      },
      [](Pipedex& p, const Draw& d, const Context&, Answer& r) {
        r << p.IsTrimmableComponentType(d.a) << p.IsTrimmableEndByComponentType(d.a, d.c) << p.IsTrimmableSKEY(d.b);
      },
      [](Pipedex& p, const Draw& d, const Context&, Answer& r) {
        r << p.OperationEnumToString(static_cast<Operations>(d.n % 12)) << p.OperationStringToEnum(d.c)
          << p.FlagEnumToString(static_cast<Flags>(d.n % 5)) << p.FlagStringToEnum(d.c) << p.FindOperations(d.a)
          << p.GetOperationEnum(1) << p.IsOperationSupported(d.a, static_cast<Operations>(d.n % 11))
          << p.HasFlag(d.a, static_cast<Flags>(d.n % 4));
      },
      [](Pipedex& p, const Draw& d, const Context&, Answer& r) {
        std::string ep = d.c, skey = d.b, allowed = d.c;
        r << p.GetEndPrepDescription(d.c) << p.GetEndPrepAttribute(d.c, "Trimmable") << p.IsPlotraEndPrep(d.c)
          << p.IsEndPrepConsistent(ep, skey) << ep << skey << p.GetDefaultAllowedConnection(allowed) << allowed;
      },
      [](Pipedex& p, const Draw& d, const Context&, Answer& r) {
        bool trimmed = false, trimmed2 = false;
        double standard = 0, standard2 = 0;
        std::string standardType;
        r << p.GetConfigurationForAngle(d.angle) << p.GetComponentTypeByAngle(d.b, d.angle, trimmed) << trimmed;
        p.GetAngleComponentData(d.a, d.angle, trimmed2, standard);
        r << trimmed2 << standard;
        p.GetAngleComponentData2(d.a, d.c, d.c, d.angle, trimmed, standard2, standardType);
        r << trimmed << standard2 << standardType;
        for (const auto& elbow : p.DefaultElbows()) r << elbow.ComponentType << elbow.Angle;
      },
      [](Pipedex& p, const Draw& d, const Context&, Answer& r) {
        p.AngleTolerance(std::abs(d.angle) / 10);
        r << p.AngleTolerance();
      },
      [](Pipedex& p, const Draw& d, const Context&, Answer& r) {
        r << p.FindPCFTYPEs(d.b, d.n) << p.GetPCFTYPE(1) << p.GetDefaultPCFTYPE(d.n) << p.WeldAttributesAllowed(d.n, d.b);
      },
      [](Pipedex& p, const Draw& d, const Context&, Answer& r) {
        std::string valid, validType;
        r << p.GetValidData(d.c, d.b, static_cast<ValidDataMaster>(d.n % 2), valid, validType) << valid << validType
          << p.IsSKEYDefault(d.a) << p.IsPCFTypeDefault(d.a) << p.IsValidPlacement(d.a, d.c, d.b);
      },
      [](Pipedex& p, const Draw& d, const Context&, Answer& r) {
        r << p.GetConvertedBore("MM", "IN", d.angle) << p.GetConvertedBore("IN", "MM", d.n) << p.GetBoreConversionTable()
          << p.GetSystemSymbols() << p.GetProjectSymbols() << p.ProjectXMLPath() << p.UserXMLPath();
      },
      // The calls that change the catalogue or write a file come up rarely.
      [](Pipedex& p, const Draw& d, const Context& c, Answer& r) {
        if (d.n % 8 != 0) return;
        r << p.LoadProjectXML(c.projectPath) << p.GroupCount();
      },
      [](Pipedex& p, const Draw& d, const Context&, Answer& r) {
        if (d.n % 4 != 0) return;
        p.AddSKEY("T" + d.b, d.a, d.b);
        r << p.SKEYCount() << p.FindSKEYs(d.a);
      },
      [](Pipedex& p, const Draw& d, const Context& c, Answer& r) {
        if (d.n % 8 != 0) return;
        p.DumpXML(c.dumpPath);
        r << std::hash<std::string>()(ReadFile(c.dumpPath));
      },
  };
  return calls;
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

std::vector<std::string> RunSequence(const std::vector<Step>& steps, const std::vector<Call>& calls, const Context& context) {
  auto p = NewInstance();
  std::vector<std::string> answers;
  for (const Step& step : steps) {
    Answer r;
    try {
      calls[step.call](*p, step.draw, context, r);
    } catch (const Error& e) {
      r << "error" << e.number() << e.description();
    }
    answers.push_back(r.out.str());
  }
  return answers;
}

TEST(Threads, EightInstancesOnEightThreadsAnswerLikeOne) {
  TempDir dir;
  const auto calls = Calls();
  const auto steps = Sequence(600, calls.size());
  const std::string project = PIPEDEX_SOURCE_DIR "/examples/ProjectPipedex.xml";
  const auto expected = RunSequence(steps, calls, {dir.path() + "/single.xml", project});
  ASSERT_NE(expected[0], "");

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
  for (const auto& a : expected) errors += a.rfind("error|", 0) == 0;
  EXPECT_LT(errors, expected.size() / 4);
}

}  // namespace
}  // namespace pipedex::testing
