// Components: ownership, names, removal notices, and the class registry.
#include "framework/Component.h"

#include <windows.h>

#include <algorithm>

#include "runtime/Exceptions.h"
#include "runtime/MbcsText.h"
#include "runtime/ResourceStrings.h"

namespace {

const PropertyInfo kComponentProperties[] = {
    TextProperty<&TComponent::Name, &TComponent::SetName>("Name"),
    IntegerProperty<&TComponent::Tag, &TComponent::SetTag>("Tag", 0),
};

bool IsIdentifier(std::string_view name) {
  if (name.empty()) return false;
  auto letter = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; };
  if (!letter(name[0])) return false;
  return std::all_of(name.begin(), name.end(), [&](char c) { return letter(c) || (c >= '0' && c <= '9'); });
}

std::vector<const ClassInfo*>& Registry() {
  static std::vector<const ClassInfo*> classes;
  return classes;
}

}  // namespace

const ClassInfo TComponent::kClassInfo{"TComponent", &TPersistent::kClassInfo, nullptr, kComponentProperties};

bool SameText(std::string_view a, std::string_view b) {
  return CompareWithLocale(a, b, NORM_IGNORECASE) == 0;
}

TComponent::TComponent(TComponent* owner) {
  if (owner) owner->InsertComponent(this);
}

TComponent::~TComponent() {
  // Partners first: they must not reach into a half-destroyed component.
  while (!freeNotifies_.empty()) {
    TComponent* partner = freeNotifies_.back();
    freeNotifies_.pop_back();
    auto& theirs = partner->freeNotifies_;
    theirs.erase(std::remove(theirs.begin(), theirs.end(), this), theirs.end());
    partner->Notification(this, opRemove);
  }
  DestroyComponents();
  if (owner_) owner_->RemoveComponent(this);
}

void TComponent::SetName(const std::string& name) {
  if (name == name_) return;
  if (!name.empty() && !IsIdentifier(name))
    throw EInvalidOperation(FormatResString(strings::kInvalidName, name.c_str()));
  if (owner_) owner_->ValidateRename(this, name_, name);
  name_ = name;
}

void TComponent::ValidateRename(TComponent* component, std::string_view oldName, std::string_view newName) const {
  if (newName.empty() || SameText(oldName, newName)) return;
  TComponent* existing = FindComponent(newName);
  if (existing && existing != component)
    throw EInvalidOperation(FormatResString(strings::kDuplicateName, std::string(newName).c_str()));
}

TComponent* TComponent::FindComponent(std::string_view name) const {
  if (name.empty()) return nullptr;
  for (TComponent* component : components_)
    if (SameText(component->name_, name)) return component;
  return nullptr;
}

void TComponent::InsertComponent(TComponent* component) {
  if (component->owner_) component->owner_->RemoveComponent(component);
  ValidateRename(component, {}, component->name_);
  Insert(component);
  Notification(component, opInsert);
}

void TComponent::RemoveComponent(TComponent* component) {
  Notification(component, opRemove);
  Remove(component);
}

void TComponent::Insert(TComponent* component) {
  components_.push_back(component);
  component->owner_ = this;
}

void TComponent::Remove(TComponent* component) {
  components_.erase(std::remove(components_.begin(), components_.end(), component), components_.end());
  component->owner_ = nullptr;
}

void TComponent::DestroyComponents() {
  // Newest first; the others hear of each removal, so that links between
  // siblings are cleared before the linked component goes.
  while (!components_.empty()) {
    TComponent* component = components_.back();
    RemoveComponent(component);
    delete component;
  }
}

void TComponent::FreeNotification(TComponent* partner) {
  if (!partner || partner == this) return;
  if (std::find(freeNotifies_.begin(), freeNotifies_.end(), partner) == freeNotifies_.end()) {
    freeNotifies_.push_back(partner);
    partner->freeNotifies_.push_back(this);
  }
}

void TComponent::RemoveFreeNotification(TComponent* partner) {
  freeNotifies_.erase(std::remove(freeNotifies_.begin(), freeNotifies_.end(), partner), freeNotifies_.end());
  auto& theirs = partner->freeNotifies_;
  theirs.erase(std::remove(theirs.begin(), theirs.end(), this), theirs.end());
}

void TComponent::Notification(TComponent* component, TOperation operation) {
  // An owner passes removals on to what it owns, so that links into a
  // destroyed sibling are cleared.
  if (operation == opRemove)
    for (TComponent* owned : components_)
      if (owned != component) owned->Notification(component, operation);
}

void RegisterComponentClass(const ClassInfo& info) {
  if (!FindClass(info.name)) Registry().push_back(&info);
}

const ClassInfo* FindClass(std::string_view name) {
  for (const ClassInfo* info : Registry())
    if (SameText(info->name, name)) return info;
  return nullptr;
}
