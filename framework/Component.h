#pragma once
// Components: named objects owned by another component, configured while "loading" and then
// told that loading has ended. An owner frees what it owns, last created first.
//
// A component's life has two steps around its constructor and destructor, run by the code
// that makes and frees it rather than by the component itself: NewComponent ends the making
// with AfterConstruction, and the owner begins the freeing with BeforeDestruction. Both run
// while the whole object, derived classes included, exists.
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "framework/Events.h"
#include "platform/Platform.h"

enum class TOperation { opInsert, opRemove };

class TComponent : public TObject {
 public:
  // The platform is the owner's unless given.
  explicit TComponent(TComponent* owner, TPlatform* platform = nullptr);
  ~TComponent() override;
  TComponent(const TComponent&) = delete;
  TComponent& operator=(const TComponent&) = delete;

  TComponent* Owner() const { return FOwner; }
  TPlatform& Platform() const { return *FPlatform; }
  const std::string& Name() const { return FName; }
  void SetName(std::string name) { FName = std::move(name); }

  const std::vector<std::unique_ptr<TComponent>>& Components() const { return FComponents; }
  // An owned component by name, compared without regard to case; null when none.
  TComponent* FindComponent(std::string_view name) const;
  // Takes ownership; the owner frees it when destroyed.
  void InsertComponent(std::unique_ptr<TComponent> component);

  // Loading: properties are being set from the window description.
  bool Loading() const { return FLoading; }
  void BeginLoading() { FLoading = true; }
  // The end-of-loading step: clears the loading state, then Loaded().
  void EndLoading();

  // Asks `component` to be told (Notification opRemove) when this one goes away.
  void FreeNotification(TComponent* component);
  void RemoveFreeNotification(TComponent* component);

 protected:
  template <class T, class... Args>
  friend T* NewComponent(TComponent* owner, Args&&... args);

  // The last step of making: run once the constructor has returned, before the owner
  // takes the component.
  virtual void AfterConstruction() {}
  // The first step of freeing: run by the owner before the destructor.
  virtual void BeforeDestruction() {}
  virtual void Loaded() {}
  // Told of every component inserted into or removed from the owner; passes the news on to
  // the owned components. Overrides call the inherited one.
  virtual void Notification(TComponent* component, TOperation operation);
  // Runs before any owned component is freed (and before the members of derived classes
  // are destroyed, when called from their destructors).
  void DestroyComponents();

 private:
  TComponent* FOwner;
  TPlatform* FPlatform;
  std::string FName;
  bool FLoading = false;
  std::vector<std::unique_ptr<TComponent>> FComponents;
  std::vector<TComponent*> FFreeNotifies;
};

// Creates a component owned by `owner`, ends its making, and returns it.
template <class T, class... Args>
T* NewComponent(TComponent* owner, Args&&... args) {
  auto component = std::make_unique<T>(owner, std::forward<Args>(args)...);
  T* result = component.get();
  static_cast<TComponent*>(result)->AfterConstruction();
  owner->InsertComponent(std::move(component));
  return result;
}
