#include "storage/PropertyStorage.h"

std::string TPropertyStorage::ItemPath(TComponent& component, const TPropInfo& info, bool reading) {
  FObject = &component;
  FPrefix = component.Name() + "_";
  return TCustomAppStorage::JoinPaths(
      {FAppStoragePath, FAppStorage.TranslateName(&component, FPrefix + info.Name, reading)});
}

void TPropertyStorage::StoreObjectProperty(TComponent& component, const TPropInfo& info) {
  std::string path = ItemPath(component, info, false);
  FAppStorage.WritePublishedProperty(path, component, info.Name, true);
}

bool TPropertyStorage::LoadObjectProperty(TComponent& component, const TPropInfo& info) {
  std::uint64_t failuresBefore = FAppStorage.ReadFailures();
  try {
    std::string path = ItemPath(component, info, true);
    if (FAppStorage.ValueExists(path) || FAppStorage.PathIsKey(path, false))
      FAppStorage.ReadPublishedProperty(path, component, info.Name, true, true);
  } catch (const EConvertError&) {
    // A stored text that is no number is unusable; the storage itself did not fail.
  } catch (const std::exception&) {
    // One unreadable property must not keep the others from being restored.
    return false;
  }
  return FAppStorage.ReadFailures() == failuresBefore;
}
