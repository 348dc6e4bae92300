// Components: owned objects with names, removal notices between partners, and
// the class registry through which layouts create them by class name.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "framework/Persistent.h"
#include "framework/Properties.h"

enum TOperation { opInsert, opRemove };

class TComponent : public TPersistent {
public:
  static const ClassInfo kClassInfo;
  const ClassInfo& classInfo() const override { return kClassInfo; }

  // Joins the owner's list; the owner destroys it.
  explicit TComponent(TComponent* owner);
  // Destroys the owned components, newest first, then tells every partner
  // that asked for a removal notice.
  ~TComponent() override;
  TComponent(const TComponent&) = delete;
  TComponent& operator=(const TComponent&) = delete;

  const std::string& Name() const { return name_; }
  // A name must be an identifier and unique among the owner's components
  // (without regard to case); an empty name is always allowed.
  virtual void SetName(const std::string& name);

  TComponent* Owner() const { return owner_; }
  int ComponentCount() const { return static_cast<int>(components_.size()); }
  TComponent* Component(int index) const { return components_[static_cast<size_t>(index)]; }
  // The owned component of that name, compared without regard to case.
  TComponent* FindComponent(std::string_view name) const;

  void InsertComponent(TComponent* component);
  void RemoveComponent(TComponent* component);
  // Destroys every owned component, the newest first.
  void DestroyComponents();

  // Asks `partner` to notify this component (Notification with opRemove) when
  // the partner is destroyed. Both sides forget each other when either goes.
  void FreeNotification(TComponent* partner);
  void RemoveFreeNotification(TComponent* partner);

  bool Loading() const { return loading_; }
  void SetLoading(bool loading) { loading_ = loading; }
  // Called once the component's stored layout has been read.
  virtual void Loaded() { loading_ = false; }

  int Tag() const { return tag_; }
  void SetTag(int tag) { tag_ = tag; }

protected:
  // A component this one owns or is linked to joins (opInsert) or goes (opRemove).
  virtual void Notification(TComponent* component, TOperation operation);
  // A name change of an owned component; Validate raises on a clash.
  void ValidateRename(TComponent* component, std::string_view oldName, std::string_view newName) const;

private:
  void Insert(TComponent* component);
  void Remove(TComponent* component);

  TComponent* owner_ = nullptr;            // not owned
  std::vector<TComponent*> components_;    // owned, in order of joining
  std::vector<TComponent*> freeNotifies_;  // not owned: partners to notify on removal
  std::string name_;
  int tag_ = 0;
  bool loading_ = false;
};

// The creation function of a class description: a new component of class T.
template <class T>
TComponent* CreateComponent(TComponent* owner) {
  return new T(owner);
}

// ---- Class registry: layouts name the classes of the components they create ----

void RegisterComponentClass(const ClassInfo& info);
// The registered class of that name (without regard to case), or nullptr.
const ClassInfo* FindClass(std::string_view name);

// Text comparison without regard to case, as the system's user interface does it.
bool SameText(std::string_view a, std::string_view b);
