#include "storage/FormStorage.h"

#include <algorithm>

#include "storage/PropertyStorage.h"
#include "storage/StorageText.h"

namespace {

bool SplitLine(const std::string& line, std::string& component, std::string& property) {
  std::size_t dot = line.find('.');
  if (dot == std::string::npos) return false;
  component = Trim(line.substr(0, dot));
  property = Trim(line.substr(dot + 1));
  return !component.empty() && !property.empty();
}
}  // namespace

TFormStorage::TFormStorage(TComponent* owner, TPlatform* platform)
    : TFormPlacement(owner, platform) {}

TFormStorage::~TFormStorage() { FDestroying = true; }

void TFormStorage::SetStoredProps(const std::vector<std::string>& lines) {
  FStoredProps.Clear();
  for (const auto& line : lines) FStoredProps.Add(line);
  if (!Loading()) ResolveStoredProps(true);
}

void TFormStorage::Loaded() {
  TFormPlacement::Loaded();
  ResolveStoredProps(true);
}

void TFormStorage::Notification(TComponent* component, TOperation operation) {
  TFormPlacement::Notification(component, operation);
  if (operation != TOperation::opRemove || FDestroying) return;
  for (std::size_t i = FStoredProps.Count(); i-- > 0;)
    if (static_cast<const void*>(FStoredProps.Objects(i)) == static_cast<const void*>(component))
      FStoredProps.Delete(i);
}

void TFormStorage::ResolveStoredProps(bool bind) {
  for (std::size_t i = FStoredProps.Count(); i-- > 0;) {
    std::string componentName, property;
    if (!SplitLine(FStoredProps.Strings(i), componentName, property)) {
      FStoredProps.Delete(i);
      continue;
    }
    if (bind) {
      TComponent* found = Owner() ? Owner()->FindComponent(componentName) : nullptr;
      if (found)
        FStoredProps.SetObjects(i, found);
      else
        FStoredProps.Delete(i);
    } else if (TComponent* bound = FStoredProps.Objects(i)) {
      FStoredProps.SetStrings(i, bound->Name() + "." + property);
    } else {
      FStoredProps.Delete(i);
    }
  }
}

void TFormStorage::WritePlacement() {
  TFormPlacement::WritePlacement();
  WriteStoredProps();
}

void TFormStorage::ReadPlacement() {
  TFormPlacement::ReadPlacement();
  try {
    ReadStoredProps();
  } catch (const std::exception&) {
    // A restore goes on with whatever could be read.
  }
}

void TFormStorage::WriteStoredProps() { RunStoredProps(false); }
void TFormStorage::ReadStoredProps() { RunStoredProps(true); }

void TFormStorage::RunStoredProps(bool reading) {
  if (!AppStorage()) return;
  TPropertyStorage worker(*AppStorage(),
                          TCustomAppStorage::JoinPaths({AppStoragePath(), FStoredPropsPath}));
  ResolveStoredProps(false);

  // Each distinct component's published properties, methods left out.
  std::vector<std::pair<TComponent*, std::vector<const TPropInfo*>>> lists;
  for (std::size_t i = 0; i < FStoredProps.Count(); ++i) {
    TComponent* component = FStoredProps.Objects(i);
    auto known = std::find_if(lists.begin(), lists.end(),
                              [component](const auto& entry) { return entry.first == component; });
    if (known != lists.end()) continue;
    std::vector<const TPropInfo*> properties;
    for (const TPropInfo* info : GetPropList(*component))
      if (info->Kind != TTypeKind::tkMethod) properties.push_back(info);
    lists.emplace_back(component, std::move(properties));
  }

  // In list order: a failed write ends the run with the earlier values written.
  for (std::size_t i = 0; i < FStoredProps.Count(); ++i) {
    std::string componentName, property;
    if (!SplitLine(FStoredProps.Strings(i), componentName, property)) continue;
    TComponent* component = FStoredProps.Objects(i);
    auto entry = std::find_if(lists.begin(), lists.end(),
                              [component](const auto& e) { return e.first == component; });
    if (entry == lists.end()) continue;
    auto info = std::find_if(entry->second.begin(), entry->second.end(),
                             [&](const TPropInfo* p) { return SameText(p->Name, property); });
    if (info == entry->second.end()) continue;
    if (reading)
      worker.LoadObjectProperty(*component, **info);
    else
      worker.StoreObjectProperty(*component, **info);
  }
}
