// The layout writer.
#include "app/LayoutWriter.h"

#include <set>
#include <string>

#include "stream/LayoutDecoder.h"
#include "stream/LayoutEncoder.h"
#include "framework/WinControl.h"
#include "framework/Properties.h"

namespace {

class LayoutWriter {
public:
  explicit LayoutWriter(TComponent& root) : root_(root) {}

  std::vector<uint8_t> Write() {
    encoder_.WriteSignature();
    WriteRecord(root_);
    return encoder_.Bytes();
  }

private:
  void WriteRecord(TComponent& component) {
    encoder_.WriteShortString(component.ClassName());
    encoder_.WriteShortString(component.Name());
    WriteProperties(component, "");
    encoder_.WriteEndOfList();
    // The controls placed on this one, owned by the root, in order.
    if (auto* container = dynamic_cast<TWinControl*>(&component))
      for (int i = 0; i < container->ControlCount(); ++i)
        if (container->Control(i)->Owner() == &root_) WriteRecord(*container->Control(i));
    encoder_.WriteEndOfList();
  }

  // A class's own definition of a property hides its parent's.
  void WriteProperties(TPersistent& instance, const std::string& prefix) {
    std::set<std::string> seen;
    for (const ClassInfo* c = &instance.classInfo(); c; c = c->parent) {
      for (const PropertyInfo& property : c->properties) {
        if (!seen.insert(property.name).second) continue;
        if (property.stored && !property.stored(instance)) continue;
        WriteProperty(instance, property, prefix + property.name);
      }
    }
    instance.WriteExtraProperties(prefix, encoder_);
  }

  void WriteProperty(TPersistent& instance, const PropertyInfo& property, const std::string& path) {
    switch (property.type) {
      case PropertyType::kInteger: {
        if (!property.readNumber) return;
        const int64_t value = property.readNumber(instance);
        if (value == property.defaultNumber) return;
        encoder_.WriteShortString(path);
        const char* name = property.integerType ? IntegerConstantName(property.integerType, value) : nullptr;
        if (name)
          encoder_.WriteIdentifier(name);
        else
          encoder_.WriteInteger(static_cast<int32_t>(value));
        return;
      }
      case PropertyType::kBoolean:
      case PropertyType::kEnumeration: {
        if (!property.readNumber) return;
        const int64_t value = property.readNumber(instance);
        if (value == property.defaultNumber) return;
        encoder_.WriteShortString(path);
        if (property.type == PropertyType::kBoolean)
          encoder_.WriteBoolean(value != 0);
        else if (value >= 0 && static_cast<size_t>(value) < property.names.size())
          encoder_.WriteIdentifier(property.names[static_cast<size_t>(value)]);
        else
          encoder_.WriteInteger(static_cast<int32_t>(value));
        return;
      }
      case PropertyType::kSet: {
        if (!property.readNumber) return;
        const int64_t bits = property.readNumber(instance);
        if (bits == property.defaultNumber) return;
        std::vector<std::string> names;
        for (size_t i = 0; i < property.names.size() && i < 32; ++i)
          if (bits & (int64_t{1} << i)) names.push_back(property.names[i]);
        encoder_.WriteShortString(path);
        encoder_.WriteSet(names);
        return;
      }
      case PropertyType::kText: {
        if (!property.readText) return;
        const std::string text = property.readText(instance);
        // A name is the record's own; an empty text is the default.
        if (text.empty() || property.name == std::string("Name")) return;
        encoder_.WriteShortString(path);
        encoder_.WriteString(text);
        return;
      }
      case PropertyType::kObject:
        if (TPersistent* object = property.object ? property.object(instance) : nullptr)
          WriteProperties(*object, path + ".");
        return;
      case PropertyType::kComponent: {
        TComponent* linked = property.readComponent ? property.readComponent(instance) : nullptr;
        if (!linked || linked->Name().empty()) return;
        encoder_.WriteShortString(path);
        const bool sameForm = linked->Owner() == &root_ || linked == &root_;
        encoder_.WriteIdentifier(sameForm || !linked->Owner() ? linked->Name()
                                                              : linked->Owner()->Name() + "." + linked->Name());
        return;
      }
      case PropertyType::kEvent: {
        const std::string name = property.readText ? property.readText(instance) : std::string();
        if (name.empty()) return;
        encoder_.WriteShortString(path);
        encoder_.WriteIdentifier(name);
        return;
      }
    }
  }

  TComponent& root_;
  LayoutEncoder encoder_;
};

}  // namespace

std::vector<uint8_t> WriteComponentLayout(TComponent& root) {
  return LayoutWriter(root).Write();
}
