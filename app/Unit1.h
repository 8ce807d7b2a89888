#pragma once
// The main window: owns every component, holds the Boost state, and turns window, timer,
// tray and button events into sensor reads, display updates and fan-port writes.
#include <cstdint>
#include <string>

#include <optional>
#include <utility>
#include "framework/Button.h"
#include "framework/Forms.h"
#include "framework/GroupBox.h"
#include "framework/Label.h"
#include "framework/Timer.h"
#include "framework/UpDown.h"

#include "app/TrayHint.h"
#include "hw/BusLock.h"
#include "hw/FanPolicy.h"
#include "hw/PortAccess.h"
#include "hw/SensorReadings.h"
#include "storage/AppRegistryStorage.h"
#include "storage/FormStorage.h"
#include "tray/TextTrayIcon.h"
#include "widgets/Digits.h"
#include "widgets/GlyphCheckBox.h"

class TForm1 : public TForm {
 public:
  // `ports`: what the executable links to reach the chip; it outlives the window.
  TForm1(TComponent* owner, IPortAccess& ports);

  // Components, in declaration order.
  TTextTrayIcon* TextTrayIcon1 = nullptr;
  TGroupBox* GroupBox1 = nullptr;
  TLabel* Label2 = nullptr;
  TLabel* Label3 = nullptr;
  TAppRegistryStorage* AppRegistryStorage1 = nullptr;
  TFormStorage* FormStorage1 = nullptr;
  TDigits* dgCurrentCPUTemp = nullptr;
  TDigits* dgCurrentMotherboardTemp = nullptr;
  TGlyphCheckBox* cbBoosted = nullptr;
  TLabel* Label4 = nullptr;
  TGroupBox* GroupBox2 = nullptr;
  TLabel* Label1 = nullptr;
  TDigits* dgBoostOnTemp = nullptr;
  TLabel* Label5 = nullptr;
  TDigits* dgBoostOffTemp = nullptr;
  TUpDown* udBoostOnTemp = nullptr;
  TUpDown* udBoostOffTemp = nullptr;
  TTimer* Timer1 = nullptr;
  TButton* Button1 = nullptr;

  // Event handlers.
  void FormCreate(TObject* sender);
  void Timer1Timer(TObject* sender);
  void FormShow(TObject* sender);
  void FormHide(TObject* sender);
  void FormEndSession(TObject* sender);
  void FormResume(TObject* sender);
  void TextTrayIcon1Click(TObject* sender);
  void Button1Click(TObject* sender);
  void udBoostOnTempClick(TObject* sender, TUDBtnType button);
  void udBoostOffTempClick(TObject* sender, TUDBtnType button);

  bool Boosted() const { return FBoosted; }

 private:
  void LoadDescription();
  void RefreshTemperatures();
  // False when the fan port refused the write.
  bool SetBoosted(bool value);
  void ShowOnTray(const TSensorReadings& readings, bool fanWritten, const std::string& trayText);
  void TellFailSafe(const std::string& hint);
  void TellWhereTheEntryIs();
  void SyncThresholds();
  // The stored thresholds into the up-downs, then kept in order; a failing read raises.
  void RestoreThresholds();
  // After a refused port access: open the ports again and give the system a second.
  void RecoverPortAccess();

  // On- and off-threshold.
  using TThresholds = std::pair<std::int16_t, std::int16_t>;
  TThresholds Thresholds() const;
  void SaveThresholds();

  bool FBoosted = false;
  TFanPolicy FFanPolicy;
  // What the last successful write put on the fan line.
  TFanLine FFanLine = TFanLine::Unknown;
  // What the last notice said: the fan boosted blind (true), or nothing yet, or readings back.
  bool FToldBlind = false;
  // A balloon of the fail-safe was shown in this run.
  bool FFailSafeTold = false;
  // Where the entry went was said (in this run or an earlier one), or needs no saying.
  bool FEntryToldWhere = false;
  // The thresholds as last saved or restored: what the registry holds.
  std::optional<TThresholds> FStoredThresholds;
  // A reading has reached the widget at least once (before that, the hint says so).
  bool FCpuRead = false;
  bool FMotherboardRead = false;
  // What opens the ports, and the bus it gives.
  IPortAccess& FPortAccess;
  IPortBus& FPorts = FPortAccess.Bus();
  // The chip's shared bus lock, open for the program's life.
  TBusLock FBusLock{Platform().System};
  // A refresh is running; a tick that arrives inside it (from a modal box's loop) is skipped.
  bool FRefreshing = false;
};
