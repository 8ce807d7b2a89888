// The form storage on a form shaped like the main window: two thresholds saved on hide and
// close, restored on show, with the registry contents, order and failures a user would see.
//
// Still to test: window-placement values for non-empty Options (not built).
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "framework/Forms.h"
#include "framework/UpDown.h"
#include "platform/sim/SimPlatform.h"
#include "storage/AppRegistryStorage.h"
#include "storage/FormStorage.h"
#include "tests/support/StorageForm.h"

namespace {
constexpr HKey HKCU = HKEY_CURRENT_USER;
constexpr char kKey[] = "Software\\Kelvane\\Form1";
constexpr char kOff[] = "udBoostOffTemp_Position";
constexpr char kOn[] = "udBoostOnTemp_Position";

struct FormStorage : ::testing::Test {
  TSimPlatform Sim;
  TSimRegistry& Reg = Sim.Registry;
  std::unique_ptr<TApplication> App;
  TStorageForm* Form = nullptr;

  void SetUp() override { Start(); }
  void Start() {
    App = std::make_unique<TApplication>(Sim.Platform());
    App->SetTitle("Kelvane");
    Form = App->CreateForm<TStorageForm>();
  }
  void Destroy() {
    App.reset();
    Form = nullptr;
  }
  void TearDown() override {
    Destroy();
    EXPECT_EQ(Reg.OpenKeyCount(), 0u) << "a key was left open";
  }
  std::vector<std::string> WrittenNames() const {
    std::vector<std::string> names;
    for (const auto& w : Reg.Writes) names.push_back(w.Name);
    return names;
  }
  std::vector<int> Positions() const {
    return {Form->udBoostOffTemp->Position(), Form->udBoostOnTemp->Position()};
  }
  // Some registry call since the calls were last cleared names `fragment`.
  bool Called(const std::string& fragment) const {
    for (const auto& call : Reg.Calls)
      if (call.find(fragment) != std::string::npos) return true;
    return false;
  }
  std::vector<std::string> BoxTexts() const {
    std::vector<std::string> texts;
    for (const auto& b : Sim.System.Boxes) texts.push_back(b.Text);
    return texts;
  }
};

using TNames = std::vector<std::string>;
using TInts = std::vector<int>;
}  // namespace

// ---- saving ------------------------------------------------------------------------

TEST_F(FormStorage, EmptyRegistryShowThenHideWritesThreeDwordsInOrder) {
  Form->Show();
  EXPECT_TRUE(Reg.Writes.empty()) << "showing writes nothing";
  Form->Hide();
  ASSERT_EQ(WrittenNames(), (TNames{"FormVersion", kOff, kOn}));
  for (const auto& w : Reg.Writes) {
    EXPECT_EQ(w.Key, "HKEY_CURRENT_USER\\Software\\Kelvane\\Form1");
    EXPECT_EQ(w.Kind, REG_DWORD);
  }
  EXPECT_EQ(Reg.GetDword(HKCU, kKey, "FormVersion"), 0u);
  EXPECT_EQ(Reg.GetDword(HKCU, kKey, kOff), 55u);
  EXPECT_EQ(Reg.GetDword(HKCU, kKey, kOn), 65u);
  EXPECT_EQ(Reg.ValueNames(HKCU, kKey), (TNames{"FormVersion", kOff, kOn}))
      << "nothing else is stored";
  EXPECT_TRUE(Sim.System.Boxes.empty());
}

TEST_F(FormStorage, NegativePositionIsStoredSignExtended) {
  Form->udBoostOffTemp->SetMin(-40);
  Form->udBoostOffTemp->SetPosition(-30);
  Form->FormStorage1->SaveState();
  EXPECT_EQ(Reg.GetDword(HKCU, kKey, kOff), 0xFFFFFFE2u);
}

TEST_F(FormStorage, ChangingAThresholdWhileVisibleWritesNothing) {
  Form->Show();
  Form->udBoostOnTemp->SetPosition(70);
  Sim.RunFor(60000);
  EXPECT_TRUE(Reg.Writes.empty());
  Form->Hide();
  EXPECT_EQ(Reg.GetDword(HKCU, kKey, kOn), 70u);
}

// ---- restoring ---------------------------------------------------------------------

TEST_F(FormStorage, StoredValuesAreRestoredAtShowAndNotBefore) {
  Destroy();
  Reg.SetDword(HKCU, kKey, kOn, 70);
  Reg.SetDword(HKCU, kKey, kOff, 60);
  Start();
  Sim.RunFor(10000);
  EXPECT_EQ(Positions(), (TInts{55, 65})) << "nothing is read before the first show";
  Form->Show();
  EXPECT_EQ(Form->PositionsAtFormShow, (TInts{60, 70}));
  EXPECT_EQ(Positions(), (TInts{60, 70}));
}

TEST_F(FormStorage, EveryShowRestoresTwice) {
  Reg.SetDword(HKCU, kKey, kOn, 70);
  Reg.Calls.clear();
  Form->Show();
  int versionReads = 0;
  for (const auto& call : Reg.Calls)
    versionReads += call.rfind("RegQueryValueExA", 0) == 0 &&
                    call.find("[FormVersion]") != std::string::npos &&
                    call.find("-> 2") != std::string::npos;
  EXPECT_EQ(versionReads, 2);
}

TEST_F(FormStorage, VersionCheck) {
  struct {
    std::uint32_t Stored;
    TFormPlacementVersionCheck Check;
    std::int32_t Version;
    bool Restores;
  } cases[] = {
      {0xFFFFFFFF, TFormPlacementVersionCheck::fpvcCheckGreaterEqual, 0, false},
      {5, TFormPlacementVersionCheck::fpvcCheckGreaterEqual, 0, true},
      {0, TFormPlacementVersionCheck::fpvcCheckGreaterEqual, 0, true},
      {0x7FFFFFFF, TFormPlacementVersionCheck::fpvcCheckGreaterEqual, 0, true},
      {2, TFormPlacementVersionCheck::fpvcCheckGreaterEqual, 3, false},
      {5, TFormPlacementVersionCheck::fpvcCheckEqual, 0, false},
      {3, TFormPlacementVersionCheck::fpvcCheckEqual, 3, true},
      {0xFFFFFFFF, TFormPlacementVersionCheck::fpvcNocheck, 0, true},
  };
  for (const auto& c : cases) {
    Destroy();
    Reg.SetDword(HKCU, kKey, "FormVersion", c.Stored);
    Reg.SetDword(HKCU, kKey, kOn, 70);
    Start();
    Form->FormStorage1->SetVersionCheck(c.Check);
    Form->FormStorage1->SetVersion(c.Version);
    Form->FormStorage1->RestoreState();
    EXPECT_EQ(Form->udBoostOnTemp->Position(), c.Restores ? 70 : 65)
        << "stored " << c.Stored << ", version " << c.Version;
  }
}

TEST_F(FormStorage, RefusedVersionIsRewrittenOnTheNextHide) {
  Reg.SetDword(HKCU, kKey, "FormVersion", 0xFFFFFFFF);
  Reg.SetDword(HKCU, kKey, kOff, 60);
  Form->Show();
  EXPECT_EQ(Positions(), (TInts{55, 65}));
  Form->Hide();
  EXPECT_EQ(Reg.GetDword(HKCU, kKey, "FormVersion"), 0u);
  EXPECT_EQ(Reg.GetDword(HKCU, kKey, kOff), 55u);
}

TEST_F(FormStorage, StoredFormsOfTheOffThreshold) {
  struct {
    const char* What;
    std::uint32_t Kind;
    std::vector<std::uint8_t> Data;
    int Expected;
  } cases[] = {
      {"text 60", REG_SZ, {'6', '0', 0}, 60},
      {"text that is not a number", REG_SZ, {'w', 'a', 'r', 'm', 0}, 55},
      {"binary 3C 00", REG_BINARY, {0x3C, 0}, 60},
      {"multi-string", REG_MULTI_SZ, {'6', '0', 0, 0}, 55},
      {"dword 19, the low end", REG_DWORD, {19, 0, 0, 0}, 19},
  };
  for (const auto& c : cases) {
    Reg.SetValue(HKCU, kKey, kOff, c.Kind, c.Data);
    Form->udBoostOffTemp->SetPosition(55);
    Form->FormStorage1->RestoreState();
    EXPECT_EQ(Form->udBoostOffTemp->Position(), c.Expected) << c.What;
  }
  EXPECT_TRUE(Sim.System.Boxes.empty()) << "unusable values are not reported";
}

TEST_F(FormStorage, OutOfRangeValueIsCutTo16BitsAndClampedByTheControl) {
  // Clamped without the cut, both would read 85.
  Reg.SetDword(HKCU, kKey, kOn, 65606);   // 0x00010046: 70 once cut
  Reg.SetDword(HKCU, kKey, kOff, 65546);  // 0x0001000A: 10 once cut, below the minimum 19
  Form->Show();
  EXPECT_EQ(Positions(), (TInts{19, 70}));
}

TEST_F(FormStorage, SubKeyNamedLikeTheValueIsTriedAndLeavesThePosition) {
  Reg.CreateKey(HKCU, std::string(kKey) + "\\" + kOff);
  Reg.Calls.clear();
  Form->Show();
  EXPECT_EQ(Positions(), (TInts{55, 65}));
  EXPECT_TRUE(Called(std::string("Form1\\") + kOff + " 0x20019 -> 0"))
      << "the path was tested as a key";
  EXPECT_TRUE(Reg.KeyExists(HKCU, std::string(kKey) + "\\" + kOff));
  EXPECT_TRUE(Sim.System.Boxes.empty());
}

// ---- the chained events ------------------------------------------------------------

TEST_F(FormStorage, CloseQuerySavesVisibleOrHidden) {
  EXPECT_TRUE(Form->CloseQuery());  // hidden, nothing stored yet
  EXPECT_EQ(WrittenNames(), (TNames{"FormVersion", kOff, kOn}));
  Reg.Writes.clear();
  Form->Show();
  EXPECT_TRUE(Form->CloseQuery());
  EXPECT_EQ(Reg.Writes.size(), 3u);
  Reg.Writes.clear();
  Destroy();
  EXPECT_TRUE(Reg.Writes.empty()) << "after a close query has saved, destroying writes nothing";
}

TEST_F(FormStorage, CloseQueryRunsTheFormsHandlerFirstAndHonoursIt) {
  TForm form(App.get());
  form.SetName("Form2");
  bool allow = false;
  form.OnCloseQuery = TCloseQueryEvent([&](TObject*, bool& canClose) { canClose = allow; });
  TAppRegistryStorage storage(&form);
  storage.SetRoot("Software\\Kelvane");
  TFormStorage formStorage(&form);
  formStorage.BeginLoading();
  formStorage.SetAppStorage(&storage);
  formStorage.EndLoading();
  EXPECT_FALSE(form.CloseQuery());
  EXPECT_TRUE(Reg.Writes.empty()) << "a refused close saves nothing";
  allow = true;
  EXPECT_TRUE(form.CloseQuery());
  EXPECT_EQ(WrittenNames(), (TNames{"FormVersion"}));
  EXPECT_EQ(Reg.Writes[0].Key, "HKEY_CURRENT_USER\\Software\\Kelvane\\Form2");
}

TEST_F(FormStorage, DestroySavesOnlyAfterARestoreSinceTheLastSave) {
  // Hidden after a save: nothing more.
  Form->Show();
  Form->Hide();
  Reg.Writes.clear();
  Destroy();
  EXPECT_TRUE(Reg.Writes.empty());

  // Visible, no close query: one save from the destroy hook.
  Start();
  Form->Show();
  Form->udBoostOnTemp->SetPosition(75);
  Reg.Writes.clear();
  Destroy();
  EXPECT_EQ(WrittenNames(), (TNames{"FormVersion", kOff, kOn}));
  EXPECT_EQ(Reg.GetDword(HKCU, kKey, kOn), 75u);

  // Never shown, nothing stored yet: the design values are saved.
  Reg.Writes.clear();
  Reg.DeleteValue(HKCU, kKey, "FormVersion");
  Start();
  Destroy();
  EXPECT_EQ(WrittenNames(), (TNames{"FormVersion", kOff, kOn}));
}

// The hooks save what the form holds, restored or not: keeping a log-off before the first
// show from replacing stored settings is the program's start-up restore's work.
TEST_F(FormStorage, HooksSaveWhatTheFormHoldsAfterAPlainStart) {
  Destroy();
  Reg.Writes.clear();
  Reg.SetDword(HKCU, kKey, kOff, 60);
  Reg.SetDword(HKCU, kKey, kOn, 70);
  Start();
  Form->FormStorage1->RestoreState();
  EXPECT_EQ(Positions(), (TInts{60, 70}));
  EXPECT_TRUE(Form->CloseQuery());
  EXPECT_EQ(WrittenNames(), (TNames{"FormVersion", kOff, kOn}));
  EXPECT_EQ(Reg.GetDword(HKCU, kKey, kOn), 70u);
}

namespace {
void Plant(TSimRegistry& reg) {
  reg.DeleteKey(HKCU, "Software\\Kelvane");
  reg.SetDword(HKCU, kKey, "FormVersion", 0);
  reg.SetDword(HKCU, kKey, kOff, 60);
  reg.SetDword(HKCU, kKey, kOn, 70);
}
}  // namespace

// Where the registry failed while a threshold was read, the form holds a value that is not
// the stored one; saving must leave the stored one alone. Values that are missing or
// unusable are no failure: the form's values are written over them.
TEST_F(FormStorage, ThresholdWhoseReadFailedIsNotWrittenBack) {
  struct TCase {
    const char* Name;
    TRegOp Op;
    std::string Target;
    TRegStatus Code;
    int Times;
    int After;
    bool Raises;
    TNames Written;
  };
  const std::vector<TCase> cases = {
      {"the version read raises",
       TRegOp::OpenKey,
       kKey,
       ERROR_ACCESS_DENIED,
       1,
       0,
       true,
       {"FormVersion"}},
      {"the key will not open for reading",
       TRegOp::OpenKeyEx,
       kKey,
       ERROR_ACCESS_DENIED,
       -1,
       0,
       false,
       {"FormVersion"}},
      {"the off-threshold's existence test raises",
       TRegOp::OpenKey,
       kKey,
       ERROR_ACCESS_DENIED,
       1,
       1,
       false,
       {"FormVersion", kOn}},
      {"the on-threshold's query fails",
       TRegOp::QueryValue,
       kOn,
       ERROR_CANTREAD,
       -1,
       0,
       false,
       {"FormVersion", kOff}},
      {"the off-threshold is an empty value",
       TRegOp::QueryValue,
       "",
       ERROR_SUCCESS,
       0,
       0,
       false,
       {"FormVersion", kOff, kOn}},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    Destroy();
    Plant(Reg);
    if (c.Times == 0) Reg.SetValue(HKCU, kKey, kOff, REG_BINARY, {});
    Start();
    Form->udBoostOffTemp->SetPosition(50);  // what the form holds when a read fails
    Form->udBoostOnTemp->SetPosition(80);
    if (c.Times != 0) Reg.InjectFault(c.Op, c.Target, c.Code, c.Times, c.After);
    if (c.Raises)
      EXPECT_THROW(Form->FormStorage1->RestoreState(), ERegistryError);
    else
      EXPECT_NO_THROW(Form->FormStorage1->RestoreState());
    Reg.ClearFaults();
    Reg.Writes.clear();
    Form->FormStorage1->SaveState();
    EXPECT_EQ(WrittenNames(), c.Written);
    Reg.Writes.clear();
    EXPECT_TRUE(Form->CloseQuery());  // a log-off or close request later on
    EXPECT_EQ(WrittenNames(), c.Written);
    if (c.Written.size() == 1) {
      EXPECT_EQ(Reg.GetDword(HKCU, kKey, kOff), 60u);
      EXPECT_EQ(Reg.GetDword(HKCU, kKey, kOn), 70u);
    }
  }
}

TEST_F(FormStorage, FailedReadIsWrittenAgainOnceReadOrChanged) {
  Destroy();
  Plant(Reg);
  Start();
  Reg.InjectFault(TRegOp::OpenKeyEx, kKey, ERROR_ACCESS_DENIED, -1);
  Form->FormStorage1->RestoreState();
  Reg.ClearFaults();
  EXPECT_EQ(Positions(), (TInts{55, 65}));
  Reg.Writes.clear();
  Form->FormStorage1->SaveState();
  EXPECT_EQ(WrittenNames(), (TNames{"FormVersion"}));

  // Changed by the user: written.
  Reg.Writes.clear();
  Form->udBoostOnTemp->SetPosition(75);
  Form->FormStorage1->SaveState();
  EXPECT_EQ(WrittenNames(), (TNames{"FormVersion", kOn}));
  EXPECT_EQ(Reg.GetDword(HKCU, kKey, kOn), 75u);
  EXPECT_EQ(Reg.GetDword(HKCU, kKey, kOff), 60u);

  // Read at last: written as usual from then on.
  Form->FormStorage1->RestoreState();
  EXPECT_EQ(Positions(), (TInts{60, 75}));
  Reg.Writes.clear();
  Form->FormStorage1->SaveState();
  EXPECT_EQ(WrittenNames(), (TNames{"FormVersion", kOff, kOn}));
}

TEST_F(FormStorage, FormsOwnHandlersComeBackWhenTheStorageGoes) {
  std::vector<std::string> calls;
  TForm form(App.get());
  form.SetName("Form2");
  form.OnShow = TNotifyEvent([&](TObject*) { calls.push_back("show"); });
  form.OnDestroy = TNotifyEvent([&](TObject*) { calls.push_back("destroy"); });
  TAppRegistryStorage storage(&form);
  auto formStorage = std::make_unique<TFormStorage>(&form);
  formStorage->BeginLoading();
  formStorage->SetAppStorage(&storage);
  formStorage->EndLoading();
  Reg.Calls.clear();
  form.Show();
  EXPECT_EQ(calls, (TNames{"show"}));
  EXPECT_TRUE(Called("HKEY_CURRENT_USER\\Form2 ")) << "the chained show hook read the form's key";
  Reg.Calls.clear();
  formStorage.reset();
  form.Hide();
  form.Show();
  EXPECT_EQ(calls, (TNames{"show", "show"}));
  EXPECT_TRUE(Reg.Calls.empty()) << "nothing of the storage is left in the events";
}

// ---- failures ----------------------------------------------------------------------

TEST_F(FormStorage, FailedWriteStopsAtThatValueAndKeepsEarlierOnes) {
  Reg.InjectFault(TRegOp::SetValue, kOff, ERROR_CANTWRITE);
  Form->Show();
  Form->Hide();
  EXPECT_FALSE(Sim.Windows.IsWindowVisible(Form->Handle())) << "the window still hides";
  EXPECT_EQ(WrittenNames(), (TNames{"FormVersion"}));
  EXPECT_EQ(BoxTexts(), (TNames{"Unable to open key \"Software\\Kelvane\\Form1\" for write."}));
  EXPECT_EQ(Sim.System.Boxes[0].Flags, MB_OK | MB_ICONSTOP);
  // The save did not finish, so destroying the window saves again.
  Reg.Writes.clear();
  Destroy();
  EXPECT_EQ(WrittenNames(), (TNames{"FormVersion", kOff, kOn}));
}

TEST_F(FormStorage, KeyThatCannotBeCreatedIsReported) {
  Reg.InjectFault(TRegOp::CreateKey, kKey, ERROR_ACCESS_DENIED, -1);
  Form->Hide();  // already hidden: no event
  EXPECT_TRUE(Form->CloseQuery());
  EXPECT_EQ(BoxTexts(), (TNames{"Unable to create key 'Software\\Kelvane\\Form1'"}));
  EXPECT_TRUE(Reg.Writes.empty());
  Reg.ClearFaults();
}

TEST_F(FormStorage, FailedVersionReadIsReportedAndTheWindowStillShows) {
  Reg.SetDword(HKCU, kKey, "FormVersion", 0);
  Reg.SetDword(HKCU, kKey, kOn, 70);
  Reg.InjectFault(TRegOp::OpenKey, kKey, ERROR_ACCESS_DENIED, 2);
  Form->Show();
  const std::string text = "Unable to open key \"Software\\Kelvane\\Form1\" for read.";
  EXPECT_EQ(BoxTexts(), (TNames{text, text})) << "from the show hook and from FormShow";
  EXPECT_EQ(Form->PositionsAtFormShow.size(), 0u) << "FormShow's own restore failed too";
  EXPECT_TRUE(Sim.Windows.IsWindowVisible(Form->Handle()));
  EXPECT_EQ(Form->udBoostOnTemp->Position(), 65);
}

TEST_F(FormStorage, FailedPropertyReadIsSwallowedAndTheOthersAreRead) {
  Reg.SetDword(HKCU, kKey, kOff, 60);
  Reg.SetDword(HKCU, kKey, kOn, 70);
  // The version's existence test passes; the off-threshold's then fails.
  Reg.InjectFault(TRegOp::OpenKey, kKey, ERROR_ACCESS_DENIED, 1, 1);
  Form->FormStorage1->RestoreState();
  EXPECT_EQ(Positions(), (TInts{55, 70}));
  EXPECT_TRUE(Sim.System.Boxes.empty());
}

// ---- the stored-properties list ----------------------------------------------------

namespace {
// Lets a test hand the storage a removal notice directly.
struct TOpenFormStorage : TFormStorage {
  using TFormStorage::Notification;
  using TFormStorage::TFormStorage;
};
}  // namespace

TEST_F(FormStorage, BadLinesAreDroppedWhenLoadingEnds) {
  TForm form(App.get());
  form.SetName("Form2");
  auto* ud = NewComponent<TUpDown>(&form);
  ud->SetName("udBoostOnTemp");
  auto storage = std::make_unique<TAppRegistryStorage>(&form);
  storage->SetRoot("Software\\Kelvane");
  auto* formStorage = NewComponent<TOpenFormStorage>(&form);
  formStorage->BeginLoading();
  formStorage->SetAppStorage(storage.get());
  formStorage->SetStoredProps(
      {"udMissing.Position", "NoDot", " udboostontemp . Position ", ".Position", "ud."});
  formStorage->EndLoading();
  EXPECT_EQ(formStorage->StoredProps().Lines(), (TNames{" udboostontemp . Position "}));
  EXPECT_EQ(formStorage->AppStoragePath(), "Form2") << "the default path, expanded";
  formStorage->SaveState();
  EXPECT_EQ(WrittenNames(), (TNames{"FormVersion", "udBoostOnTemp_Position"}));
  EXPECT_EQ(Reg.Writes[0].Key, "HKEY_CURRENT_USER\\Software\\Kelvane\\Form2");
  EXPECT_EQ(formStorage->StoredProps().Lines(), (TNames{"udBoostOnTemp.Position"}))
      << "rewritten with the component's name";

  // A bound component that goes away takes its line with it.
  formStorage->Notification(ud, TOperation::opRemove);
  EXPECT_TRUE(formStorage->StoredProps().Lines().empty());
  // The application storage going away leaves none.
  storage.reset();
  EXPECT_EQ(formStorage->AppStorage(), nullptr);
  Reg.Writes.clear();
  formStorage->SaveState();
  formStorage->RestoreState();
  EXPECT_TRUE(Reg.Writes.empty());
}

TEST_F(FormStorage, AppStoragePathSetter) {
  TFormStorage* fs = Form->FormStorage1;
  struct {
    const char* Set;
    const char* Expected;
  } cases[] = {
      {"Form1\\", "Form1\\"},
      {"Form1", "Form1\\"},
      {"", ""},
      {"%form_name%\\Sub", "Form1\\Sub\\"},
  };
  for (const auto& c : cases) {
    fs->SetAppStoragePath(c.Set);
    EXPECT_EQ(fs->AppStoragePath(), c.Expected) << c.Set;
  }
  fs->SetAppStoragePath("");
  fs->SaveState();
  EXPECT_TRUE(Reg.KeyExists(HKCU, "Software\\Kelvane"));
  EXPECT_EQ(Reg.GetDword(HKCU, "Software\\Kelvane", kOn), 65u);
}

TEST_F(FormStorage, MaximisedPositionIsMovedOffTheScreenByTheBorder) {
  Form->Show();  // the window is made after the first show event: nothing to adjust yet
  Form->Hide();
  Form->Show();
  TWindowPlacement placement;
  ASSERT_TRUE(Sim.Windows.GetWindowPlacement(Form->Handle(), placement));
  EXPECT_EQ(placement.MaxPosition, (TPoint{-4, -4}));  // sizeable: the frame's width
  EXPECT_TRUE(Sim.Windows.IsWindowVisible(Form->Handle()));
}
