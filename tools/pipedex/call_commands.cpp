// `pipedex call OPERATION [ARG...]` and `pipedex batch`: every public
// operation by name, answered as one JSON line.

#include <cstdio>
#include <iostream>
#include <memory>
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

std::string Lower(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return s;
}

void AddCallCommand(CLI::App& app, Session& session) {
  auto* call = app.add_subcommand("call", "Call one operation on a new instance and print its answer as JSON");
  auto operation = std::make_shared<std::string>();
  auto args = std::make_shared<std::vector<std::string>>();
  auto list = std::make_shared<bool>(false);
  call->add_option("operation", *operation, "Operation name, e.g. GetSKEYData");
  call->add_option("args", *args, "Arguments in declared order; trailing in-out ones may be left out");
  call->add_flag("--list", *list, "List every operation, one name a line");
  call->footer("Example: pipedex call GetSKEYData ELBW\n"
               "         pipedex call --list\n"
               "Prints {\"result\": R} (with \"out\" for in-out parameters) or {\"error\": {...}}.\n"
               "`pipedex describe OPERATION` shows its parameters.\n"
               "Exit status: 0 result, 1 error from the component, 2 usage error, 3 out of memory.");
  call->callback([&session, operation, args, list] {
    if (*list) {
      const OperationTable all = BuildOperationTable();
      for (const auto& entry : all.operations()) std::cout << entry.first << "\n";
      return;
    }
    if (operation->empty()) {
      std::cout << Dump(CliError("an operation name is needed (pipedex call --list lists them)")) << std::endl;
      session.exitCode = 2;
      return;
    }
    const OperationTable table = BuildOperationTable(*operation);
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
    session.exitCode = IsOutOfMemoryAnswer(response) ? kExitOutOfMemory : componentError ? kExitError : 0;
  });
}

void AddDescribeCommand(CLI::App& app, Session& session) {
  auto* describe = app.add_subcommand("describe", "Show an operation's parameters (name, direction, type) and result type");
  auto described = std::make_shared<std::string>();
  auto describeJson = std::make_shared<bool>(false);
  describe->add_option("OPERATION", *described, "Operation name, e.g. GetSKEYData")->required();
  describe->add_flag("--json", *describeJson, "Print the same data as JSON (the batch request {\"describe\": OP} answers it)");
  describe->footer("Example: pipedex describe GetSKEYData\n         pipedex describe FindPCFTYPEs --json");
  describe->callback([&session, described, describeJson] {
    const OperationTable table = BuildOperationTable();
    const Operation* op = table.Find(*described);
    if (!op) {
      std::string nearest;
      for (const auto& entry : table.operations())
        if (Lower(entry.first) == Lower(*described)) nearest = entry.first;
      NothingFound(session, "unknown operation " + *described + (nearest.empty() ? "" : "; did you mean " + nearest + "?"));
      return;
    }
    const Json description = Describe(*op);
    if (*describeJson) {
      std::cout << Dump(description) << "\n";
      return;
    }
    std::cout << op->name << " -> " << op->resultType << "\n";
    std::vector<std::vector<Json>> rows;
    for (const auto& param : description["params"]) rows.push_back({param["name"], param["direction"], param["type"]});
    if (!rows.empty()) PrintTable({"Parameter", "Direction", "Type"}, rows, false);
  });
}

void AddBatchCommand(CLI::App& app, Session& session) {
  auto* batch = app.add_subcommand("batch", "Answer JSON requests from standard input, one per line, on one instance");
  batch->footer("Example:   printf '%s\\n' '{\"call\": \"GroupCount\"}' '{\"call\": \"GetGroup\", \"args\": [1]}' | pipedex batch\n"
                "Requests:  {\"call\": \"GetSKEYData\", \"args\": [\"ELBW\"]}\n"
                "           {\"set\": \"AngleTolerance\", \"value\": 20}\n"
                "           {\"describe\": \"GetSKEYData\", \"id\": 7}   (an \"id\" is echoed in the answer)\n"
                "Each request is answered by exactly one JSON line. Exit status 0, or 3 when a request\n"
                "ran out of memory (its answer is the error 0x8007000E, Out of memory).");
  batch->callback([&session] {
    const OperationTable table = BuildOperationTable();
    Pipedex* instance = nullptr;
    try {
      instance = &session.Instance();
    } catch (const Error& e) {  // loading --project failed
      const Json response = ErrorResponse(e.number(), e.source(), e.description());
      std::cout << Dump(response) << std::endl;
      session.exitCode = IsOutOfMemoryAnswer(response) ? kExitOutOfMemory : kExitError;
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
      const Json answer = AnswerRequest(*instance, table, line);
      // A request that ran out of memory is answered as such, the next one may
      // well succeed; the exit status says that one did not.
      if (IsOutOfMemoryAnswer(answer)) session.exitCode = kExitOutOfMemory;
      std::cout << Dump(answer) << std::endl;
    }
    if (std::cin.bad() || std::ferror(stdin)) {
      std::cerr << "pipedex batch: reading the requests failed" << std::endl;
      session.exitCode = 1;
    }
  });
}

}  // namespace

// Each command binds the operations when it runs: `call` only the one it calls.
void AddCallCommands(CLI::App& app, Session& session, const CommandChoice& choice) {
  if (choice.Wants("call")) AddCallCommand(app, session);
  if (choice.Wants("describe")) AddDescribeCommand(app, session);
  if (choice.Wants("batch")) AddBatchCommand(app, session);
}

}  // namespace pipedex::cli
