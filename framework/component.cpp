#include "framework/component.h"

#include <algorithm>
#include <strings.h>

#include "runtime/exception.h"

TComponent::TComponent(TComponent* AOwner) {
  if (AOwner != nullptr) AOwner->InsertComponent(this);
}

TComponent::~TComponent() {
  FComponentState |= csDestroying;
  // What is still in the list goes now; anything released earlier has taken itself out.
  DestroyComponents();
  if (FOwner != nullptr) FOwner->RemoveComponent(this);
}

void TComponent::operator delete(TComponent* Component, std::destroying_delete_t) {
  // The whole object is still alive here, so BeforeDestruction may run handlers of the most
  // derived class (a form's OnDestroy) before any destructor has run.
  Component->BeforeDestruction();
  void* memory = dynamic_cast<void*>(Component);
  Component->~TComponent();
  ::operator delete(memory);
}

void TComponent::BeforeDestruction() {
  FComponentState |= csDestroying;
}

TComponent* TComponent::Components(int Index) const {
  if (Index < 0 || Index >= ComponentCount()) {
    throw Exception("List index out of bounds (" + std::to_string(Index) + ")");
  }
  return FComponents[static_cast<std::size_t>(Index)];
}

int TComponent::ComponentIndex() const {
  if (FOwner == nullptr) return -1;
  auto it = std::find(FOwner->FComponents.begin(), FOwner->FComponents.end(), this);
  return it == FOwner->FComponents.end() ? -1 : static_cast<int>(it - FOwner->FComponents.begin());
}

void TComponent::SetName(const std::string& Value) {
  if (Value == FName) return;
  if (!Value.empty() && FOwner != nullptr) {
    TComponent* other = FOwner->FindComponent(Value);
    if (other != nullptr && other != this) {
      throw Exception("A component named " + Value + " already exists");
    }
  }
  FName = Value;
}

void TComponent::SetDesigning(bool Value) {
  if (Value) {
    FComponentState |= csDesigning;
  } else {
    FComponentState &= static_cast<TComponentState>(~csDesigning);
  }
  for (TComponent* component : FComponents) component->SetDesigning(Value);
}

void TComponent::SetLoading(bool Value) {
  if (Value) {
    FComponentState |= csLoading;
  } else {
    FComponentState &= static_cast<TComponentState>(~csLoading);
  }
}

TComponent* TComponent::FindComponent(const std::string& AName) const {
  if (AName.empty()) return nullptr;
  for (TComponent* component : FComponents) {
    if (strcasecmp(component->FName.c_str(), AName.c_str()) == 0) return component;
  }
  return nullptr;
}

void TComponent::InsertComponent(TComponent* AComponent) {
  if (AComponent == nullptr || AComponent->FOwner == this) return;
  if (AComponent->FOwner != nullptr) AComponent->FOwner->RemoveComponent(AComponent);
  FComponents.push_back(AComponent);
  AComponent->FOwner = this;
  ComponentInserted(AComponent);
}

void TComponent::RemoveComponent(TComponent* AComponent) {
  if (AComponent == nullptr || AComponent->FOwner != this) return;
  auto it = std::find(FComponents.begin(), FComponents.end(), AComponent);
  if (it != FComponents.end()) FComponents.erase(it);
  AComponent->FOwner = nullptr;
  ComponentRemoved(AComponent);
}

void TComponent::DestroyComponents() {
  // The last inserted goes first. Each is taken out of the list before it is destroyed, so a
  // destructor that releases a sibling (a control releasing its own timer) finds a sound list.
  while (!FComponents.empty()) {
    TComponent* component = FComponents.back();
    FComponents.pop_back();
    component->FOwner = nullptr;
    ComponentRemoved(component);
    delete component;
  }
}
