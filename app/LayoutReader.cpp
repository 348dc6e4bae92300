// The layout reader: component records, property entries and values, pending
// component references, loaded notifications.
#include "app/LayoutReader.h"

#include <windows.h>

#include <string>
#include <vector>

#include "app/FormHost.h"
#include "app/Forms.h"
#include "runtime/Exceptions.h"
#include "runtime/ResourceStrings.h"
#include "stream/LayoutDecoder.h"

namespace {

using namespace layout_messages;

// The reader's own messages, about properties and classes; those of the bytes
// themselves are the decoder's.
constexpr char kUnknownProperty[] = "ﾌﾟﾛﾊﾟﾃｨが存在しません";
constexpr char kInvalidPropertyPath[] = "不正なﾌﾟﾛﾊﾟﾃｨのﾊﾟｽです";
constexpr char kReadOnlyProperty[] = "ﾌﾟﾛﾊﾟﾃｨは書き込み禁止です";
constexpr char kAncestorNotFound[] = "'%s' の継承元が存在しません.";
constexpr char kClassNotFound[] = "ｸﾗｽ %s が見つかりません";
constexpr char kErrorReadingProperty[] = "%s.%s の読み込み中のｴﾗｰ: %s";

std::string Format(const char* format, const std::string& a, const std::string& b = {}, const std::string& c = {}) {
  const int length = std::snprintf(nullptr, 0, format, a.c_str(), b.c_str(), c.c_str());
  std::string text(static_cast<size_t>(length > 0 ? length : 0), '\0');
  std::snprintf(text.data(), text.size() + 1, format, a.c_str(), b.c_str(), c.c_str());
  return text;
}

// A component link whose component may come later in the stream, or in
// another form ("Form2.Memo1") that is not read yet.
struct PendingReference {
  TComponent* owner;      // the component whose property it is (for removal)
  TPersistent* instance;  // not owned: the object holding the property
  const PropertyInfo* property;
  std::string name;
};

// References into forms that were not loaded when their layout was read.
std::vector<PendingReference> gCrossFormReferences;

TForm* FindForm(std::string_view name, const TForm* except = nullptr) {
  if (!FormHost()) return nullptr;
  for (TForm* form : FormHost()->Forms())
    if (form != except && SameText(form->Name(), name)) return form;
  return nullptr;
}

// Resolves a name within a form: "Memo1" there, or "Form2.Memo1" in another
// form. False when that other form does not exist yet.
bool Resolve(TForm& form, const std::string& name, TComponent** found) {
  const size_t dot = name.find('.');
  if (dot == std::string::npos) {
    *found = SameText(form.Name(), name) ? &form : form.FindComponent(name);
    return true;
  }
  TForm* other = FindForm(std::string_view(name).substr(0, dot));
  if (!other || other->Loading()) return false;
  *found = other->FindComponent(std::string_view(name).substr(dot + 1));
  return true;
}

void Store(const PendingReference& reference, TComponent* component) {
  if (component && !component->classInfo().InheritsFrom(*reference.property->objectClass)) return;
  reference.property->writeComponent(*reference.instance, component);
}

class LayoutReader {
public:
  LayoutReader(TForm& root, std::span<const uint8_t> stream) : root_(root), decoder_(stream) {}

  void ReadRoot() {
    decoder_.ReadSignature();
    decoder_.ReadPrefix();
    decoder_.ReadShortString();  // the class: the form exists already
    const std::string storedName = decoder_.ReadShortString();
    root_.SetName(UniqueFormName(storedName));
    root_.SetLoading(true);
    try {
      ReadProperties(root_, root_);
      ReadChildren(&root_);
    } catch (...) {
      // What was read so far goes with the failed form.
      root_.DestroyComponents();
      root_.SetLoading(false);
      throw;
    }
    ResolveReferences();
    root_.Loaded();
    for (TComponent* component : completed_) component->Loaded();
    ResolveCrossFormReferences();
  }

private:
  std::string UniqueFormName(const std::string& stored) const {
    std::string name = stored;
    for (int counter = 1; FindForm(name, &root_); ++counter) name = stored + "_" + std::to_string(counter);
    return name;
  }

  void ReadProperties(TPersistent& instance, TComponent& component) {
    while (!decoder_.AtEndOfList()) ReadProperty(instance, component);
  }

  void ReadProperty(TPersistent& instance, TComponent& component) {
    const std::string path = decoder_.ReadShortString();
    try {
      TPersistent* target = &instance;
      size_t start = 0;
      for (size_t dot = path.find('.'); dot != std::string::npos; dot = path.find('.', start)) {
        const PropertyInfo* property =
            FindProperty(target->classInfo(), std::string_view(path).substr(start, dot - start));
        if (!property) Fail(kUnknownProperty);
        if (property->type != PropertyType::kObject || !property->object || !property->object(*target))
          Fail(kInvalidPropertyPath);
        target = property->object(*target);
        start = dot + 1;
      }
      const std::string_view last = std::string_view(path).substr(start);
      if (const PropertyInfo* property = FindProperty(target->classInfo(), last))
        ReadValue(*target, *property, component);
      else if (!target->ReadExtraProperty(last, decoder_))
        Fail(kUnknownProperty);
    } catch (const Exception& error) {
      const std::string owner = component.Name().empty() ? component.ClassName() : component.Name();
      throw EReadError(Format(kErrorReadingProperty, owner, path, error.Message()));
    }
  }

  // Passes over the value the entry holds, then raises.
  [[noreturn]] void Fail(const char* message) {
    decoder_.SkipValue();
    throw EReadError(message);
  }

  static bool Writable(const PropertyInfo& property) {
    return property.writeNumber || property.writeText || property.object || property.writeComponent ||
           property.bindEvent;
  }

  void ReadValue(TPersistent& instance, const PropertyInfo& property, TComponent& component) {
    if (!Writable(property)) Fail(kReadOnlyProperty);
    switch (property.type) {
      case PropertyType::kInteger:
        return ReadIntegerValue(instance, property);
      case PropertyType::kBoolean:
        return ReadBooleanValue(instance, property);
      case PropertyType::kEnumeration:
        return ReadEnumerationValue(instance, property);
      case PropertyType::kSet:
        return ReadSetValue(instance, property);
      case PropertyType::kText:
        property.writeText(instance, decoder_.ReadString());
        return;
      case PropertyType::kObject:
        // Sub-objects are set through their paths; only "no object" may be stored here.
        if (decoder_.ReadValueType() != LayoutValueType::kNil) throw EReadError(kInvalidPropertyValue);
        return;
      case PropertyType::kComponent:
        return ReadComponentValue(instance, property, component);
      case PropertyType::kEvent:
        return ReadEventValue(instance, property);
    }
    throw EReadError(kInvalidPropertyValue);
  }

  // A number, or the name of one of the property type's integer constants.
  void ReadIntegerValue(TPersistent& instance, const PropertyInfo& property) {
    if (decoder_.NextValueType() != LayoutValueType::kIdentifier) {
      property.writeNumber(instance, decoder_.ReadInteger());
      return;
    }
    int64_t value = 0;
    const std::string name = decoder_.ReadIdentifier();
    if (!property.integerType || !FindIntegerConstant(property.integerType, name, &value))
      throw EReadError(kInvalidPropertyValue);
    property.writeNumber(instance, value);
  }

  void ReadBooleanValue(TPersistent& instance, const PropertyInfo& property) {
    const std::string name = decoder_.ReadIdentifier();
    if (SameText(name, "False"))
      property.writeNumber(instance, 0);
    else if (SameText(name, "True"))
      property.writeNumber(instance, 1);
    else
      throw EReadError(kInvalidPropertyValue);
  }

  // One of the property's value names, stored as its ordinal.
  void ReadEnumerationValue(TPersistent& instance, const PropertyInfo& property) {
    const std::string name = decoder_.ReadIdentifier();
    for (size_t i = 0; i < property.names.size(); ++i) {
      if (SameText(property.names[i], name)) {
        property.writeNumber(instance, static_cast<int64_t>(i));
        return;
      }
    }
    throw EReadError(kInvalidPropertyValue);
  }

  // Value names, stored as a bit per ordinal (at most 32).
  void ReadSetValue(TPersistent& instance, const PropertyInfo& property) {
    int64_t bits = 0;
    for (const std::string& name : decoder_.ReadSet()) {
      size_t i = 0;
      while (i < property.names.size() && !SameText(property.names[i], name)) ++i;
      if (i == property.names.size() || i >= 32) throw EReadError(kInvalidPropertyValue);
      bits |= int64_t{1} << i;
    }
    property.writeNumber(instance, bits);
  }

  // No component, or a name resolved once the whole layout is read.
  void ReadComponentValue(TPersistent& instance, const PropertyInfo& property, TComponent& component) {
    if (decoder_.NextValueType() == LayoutValueType::kNil) {
      decoder_.ReadValueType();
      property.writeComponent(instance, nullptr);
      return;
    }
    if (decoder_.NextValueType() != LayoutValueType::kIdentifier) throw EReadError(kInvalidPropertyValue);
    references_.push_back({&component, &instance, &property, decoder_.ReadIdentifier()});
  }

  // No handler, or the name of a published method of the form.
  void ReadEventValue(TPersistent& instance, const PropertyInfo& property) {
    if (decoder_.NextValueType() == LayoutValueType::kNil) {
      decoder_.ReadValueType();
      return;
    }
    if (decoder_.NextValueType() != LayoutValueType::kIdentifier) throw EReadError(kInvalidPropertyValue);
    const std::string name = decoder_.ReadIdentifier();
    const PublishedMethod* method = FindMethod(root_.classInfo(), name);
    if (!method || !property.bindEvent(instance, *method, root_)) throw EReadError(kInvalidPropertyValue);
  }

  void ReadChildren(TComponent* parent) {
    decoder_.EnterNested();
    while (!decoder_.AtEndOfList()) ReadChild(parent);
    decoder_.LeaveNested();
  }

  const ClassInfo* FindComponentClass(const std::string& name) const {
    // The classes of the form's own fields come first.
    for (const ClassInfo* c = &root_.classInfo(); c; c = c->parent)
      for (const PublishedField& field : c->fields)
        if (SameText(field.type->name, name)) return field.type;
    return FindClass(name);
  }

  void ReadChild(TComponent* parent) {
    const ComponentPrefix prefix = decoder_.ReadPrefix();
    const std::string className = decoder_.ReadShortString();
    const std::string name = decoder_.ReadShortString();
    TComponent* component = nullptr;
    bool created = false;
    if (prefix.inherited) {
      component = root_.FindComponent(name);
      if (!component) throw EReadError(Format(kAncestorNotFound, name));
    } else {
      const ClassInfo* info = FindComponentClass(className);
      if (!info || !info->create) throw EClassNotFound(Format(kClassNotFound, className));
      component = info->create(&root_);
      created = true;
    }
    try {
      component->SetLoading(true);
      auto* parentControl = dynamic_cast<TWinControl*>(parent);
      if (auto* control = dynamic_cast<TControl*>(component)) control->SetParent(parentControl);
      component->SetName(name);
      if (const PublishedField* field = FindField(root_.classInfo(), name);
          field && component->classInfo().InheritsFrom(*field->type))
        field->store(root_, component);
      ReadProperties(*component, *component);
      ReadChildren(component);
      if (prefix.hasPosition && parentControl)
        if (auto* control = dynamic_cast<TControl*>(component)) parentControl->MoveChild(control, prefix.position);
      completed_.push_back(component);
    } catch (...) {
      if (created) delete component;
      throw;
    }
  }

  void ResolveReferences() {
    for (const PendingReference& reference : references_) {
      TComponent* found = nullptr;
      if (Resolve(root_, reference.name, &found)) {
        Store(reference, found);
      } else {
        gCrossFormReferences.push_back(reference);
      }
    }
  }

  // References from other forms that waited for this one.
  void ResolveCrossFormReferences() {
    std::vector<PendingReference> waiting;
    for (const PendingReference& reference : gCrossFormReferences) {
      TForm* owningForm = dynamic_cast<TForm*>(reference.owner->Owner());
      TComponent* found = nullptr;
      if (owningForm && Resolve(*owningForm, reference.name, &found))
        Store(reference, found);
      else
        waiting.push_back(reference);
    }
    gCrossFormReferences = std::move(waiting);
  }

  TForm& root_;
  LayoutDecoder decoder_;
  std::vector<TComponent*> completed_;  // not owned: in the order their records were completed
  std::vector<PendingReference> references_;
};

}  // namespace

void ForgetLayoutReferences(const TForm& form) {
  std::erase_if(gCrossFormReferences, [&form](const PendingReference& reference) {
    return reference.owner == &form || reference.owner->Owner() == &form;
  });
}

void ReadFormLayout(TForm& form, std::span<const uint8_t> stream) {
  LayoutReader(form, stream).ReadRoot();
}

void ReadFormLayout(TForm& form) {
  HMODULE module = GetModuleHandleA(nullptr);
  HRSRC resource = FindResourceA(module, form.ClassName(), MAKEINTRESOURCEA(10));  // RT_RCDATA
  HGLOBAL loaded = resource ? LoadResource(module, resource) : nullptr;
  const void* data = loaded ? LockResource(loaded) : nullptr;
  if (!data) throw EResNotFound(FormatResString(strings::kResourceNotFound, form.ClassName()));
  ReadFormLayout(form, std::span(static_cast<const uint8_t*>(data), SizeofResource(module, resource)));
}
