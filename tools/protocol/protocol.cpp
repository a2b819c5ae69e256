#include "protocol.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <new>

namespace pipedex::cli {
namespace {

// The error number of requests the CLI itself refuses (invalid argument).
constexpr std::int32_t kCliErrorNumber = static_cast<std::int32_t>(0x80070057);

const char* TypeName(ArgType type) {
  switch (type) {
    case ArgType::String: return "a string";
    case ArgType::Long: return "a 32-bit integer";
    case ArgType::Double: return "a number";
    case ArgType::Bool: return "a boolean";
  }
  return "a value";
}

ArgValue DefaultValue(ArgType type) {
  switch (type) {
    case ArgType::String: return std::string();
    case ArgType::Long: return std::int32_t{0};
    case ArgType::Double: return 0.0;
    case ArgType::Bool: return false;
  }
  return std::string();
}

Json ValueJson(const ArgValue& v) {
  return std::visit([](const auto& x) { return Json(x); }, v);
}

}  // namespace

void OperationTable::Add(Operation op) {
  std::string name = op.name;
  operations_[std::move(name)] = std::move(op);
}

void OperationTable::AddSetter(Property property) {
  std::string name = property.name;
  setters_[std::move(name)] = std::move(property);
}

const Operation* OperationTable::Find(const std::string& name) const {
  auto it = operations_.find(name);
  return it == operations_.end() ? nullptr : &it->second;
}

const Property* OperationTable::FindSetter(const std::string& name) const {
  auto it = setters_.find(name);
  return it == setters_.end() ? nullptr : &it->second;
}

ArgValue ValueFromJson(ArgType type, const Json& value, const std::string& what) {
  auto refuse = [&]() -> ArgValue { throw UsageError(what + " must be " + TypeName(type)); };
  switch (type) {
    case ArgType::String:
      if (!value.is_string()) return refuse();
      return value.get<std::string>();
    case ArgType::Long: {
      if (!value.is_number()) return refuse();
      double d = value.get<double>();
      if (value.is_number_integer()) {
        if (value.is_number_unsigned()) {
          auto u = value.get<std::uint64_t>();
          if (u > 2147483647u) return refuse();
          return static_cast<std::int32_t>(u);
        }
        auto i = value.get<std::int64_t>();
        if (i < -2147483648LL || i > 2147483647LL) return refuse();
        return static_cast<std::int32_t>(i);
      }
      if (!std::isfinite(d) || d != std::floor(d) || d < -2147483648.0 || d > 2147483647.0) return refuse();
      return static_cast<std::int32_t>(d);
    }
    case ArgType::Double:
      if (!value.is_number()) return refuse();
      return value.get<double>();
    case ArgType::Bool:
      if (!value.is_boolean()) return refuse();
      return value.get<bool>();
  }
  return refuse();
}

namespace {

ArgValue ValueFromText(ArgType type, const std::string& text, const std::string& what) {
  auto refuse = [&]() -> ArgValue { throw UsageError(what + " must be " + TypeName(type) + ": " + text); };
  switch (type) {
    case ArgType::String: return text;
    case ArgType::Long: {
      std::int32_t v = 0;
      auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
      if (ec != std::errc() || ptr != text.data() + text.size()) return refuse();
      return v;
    }
    case ArgType::Double: {
      // Read with a point as decimal separator whatever the locale; a leading "+" is allowed.
      const char* first = text.data() + (!text.empty() && text.front() == '+');
      double v = 0;
      auto [ptr, ec] = std::from_chars(first, text.data() + text.size(), v);
      if (ec != std::errc() || ptr != text.data() + text.size()) return refuse();
      return v;
    }
    case ArgType::Bool:
      if (text == "true" || text == "1" || text == "-1") return true;
      if (text == "false" || text == "0") return false;
      return refuse();
  }
  return refuse();
}

template <typename Get>
Args CollectArgs(const Operation& op, std::size_t given, Get get) {
  if (given > op.params.size())
    throw UsageError(op.name + " takes at most " + std::to_string(op.params.size()) + " arguments");
  Args args;
  for (std::size_t i = 0; i < op.params.size(); ++i) {
    const Param& p = op.params[i];
    if (i < given) {
      args.values.push_back(get(i, p));
    } else {
      bool restOptional = true;
      for (std::size_t j = i; j < op.params.size(); ++j) restOptional = restOptional && op.params[j].inout;
      if (!restOptional) throw UsageError(op.name + ": missing argument " + p.name);
      args.values.push_back(DefaultValue(p.type));
    }
  }
  return args;
}

}  // namespace

Args ArgsFromJson(const Operation& op, const Json& args) {
  if (!args.is_array()) throw UsageError("\"args\" must be an array");
  return CollectArgs(op, args.size(), [&](std::size_t i, const Param& p) {
    return ValueFromJson(p.type, args[i], op.name + " argument " + p.name);
  });
}

Args ArgsFromText(const Operation& op, const std::vector<std::string>& args) {
  return CollectArgs(op, args.size(), [&](std::size_t i, const Param& p) {
    return ValueFromText(p.type, args[i], op.name + " argument " + p.name);
  });
}

Json ErrorResponse(std::int32_t number, const std::string& source, const std::string& description) {
  Json error = Json::object();
  error["number"] = number;
  error["source"] = source;
  error["description"] = description;
  Json response = Json::object();
  response["error"] = std::move(error);
  return response;
}

Json CliError(const std::string& description) { return ErrorResponse(kCliErrorNumber, "pipedex-cli", description); }

Json OutOfMemoryResponse() { return ErrorResponse(errors::kOutOfMemory, "pipedex-cli", "Out of memory"); }

bool IsOutOfMemoryAnswer(const Json& response) {
  const auto error = response.find("error");
  if (error == response.end() || !error->is_object()) return false;
  const auto number = error->find("number");
  return number != error->end() && number->is_number_integer() && number->get<std::int64_t>() == errors::kOutOfMemory;
}

std::string Dump(const Json& value) { return value.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace); }

Json Run(Pipedex& instance, const Operation& op, Args& args, bool& componentError) {
  componentError = false;
  try {
    Json result = op.invoke(instance, args);
    Json response = Json::object();
    response["result"] = std::move(result);
    bool hasOut = false;
    Json out = Json::object();
    for (std::size_t i = 0; i < op.params.size(); ++i) {
      if (!op.params[i].inout) continue;
      hasOut = true;
      out[op.params[i].name] = ValueJson(args.values[i]);
    }
    if (hasOut) response["out"] = std::move(out);
    return response;
  } catch (const Error& e) {
    componentError = true;
    return ErrorResponse(e.number(), e.source(), e.description());
  } catch (const std::bad_alloc&) {
    componentError = true;
    return OutOfMemoryResponse();
  }
}

const char* JsonTypeName(ArgType type) {
  switch (type) {
    case ArgType::String: return "string";
    case ArgType::Long: return "integer";
    case ArgType::Double: return "number";
    case ArgType::Bool: return "boolean";
  }
  return "value";
}

Json Describe(const Operation& op) {
  Json params = Json::array();
  for (const Param& p : op.params) {
    Json param = Json::object();
    param["name"] = p.name;
    param["direction"] = p.inout ? "inout" : "in";
    param["type"] = JsonTypeName(p.type);
    params.push_back(std::move(param));
  }
  Json description = Json::object();
  description["operation"] = op.name;
  description["params"] = std::move(params);
  description["result"] = op.resultType;
  return description;
}

namespace {

Json AnswerParsed(Pipedex& instance, const OperationTable& table, const Json& request) {
  try {
    if (!request.is_object()) throw UsageError("a request must be a JSON object");
    if (request.contains("describe")) {
      if (!request["describe"].is_string()) throw UsageError("\"describe\" must name an operation");
      const Operation* op = table.Find(request["describe"].get<std::string>());
      if (!op) throw UsageError("unknown operation: " + request["describe"].get<std::string>());
      Json response = Json::object();
      response["result"] = Describe(*op);
      return response;
    }
    if (request.contains("set")) {
      if (!request["set"].is_string()) throw UsageError("\"set\" must name a property");
      const Property* property = table.FindSetter(request["set"].get<std::string>());
      if (!property) throw UsageError("unknown property: " + request["set"].get<std::string>());
      if (!request.contains("value")) throw UsageError("\"set\" needs a \"value\"");
      ArgValue value = ValueFromJson(property->type, request["value"], property->name + " value");
      try {
        property->set(instance, value);
      } catch (const Error& e) {
        return ErrorResponse(e.number(), e.source(), e.description());
      }
      Json response = Json::object();
      response["result"] = nullptr;
      return response;
    }
    if (!request.contains("call") || !request["call"].is_string())
      throw UsageError("a request needs \"call\" with an operation name, or \"set\" with a property name");
    const std::string name = request["call"].get<std::string>();
    const Operation* op = table.Find(name);
    if (!op) throw UsageError("unknown operation: " + name);
    // The arguments are read in place: copying a deeply nested value would
    // recurse once per level and could exhaust the stack.
    const Json noArgs = Json::array();
    auto given = request.find("args");
    Args args = ArgsFromJson(*op, given != request.end() ? *given : noArgs);
    bool componentError = false;
    return Run(instance, *op, args, componentError);
  } catch (const Json::exception& e) {
    return CliError(std::string("malformed request: ") + e.what());
  } catch (const UsageError& e) {
    return CliError(e.what());
  } catch (const Error& e) {
    return ErrorResponse(e.number(), e.source(), e.description());
  } catch (const std::bad_alloc&) {
    return OutOfMemoryResponse();
  } catch (const std::exception& e) {
    return CliError(std::string("request failed: ") + e.what());
  }
}

// Measures a request's JSON without building it: parsing stops at the first
// value past kMaxRequestValues or level past kMaxRequestDepth.
class RequestMeasure final : public nlohmann::json_sax<Json> {
 public:
  bool tooLarge = false;

  bool null() override { return Value(); }
  bool boolean(bool) override { return Value(); }
  bool number_integer(number_integer_t) override { return Value(); }
  bool number_unsigned(number_unsigned_t) override { return Value(); }
  bool number_float(number_float_t, const string_t&) override { return Value(); }
  bool string(string_t&) override { return Value(); }
  bool binary(binary_t&) override { return Value(); }
  bool start_object(std::size_t) override { return Open(); }
  bool key(string_t&) override { return true; }
  bool end_object() override { return Close(); }
  bool start_array(std::size_t) override { return Open(); }
  bool end_array() override { return Close(); }
  // Text that is not JSON is left to the parser, which says where.
  bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception&) override { return false; }

 private:
  bool Value() {
    tooLarge = ++values_ > kMaxRequestValues;
    return !tooLarge;
  }
  bool Open() {
    if (!Value()) return false;
    tooLarge = ++depth_ > kMaxRequestDepth;
    return !tooLarge;
  }
  bool Close() {
    --depth_;
    return true;
  }
  std::size_t values_ = 0, depth_ = 0;
};

}  // namespace

Json AnswerRequest(Pipedex& instance, const OperationTable& table, const std::string& line) {
  Json request;
  try {
    RequestMeasure measure;
    Json::sax_parse(line, &measure);
    if (measure.tooLarge)
      return CliError("request too large: more than " + std::to_string(kMaxRequestValues) +
                      " JSON values or nested deeper than " + std::to_string(kMaxRequestDepth) + " levels");
    request = Json::parse(line);
  } catch (const Json::exception& e) {
    return CliError(std::string("malformed request: ") + e.what());
  } catch (const std::bad_alloc&) {
    return OutOfMemoryResponse();
  } catch (const std::exception& e) {
    return CliError(std::string("request failed: ") + e.what());
  }
  auto id = request.is_object() ? request.find("id") : request.end();
  if (!request.is_object() || id == request.end()) return AnswerParsed(instance, table, request);
  // Only a plain value is echoed: copying a nested one could recurse deeply.
  if (!id->is_primitive()) return CliError("\"id\" must be a string, a number, a boolean or null");
  Json response = AnswerParsed(instance, table, request);
  Json withId = Json::object();
  withId["id"] = *id;
  for (auto& [key, value] : response.items()) withId[key] = std::move(value);
  return withId;
}

}  // namespace pipedex::cli
