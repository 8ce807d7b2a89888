#include "storage/FormStorage.h"

#include <algorithm>

#include "framework/Strings.h"
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

// The property's value in a comparable form; kinds without one compare as unchanged.
std::string Snapshot(TObject& object, const TPropInfo& info) {
  if (info.GetOrd) return std::to_string(info.GetOrd(object));
  if (info.GetFloat) return std::to_string(static_cast<double>(info.GetFloat(object)));
  if (info.GetStr) return info.GetStr(object);
  return {};
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
  std::erase_if(FUnread, [component](const TUnread& u) {
    return static_cast<const void*>(u.Component) == static_cast<const void*>(component);
  });
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

void TFormStorage::ReadPlacementFailed() {
  TFormPlacement::ReadPlacementFailed();
  RunStoredProps(TRun::MarkUnread);
}

void TFormStorage::WriteStoredProps() { RunStoredProps(TRun::Write); }
void TFormStorage::ReadStoredProps() { RunStoredProps(TRun::Read); }

void TFormStorage::MarkUnread(TComponent& component, const TPropInfo& info) {
  std::string value = Snapshot(component, info);
  for (TUnread& u : FUnread)
    if (u.Component == &component && u.Property == info.Name) {
      u.Value = std::move(value);
      return;
    }
  FUnread.push_back({&component, info.Name, std::move(value)});
}

bool TFormStorage::MayWrite(TComponent& component, const TPropInfo& info) {
  auto u = std::find_if(FUnread.begin(), FUnread.end(), [&](const TUnread& e) {
    return e.Component == &component && e.Property == info.Name;
  });
  if (u == FUnread.end()) return true;
  if (u->Value == Snapshot(component, info)) return false;
  FUnread.erase(u);
  return true;
}

void TFormStorage::RunStoredProps(TRun run) {
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
    switch (run) {
      case TRun::Read:
        if (worker.LoadObjectProperty(*component, **info))
          std::erase_if(FUnread, [&](const TUnread& u) {
            return u.Component == component && u.Property == (*info)->Name;
          });
        else
          MarkUnread(*component, **info);
        break;
      case TRun::Write:
        if (MayWrite(*component, **info)) worker.StoreObjectProperty(*component, **info);
        break;
      case TRun::MarkUnread:
        MarkUnread(*component, **info);
        break;
    }
  }
}
