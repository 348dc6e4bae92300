// Published properties: one small table per class, naming each property with
// its type, how to read and write it, and its default. A class's table lists
// only its own properties; lookups go on into the parent class's table.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>

#include "framework/Persistent.h"
#include "runtime/ClassInfo.h"

class TComponent;

enum class PropertyType {
  kInteger,    // whole numbers, also colours and characters
  kBoolean,
  kText,
  kEnumeration,  // one of the names in `names`
  kSet,          // a bit set over the names in `names` (bit i = names[i])
  kObject,       // a persistent sub-object (Font, Lines, Glyph) with its own table
  kComponent,    // a link to another component, by name
  kEvent,        // a handler, bound by method name
};

struct PropertyInfo {
  const char* name;
  PropertyType type;
  int64_t (*readNumber)(const TPersistent&) = nullptr;  // integer, boolean, enumeration, set
  void (*writeNumber)(TPersistent&, int64_t) = nullptr;
  std::string (*readText)(const TPersistent&) = nullptr;  // text, event (handler name)
  void (*writeText)(TPersistent&, const std::string&) = nullptr;
  TPersistent* (*object)(TPersistent&) = nullptr;          // object
  TComponent* (*readComponent)(const TPersistent&) = nullptr;  // component link
  void (*writeComponent)(TPersistent&, TComponent*) = nullptr;
  int64_t defaultNumber = 0;  // stored layouts leave out a value equal to it
  std::span<const char* const> names = {};  // enumeration and set
  const ClassInfo* objectClass = nullptr;   // object and component: the expected class
};

// The property of that name (compared without regard to case) in the class or
// its ancestors; nullptr when there is none.
const PropertyInfo* FindProperty(const ClassInfo& info, std::string_view name);

// ---- Table builders: each turns a pair of member functions into a row. ----

namespace property_detail {
template <class T> struct MemberClass;
template <class C, class R> struct MemberClass<R (C::*)() const> { using type = C; using value = R; };
template <class C, class R> struct MemberClass<R (C::*)()> { using type = C; using value = R; };
template <auto Getter> using ClassOf = typename MemberClass<decltype(Getter)>::type;
template <auto Getter> using ValueOf = std::remove_cvref_t<typename MemberClass<decltype(Getter)>::value>;
}  // namespace property_detail

template <auto Getter, auto Setter>
constexpr PropertyInfo NumberProperty(const char* name, PropertyType type, int64_t defaultValue = 0,
                                      std::span<const char* const> names = {}) {
  using C = property_detail::ClassOf<Getter>;
  using V = property_detail::ValueOf<Getter>;
  PropertyInfo info{name, type};
  info.readNumber = [](const TPersistent& o) -> int64_t {
    return static_cast<int64_t>((static_cast<const C&>(o).*Getter)());
  };
  info.writeNumber = [](TPersistent& o, int64_t v) { (static_cast<C&>(o).*Setter)(static_cast<V>(v)); };
  info.defaultNumber = defaultValue;
  info.names = names;
  return info;
}

template <auto Getter, auto Setter>
constexpr PropertyInfo IntegerProperty(const char* name, int64_t defaultValue = 0) {
  return NumberProperty<Getter, Setter>(name, PropertyType::kInteger, defaultValue);
}

template <auto Getter, auto Setter>
constexpr PropertyInfo BooleanProperty(const char* name, bool defaultValue) {
  return NumberProperty<Getter, Setter>(name, PropertyType::kBoolean, defaultValue ? 1 : 0);
}

template <auto Getter, auto Setter>
constexpr PropertyInfo EnumProperty(const char* name, std::span<const char* const> names, int64_t defaultValue) {
  return NumberProperty<Getter, Setter>(name, PropertyType::kEnumeration, defaultValue, names);
}

template <auto Getter, auto Setter>
constexpr PropertyInfo SetProperty(const char* name, std::span<const char* const> names, int64_t defaultValue) {
  return NumberProperty<Getter, Setter>(name, PropertyType::kSet, defaultValue, names);
}

template <auto Getter, auto Setter>
constexpr PropertyInfo TextProperty(const char* name) {
  using C = property_detail::ClassOf<Getter>;
  PropertyInfo info{name, PropertyType::kText};
  info.readText = [](const TPersistent& o) -> std::string { return (static_cast<const C&>(o).*Getter)(); };
  info.writeText = [](TPersistent& o, const std::string& v) { (static_cast<C&>(o).*Setter)(v); };
  return info;
}

template <auto Getter, auto Setter>
constexpr PropertyInfo EventProperty(const char* name) {
  PropertyInfo info = TextProperty<Getter, Setter>(name);
  info.type = PropertyType::kEvent;
  return info;
}

template <auto Getter>
constexpr PropertyInfo ObjectProperty(const char* name, const ClassInfo& objectClass) {
  using C = property_detail::ClassOf<Getter>;
  PropertyInfo info{name, PropertyType::kObject};
  info.object = [](TPersistent& o) -> TPersistent* { return &(static_cast<C&>(o).*Getter)(); };
  info.objectClass = &objectClass;
  return info;
}

template <auto Getter, auto Setter>
constexpr PropertyInfo ComponentProperty(const char* name, const ClassInfo& linkedClass) {
  using C = property_detail::ClassOf<Getter>;
  PropertyInfo info{name, PropertyType::kComponent};
  info.readComponent = [](const TPersistent& o) -> TComponent* {
    return (static_cast<const C&>(o).*Getter)();
  };
  info.writeComponent = [](TPersistent& o, TComponent* linked) {
    using Linked = std::remove_pointer_t<property_detail::ValueOf<Getter>>;
    (static_cast<C&>(o).*Setter)(static_cast<Linked*>(linked));
  };
  info.objectClass = &linkedClass;
  return info;
}
