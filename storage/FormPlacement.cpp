#include "storage/FormPlacement.h"

#include <algorithm>

#include "framework/Controls.h"
#include "storage/StorageText.h"

namespace {
constexpr char kFormNameMacro[] = "%FORM_NAME%";
constexpr char kFormVersion[] = "FormVersion";
constexpr char kActiveControl[] = "ActiveControl";

bool SameObject(const void* a, const void* b) { return a == b; }
}  // namespace

TFormPlacement::TFormPlacement(TComponent* owner, TPlatform* platform)
    : TComponent(owner, platform),
      FAppStoragePath(kFormNameMacro),
      FMinMaxInfo(std::make_unique<TWinMinMaxInfo>()),
      FForm(dynamic_cast<TForm*>(owner)) {
  if (FForm)
    FOptions = {TPlacementOption::fpState, TPlacementOption::fpSize, TPlacementOption::fpLocation};
}

TFormPlacement::~TFormPlacement() {
  // Give the form its own handlers back.
  if (FChained && FForm) {
    FForm->OnShow = FSaveFormShow;
    FForm->OnCloseQuery = FSaveFormCloseQuery;
    FForm->OnDestroy = FSaveFormDestroy;
  }
}

// ---- properties ----------------------------------------------------------------------

void TFormPlacement::SetAppStorage(TCustomAppStorage* value) {
  if (SameObject(value, FAppStorage)) return;
  if (FAppStorage) RemoveFreeNotification(FAppStorage);
  FAppStorage = value;
  if (value) FreeNotification(value);
}

void TFormPlacement::SetAppStoragePath(const std::string& value) {
  FAppStoragePath = value;
  if (!FAppStoragePath.empty() && FAppStoragePath.back() != '\\') FAppStoragePath += '\\';
  if (!Loading()) ExpandFormName();
}

void TFormPlacement::ExpandFormName() {
  if (!FForm) return;
  std::size_t at = FindText(FAppStoragePath, kFormNameMacro);
  if (at != std::string::npos)
    FAppStoragePath.replace(at, sizeof(kFormNameMacro) - 1, FForm->Name());
}

void TFormPlacement::Notification(TComponent* component, TOperation operation) {
  TComponent::Notification(component, operation);
  // Compared as addresses: the storage may be part-way through its destruction.
  if (operation == TOperation::opRemove && SameObject(component, FAppStorage))
    FAppStorage = nullptr;
}

// ---- end of loading and the chained form events ------------------------------------

void TFormPlacement::Loaded() {
  TComponent::Loaded();
  ExpandFormName();
  if (FForm && !FChained) {
    FSaveFormShow = FForm->OnShow;
    FSaveFormCloseQuery = FForm->OnCloseQuery;
    FSaveFormDestroy = FForm->OnDestroy;
    FForm->OnShow = {this, &TFormPlacement::FormShow};
    FForm->OnCloseQuery = {this, &TFormPlacement::FormCloseQuery};
    FForm->OnDestroy = {this, &TFormPlacement::FormDestroy};
    FChained = true;
    if (FPreventResize) FForm->SetBorderIcons(FForm->BorderIcons() & ~biMaximize);
  }
}

void TFormPlacement::FormShow(TObject* sender) {
  if (IsActive()) {
    try {
      RestoreState();
    } catch (const std::exception& e) {
      ReportException(Platform(), e);
    }
  }
  FSaveFormShow(sender);
}

void TFormPlacement::FormCloseQuery(TObject* sender, bool& canClose) {
  FSaveFormCloseQuery(sender, canClose);
  if (canClose && IsActive() && FForm) {
    try {
      SaveState();
    } catch (const std::exception& e) {
      ReportException(Platform(), e);
    }
  }
}

void TFormPlacement::FormDestroy(TObject* sender) {
  if (IsActive() && !FSaveFlag) {
    try {
      SaveState();
    } catch (const std::exception& e) {
      ReportException(Platform(), e);
    }
  }
  FSaveFormDestroy(sender);
}

// ---- saving and restoring ------------------------------------------------------------

void TFormPlacement::SaveState() {
  if (!FAppStorage) return;
  WriteInteger(kFormVersion, FVersion);
  OnSavePlacement(this);
  WritePlacement();
  FSaveFlag = true;
}

void TFormPlacement::RestoreState() {
  if (FAppStorage) {
    FSaveFlag = false;
    std::int32_t stored = 0;
    try {
      stored = ReadInteger(kFormVersion, 0);
    } catch (const std::exception&) {
      ReadPlacementFailed();
      throw;
    }
    bool restore = false;
    switch (FVersionCheck) {
      case TFormPlacementVersionCheck::fpvcNocheck:
        restore = true;
        break;
      case TFormPlacementVersionCheck::fpvcCheckGreaterEqual:
        restore = stored >= FVersion;
        break;
      case TFormPlacementVersionCheck::fpvcCheckEqual:
        restore = stored == FVersion;
        break;
    }
    if (restore) {
      ReadPlacement();
      OnRestorePlacement(this);
      if (std::ranges::count(FOptions, TPlacementOption::fpActiveControl) && FForm) {
        auto* control =
            dynamic_cast<TWinControl*>(FForm->FindComponent(ReadString(kActiveControl, "")));
        if (control && control->Visible() && control->Enabled())
          Platform().Windows.SetFocus(control->Handle());
      }
    }
  }
  AdjustMaximizedPosition();
}

// The window's position, size, state and active control are not written: no form of this
// program keeps them, whatever its Options say.
void TFormPlacement::WritePlacement() {}

void TFormPlacement::ReadPlacement() {
  if (FForm && FForm->HandleAllocated()) FForm->Invalidate();
}

void TFormPlacement::AdjustMaximizedPosition() {
  if (!FForm || !FForm->HandleAllocated() || Loading() || FPreventResize ||
      !FMinMaxInfo->DefaultMinMaxInfo())
    return;
  IWindowing& windows = Platform().Windows;
  HWnd window = FForm->Handle();
  TWindowPlacement placement;
  if (!windows.GetWindowPlacement(window, placement)) return;
  if (!windows.IsWindowVisible(window)) placement.ShowCmd = SW_HIDE;
  int cx = 0, cy = 0;
  switch (FForm->BorderStyle()) {
    case TBorderStyle::bsSingle:
    case TBorderStyle::bsToolWindow:
      cx = windows.GetSystemMetrics(SM_CXBORDER);
      cy = windows.GetSystemMetrics(SM_CYBORDER);
      break;
    case TBorderStyle::bsSizeable:
    case TBorderStyle::bsSizeToolWin:
      cx = windows.GetSystemMetrics(SM_CXFRAME);
      cy = windows.GetSystemMetrics(SM_CYFRAME);
      break;
    case TBorderStyle::bsDialog:
      cx = windows.GetSystemMetrics(SM_CXDLGFRAME);
      cy = windows.GetSystemMetrics(SM_CYDLGFRAME);
      break;
    case TBorderStyle::bsNone:
      break;
  }
  placement.MaxPosition = {-cx, -cy};
  windows.SetWindowPlacement(window, placement);
}

// ---- values under the placement's path -----------------------------------------------

std::string TFormPlacement::ValuePath(const std::string& name, bool reading) {
  return TCustomAppStorage::JoinPaths(
      {FAppStoragePath, FAppStorage->TranslateName(this, name, reading)});
}

std::int32_t TFormPlacement::ReadInteger(const std::string& name, std::int32_t defaultValue) {
  if (!FAppStorage || name.empty()) return defaultValue;
  return FAppStorage->ReadInteger(ValuePath(name, true), defaultValue);
}

void TFormPlacement::WriteInteger(const std::string& name, std::int32_t value) {
  if (FAppStorage && !name.empty()) FAppStorage->WriteInteger(ValuePath(name, false), value);
}

std::string TFormPlacement::ReadString(const std::string& name, const std::string& defaultValue) {
  if (!FAppStorage || name.empty()) return defaultValue;
  return FAppStorage->ReadString(ValuePath(name, true), defaultValue);
}

void TFormPlacement::WriteString(const std::string& name, const std::string& value) {
  if (FAppStorage && !name.empty()) FAppStorage->WriteString(ValuePath(name, false), value);
}

bool TFormPlacement::ReadBoolean(const std::string& name, bool defaultValue) {
  if (!FAppStorage || name.empty()) return defaultValue;
  return FAppStorage->ReadBoolean(ValuePath(name, true), defaultValue);
}

void TFormPlacement::WriteBoolean(const std::string& name, bool value) {
  if (FAppStorage && !name.empty()) FAppStorage->WriteBoolean(ValuePath(name, false), value);
}

long double TFormPlacement::ReadFloat(const std::string& name, long double defaultValue) {
  if (!FAppStorage || name.empty()) return defaultValue;
  return FAppStorage->ReadFloat(ValuePath(name, true), defaultValue);
}

void TFormPlacement::WriteFloat(const std::string& name, long double value) {
  if (FAppStorage && !name.empty()) FAppStorage->WriteFloat(ValuePath(name, false), value);
}
