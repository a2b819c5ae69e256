// `pipedex call OPERATION [ARG...]` and `pipedex batch`: every public
// operation by name, answered as one JSON line.

#include <iostream>

#include "session.h"

namespace pipedex::cli {

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
    while (std::getline(std::cin, line)) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      std::cout << Dump(AnswerRequest(*instance, table, line)) << std::endl;
    }
  });
}

}  // namespace pipedex::cli
