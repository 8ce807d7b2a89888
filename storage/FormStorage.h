#pragma once
// A form placement that also stores chosen published properties of the form's components,
// listed as "Component.Property" lines.
#include <string>
#include <vector>

#include "storage/FormPlacement.h"
#include "storage/FormStorageStringList.h"

class TFormStorage : public TFormPlacement {
 public:
  explicit TFormStorage(TComponent* owner, TPlatform* platform = nullptr);
  ~TFormStorage() override;

  TFormStorageStringList& StoredProps() { return FStoredProps; }
  // Replaces the list; outside loading the lines are bound to the components at once.
  void SetStoredProps(const std::vector<std::string>& lines);
  const std::string& StoredPropsPath() const { return FStoredPropsPath; }
  void SetStoredPropsPath(const std::string& value) { FStoredPropsPath = value; }
  const std::string& StoredValuesPath() const { return FStoredValuesPath; }
  void SetStoredValuesPath(const std::string& value) { FStoredValuesPath = value; }

 protected:
  void Loaded() override;
  void Notification(TComponent* component, TOperation operation) override;
  void WritePlacement() override;
  void ReadPlacement() override;
  void ReadPlacementFailed() override;
  virtual void WriteStoredProps();
  virtual void ReadStoredProps();

 private:
  // Walks the list from the end: drops lines that do not split into two non-empty halves
  // or name no component; binding looks the components up by name, otherwise each line is
  // rewritten with its bound component's current name.
  void ResolveStoredProps(bool bind);
  enum class TRun { Read, Write, MarkUnread };
  void RunStoredProps(TRun run);
  void MarkUnread(TComponent& component, const TPropInfo& info);
  // Whether the property may be written: not while it still holds what it held when its read
  // failed.
  bool MayWrite(TComponent& component, const TPropInfo& info);

  TFormStorageStringList FStoredProps;
  // Properties whose last read failed in the storage (not merely found nothing usable), with
  // their value at that time. What they hold then is not what is stored, so writing it back
  // would replace the user's setting; once a read succeeds or the value changes, they are
  // written again.
  struct TUnread {
    TComponent* Component;
    std::string Property;
    std::string Value;
  };
  std::vector<TUnread> FUnread;
  std::string FStoredPropsPath;
  std::string FStoredValuesPath;
  bool FDestroying = false;
};
