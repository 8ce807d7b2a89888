#include "app/Unit1.h"

#include <string>
#include <utility>
#include <vector>

#include "app/TrayHint.h"
#include "app/WindowLooks.h"
#include "hw/FanLine.h"
#include "hw/FanPolicy.h"
#include "hw/SensorReadings.h"
#include "platform/Exception.h"

namespace {
constexpr std::uint32_t kRecoverySleepMs = 1000;
constexpr char kDegreeSign[] = "\xC2\xB0";  // UTF-8, as the tray takes its text

// Said once per user, beside the thresholds under the storage's root (not the window's key).
constexpr char kEntryToldValue[] = "TrayNoticeShown";
constexpr char kEntryTitle[] = "Kelvane runs in the notification area";
constexpr char kEntryText[] =
    "Windows may keep its icon among the hidden icons. To keep the temperature in view, drag "
    "the icon onto the taskbar, or turn it on in Settings > Personalisation > Taskbar > Other "
    "system tray icons.";
// The balloon's title holds 63 characters, its text 255.
static_assert(sizeof kEntryTitle <= 64 && sizeof kEntryText <= 256);

// The tray picture kept with the window description, in 16 colours (' ' is transparent).
// The text rendering replaces it before the message loop runs.
constexpr const char* kTrayPicture[16] = {
    "      kkkk      ", "     kwwwwk     ", "     kwsswk     ", "     kwsswk  kk ",
    "     kwsswk     ", "     kwsswk  kk ", "     kwrrwk     ", "     kwrrwk  kk ",
    "     kwrrwk     ", "     kwrrwk  kk ", "    kwrrrrwk    ", "   kwrrrrrrwk   ",
    "   kwrrrrrrwk   ", "   kwrrrrrrwk   ", "    kwrrrrwk    ", "     kkkkkk     ",
};

void LoadTrayPicture(IGdi& gdi, TIcon& icon) {
  constexpr TColor kTransparent = clFuchsia;
  std::vector<TColorRef> pixels;
  for (const char* row : kTrayPicture)
    for (const char* p = row; *p; ++p)
      pixels.push_back(*p == 'k'   ? clBlack
                       : *p == 'w' ? clWhite
                       : *p == 's' ? clSilver
                       : *p == 'r' ? clRed
                                   : kTransparent);
  TBitmap bitmap(gdi);
  bitmap.LoadFromPixels(16, 16, pixels);
  icon.FromBitmap(bitmap, kTransparent);
}

// Marks a refresh as running for its whole extent, exceptions included.
class TRefreshGuard {
 public:
  explicit TRefreshGuard(bool& running) : FRunning(running) { FRunning = true; }
  ~TRefreshGuard() { FRunning = false; }

 private:
  bool& FRunning;
};
}  // namespace

TForm1::TForm1(TComponent* owner, IPortAccess& ports) : TForm(owner), FPortAccess(ports) {
  LoadDescription();
  // The window exists, hidden, before FormCreate runs: a close request sent while the
  // start-up box is open reaches it.
  Handle();
}

// ---- the window description ----------------------------------------------------
// Components are created and their properties set in the description's order while they
// are loading; then every component runs its end-of-loading step.
void TForm1::LoadDescription() {
  BeginLoading();
  SetName("Form1");
  SetLeft(207);
  SetTop(129);
  SetBorderIcons(biMinimize);
  SetBorderStyle(TBorderStyle::bsToolWindow);
  SetCaption(" Kelvane");
  SetClientHeight(274);
  SetClientWidth(206);
  SetPosition(TPosition::poScreenCenter);
  OnCreate = {this, &TForm1::FormCreate};
  OnHide = {this, &TForm1::FormHide};
  OnShow = {this, &TForm1::FormShow};
  OnEndSession = {this, &TForm1::FormEndSession};
  OnResume = {this, &TForm1::FormResume};

  auto make = [this]<class T>(T*& field, const char* name, TWinControl* parent) {
    field = NewComponent<T>(this);
    field->BeginLoading();
    field->SetName(name);
    if constexpr (std::is_base_of_v<TControl, T>) field->SetParent(parent);
  };
  // Visual controls are placed right after they are made, then given their own properties.
  auto control = [&]<class T>(T*& field, const char* name, TWinControl* parent, int left, int top,
                              int width, int height) {
    make(field, name, parent);
    field->SetBounds(left, top, width, height);
  };
  auto captioned = [&]<class T>(T*& field, const char* name, TWinControl* parent, int left, int top,
                                int width, int height, const char* caption) {
    control(field, name, parent, left, top, width, height);
    field->SetCaption(caption);
  };
  auto digits = [&](TDigits*& field, const char* name, TWinControl* parent, int left, int top) {
    control(field, name, parent, left, top, 29, 25);
    ApplyDigitsLook(*field);
  };
  auto upDown = [&](TUpDown*& field, const char* name, int top, int min, int max, int position,
                    TUDClickEvent onClick) {
    control(field, name, GroupBox2, 176, top, 12, 24);
    field->SetMin(min);
    field->SetMax(max);
    field->SetPosition(position);
    field->OnClick = std::move(onClick);
  };

  make(TextTrayIcon1, "TextTrayIcon1", nullptr);
  TextTrayIcon1->SetCycleInterval(0);
  {
    TIcon picture(Platform().Gdi);
    LoadTrayPicture(Platform().Gdi, picture);
    TextTrayIcon1->SetIcon(&picture);
  }
  TextTrayIcon1->SetIconVisible(true);
  TextTrayIcon1->SetIconIndex(0);
  TextTrayIcon1->OnClick = {this, &TForm1::TextTrayIcon1Click};
  TextTrayIcon1->SetText("00\xC2\xB0");
  TextTrayIcon1->Font().SetName("Arial Narrow");
  TextTrayIcon1->Font().SetHeight(-11);
  TextTrayIcon1->Font().SetColor(clPurple);
  TextTrayIcon1->Font().SetCharset(DEFAULT_CHARSET);
  TextTrayIcon1->Font().SetStyle(0);
  TextTrayIcon1->SetBorder(true);
  TextTrayIcon1->Options().SetOffsetX(2);
  TextTrayIcon1->Options().SetOffsetY(0);
  TextTrayIcon1->Options().SetLineDistance(0);

  captioned(GroupBox1, "GroupBox1", this, 4, 4, 197, 121, " Current temperature: ");
  captioned(Label2, "Label2", GroupBox1, 20, 28, 25, 13, "CPU:");
  captioned(Label3, "Label3", GroupBox1, 20, 60, 63, 13, "Motherboard:");

  make(AppRegistryStorage1, "AppRegistryStorage1", nullptr);
  AppRegistryStorage1->SetRoot("Software\\Kelvane");
  AppRegistryStorage1->StorageOptions().SetBooleanStringTrueValues("TRUE, YES, Y");
  AppRegistryStorage1->StorageOptions().SetBooleanStringFalseValues("FALSE, NO, N");

  make(FormStorage1, "FormStorage1", nullptr);
  FormStorage1->SetAppStorage(AppRegistryStorage1);
  FormStorage1->SetAppStoragePath("Form1\\");
  FormStorage1->SetOptions({});
  FormStorage1->SetStoredProps({"udBoostOffTemp.Position", "udBoostOnTemp.Position"});

  digits(dgCurrentCPUTemp, "dgCurrentCPUTemp", GroupBox1, 144, 24);
  digits(dgCurrentMotherboardTemp, "dgCurrentMotherboardTemp", GroupBox1, 144, 56);
  control(cbBoosted, "cbBoosted", GroupBox1, 152, 92, 13, 17);
  ApplyLampLook(*cbBoosted);
  captioned(Label4, "Label4", GroupBox1, 20, 92, 62, 13, "Fun boosted:");

  captioned(GroupBox2, "GroupBox2", this, 4, 132, 197, 105, " Settings: ");
  captioned(Label1, "Label1", GroupBox2, 12, 28, 124, 13, "Fun boost on temperature:");
  digits(dgBoostOnTemp, "dgBoostOnTemp", GroupBox2, 144, 24);
  dgBoostOnTemp->SetValue(45);
  captioned(Label5, "Label5", GroupBox2, 12, 68, 124, 13, "Fun boost off temperature:");
  digits(dgBoostOffTemp, "dgBoostOffTemp", GroupBox2, 144, 64);
  dgBoostOffTemp->SetValue(45);
  upDown(udBoostOnTemp, "udBoostOnTemp", 24, 20, 85, 65, {this, &TForm1::udBoostOnTempClick});
  upDown(udBoostOffTemp, "udBoostOffTemp", 64, 19, 85, 55, {this, &TForm1::udBoostOffTempClick});

  make(Timer1, "Timer1", nullptr);
  Timer1->SetInterval(5000);
  Timer1->SetOnTimer({this, &TForm1::Timer1Timer});

  captioned(Button1, "Button1", this, 65, 244, 75, 25, "&Hide");
  Button1->SetDefault(true);
  Button1->SetTabOrder(2);
  Button1->OnClick = {this, &TForm1::Button1Click};

  EndLoading();
  for (const auto& component : Components()) component->EndLoading();
}

// ---- handlers ------------------------------------------------------------------

void TForm1::FormCreate(TObject*) {
  // The timer already runs: a tick inside the start-up's modal box waits for the next one.
  TRefreshGuard guard(FRefreshing);
  FBoosted = true;
  // The saved thresholds govern the fan from the first refresh, not only after a show; a
  // failing read is reported and the description's values stay.
  try {
    RestoreThresholds();
  } catch (const std::exception& e) {
    ReportException(Platform(), e);
  }
  FPortAccess.EnablePortAccess();
  // A close request answered inside the missing-driver box has ended the program.
  if (TApplication* application = TApplication::Of(Platform());
      application && application->Terminated())
    return;
  RefreshTemperatures();
}

void TForm1::Timer1Timer(TObject*) {
  if (FRefreshing) return;
  TRefreshGuard guard(FRefreshing);
  RefreshTemperatures();
}

// Waking may have reset the chip's configuration and the fan line: both are set again at
// once, without waiting for the next tick.
void TForm1::FormResume(TObject*) {
  if (FRefreshing) return;
  TRefreshGuard guard(FRefreshing);
  FPortAccess.EnableAfterResume();
  RefreshTemperatures();
}

void TForm1::FormShow(TObject*) { RestoreThresholds(); }

void TForm1::RestoreThresholds() {
  FormStorage1->RestoreState();
  FStoredThresholds = Thresholds();
  SyncThresholds();
}

void TForm1::FormHide(TObject*) { SaveThresholds(); }

// A forced shutdown asks no close query and may end the process right after this returns:
// thresholds changed since they were last stored are stored now.
void TForm1::FormEndSession(TObject*) {
  if (Thresholds() != FStoredThresholds) SaveThresholds();
}

void TForm1::SaveThresholds() {
  FormStorage1->SaveState();
  FStoredThresholds = Thresholds();
}

TForm1::TThresholds TForm1::Thresholds() const {
  return {udBoostOnTemp->Position(), udBoostOffTemp->Position()};
}

void TForm1::TextTrayIcon1Click(TObject*) {
  if (Visible()) {
    Hide();
  } else {
    Show();
  }
}

void TForm1::Button1Click(TObject*) { Hide(); }

void TForm1::udBoostOnTempClick(TObject*, TUDBtnType) { SyncThresholds(); }

void TForm1::udBoostOffTempClick(TObject*, TUDBtnType) { SyncThresholds(); }

// ---- the refresh ---------------------------------------------------------------

void TForm1::RecoverPortAccess() {
  // A second helps only a driver started just now; otherwise it would only stall the window.
  if (FPortAccess.EnablePortAccess()) Platform().System.Sleep(kRecoverySleepMs);
}

// The chip is read under the bus lock first and shown afterwards, so the lock is not held
// across painting and the shell. A reading that completed before a refused access is shown;
// a skipped refresh (another tool kept the bus) leaves every display as it was. Port access is
// recovered once per refresh, whichever accesses were refused.
void TForm1::RefreshTemperatures() {
  TSensorReadings readings = ReadSensors(FPorts, FBusLock);
  if (readings.Cpu) {
    dgCurrentCPUTemp->SetValue(*readings.Cpu);
    FCpuRead = true;
  }
  std::string trayText = TextTrayIcon1->Text();
  if (readings.CpuForTray) trayText = std::to_string(*readings.CpuForTray) + kDegreeSign;
  if (readings.Motherboard) {
    dgCurrentMotherboardTemp->SetValue(*readings.Motherboard);
    FMotherboardRead = true;
  }
  bool recovered = readings.Refused;
  if (recovered) RecoverPortAccess();
  bool boost = FFanPolicy.Decide(FBoosted, readings.Cpu, udBoostOnTemp->Position(),
                                 udBoostOffTemp->Position());
  bool fanWritten = SetBoosted(boost);
  if (!fanWritten && !recovered) RecoverPortAccess();
  ShowOnTray(readings, fanWritten, trayText);
}

// The picture and the hint go to the shell together, in one request. A new reading is drawn
// and pushed as ever; without one, the shell is told only of a hint it does not have yet.
void TForm1::ShowOnTray(const TSensorReadings& readings, bool fanWritten,
                        const std::string& trayText) {
  TTrayReadings shown;
  if (FCpuRead) shown.Cpu = static_cast<int>(dgCurrentCPUTemp->Value());
  if (FMotherboardRead) shown.Motherboard = static_cast<int>(dgCurrentMotherboardTemp->Value());
  shown.Fan = FFanLine;
  shown.NotRead = TipFault(FPortAccess.Fault(), readings, fanWritten);
  std::string hint = TrayHint(shown);
  // Sized at every refresh: a new scale of the taskbar is drawn for with or without a reading.
  if (readings.CpuForTray || hint != TextTrayIcon1->Hint() || !TextTrayIcon1->EntryInStep()) {
    TextTrayIcon1->SetHintForNextUpdate(hint);
    TextTrayIcon1->SetText(trayText);
  } else {
    TextTrayIcon1->FollowIconSize();
  }
  TellFailSafe(hint);
  TellWhereTheEntryIs();
}

// The fan boosted for want of a reading, and the readings back: each said once, as a balloon
// from the entry, when it happens (or when the window that showed it is hidden again).
void TForm1::TellFailSafe(const std::string& hint) {
  bool blind = FFanLine == TFanLine::BoostedBlind;
  if (blind == FToldBlind || Visible()) return;
  // The cause is the tip's fourth line.
  std::size_t cause = 0;
  for (int line = 0; line < 3 && cause != std::string::npos; ++line)
    cause = hint.find('\n', cause + (line ? 1 : 0));
  bool told =
      blind ? TextTrayIcon1->ShowBalloonHint(
                  "Kelvane cannot read the sensors: the fan is boosted",
                  cause == std::string::npos ? "No reading came" : hint.substr(cause + 1),
                  NIIF_WARNING)
            : TextTrayIcon1->ShowBalloonHint("Kelvane reads the sensors again",
                                             "The fan follows the thresholds again", NIIF_INFO);
  if (told) {
    FToldBlind = blind;
    FFailSafeTold = true;
  }
}

// Windows 10 and later put a new entry among the hidden icons: the first run for a user says
// where Kelvane went and how to keep the temperature in view. Balloons of one entry replace
// each other, so it never goes out in a run whose fail-safe has spoken or has something to
// say; it waits for a run without. A refused balloon is tried again at the next refresh.
void TForm1::TellWhereTheEntryIs() {
  if (FEntryToldWhere || FFailSafeTold || FFanLine == TFanLine::BoostedBlind || Visible()) return;
  FEntryToldWhere = true;
  try {
    if (!Platform().Shell.HidesNewEntries()) return;
    // Unreadable: rather no notice than one at every start.
    std::uint64_t failures = AppRegistryStorage1->ReadFailures();
    if (AppRegistryStorage1->ReadInteger(kEntryToldValue, 0) != 0 ||
        AppRegistryStorage1->ReadFailures() != failures)
      return;
    if (!TextTrayIcon1->ShowBalloonHint(kEntryTitle, kEntryText, NIIF_INFO)) {
      FEntryToldWhere = false;
      return;
    }
    AppRegistryStorage1->WriteInteger(kEntryToldValue, 1);
  } catch (const Exception&) {
  }
}

// Only a refused port is recovered from; any other fault reaches the report. False when the
// port refused the write: the state and the lamp stay as they were.
bool TForm1::SetBoosted(bool value) {
  try {
    WriteFanLine(FPorts, value);
    FBoosted = value;
    FFanLine = !value               ? TFanLine::Normal
               : FFanPolicy.Blind() ? TFanLine::BoostedBlind
                                    : TFanLine::Boosted;
    cbBoosted->SetChecked(value);
    return true;
  } catch (const EPrivilegedInstruction&) {
    return false;
  }
}

void TForm1::SyncThresholds() {
  dgBoostOffTemp->SetValue(udBoostOffTemp->Position());
  dgBoostOnTemp->SetValue(udBoostOnTemp->Position());
  if (udBoostOffTemp->Position() >= udBoostOnTemp->Position()) {
    udBoostOffTemp->SetPosition(static_cast<std::int16_t>(udBoostOnTemp->Position() - 1));
    dgBoostOffTemp->SetValue(udBoostOffTemp->Position());
  }
}
