// One controller per machine: programs started one after the other on one simulated session
// (one window system, one namespace of named objects), each later one as a process of its
// own, starts beside a copy that runs in another log-on session, squats of the locks, and the
// take-over from a copy without full rights. Wine has no elevation, keeps no other user out
// and runs every process as one account: only the simulated machine decides these cases.
#include <gtest/gtest.h>

#include <memory>
#include <set>

#include "app/Program.h"
#include "hw/giveio.h"
#include "platform/sim/SimPlatform.h"

namespace {
const char kLockFile[] = "C:\\Program Files\\Kelvane\\Kelvane.lock";
const char kOtherUser[] = "S-1-5-21-1004336348-1177238915-682003330-1002";

// A window of another process that answers nothing and notes what reaches it.
struct TOtherWindow : IWindowProc {
  TOtherWindow(TSimWindowing& windows, std::uint32_t process, const char* caption) {
    std::uint32_t running = windows.ProcessId;
    windows.ProcessId = process;
    TWindowParams params;
    params.Class = TWindowClass::Application;
    params.Caption = caption;
    params.Proc = this;
    Handle = windows.CreateWindow(params);
    windows.ProcessId = running;
  }
  std::intptr_t WindowProc(HWnd, std::uint32_t message, std::uintptr_t, std::intptr_t) override {
    Got.push_back(message);
    return 0;
  }
  HWnd Handle = HWnd::None;
  std::vector<std::uint32_t> Got;
};

struct OneInstance : ::testing::Test {
  OneInstance() {
    Sim.System.AddFile("C:\\Program Files\\Kelvane\\giveio.sys");
    Sim.Chip.SetTemperatures(47, 30);
  }

  // What a second start could disturb, taken before it.
  struct TSnapshot {
    std::uint64_t PortAccesses;
    std::size_t RegistryCalls;
    std::size_t TrayRequests;
    std::size_t Windows;
    std::size_t Timers;
    std::size_t Boxes;
    friend bool operator==(const TSnapshot&, const TSnapshot&) = default;
  };
  TSnapshot Snapshot() {
    return {Sim.Chip.AccessCount(),    Sim.Registry.Calls.size(), Sim.Shell.Requests.size(),
            Sim.Windows.WindowCount(), Sim.Windows.TimerCount(),  Sim.System.Boxes.size()};
  }

  // Starts a program as another process would (its windows and calls are that process's).
  bool StartAnother(std::uint32_t process = 2, TStartedBy startedBy = TStartedBy::User) {
    std::uint32_t running = Sim.Windows.ProcessId;
    Sim.Windows.ProcessId = process;
    TGiveIo anotherPorts(Sim.Platform().System, Sim.Platform().Ports);
    TProgram another(Sim.Platform(), anotherPorts, startedBy);
    bool started = another.Start();
    Sim.Windows.ProcessId = running;
    return started;
  }
  // The requests to show the window that reached a window procedure, by window.
  std::vector<HWnd> HandOversDelivered() {
    std::uint32_t handOver = Sim.Windows.RegisterWindowMessage(kHandOverMessageName);
    std::vector<HWnd> windows;
    for (const TMsg& m : Sim.Windows.Delivered)
      if (m.Message == handOver) windows.push_back(m.Window);
    return windows;
  }

  TSimPlatform Sim;
};
}  // namespace

// The first runs with more rights than the second (elevated): its filter lets the request in.
TEST_F(OneInstance, SecondStartHandsOverToTheHiddenFirstAndEnds) {
  Sim.Windows.ElevatedProcesses = {1};
  TGiveIo firstPorts(Sim.Platform().System, Sim.Platform().Ports);
  TProgram first(Sim.Platform(), firstPorts);
  ASSERT_TRUE(first.Start());
  Sim.RunFor(7000);
  TForm1& form = *first.Form();
  ASSERT_FALSE(form.Visible());
  const TSnapshot before = Snapshot();
  Sim.Windows.Recording = true;
  EXPECT_FALSE(StartAnother());
  EXPECT_EQ(Snapshot(), before);  // no port, registry, tray, window, timer or box
  EXPECT_EQ(TApplication::Of(Sim.Platform()), first.Application());
  EXPECT_EQ(Sim.System.ForegroundAllowedTo, 1u) << "the running process, not any";

  Sim.RunFor(0);  // the first program takes the request from its queue
  // Sent to the running program's application window alone, not to every window.
  EXPECT_EQ(HandOversDelivered(), std::vector<HWnd>{first.Application()->Handle()});
  EXPECT_TRUE(form.Visible());
  EXPECT_TRUE(Sim.Windows.IsWindowVisible(form.Handle()));
  EXPECT_EQ(Sim.Windows.GetForegroundWindow(), form.Handle());
  // Shown as a tray click shows it: the thresholds restored and mirrored.
  EXPECT_GT(Sim.Registry.Calls.size(), before.RegistryCalls);
  EXPECT_EQ(form.dgBoostOnTemp->Value(), 65);
  // Still the one tray entry, refreshed by the one timer.
  Sim.RunFor(5000);
  EXPECT_EQ(Sim.Windows.TimerCount(), before.Timers);
}

// A start while the running copy is still inside its start-up (here the missing-driver box
// of its form's creation, whose loop takes the request): the window shows once start-up ends.
TEST_F(OneInstance, HandOverDuringTheFirstStartUpShowsTheWindowWhenItEnds) {
  Sim.System.RemoveFile("C:\\Program Files\\Kelvane\\giveio.sys");
  bool handedOver = false;
  Sim.System.OnMessageBox = [&](const TSimSystem::TMessageBoxRecord&) {
    if (!handedOver) handedOver = !StartAnother();
    return TSimSystem::TAnswer{IDOK, 200};
  };
  TGiveIo firstPorts(Sim.Platform().System, Sim.Platform().Ports);
  TProgram first(Sim.Platform(), firstPorts);
  ASSERT_TRUE(first.Start());
  ASSERT_TRUE(handedOver);
  for (const auto& box : Sim.System.Boxes) EXPECT_NE(box.Text, kOtherSessionText);
  EXPECT_TRUE(first.Form()->Visible());
  EXPECT_EQ(Sim.Windows.GetForegroundWindow(), first.Form()->Handle());
  first.Form()->Hide();
  Sim.RunFor(5000);
  EXPECT_FALSE(first.Form()->Visible()) << "the request is used once";
}

// The lock file is held by an administrator's process while this session's mutex is absent:
// the copy runs in another session. Where this session's mutex is held too (a copy still
// starting, or a program that took the name) but no window comes, the start cannot tell who
// holds the lock, and says so after waiting for one. Either way one box, nothing else touched.
TEST_F(OneInstance, StartBesideAHolderWithoutAWindowHereSaysWhyOnceAndEnds) {
  struct TCase {
    const char* Name;
    bool SessionHeld;
    bool SessionKeepsUsOut;
    const char* Text;
    std::uint64_t Waited;
  };
  const TCase cases[] = {
      {"another session", false, false, "Kelvane already controls the fan in another session.", 0},
      {"this session, no window", true, false, kHolderUnknownText, kRunningWindowWaitMs},
      {"this session, another user's", true, true, kHolderUnknownText, kRunningWindowWaitMs}};
  // The log-on task's start says nothing and does not wait.
  for (const TCase& c : cases)
    for (TStartedBy by : {TStartedBy::User, TStartedBy::LogOnTask}) {
      SCOPED_TRACE(c.Name);
      TSimPlatform sim;
      sim.System.AddFile("C:\\Program Files\\Kelvane\\giveio.sys");
      ASSERT_TRUE(sim.System.HoldLockFile(kLockFile, true));
      if (c.SessionHeld) sim.System.HoldMutex(kSessionMutexName, {}, c.SessionKeepsUsOut);
      TGiveIo programPorts(sim.Platform().System, sim.Platform().Ports);
      TProgram program(sim.Platform(), programPorts, by);
      EXPECT_FALSE(program.Start());
      EXPECT_EQ(program.Application(), nullptr);
      EXPECT_EQ(sim.Chip.AccessCount(), 0u);
      EXPECT_TRUE(sim.Registry.Calls.empty());
      EXPECT_TRUE(sim.Shell.Requests.empty());
      EXPECT_EQ(sim.Windows.WindowCount(), 0u);
      EXPECT_EQ(sim.System.OpenHandleCount(), 0u);
      if (by == TStartedBy::LogOnTask) {
        EXPECT_TRUE(sim.System.Boxes.empty());
        EXPECT_EQ(sim.Clock.Now(), 0u);
        continue;
      }
      ASSERT_EQ(sim.System.Boxes.size(), 1u);
      EXPECT_EQ(sim.System.Boxes[0].Text, c.Text);
      EXPECT_EQ(sim.System.Boxes[0].OpenedAt, c.Waited);
      EXPECT_EQ(sim.System.Boxes[0].Caption, "Kelvane");
      EXPECT_EQ(sim.System.Boxes[0].Flags, MB_OK | MB_ICONINFORMATION);
      EXPECT_EQ(sim.System.Boxes[0].Owner, HWnd::None);
    }
}

// Nobody but an administrator can take the machine's lock first: an object of the name the
// lock once had, another user's attempt at the lock file, a lock file held by anyone in a
// folder that users may change (where it proves nothing, so it is not used), or a program of
// the desktop user holding the session's mutex: each start still reads and drives the fan.
TEST_F(OneInstance, SquatsOfTheLocksDoNotStopAStart) {
  struct TCase {
    const char* Name;
    std::function<void(TSimSystem&)> Squat;
  };
  const TCase cases[] = {
      {"the old name, kept from us",
       [](TSimSystem& s) {
         EXPECT_TRUE(s.HoldMutex("Global\\Kelvane.Controller", {}, true, true));
         EXPECT_FALSE(s.HoldLockFile(kLockFile)) << "a standard user may not make it";
       }},
      {"a folder users may change",
       [](TSimSystem& s) {
         s.SetAccessList("C:\\Program Files\\Kelvane",
                         {false, {{true, 0x001F01FF, "S-1-5-32-545", false}}});
         EXPECT_TRUE(s.HoldLockFile(kLockFile));
       }},
      {"the session's mutex, no window", [](TSimSystem& s) { s.HoldMutex(kSessionMutexName); }},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    TSimPlatform sim;
    sim.System.AddFile("C:\\Program Files\\Kelvane\\giveio.sys");
    sim.Chip.SetTemperatures(70, 30);
    sim.System.PortsGranted = true;  // whatever the folder, the driver runs already
    sim.System.SplitRights = true;
    sim.Windows.ElevatedProcesses = {1};
    c.Squat(sim.System);
    TGiveIo programPorts(sim.Platform().System, sim.Platform().Ports);
    TProgram program(sim.Platform(), programPorts);
    ASSERT_TRUE(program.Start());
    EXPECT_TRUE(sim.System.Boxes.empty());
    EXPECT_EQ(program.Form()->TextTrayIcon1->Hint(),
              "CPU: 70\xC2\xB0\nMotherboard: 30\xC2\xB0\nFan boost: on");
    EXPECT_EQ(sim.Shell.Entries.size(), 1u);
  }
}

// The log-on task starts the program again every minute: beside a copy of this session,
// hidden or shown, its start ends at once, showing, asking and writing nothing.
TEST_F(OneInstance, ALogOnTaskStartBesideACopyEndsSilently) {
  TGiveIo firstPorts(Sim.Platform().System, Sim.Platform().Ports);
  TProgram first(Sim.Platform(), firstPorts);
  ASSERT_TRUE(first.Start());
  Sim.RunFor(7000);
  for (bool shown : {false, true}) {
    if (shown) first.Form()->Show();
    const HWnd front = Sim.Windows.GetForegroundWindow();
    const TSnapshot before = Snapshot();
    const std::uint64_t at = Sim.Clock.Now();
    Sim.Windows.Recording = true;
    EXPECT_FALSE(StartAnother(2, TStartedBy::LogOnTask));
    Sim.RunFor(0);
    EXPECT_EQ(Snapshot(), before);
    EXPECT_EQ(Sim.Clock.Now(), at);
    EXPECT_TRUE(HandOversDelivered().empty());
    EXPECT_EQ(first.Form()->Visible(), shown);
    EXPECT_EQ(Sim.Windows.GetForegroundWindow(), front);
  }
}

// Only the task's one argument, exactly, marks its start.
TEST(OneInstanceStart, OnlyTheTasksArgumentMarksItsStart) {
  using TArgs = std::vector<const char*>;
  const std::pair<TArgs, TStartedBy> cases[] = {
      {{"kelvane.exe"}, TStartedBy::User},
      {{"kelvane.exe", "/autostart"}, TStartedBy::LogOnTask},
      {{"kelvane.exe", "/AUTOSTART"}, TStartedBy::User},
      {{"kelvane.exe", "-autostart"}, TStartedBy::User},
      {{"kelvane.exe", "/autostart", "x"}, TStartedBy::User},
  };
  for (const auto& [args, expected] : cases)
    EXPECT_EQ(StartedBy(static_cast<int>(args.size()), args.data()), expected) << args.size();
}

TEST_F(OneInstance, SecondStartBringsAVisibleFirstToTheFront) {
  TGiveIo firstPorts(Sim.Platform().System, Sim.Platform().Ports);
  TProgram first(Sim.Platform(), firstPorts);
  ASSERT_TRUE(first.Start());
  TForm1& form = *first.Form();
  form.Show();
  Sim.Windows.SetForegroundWindow(first.Application()->Handle());
  const std::size_t registryCalls = Sim.Registry.Calls.size();
  EXPECT_FALSE(StartAnother());
  Sim.RunFor(0);
  EXPECT_TRUE(form.Visible());  // not toggled away
  EXPECT_EQ(Sim.Windows.GetForegroundWindow(), form.Handle());
  EXPECT_EQ(Sim.Registry.Calls.size(), registryCalls);  // no second restore
}

TEST_F(OneInstance, EveryLaterStartHandsOverWhileTheFirstRuns) {
  TGiveIo firstPorts(Sim.Platform().System, Sim.Platform().Ports);
  TProgram first(Sim.Platform(), firstPorts);
  ASSERT_TRUE(first.Start());
  for (int i = 0; i < 3; ++i) EXPECT_FALSE(StartAnother()) << i;
  Sim.RunFor(0);
  EXPECT_TRUE(first.Form()->Visible());  // three requests show it, none hides it
  // The first's own locks, and nothing left by the later starts.
  EXPECT_TRUE(Sim.System.LockFileHeld(kLockFile));
  EXPECT_EQ(Sim.System.MutexHandleCount(kSessionMutexName), 1);
}

TEST_F(OneInstance, AfterTheFirstEndsTheNextStartRuns) {
  {
    TGiveIo firstPorts(Sim.Platform().System, Sim.Platform().Ports);
    TProgram first(Sim.Platform(), firstPorts);
    ASSERT_TRUE(first.Start());
    Sim.Windows.PostMessage(first.Form()->Handle(), WM_CLOSE, 0, 0);
    first.Run();
    EXPECT_TRUE(first.Application()->Terminated());
  }
  EXPECT_EQ(Sim.System.OpenHandleCount(), 0u);
  EXPECT_FALSE(Sim.System.FileExists(kLockFile)) << "gone with its holder";
  EXPECT_FALSE(Sim.System.MutexExists(kSessionMutexName));
  TGiveIo nextPorts(Sim.Platform().System, Sim.Platform().Ports);
  TProgram next(Sim.Platform(), nextPorts);
  EXPECT_TRUE(next.Start());
  EXPECT_NE(next.Form(), nullptr);
}

// Two starts in one session at once, in every order of their requests: one holds the machine's
// lock and the other hands over to it; neither takes the other for a copy in another session.
TEST(OneInstanceRace, TwoStartsAtOnceLeaveOneController) {
  for (unsigned order = 0; order < 64; ++order) {
    SCOPED_TRACE(order);
    TSimPlatform sim;
    TInstanceLock first(sim.System, TInstanceLock::TStepwise{});
    TInstanceLock second(sim.System, TInstanceLock::TStepwise{});
    bool firstGoesOn = true;
    bool secondGoesOn = true;
    for (int turn = 0; firstGoesOn || secondGoesOn; ++turn) {
      bool secondsTurn = !firstGoesOn || (secondGoesOn && ((order >> turn) & 1));
      if (secondsTurn) {
        secondGoesOn = second.Step();
      } else {
        firstGoesOn = first.Step();
      }
    }
    std::multiset<TMachineLock> machine{first.Machine(), second.Machine()};
    EXPECT_EQ(machine, (std::multiset{TMachineLock::Held, TMachineLock::InUse}));
    TInstanceLock& loser = first.Machine() == TMachineLock::InUse ? first : second;
    EXPECT_EQ(loser.Role(), TInstanceRole::SameSession);
  }
}

// At log-on the system starts the copy without full rights (it never elevates a log-on
// entry), and that copy cannot start the port driver. Started again "as administrator", the
// elevated copy closes it as at log-off (its thresholds kept), takes its place and reads.
// Wine has no elevation: only the simulated machine can tell this case.
TEST_F(OneInstance, ElevatedStartTakesOverFromAnUnelevatedCopy) {
  Sim.System.SplitRights = true;
  TGiveIo atLogOnPorts(Sim.System, Sim.Platform().Ports);
  auto atLogOn = std::make_unique<TProgram>(Sim.Platform(), atLogOnPorts);
  ASSERT_TRUE(atLogOn->Start());
  TForm1& old = *atLogOn->Form();
  Sim.RunFor(5000);
  EXPECT_NE(old.TextTrayIcon1->Hint().find("Ports refused"), std::string::npos);
  old.Show();
  Sim.Windows.ClickUpDown(old.udBoostOnTemp->Handle(), true);
  ASSERT_EQ(old.udBoostOnTemp->Position(), 66);

  Sim.Windows.ElevatedProcesses = {2};
  Sim.System.OnWaitForProcess = [&](std::uint32_t process, std::uint32_t) {
    EXPECT_EQ(process, 1u);
    Sim.Windows.ProcessId = 1;
    Sim.RunFor(0);  // the old copy takes the close request
    bool ended = atLogOn->Application()->Terminated();
    atLogOn.reset();
    Sim.Windows.ProcessId = 2;
    return ended;
  };
  Sim.Windows.ProcessId = 2;
  TGiveIo elevatedPorts(Sim.Platform().System, Sim.Platform().Ports);
  TProgram elevated(Sim.Platform(), elevatedPorts);
  ASSERT_TRUE(elevated.Start());
  EXPECT_EQ(atLogOn, nullptr);
  EXPECT_EQ(Sim.Registry.GetDword(HKEY_CURRENT_USER, "Software\\Kelvane\\Form1",
                                  "udBoostOnTemp_Position"),
            66u);
  EXPECT_EQ(elevated.Form()->TextTrayIcon1->Hint(),
            "CPU: 47\xC2\xB0\nMotherboard: 30\xC2\xB0\nFan boost: off");
  EXPECT_EQ(Sim.Shell.Entries.size(), 1u);
  EXPECT_TRUE(Sim.System.Boxes.empty());

  // Started again, elevated or not, beside the elevated copy: handed over as ever.
  EXPECT_FALSE(StartAnother(3));
  Sim.Windows.ElevatedProcesses.insert(4);
  EXPECT_FALSE(StartAnother(4));
  EXPECT_NE(elevated.Form(), nullptr);
}

// The copy at log-on is busy (in a box of its own, say) and does not take the close request:
// after 15 s it is ended, keeping the thresholds it saved last, and the elevated copy reads.
TEST_F(OneInstance, TakeOverEndsACopyThatDoesNotAnswerAndReads) {
  Sim.System.SplitRights = true;
  TGiveIo atLogOnPorts(Sim.Platform().System, Sim.Platform().Ports);
  TProgram atLogOn(Sim.Platform(), atLogOnPorts);
  ASSERT_TRUE(atLogOn.Start());
  TForm1& old = *atLogOn.Form();
  old.Show();
  Sim.Windows.ClickUpDown(old.udBoostOnTemp->Handle(), true);  // 66, not saved yet
  // Nothing pumps the old copy's queue meanwhile: it never takes the request, and the
  // system's end of it (the simulated machine's own) runs none of its code, so no close query
  // saves. Its object goes with the test.
  Sim.Windows.ElevatedProcesses = {2};
  Sim.Windows.ProcessId = 2;
  const std::uint64_t start = Sim.Clock.Now();
  TGiveIo elevatedPorts(Sim.Platform().System, Sim.Platform().Ports);
  TProgram elevated(Sim.Platform(), elevatedPorts);
  ASSERT_TRUE(elevated.Start());
  EXPECT_EQ(Sim.System.TerminatedProcesses, std::vector<std::uint32_t>{1});
  EXPECT_FALSE(Sim.System.ProcessRuns(1));
  EXPECT_GE(Sim.Clock.Now() - start, kCloseWaitMs);
  EXPECT_NE(Sim.Registry.GetDword(HKEY_CURRENT_USER, "Software\\Kelvane\\Form1",
                                  "udBoostOnTemp_Position"),
            66u);
  EXPECT_EQ(elevated.Form()->TextTrayIcon1->Hint(),
            "CPU: 47\xC2\xB0\nMotherboard: 30\xC2\xB0\nFan boost: off");
  EXPECT_TRUE(Sim.System.LockFileHeld(kLockFile));
}

// The first start holds both locks but has made no window yet: the second waits for it,
// then hands over, instead of ending silently.
TEST_F(OneInstance, SecondStartWhileTheFirstHasNoWindowYetHandsOver) {
  ASSERT_TRUE(Sim.System.HoldLockFile(kLockFile, true));
  Sim.System.HoldMutex(kSessionMutexName);
  TGiveIo firstPorts(Sim.System, Sim.Platform().Ports);
  std::unique_ptr<TProgram> first;
  Sim.System.WhileAsleep = [&] {
    if (Sim.Clock.Now() < 2000 || first) return;
    // The first start's own lock taking was the held pair; its window comes now.
    Sim.System.LetGoOfLockFile(kLockFile);
    Sim.System.ReleaseHeldMutex(kSessionMutexName);
    Sim.Windows.ProcessId = 1;
    first = std::make_unique<TProgram>(Sim.Platform(), firstPorts);
    EXPECT_TRUE(first->Start());
    Sim.Windows.ProcessId = 2;
  };
  EXPECT_FALSE(StartAnother(2));
  ASSERT_NE(first, nullptr);
  EXPECT_LT(Sim.Clock.Now(), 2000 + kRunningWindowPollMs + 1);
  EXPECT_TRUE(Sim.System.Boxes.empty());
  Sim.System.WhileAsleep = nullptr;
  Sim.RunFor(0);
  EXPECT_TRUE(first->Form()->Visible());
}

// Any program of the desktop may hold the session's mutex and make a window of Kelvane's class
// and caption. An elevated start closes it (or hands over to it) only when its process runs a
// kelvane.exe as this account and its token can be read; beside any other it reads and drives
// the fan itself, and says so. So an administrator who starts Kelvane with an account of their
// own beside the desktop user's copy neither closes that copy nor hands over to it. Wine runs
// every process as one account and reads every token: only the simulated machine decides these.
TEST_F(OneInstance, AnElevatedStartBesideAWindowThatOnlyLooksLikeKelvanesRunsAndSaysSo) {
  struct TCase {
    const char* Name;
    const char* Image;
    const char* User;
    bool TokenUnreadable;
    bool Kelvane;
  } const cases[] = {
      {"another program", "C:\\Users\\Public\\tool.exe", nullptr, false, false},
      {"another account's kelvane.exe", "C:\\Kelvane\\kelvane.exe", kOtherUser, false, false},
      {"a token that cannot be read", "C:\\Kelvane\\kelvane.exe", nullptr, true, false},
      {"this account's kelvane.exe, unelevated", "C:\\Kelvane\\KELVANE.EXE", nullptr, false, true},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    TSimPlatform sim;
    sim.System.AddFile("C:\\Program Files\\Kelvane\\giveio.sys");
    sim.Chip.SetTemperatures(70, 30);
    sim.System.SplitRights = true;
    sim.Windows.ElevatedProcesses = {1};
    sim.System.HoldMutex(kSessionMutexName);
    TOtherWindow other(sim.Windows, 7, kApplicationTitle);
    other.Got.clear();
    sim.System.ProcessImages[7] = c.Image;
    if (c.User) sim.System.ProcessUsers[7] = c.User;
    if (c.TokenUnreadable) sim.System.UnreadableTokens.insert(7);
    TGiveIo programPorts(sim.Platform().System, sim.Platform().Ports);
    TProgram program(sim.Platform(), programPorts);
    ASSERT_TRUE(program.Start());
    EXPECT_EQ(program.Form()->TextTrayIcon1->Hint(),
              "CPU: 70\xC2\xB0\nMotherboard: 30\xC2\xB0\nFan boost: on");
    // A Kelvane copy that does not take the close request is ended after its time; the others
    // are sent nothing.
    sim.RunFor(0);
    EXPECT_EQ(sim.Windows.IsWindow(other.Handle), !c.Kelvane);
    if (!c.Kelvane) {
      EXPECT_TRUE(other.Got.empty());
    }
    EXPECT_EQ(sim.System.TerminatedProcesses,
              c.Kelvane ? std::vector<std::uint32_t>{7} : std::vector<std::uint32_t>{});
    ASSERT_EQ(sim.System.Boxes.size(), c.Kelvane ? 0u : 1u);
    if (!c.Kelvane) {
      EXPECT_EQ(sim.System.Boxes[0].Text, kStrangerWindowText);
    }
  }
}

// The copy at log-on takes the close request and ends, and its process identifier passes at
// once to another program of the user. The elevated copy waited on the process it opened, not
// on the identifier: it ends nothing.
TEST_F(OneInstance, TakeOverEndsNothingWhenTheCopysIdentifierPassesToAnotherProcess) {
  Sim.System.SplitRights = true;
  TGiveIo atLogOnPorts(Sim.System, Sim.Platform().Ports);
  auto atLogOn = std::make_unique<TProgram>(Sim.Platform(), atLogOnPorts);
  ASSERT_TRUE(atLogOn->Start());
  std::unique_ptr<TOtherWindow> successor;
  Sim.System.OnWaitForProcess = [&](std::uint32_t process, std::uint32_t) {
    Sim.Windows.ProcessId = 1;
    Sim.RunFor(0);  // the old copy takes the close request
    atLogOn.reset();
    Sim.System.ReuseProcessId(1);
    successor = std::make_unique<TOtherWindow>(Sim.Windows, 1, "Another program");
    Sim.Windows.ProcessId = 2;
    return !Sim.System.ProcessRuns(process);  // by its identifier, it runs
  };
  Sim.Windows.ElevatedProcesses = {2};
  Sim.Windows.ProcessId = 2;
  TGiveIo elevatedPorts(Sim.Platform().System, Sim.Platform().Ports);
  TProgram elevated(Sim.Platform(), elevatedPorts);
  ASSERT_TRUE(elevated.Start());
  ASSERT_NE(successor, nullptr);
  EXPECT_TRUE(Sim.System.TerminatedProcesses.empty());
  EXPECT_TRUE(Sim.Windows.IsWindow(successor->Handle));
  EXPECT_TRUE(Sim.System.LockFileHeld(kLockFile));
}
