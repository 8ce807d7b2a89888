#pragma once
// State the layers above would otherwise keep in globals: objects shared by every component
// of one kind (the tray's message window), the process's application, and process-wide
// counters (control identifiers).
// It lives in the platform instance, so it lasts as long as the program's process does, and
// two programs run one after the other in one test process never see each other's.
#include <memory>
#include <typeindex>
#include <typeinfo>
#include <utility>
#include <vector>

class TProcessState {
 public:
  // Base of a shared object; the state frees what is still held when it goes.
  class TShared {
   public:
    virtual ~TShared() = default;
  };

  TProcessState() = default;
  TProcessState(const TProcessState&) = delete;
  TProcessState& operator=(const TProcessState&) = delete;

  // The shared object of kind T, or null when there is none.
  template <class T>
  T* Find() const {
    auto it = Entry(FShared, typeid(T));
    return it == FShared.end() ? nullptr : static_cast<T*>(it->second.get());
  }
  // Keeps `object` as the shared object of kind T, replacing any before it.
  template <class T>
  T& Keep(std::unique_ptr<T> object) {
    T& kept = *object;
    auto it = Entry(FShared, typeid(T));
    if (it == FShared.end())
      FShared.emplace_back(typeid(T), std::move(object));
    else
      it->second = std::move(object);
    return kept;
  }
  // Frees the shared object of kind T.
  template <class T>
  void Free() {
    // Taken out first: a destructor that looks for itself finds nothing.
    auto it = Entry(FShared, typeid(T));
    if (it == FShared.end()) return;
    std::unique_ptr<TShared> gone = std::move(it->second);
    FShared.erase(it);
  }

  // The object of kind T that serves the whole process (the application), not owned here;
  // null when there is none.
  template <class T>
  T* Current() const {
    auto it = Entry(FCurrent, typeid(T));
    return it == FCurrent.end() ? nullptr : static_cast<T*>(it->second);
  }
  template <class T>
  void SetCurrent(T* object) {
    auto it = Entry(FCurrent, typeid(T));
    if (it == FCurrent.end())
      FCurrent.emplace_back(typeid(T), object);
    else
      it->second = object;
  }

  // Identifiers of windowed controls, unique within the process.
  int NextControlId() { return FNextControlId++; }

 private:
  // A handful of kinds each: a list serves.
  template <class List>
  static auto Entry(List& list, std::type_index kind) {
    auto it = list.begin();
    while (it != list.end() && it->first != kind) ++it;
    return it;
  }

  std::vector<std::pair<std::type_index, std::unique_ptr<TShared>>> FShared;
  std::vector<std::pair<std::type_index, void*>> FCurrent;
  int FNextControlId = 100;
};
