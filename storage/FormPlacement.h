#pragma once
// Saves and restores a form's state in an application storage under a path of its own,
// with a version stamp. Placed on a form, it chains itself into the form's show, close-query
// and destroy events when loading ends, so the form restores when shown and saves when asked
// to close or destroyed.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "framework/Component.h"
#include "framework/Forms.h"
#include "storage/AppStorage.h"
#include "storage/WinMinMaxInfo.h"

enum class TPlacementOption { fpState, fpSize, fpLocation, fpActiveControl };
using TPlacementOptions = std::vector<TPlacementOption>;  // each at most once
enum class TFormPlacementVersionCheck { fpvcNocheck, fpvcCheckGreaterEqual, fpvcCheckEqual };

class TFormPlacement : public TComponent {
 public:
  explicit TFormPlacement(TComponent* owner, TPlatform* platform = nullptr);
  ~TFormPlacement() override;

  // ---- properties ----------------------------------------------------------
  bool Active() const { return FActive; }
  void SetActive(bool value) { FActive = value; }
  TCustomAppStorage* AppStorage() const { return FAppStorage; }
  void SetAppStorage(TCustomAppStorage* value);
  // Ends in "\" unless empty; "%FORM_NAME%" becomes the form's name.
  const std::string& AppStoragePath() const { return FAppStoragePath; }
  void SetAppStoragePath(const std::string& value);
  TWinMinMaxInfo& MinMaxInfo() { return *FMinMaxInfo; }
  const TPlacementOptions& Options() const { return FOptions; }
  void SetOptions(TPlacementOptions value) { FOptions = std::move(value); }
  bool PreventResize() const { return FPreventResize; }
  void SetPreventResize(bool value) { FPreventResize = value; }
  std::int32_t Version() const { return FVersion; }
  void SetVersion(std::int32_t value) { FVersion = value; }
  TFormPlacementVersionCheck VersionCheck() const { return FVersionCheck; }
  void SetVersionCheck(TFormPlacementVersionCheck value) { FVersionCheck = value; }

  TNotifyEvent OnSavePlacement;
  TNotifyEvent OnRestorePlacement;

  // ---- saving and restoring ------------------------------------------------
  void SaveState();
  void RestoreState();

  // Values named `name` under the placement's path; without a storage or a name a read
  // gives its default and a write does nothing.
  std::int32_t ReadInteger(const std::string& name, std::int32_t defaultValue);
  void WriteInteger(const std::string& name, std::int32_t value);
  std::string ReadString(const std::string& name, const std::string& defaultValue);
  void WriteString(const std::string& name, const std::string& value);
  bool ReadBoolean(const std::string& name, bool defaultValue);
  void WriteBoolean(const std::string& name, bool value);
  long double ReadFloat(const std::string& name, long double defaultValue);
  void WriteFloat(const std::string& name, long double value);

 protected:
  void Loaded() override;
  void Notification(TComponent* component, TOperation operation) override;

  virtual void WritePlacement();
  virtual void ReadPlacement();
  // The storage failed before the placement could be read: nothing of it was restored.
  virtual void ReadPlacementFailed() {}

  // The owner, when it is a form.
  TForm* Form() const { return FForm; }
  bool IsActive() const { return FActive && FAppStorage; }
  // Moves the maximised position so the borders lie just off the screen.
  void AdjustMaximizedPosition();

 private:
  void ExpandFormName();
  std::string ValuePath(const std::string& name, bool reading);
  void FormShow(TObject* sender);
  void FormCloseQuery(TObject* sender, bool& canClose);
  void FormDestroy(TObject* sender);

  bool FActive = true;
  TCustomAppStorage* FAppStorage = nullptr;
  std::string FAppStoragePath;
  std::unique_ptr<TWinMinMaxInfo> FMinMaxInfo;
  TPlacementOptions FOptions;
  bool FPreventResize = false;
  std::int32_t FVersion = 0;
  TFormPlacementVersionCheck FVersionCheck = TFormPlacementVersionCheck::fpvcCheckGreaterEqual;

  TForm* FForm = nullptr;
  // Set when a save has run, cleared when a restore starts: the destroy hook saves only
  // after a restore that no save has followed.
  bool FSaveFlag = false;
  // The form's handlers from before this component chained itself in.
  bool FChained = false;
  TNotifyEvent FSaveFormShow;
  TCloseQueryEvent FSaveFormCloseQuery;
  TNotifyEvent FSaveFormDestroy;
};
