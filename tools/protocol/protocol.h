#pragma once

// The batch protocol: the operations a client can call by name (`pipedex
// call`, `pipedex batch`), each with its parameters in declared order, their
// types and whether they are in-out, and a function that runs it on an
// instance; and the JSON requests and answers around them. The CLI, the fuzz
// targets, the thread test and the benchmarks all walk this one table.

#include <cstdint>
#include <functional>
#include <map>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
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

// What an operation does besides answering: the callers that run operations
// in bulk (fuzz targets, thread test, benchmarks) keep the ones with effects
// apart, and point the file names at files of their own.
enum class Effect {
  None,              // answers, and may replace a result list
  ChangesCatalogue,  // adds to the merged document and rebuilds the lists
  ReadsFile,         // its first argument names a file to merge
  WritesFile,        // its first argument names a file to write
};

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
  Invoke invoke;  // runs the member and forms its result
  // Runs the member and drops its result (what the benchmarks time).
  std::function<void(Pipedex&, Args&)> call;
  Effect effect = Effect::None;
  // The JSON type of its "result": string, integer, number, boolean, null,
  // "XML text or null" or "array of {ComponentType, Angle}".
  std::string resultType;
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
  // A table of every operation added, or, given a name, of that one alone.
  explicit OperationTable(std::string only = "") : only_(std::move(only)) {}
  // Whether an operation of that name belongs in the table (the caller then binds and adds it).
  bool Wants(std::string_view name) const { return only_.empty() || name == only_; }
  // Adds an operation (see Bind in bind.h); one of the same name is replaced.
  void Add(Operation op);
  void AddSetter(Property property);
  const Operation* Find(const std::string& name) const;
  const Property* FindSetter(const std::string& name) const;
  // In name order.
  const std::map<std::string, Operation>& operations() const { return operations_; }
  const std::map<std::string, Property>& setters() const { return setters_; }

 private:
  std::string only_;
  std::map<std::string, Operation> operations_;
  std::map<std::string, Property> setters_;
};

// Every public operation of Pipedex (operations.cpp); given a name, only the
// operation of that name (none when there is no such operation), which spares
// a process that calls one operation the binding of all the others.
OperationTable BuildOperationTable(const std::string& only = "");

// Argument values from a JSON array or from command-line texts. Trailing in-out
// arguments may be left out ("", false or 0). Throws UsageError.
Args ArgsFromJson(const Operation& op, const Json& args);
Args ArgsFromText(const Operation& op, const std::vector<std::string>& args);
ArgValue ValueFromJson(ArgType type, const Json& value, const std::string& what);

// Runs an operation and forms the response: {"result": R, "out": {...}} or
// {"error": {...}} for an error from the component.
Json Run(Pipedex& instance, const Operation& op, Args& args, bool& componentError);
// What an operation takes and gives: {"operation", "params": [{"name",
// "direction": "in"|"inout", "type"}], "result"}.
Json Describe(const Operation& op);
// The JSON type name of a parameter: string, integer, number or boolean.
const char* JsonTypeName(ArgType type);
// Answers one batch request line: {"call": ...}, {"set": ...} or
// {"describe": OPERATION}; an "id" member of the request is echoed first.
Json AnswerRequest(Pipedex& instance, const OperationTable& table, const std::string& line);

// The most JSON values (every array, object, member value and scalar) a
// request line may hold, and the deepest it may nest: a request's value is
// about fifty times the size of its text at worst, so it is measured before
// it is built.
inline constexpr std::size_t kMaxRequestValues = std::size_t{1} << 20;
inline constexpr std::size_t kMaxRequestDepth = std::size_t{1} << 18;

// The answer when memory ran out, as the component's error kOutOfMemory
// (source "pipedex-cli" when the tool's own memory ran out); whether an
// answer is one.
Json OutOfMemoryResponse();
bool IsOutOfMemoryAnswer(const Json& response);

Json ErrorResponse(std::int32_t number, const std::string& source, const std::string& description);
Json CliError(const std::string& description);
// One JSON line, invalid UTF-8 replaced.
std::string Dump(const Json& value);

}  // namespace pipedex::cli
