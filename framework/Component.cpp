#include "framework/Component.h"

#include <algorithm>

#include "framework/Strings.h"

TComponent::TComponent(TComponent* owner, TPlatform* platform)
    : FOwner(owner), FPlatform(platform ? platform : owner->FPlatform) {}

TComponent::~TComponent() {
  DestroyComponents();
  for (TComponent* other : std::vector<TComponent*>(FFreeNotifies)) {
    std::erase(other->FFreeNotifies, this);
    other->Notification(this, TOperation::opRemove);
  }
  if (FOwner) FOwner->Notification(this, TOperation::opRemove);
}

void TComponent::DestroyComponents() {
  while (!FComponents.empty()) {
    std::unique_ptr<TComponent> last = std::move(FComponents.back());
    FComponents.pop_back();
    last->BeforeDestruction();
    last.reset();
  }
}

TComponent* TComponent::FindComponent(std::string_view name) const {
  if (name.empty()) return nullptr;
  for (const auto& c : FComponents)
    if (SameText(c->Name(), name)) return c.get();
  return nullptr;
}

void TComponent::InsertComponent(std::unique_ptr<TComponent> component) {
  TComponent* added = component.get();
  FComponents.push_back(std::move(component));
  Notification(added, TOperation::opInsert);
}

void TComponent::Notification(TComponent* component, TOperation operation) {
  for (const auto& owned : FComponents)
    if (owned.get() != component) owned->Notification(component, operation);
}

void TComponent::EndLoading() {
  FLoading = false;
  Loaded();
}

void TComponent::FreeNotification(TComponent* component) {
  if (!component || component == this) return;
  if (std::find(FFreeNotifies.begin(), FFreeNotifies.end(), component) == FFreeNotifies.end()) {
    FFreeNotifies.push_back(component);
    component->FFreeNotifies.push_back(this);
  }
}

void TComponent::RemoveFreeNotification(TComponent* component) {
  std::erase(FFreeNotifies, component);
  if (component) std::erase(component->FFreeNotifies, this);
}
