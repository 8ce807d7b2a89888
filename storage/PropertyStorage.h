#pragma once
// The worker of one save or restore run: stores published properties of components under
// "<path>\<Component>_<Property>".
#include <string>

#include "framework/Component.h"
#include "framework/Properties.h"
#include "storage/AppStorage.h"

class TPropertyStorage {
 public:
  TPropertyStorage(TCustomAppStorage& appStorage, std::string appStoragePath)
      : FAppStorage(appStorage), FAppStoragePath(std::move(appStoragePath)) {}

  // Writes one property; failures propagate.
  void StoreObjectProperty(TComponent& component, const TPropInfo& info);
  // Reads one property when a value (or a key) of its name is there; failures are dropped.
  // False when the storage failed on the way (not for a value that is missing or unusable).
  bool LoadObjectProperty(TComponent& component, const TPropInfo& info);

 private:
  std::string ItemPath(TComponent& component, const TPropInfo& info, bool reading);

  TCustomAppStorage& FAppStorage;
  std::string FAppStoragePath;
  TObject* FObject = nullptr;
  std::string FPrefix;
};
