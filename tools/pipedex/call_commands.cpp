// `pipedex call OPERATION [ARG...]` and `pipedex batch`: every public
// operation by name, answered as one JSON line.

#include <cstdio>
#include <iostream>
#include <streambuf>
#include <string>

#include "session.h"

namespace pipedex::cli {
namespace {

// The longest request line that is read; a longer one is skipped to its end
// and answered with an error, and the requests after it are still answered.
constexpr std::size_t kMaxRequestLine = std::size_t{64} << 20;

// Reads one line (without its line feed) of at most kMaxRequestLine bytes;
// false at the end of the input. A longer line is consumed and reported by tooLong.
bool ReadRequestLine(std::istream& in, std::string& line, bool& tooLong) {
  line.clear();
  tooLong = false;
  std::streambuf* buffer = in.rdbuf();
  bool any = false;
  while (true) {
    const int c = buffer->sbumpc();
    if (c == std::char_traits<char>::eof()) {
      in.setstate(std::ios::eofbit);
      return any;
    }
    any = true;
    if (c == '\n') return true;
    if (line.size() >= kMaxRequestLine) {
      tooLong = true;
      continue;
    }
    line.push_back(static_cast<char>(c));
  }
}

}  // namespace

void AddCallCommands(CLI::App& app, Session& session, const OperationTable& table) {
  auto* call = app.add_subcommand("call", "Call one operation on a new instance and print its answer as JSON");
  auto operation = std::make_shared<std::string>();
  auto args = std::make_shared<std::vector<std::string>>();
  call->add_option("operation", *operation, "Operation name, e.g. GetSKEYData")->required();
  call->add_option("args", *args, "Arguments in declared order; trailing in-out ones may be left out");
  call->footer("Example: pipedex call GetSKEYData ELBW\n"
               "Prints {\"result\": R} (with \"out\" for in-out parameters) or {\"error\": {...}}.\n"
               "Exit status: 0 result, 1 error from the component, 2 usage error.");
  call->callback([&session, &table, operation, args] {
    const Operation* op = table.Find(*operation);
    if (!op) {
      std::cout << Dump(CliError("unknown operation: " + *operation)) << std::endl;
      session.exitCode = 2;
      return;
    }
    Args values;
    try {
      values = ArgsFromText(*op, *args);
    } catch (const UsageError& e) {
      std::cout << Dump(CliError(e.what())) << std::endl;
      session.exitCode = 2;
      return;
    }
    bool componentError = false;
    Json response;
    try {
      response = Run(session.Instance(), *op, values, componentError);
    } catch (const Error& e) {  // loading --project failed
      response = ErrorResponse(e.number(), e.source(), e.description());
      componentError = true;
    }
    std::cout << Dump(response) << std::endl;
    session.exitCode = componentError ? 1 : 0;
  });

  auto* batch = app.add_subcommand("batch", "Answer JSON requests from standard input, one per line, on one instance");
  batch->footer("Example:   printf '%s\\n' '{\"call\": \"GroupCount\"}' '{\"call\": \"GetGroup\", \"args\": [1]}' | pipedex batch\n"
                "Requests:  {\"call\": \"GetSKEYData\", \"args\": [\"ELBW\"]}\n"
                "           {\"set\": \"AngleTolerance\", \"value\": 20}\n"
                "Each request is answered by exactly one JSON line.");
  batch->callback([&session, &table] {
    Pipedex* instance = nullptr;
    try {
      instance = &session.Instance();
    } catch (const Error& e) {  // loading --project failed
      std::cout << Dump(ErrorResponse(e.number(), e.source(), e.description())) << std::endl;
      session.exitCode = 1;
      return;
    }
    std::string line;
    bool tooLong = false;
    while (ReadRequestLine(std::cin, line, tooLong)) {
      if (tooLong) {
        std::cout << Dump(CliError("request line longer than " + std::to_string(kMaxRequestLine) + " bytes")) << std::endl;
        continue;
      }
      if (!line.empty() && line.back() == '\r') line.pop_back();
      std::cout << Dump(AnswerRequest(*instance, table, line)) << std::endl;
    }
    if (std::cin.bad() || std::ferror(stdin)) {
      std::cerr << "pipedex batch: reading the requests failed" << std::endl;
      session.exitCode = 1;
    }
  });
}

}  // namespace pipedex::cli
