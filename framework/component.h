#pragma once
// TComponent: the base of everything that has an owner. A component created with an owner
// is entered in the owner's list; the owner releases, when it is destroyed, whatever is
// still in that list. Releasing a component early takes it out of its owner's list first,
// so nothing is released twice. `delete x` is the one way to release a component.
#include <cstdint>
#include <new>
#include <string>
#include <vector>

#include "framework/persistent.h"

enum TComponentStateFlag : std::uint8_t {
  csLoading = 1 << 0,     // a window definition is being applied to it
  csDesigning = 1 << 1,   // being edited in a form designer; never set in a running program
  csDestroying = 1 << 2,  // its destruction has begun
};
using TComponentState = std::uint8_t;  // a set of TComponentStateFlag

class TComponent : public TPersistent {
 public:
  explicit TComponent(TComponent* AOwner);
  ~TComponent() override;
  const char* ClassName() const override { return "TComponent"; }

  // Releasing: runs BeforeDestruction on the whole object (every derived part still alive),
  // then the destructors, then frees the memory. Works for every `delete` of a component.
  void operator delete(TComponent* Component, std::destroying_delete_t);

  TComponent* Owner() const { return FOwner; }
  int ComponentCount() const { return static_cast<int>(FComponents.size()); }
  TComponent* Components(int Index) const;  // EListError-like Exception for a bad index
  int ComponentIndex() const;                // position in the owner's list, -1 without owner

  const std::string& Name() const { return FName; }
  void SetName(const std::string& Value);  // "" allowed; a duplicate among the owner's raises
  std::int32_t Tag() const { return FTag; }
  void SetTag(std::int32_t Value) { FTag = Value; }

  TComponentState ComponentState() const { return FComponentState; }
  bool IsDesigning() const { return (FComponentState & csDesigning) != 0; }
  void SetDesigning(bool Value);  // the flag for this component and what it owns
  bool IsLoading() const { return (FComponentState & csLoading) != 0; }
  bool IsDestroying() const { return (FComponentState & csDestroying) != 0; }

  // The owned component of that name (case-insensitive), null when none.
  TComponent* FindComponent(const std::string& AName) const;

  // Moving between owners; the constructor and the destructor use these.
  void InsertComponent(TComponent* AComponent);
  void RemoveComponent(TComponent* AComponent);
  // Releases every owned component, the last inserted first.
  void DestroyComponents();

  // Called once, on the whole object, before the destructors run (from `delete` and from
  // the owner's DestroyComponents). Overrides call the inherited one.
  virtual void BeforeDestruction();

  // A window definition has been applied (csLoading is cleared just before).
  virtual void Loaded() {}
  void SetLoading(bool Value);

 protected:
  // Told when a component is inserted into or removed from this one's list.
  virtual void ComponentInserted(TComponent* /*AComponent*/) {}
  virtual void ComponentRemoved(TComponent* /*AComponent*/) {}

 private:
  TComponent* FOwner = nullptr;           // not owned: the owner, or null
  std::vector<TComponent*> FComponents;   // owned: released by this one unless released earlier
  std::string FName;
  std::int32_t FTag = 0;
  TComponentState FComponentState = 0;
};
