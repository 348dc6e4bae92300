// Run-time class descriptions: a class's name and its parent, and, for the
// classes that layouts can create, a factory and a table of published
// properties. Each class declares one ClassInfo next to its definition.
#pragma once

#include <span>
#include <string_view>

class TComponent;
struct PropertyInfo;     // framework/Properties.h
struct PublishedMethod;  // framework/Properties.h
struct PublishedField;   // framework/Properties.h

struct ClassInfo {
  const char* name;
  const ClassInfo* parent;  // nullptr for a root class
  // Creates an instance owned by `owner`; nullptr for classes that cannot be created by name.
  TComponent* (*create)(TComponent* owner) = nullptr;
  std::span<const PropertyInfo> properties = {};
  // Forms: the handler methods that layouts name, and the fields that receive
  // the components of the same name.
  std::span<const PublishedMethod> methods = {};
  std::span<const PublishedField> fields = {};

  // True when this class is `other` or derives from it.
  bool InheritsFrom(const ClassInfo& other) const;
  // True when this class or one of its ancestors has the given name (compared exactly).
  bool HasAncestorNamed(std::string_view ancestor) const;
};
