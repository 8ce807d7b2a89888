#include "storage/AppSubStorages.h"

#include "framework/Strings.h"
#include "storage/AppStorage.h"

void TAppSubStorage::SetRootPath(const std::string& value) {
  std::string path = TCustomAppStorage::NormalizePaths({value});
  if (!FCollection.IsUniqueRoot(path, this))
    throw EAppStorageError(FormatText("'%s' is not a unique root path", {path}));
  FRootPath = path;
}

void TAppSubStorage::SetAppStorage(TCustomAppStorage* value) {
  if (value == FAppStorage) return;
  if (value && TAppSubStorages::Reaches(value, &FCollection.Owner()))
    throw EAppStorageError("Circular reference of storages");
  FAppStorage = value;
  // The owner is told when that storage goes away, and drops this entry then.
  if (value) FCollection.Owner().FreeNotification(value);
}

TAppSubStorage& TAppSubStorages::Add() {
  FItems.push_back(std::make_unique<TAppSubStorage>(*this));
  return *FItems.back();
}

void TAppSubStorages::Delete(std::size_t index) {
  if (index < FItems.size()) FItems.erase(FItems.begin() + static_cast<std::ptrdiff_t>(index));
}

TAppSubStorage* TAppSubStorages::MatchingItem(const std::string& path) const {
  TAppSubStorage* best = nullptr;
  std::string probe = path + "\\";
  for (const auto& item : FItems) {
    const std::string& root = item->RootPath();
    if (root.empty()) continue;
    std::string prefix(1, '\\');
    prefix += root;
    prefix += '\\';
    if (probe.size() < prefix.size() || !SameText(probe.substr(0, prefix.size()), prefix)) continue;
    if (!best || root.size() > best->RootPath().size()) best = item.get();
  }
  return best;
}

bool TAppSubStorages::IsUniqueRoot(const std::string& rootPath,
                                   const TAppSubStorage* ignore) const {
  for (const auto& item : FItems)
    if (item.get() != ignore && SameText(item->RootPath(), rootPath)) return false;
  return true;
}

bool TAppSubStorages::Reaches(const TCustomAppStorage* storage, const TCustomAppStorage* target) {
  if (storage == target) return true;
  auto* subs = &const_cast<TCustomAppStorage*>(storage)->SubStorages();
  for (std::size_t i = 0; i < subs->Count(); ++i)
    if (const TCustomAppStorage* next = subs->Items(i).AppStorage())
      if (Reaches(next, target)) return true;
  return false;
}

void TAppSubStorages::RemoveStorage(const void* storage) {
  std::erase_if(FItems, [storage](const std::unique_ptr<TAppSubStorage>& item) {
    // Compared as addresses: the storage may be part-way through its destruction.
    return static_cast<const void*>(item->AppStorage()) == static_cast<const void*>(storage);
  });
}
