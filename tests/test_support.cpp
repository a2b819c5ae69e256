#include "test_support.h"

#include <sys/wait.h>

#include <cstdio>
#include <fstream>
#include <iterator>

#include <gtest/gtest.h>

#include "base/xml_document.h"
#include "protocol.h"

namespace pipedex::testing {

std::shared_ptr<Platform> PlatformIn(const std::string& folder, const std::string& locale,
                                     const std::string& registryFile) {
  return MakeSystemPlatform({folder, registryFile.empty() ? folder + "/registry.reg" : registryFile, locale});
}

std::string RegistryWithDataPath(const std::string& value) {
  return "[HKEY_LOCAL_MACHINE\\Software\\Zenrod\\Pipedex\\Settings]\n\"DataPath\"=\"" + value + "\"\n";
}

std::string Ask(Pipedex& p, const std::string& call, const std::vector<std::string>& args) {
  static const cli::OperationTable table = cli::BuildOperationTable();
  try {
    if (call.rfind("set ", 0) == 0) {
      const cli::Property* property = table.FindSetter(call.substr(4));
      if (!property) return "no property " + call;
      property->set(p, cli::ValueFromJson(property->type, cli::Json::parse(args.at(0)), call));
      return "null";
    }
    const cli::Operation* op = table.Find(call);
    if (!op) return "no operation " + call;
    cli::Args values = cli::ArgsFromText(*op, args);
    std::string answer = cli::Dump(op->invoke(p, values));
    for (std::size_t i = 0; i < op->params.size(); ++i)
      if (op->params[i].inout)
        answer.append(" ").append(cli::Dump(std::visit([](const auto& v) { return cli::Json(v); }, values.values[i])));
    return answer;
  } catch (const Error& e) {
    return "error " + std::to_string(e.number());
  }
}

void ExpectAnswers(Pipedex& p, const std::vector<Row>& rows) {
  for (const Row& row : rows) {
    std::string args;
    for (const auto& a : row.args) args += (args.empty() ? "" : ", ") + a;
    EXPECT_EQ(Ask(p, row.call, row.args), row.answer) << row.call << "(" << args << ")";
  }
}

std::string Catalogue(const std::string& sections) {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<ZENROD-ISOMETRICS-DATA>\n" + sections +
         "\n</ZENROD-ISOMETRICS-DATA>\n";
}

Fixture::Fixture(const std::string& systemXml, LocaleNames locale)
    : pipedex(PlatformIn(dir.path(), locale.language + "_" + locale.country)) {
  dir.Write("SystemPipedex.xml", systemXml);
}

pugi::xml_document Load(const std::string& text) {
  pugi::xml_document doc;
  xml::ParseError error;
  EXPECT_TRUE(xml::LoadText(doc, text, error)) << error.reason;
  return doc;
}

std::string Utf16(const std::string& ascii) {
  std::string bytes = "\xFF\xFE";
  for (char c : ascii) bytes += std::string(1, c) + '\0';
  return bytes;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string Quote(const std::string& s) {
  std::string out = "'";
  for (char c : s) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

std::string Execute(const std::string& command, int* exitCode) {
  std::string output;
  FILE* pipe = ::popen(command.c_str(), "r");
  if (!pipe) return output;
  char buffer[4096];
  std::size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, n);
  int status = ::pclose(pipe);
  if (exitCode) *exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return output;
}

std::vector<std::string> RunBatch(const std::vector<std::string>& globalArgs, const std::vector<std::string>& requests) {
  TempDir dir;
  std::string input;
  for (const auto& r : requests) input += r + "\n";
  std::string inputFile = dir.Write("requests.jsonl", input);
  std::string command = Quote(PIPEDEX_CLI_PATH);
  for (const auto& a : globalArgs) command.append(" ").append(Quote(a));  // not " " + std::string&&: g++ 12 -O3 -Wrestrict
  command += " batch < " + Quote(inputFile);
  std::string output = Execute(command, nullptr);
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < output.size()) {
    std::size_t end = output.find('\n', start);
    if (end == std::string::npos) end = output.size();
    lines.push_back(output.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

std::string SampleDataDir() { return PIPEDEX_SAMPLE_DATA; }

}  // namespace pipedex::testing
