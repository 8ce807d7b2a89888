#pragma once
// Sub-storages: other storages that serve every path below a root path of their owner.
#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "framework/Events.h"

class TCustomAppStorage;
class TAppSubStorages;

class TAppSubStorage : public TObject {
 public:
  explicit TAppSubStorage(TAppSubStorages& collection) : FCollection(collection) {}

  // Kept normalised; two entries may not share a root path.
  const std::string& RootPath() const { return FRootPath; }
  void SetRootPath(const std::string& value);
  // May not lead back to the owning storage.
  TCustomAppStorage* AppStorage() const { return FAppStorage; }
  void SetAppStorage(TCustomAppStorage* value);

 private:
  TAppSubStorages& FCollection;
  std::string FRootPath;
  TCustomAppStorage* FAppStorage = nullptr;
};

class TAppSubStorages : public TObject {
 public:
  explicit TAppSubStorages(TCustomAppStorage& owner) : FOwner(owner) {}

  TCustomAppStorage& Owner() const { return FOwner; }
  TAppSubStorage& Add();
  std::size_t Count() const { return FItems.size(); }
  TAppSubStorage& Items(std::size_t index) const { return *FItems.at(index); }
  void Delete(std::size_t index);
  void Clear() { FItems.clear(); }

  // The entry whose root path begins `path` (a "\" and normalised segments) at a segment
  // boundary, the longest such root winning; null when none.
  TAppSubStorage* MatchingItem(const std::string& path) const;
  // False when another entry than `ignore` has this root path.
  bool IsUniqueRoot(const std::string& rootPath, const TAppSubStorage* ignore) const;
  // True when `storage`, or any storage it hands paths on to, is `target`.
  static bool Reaches(const TCustomAppStorage* storage, const TCustomAppStorage* target);
  // Drops the entries served by a storage that goes away.
  void RemoveStorage(const void* storage);

 private:
  TCustomAppStorage& FOwner;
  std::vector<std::unique_ptr<TAppSubStorage>> FItems;
};
