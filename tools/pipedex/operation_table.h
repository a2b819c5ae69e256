#pragma once

// The operations the CLI can call by name (`pipedex call`, `pipedex batch`):
// each with its parameters in declared order, their types and whether they
// are in-out, and a function that runs it on an instance.

#include <cstdint>
#include <functional>
#include <map>
#include <stdexcept>
#include <string>
#include <variant>
#include <vector>

#include <nlohmann/json.hpp>

#include "pipedex/pipedex.h"

namespace pipedex::cli {

using Json = nlohmann::ordered_json;

enum class ArgType { String, Long, Double, Bool };

struct Param {
  std::string name;
  ArgType type;
  bool inout = false;
};
inline Param In(std::string name, ArgType type) { return {std::move(name), type, false}; }
inline Param InOut(std::string name, ArgType type) { return {std::move(name), type, true}; }

using ArgValue = std::variant<std::string, std::int32_t, double, bool>;

// The argument values of one call, in declared order.
struct Args {
  std::vector<ArgValue> values;
  std::string& Str(std::size_t i) { return std::get<std::string>(values.at(i)); }
  std::int32_t& Long(std::size_t i) { return std::get<std::int32_t>(values.at(i)); }
  double& Dbl(std::size_t i) { return std::get<double>(values.at(i)); }
  bool& Bool(std::size_t i) { return std::get<bool>(values.at(i)); }
};

using Invoke = std::function<Json(Pipedex&, Args&)>;
using Setter = std::function<void(Pipedex&, const ArgValue&)>;

struct Operation {
  std::string name;
  std::vector<Param> params;
  Invoke invoke;
};

struct Property {
  std::string name;
  ArgType type;
  Setter set;
};

// A request the CLI cannot carry out (bad JSON, unknown operation, wrong arguments).
class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class OperationTable {
 public:
  void Add(std::string name, std::vector<Param> params, Invoke invoke);
  void AddSetter(std::string name, ArgType type, Setter set);
  const Operation* Find(const std::string& name) const;
  const Property* FindSetter(const std::string& name) const;
  const std::map<std::string, Operation>& operations() const { return operations_; }

 private:
  std::map<std::string, Operation> operations_;
  std::map<std::string, Property> setters_;
};

// Every operation of every area.
OperationTable BuildOperationTable();
void RegisterCoreOperations(OperationTable& table);
void RegisterModelOperations(OperationTable& table);
void RegisterQueryOperations(OperationTable& table);
void RegisterRuleOperations(OperationTable& table);
void RegisterOverlayOperations(OperationTable& table);

// A node as a result: its XML text without indentation, or null for nothing.
Json NodeResult(pugi::xml_node node);

// Argument values from a JSON array or from command-line texts. Trailing in-out
// arguments may be left out ("", false or 0). Throws UsageError.
Args ArgsFromJson(const Operation& op, const Json& args);
Args ArgsFromText(const Operation& op, const std::vector<std::string>& args);
ArgValue ValueFromJson(ArgType type, const Json& value, const std::string& what);

// Runs an operation and forms the response: {"result": R, "out": {...}} or
// {"error": {...}} for an error from the component.
Json Run(Pipedex& instance, const Operation& op, Args& args, bool& componentError);
// Answers one batch request line.
Json AnswerRequest(Pipedex& instance, const OperationTable& table, const std::string& line);

Json ErrorResponse(std::int32_t number, const std::string& source, const std::string& description);
Json CliError(const std::string& description);
// One JSON line, invalid UTF-8 replaced.
std::string Dump(const Json& value);

}  // namespace pipedex::cli
