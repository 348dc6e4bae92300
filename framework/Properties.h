// Published properties: one small table per class, naming each property with
// its type, how to read and write it, and its default. A class's table lists
// only its own properties; lookups go on into the parent class's table.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>

#include "framework/Events.h"
#include "framework/Persistent.h"
#include "runtime/ClassInfo.h"

class TComponent;
struct PublishedMethod;

enum class PropertyType {
  kInteger,  // whole numbers, also colours and characters
  kBoolean,
  kText,
  kEnumeration,  // one of the names in `names`
  kSet,          // a bit set over the names in `names` (bit i = names[i])
  kObject,       // a persistent sub-object (Font, Lines, Glyph) with its own table
  kComponent,    // a link to another component, by name
  kEvent,        // a handler, bound by method name
};

// A handler method of a form, by name, with a binder for the one event type
// it can serve.
struct PublishedMethod {
  const char* name;
  TNotifyEvent (*notify)(TPersistent& form) = nullptr;
  TCloseEvent (*close)(TPersistent& form) = nullptr;
  TCloseQueryEvent (*closeQuery)(TPersistent& form) = nullptr;
  TKeyPressEvent (*keyPress)(TPersistent& form) = nullptr;
};

// A form's field that holds the component of its name once it is read.
struct PublishedField {
  const char* name;
  const ClassInfo* type;
  void (*store)(TPersistent& form, TComponent* component);
};

// A named integer constant of a registered table (colour, character set and
// cursor names), looked up by the table's type name.
struct NamedConstant {
  const char* name;
  int64_t value;
};
bool FindIntegerConstant(std::string_view typeName, std::string_view name, int64_t* value);
// The name of a value in a table, or nullptr.
const char* IntegerConstantName(std::string_view typeName, int64_t value);

struct PropertyInfo {
  const char* name;
  PropertyType type;
  int64_t (*readNumber)(const TPersistent&) = nullptr;  // integer, boolean, enumeration, set
  void (*writeNumber)(TPersistent&, int64_t) = nullptr;
  std::string (*readText)(const TPersistent&) = nullptr;  // text, event (handler name)
  void (*writeText)(TPersistent&, const std::string&) = nullptr;
  TPersistent* (*object)(TPersistent&) = nullptr;              // object
  TComponent* (*readComponent)(const TPersistent&) = nullptr;  // component link
  void (*writeComponent)(TPersistent&, TComponent*) = nullptr;
  // Events: binds a form's method to the instance; false when the method's
  // type does not fit the event.
  bool (*bindEvent)(TPersistent& instance, const PublishedMethod& method, TPersistent& form) = nullptr;
  const char* integerType = nullptr;        // integers: the table of named constants they accept
  int64_t defaultNumber = 0;                // stored layouts leave out a value equal to it
  std::span<const char* const> names = {};  // enumeration and set
  const ClassInfo* objectClass = nullptr;   // object and component: the expected class
};

// The property of that name (compared without regard to case) in the class or
// its ancestors; nullptr when there is none.
const PropertyInfo* FindProperty(const ClassInfo& info, std::string_view name);
// Likewise the published method and field of a form class.
const PublishedMethod* FindMethod(const ClassInfo& info, std::string_view name);
const PublishedField* FindField(const ClassInfo& info, std::string_view name);

// ---- Table builders: each turns a pair of member functions into a row. ----

namespace property_detail {
template <class T>
struct MemberClass;
template <class C, class R>
struct MemberClass<R (C::*)() const> {
  using type = C;
  using value = R;
};
template <class C, class R>
struct MemberClass<R (C::*)()> {
  using type = C;
  using value = R;
};
template <class C, class R, class... A>
struct MemberClass<R (C::*)(A...)> {
  using type = C;
  using value = R;
};
template <auto Getter>
using ClassOf = typename MemberClass<decltype(Getter)>::type;
template <class T>
struct FieldClass;
template <class C, class V>
struct FieldClass<V C::*> {
  using type = C;
  using value = V;
};
template <auto Getter>
using ValueOf = std::remove_cvref_t<typename MemberClass<decltype(Getter)>::value>;
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
constexpr PropertyInfo ColorProperty(const char* name, int64_t defaultValue) {
  PropertyInfo info = NumberProperty<Getter, Setter>(name, PropertyType::kInteger, defaultValue);
  info.integerType = "TColor";
  return info;
}

template <auto Getter, auto Setter>
constexpr PropertyInfo CharsetProperty(const char* name, int64_t defaultValue) {
  PropertyInfo info = NumberProperty<Getter, Setter>(name, PropertyType::kInteger, defaultValue);
  info.integerType = "TFontCharset";
  return info;
}

namespace property_detail {
template <class Handler>
struct MethodBinder;
template <>
struct MethodBinder<TNotifyEvent> {
  static constexpr auto kField = &PublishedMethod::notify;
};
template <>
struct MethodBinder<TCloseEvent> {
  static constexpr auto kField = &PublishedMethod::close;
};
template <>
struct MethodBinder<TCloseQueryEvent> {
  static constexpr auto kField = &PublishedMethod::closeQuery;
};
template <>
struct MethodBinder<TKeyPressEvent> {
  static constexpr auto kField = &PublishedMethod::keyPress;
};
template <class T>
struct SetterHandler;
template <class C, class H>
struct SetterHandler<void (C::*)(H, std::string)> {
  using type = H;
};
}  // namespace property_detail

// An event: NameGetter reads the handler's method name, Setter takes the
// bound handler and the name.
template <auto NameGetter, auto Setter>
constexpr PropertyInfo EventProperty(const char* name) {
  using C = property_detail::ClassOf<NameGetter>;
  using Handler = typename property_detail::SetterHandler<decltype(Setter)>::type;
  PropertyInfo info{name, PropertyType::kEvent};
  info.readText = [](const TPersistent& o) -> std::string { return (static_cast<const C&>(o).*NameGetter)(); };
  info.bindEvent = [](TPersistent& o, const PublishedMethod& method, TPersistent& form) {
    auto binder = method.*property_detail::MethodBinder<Handler>::kField;
    if (!binder) return false;
    (static_cast<C&>(o).*Setter)(binder(form), method.name);
    return true;
  };
  return info;
}

// A form's handler method for a notify event (void Method(TPersistent* sender)).
template <auto Method>
constexpr PublishedMethod NotifyMethod(const char* name) {
  using C = property_detail::ClassOf<Method>;
  PublishedMethod method{name};
  method.notify = [](TPersistent& form) -> TNotifyEvent {
    C* self = &static_cast<C&>(form);
    return [self](TPersistent* sender) { (self->*Method)(sender); };
  };
  return method;
}

// A form's handler for a close event (void Method(TPersistent*, TCloseAction&)).
template <auto Method>
constexpr PublishedMethod CloseMethod(const char* name) {
  using C = property_detail::ClassOf<Method>;
  PublishedMethod method{name};
  method.close = [](TPersistent& form) -> TCloseEvent {
    C* self = &static_cast<C&>(form);
    return [self](TPersistent* sender, TCloseAction& action) { (self->*Method)(sender, action); };
  };
  return method;
}

// A form's field of a component type, filled when the component of its name is read.
template <auto Field>
constexpr PublishedField ComponentField(const char* name, const ClassInfo& type) {
  PublishedField field{name, &type, nullptr};
  field.store = [](TPersistent& form, TComponent* component) {
    using Form = typename property_detail::FieldClass<decltype(Field)>::type;
    using Stored = typename property_detail::FieldClass<decltype(Field)>::value;
    static_cast<Form&>(form).*Field = static_cast<Stored>(component);
  };
  return field;
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
  info.readComponent = [](const TPersistent& o) -> TComponent* { return (static_cast<const C&>(o).*Getter)(); };
  info.writeComponent = [](TPersistent& o, TComponent* linked) {
    using Linked = std::remove_pointer_t<property_detail::ValueOf<Getter>>;
    (static_cast<C&>(o).*Setter)(static_cast<Linked*>(linked));
  };
  info.objectClass = &linkedClass;
  return info;
}
