#pragma once

// Bind: an operation of the protocol table made from a member function of
// Pipedex. The parameter types, which of them are in-out, and how the result
// becomes JSON all follow from the member's signature; only the parameter
// names are written down:
//
//   table.Add(PIPEDEX_OPERATION(GetSKEYData, {"SKEY", "Description", "CP_1_Prep", ...}));
//
// A parameter of type `const std::string&` is an in string, `std::string&` an
// in-out one (a member whose protocol form differs goes through an adapter); `std::int32_t` and the enumerations are in 32-bit integers,
// `double` an in number, `double&` and `bool&` in-out ones. A signature with
// any other parameter type does not compile, and neither does a list of names
// of another length.

#include <cstddef>
#include <functional>
#include <string>
#include <type_traits>
#include <utility>

#include "protocol.h"

namespace pipedex::cli {

// Results: texts, numbers and truth values as they are, enumerations as their
// number, a node as its XML text without indentation (null for none).
Json ResultJson(pugi::xml_node node);
Json ResultJson(const std::vector<DefaultElbowInfo>& elbows);
template <typename R>
Json ResultJson(const R& value) {
  if constexpr (std::is_enum_v<R>) {
    return Json(static_cast<std::int32_t>(value));
  } else {
    return Json(value);
  }
}

namespace detail {

// The JSON type that ResultJson gives for a C++ result type.
template <typename R>
std::string ResultTypeName() {
  if constexpr (std::is_void_v<R>) return "null";
  else if constexpr (std::is_same_v<R, std::string>) return "string";
  else if constexpr (std::is_same_v<R, bool>) return "boolean";
  else if constexpr (std::is_same_v<R, double>) return "number";
  else if constexpr (std::is_integral_v<R> || std::is_enum_v<R>) return "integer";
  else if constexpr (std::is_same_v<R, pugi::xml_node>) return "XML text or null";
  else if constexpr (std::is_same_v<R, std::vector<DefaultElbowInfo>>) return "array of {ComponentType, Angle}";
  else return "value";
}

// How one C++ parameter type travels in an ArgValue.
template <typename T>
struct Slot;  // no definition: a parameter type the protocol cannot carry
template <>
struct Slot<const std::string&> {
  static constexpr ArgType type = ArgType::String;
  static constexpr bool inout = false;
  static const std::string& From(ArgValue& v) { return std::get<std::string>(v); }
};
template <>
struct Slot<std::string&> {
  static constexpr ArgType type = ArgType::String;
  static constexpr bool inout = true;
  static std::string& From(ArgValue& v) { return std::get<std::string>(v); }
};
template <>
struct Slot<std::int32_t> {
  static constexpr ArgType type = ArgType::Long;
  static constexpr bool inout = false;
  static std::int32_t From(ArgValue& v) { return std::get<std::int32_t>(v); }
};
template <>
struct Slot<double> {
  static constexpr ArgType type = ArgType::Double;
  static constexpr bool inout = false;
  static double From(ArgValue& v) { return std::get<double>(v); }
};
template <>
struct Slot<double&> {
  static constexpr ArgType type = ArgType::Double;
  static constexpr bool inout = true;
  static double& From(ArgValue& v) { return std::get<double>(v); }
};
template <>
struct Slot<bool&> {
  static constexpr ArgType type = ArgType::Bool;
  static constexpr bool inout = true;
  static bool& From(ArgValue& v) { return std::get<bool>(v); }
};
template <typename E>
  requires std::is_enum_v<E>
struct Slot<E> {
  static constexpr ArgType type = ArgType::Long;
  static constexpr bool inout = false;
  static E From(ArgValue& v) { return static_cast<E>(std::get<std::int32_t>(v)); }
};

template <typename... A, std::size_t... I>
std::vector<Param> Params(const char* const* names, std::index_sequence<I...>) {
  return {Param{names[I], Slot<A>::type, Slot<A>::inout}...};
}

// Calls the member (or the adapter, with the instance first) with the argument values in declared order.
template <typename M, typename... A, std::size_t... I>
decltype(auto) Apply(M member, Pipedex& p, Args& a, std::index_sequence<I...>) {
  return std::invoke(member, p, Slot<A>::From(a.values.at(I))...);
}

template <typename R, typename M, typename... A>
Operation Make(const char* name, M member, const char* const* names) {
  using Seq = std::index_sequence_for<A...>;
  Operation op;
  op.name = name;
  op.params = Params<A...>(names, Seq{});
  op.invoke = [member](Pipedex& p, Args& a) -> Json {
    if constexpr (std::is_void_v<R>) {
      Apply<M, A...>(member, p, a, Seq{});
      return nullptr;
    } else {
      return ResultJson(Apply<M, A...>(member, p, a, Seq{}));
    }
  };
  op.call = [member](Pipedex& p, Args& a) { Apply<M, A...>(member, p, a, Seq{}); };
  op.resultType = ResultTypeName<std::remove_cvref_t<R>>();
  return op;
}

}  // namespace detail

// An operation without parameters.
template <typename R>
Operation Bind(const char* name, R (Pipedex::*member)(), Effect effect = Effect::None) {
  Operation op = detail::Make<R, decltype(member)>(name, member, nullptr);
  op.effect = effect;
  return op;
}
template <typename R>
Operation Bind(const char* name, R (Pipedex::*member)() const) {
  return detail::Make<R, decltype(member)>(name, member, nullptr);
}
// An operation with parameters, named in declared order.
template <std::size_t N, typename R, typename... A>
Operation Bind(const char* name, R (Pipedex::*member)(A...), const char* const (&names)[N],
               Effect effect = Effect::None) {
  static_assert(N == sizeof...(A), "one name for each parameter of the member");
  Operation op = detail::Make<R, decltype(member), A...>(name, member, names);
  op.effect = effect;
  return op;
}

// An operation whose protocol form differs from the member's signature: an
// adapter taking the instance first, then the parameters as the protocol
// carries them, named in declared order.
template <std::size_t N, typename R, typename... A>
Operation Bind(const char* name, R (*adapter)(Pipedex&, A...), const char* const (&names)[N]) {
  static_assert(N == sizeof...(A), "one name for each parameter of the adapter");
  return detail::Make<R, decltype(adapter), A...>(name, adapter, names);
}

// A property set with {"set": name, "value": v}.
template <typename T>
Property BindSetter(const char* name, void (Pipedex::*member)(T)) {
  return {name, detail::Slot<T>::type, [member](Pipedex& p, const ArgValue& v) {
            ArgValue copy = v;
            (p.*member)(detail::Slot<T>::From(copy));
          }};
}

}  // namespace pipedex::cli

// Binds the member of that name under its own name.
#define PIPEDEX_OPERATION(member, ...) ::pipedex::cli::Bind(#member, &::pipedex::Pipedex::member __VA_OPT__(, ) __VA_ARGS__)
