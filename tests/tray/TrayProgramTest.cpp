// The tray entry of the whole program on the simulated machine: what the shell is asked
// from start to end, clicks that toggle the window, and a shell restart.
#include <gtest/gtest.h>

#include <algorithm>

#include "tests/support/SimFixture.h"
#include "tests/tray/TrayTestSupport.h"

namespace {
struct TLogged {
  std::uint32_t Message;
  bool Accepted;
  friend bool operator==(const TLogged&, const TLogged&) = default;
  friend void PrintTo(const TLogged& l, std::ostream* os) {
    *os << l.Message << (l.Accepted ? "+" : "-");
  }
};

std::vector<TLogged> Log(const TSimShell& shell, std::size_t from = 0) {
  std::vector<TLogged> log;
  for (std::size_t i = from; i < shell.Requests.size(); ++i)
    log.push_back({shell.Requests[i].Message, shell.Requests[i].Accepted});
  return log;
}

void Click(TSimProgram& program, const std::vector<std::uint32_t>& messages) {
  for (std::uint32_t m : messages) program.Sim.Shell.PostPointerMessage(program.Sim.Windows, m);
  program.RunFor(0);
}
}  // namespace

// What the shell keeps of the start-up: one entry, added with the description's icon, at
// notification version 3, and showing the first refresh's text with its hint before the
// message loop runs. (A refused request leaves the shell as it was.)
TEST(TrayProgram, StartUpAddsTheDescriptionsIconThenShowsTheFirstReading) {
  TSimProgram program;
  program.Sim.Chip.SetTemperatures(45, 30);
  TForm1& form = program.Start();
  std::vector<TSimShell::TRequest> accepted;
  for (const auto& r : program.Sim.Shell.Requests) {
    EXPECT_EQ(r.Data.cbSize, 936u);
    EXPECT_EQ(r.Data.uFlags, 7u);
    if (r.Accepted) accepted.push_back(r);
  }
  ASSERT_GE(accepted.size(), 2u);
  EXPECT_EQ(accepted.front().Message, NIM_ADD);
  EXPECT_NE(accepted.front().Data.hIcon, 0u) << "the description's icon";
  std::size_t adds = 0, versions = 0;
  for (const auto& r : accepted) {
    adds += r.Message == NIM_ADD;
    if (r.Message == NIM_SETVERSION) {
      ++versions;
      EXPECT_EQ(r.Data.uVersion, NOTIFYICON_VERSION);
    }
  }
  EXPECT_EQ(adds, 1u);
  EXPECT_GE(versions, 1u);
  EXPECT_EQ(program.Sim.Shell.Entries.begin()->second.uVersion, NOTIFYICON_VERSION);
  const auto& last = accepted.back();
  EXPECT_EQ(last.Message, NIM_MODIFY);
  EXPECT_EQ(static_cast<HIcon>(last.Data.hIcon), form.TextTrayIcon1->Icon()->Handle());
  EXPECT_EQ(TipOf(last.Data), "CPU: 45\xC2\xB0\nMotherboard: 30\xC2\xB0\nFan boost: off");
  for (std::size_t i = 0; i + 1 < accepted.size(); ++i)
    EXPECT_EQ(TipOf(accepted[i].Data), "") << "no hint before the first reading";
  EXPECT_EQ(form.TextTrayIcon1->Text(), "45\xC2\xB0");
  ASSERT_EQ(program.Sim.Shell.Entries.size(), 1u);
  EXPECT_EQ(static_cast<HIcon>(program.Sim.Shell.Entries.begin()->second.hIcon),
            form.TextTrayIcon1->Icon()->Handle());
}

TEST(TrayProgram, TheEntryShowsThePurpleTextOnAnOpaqueFramedButtonFace) {
  TSimProgram program;
  TForm1& form = program.Start();
  const auto* icon = program.Sim.Gdi.Icon(form.TextTrayIcon1->Icon()->Handle());
  ASSERT_NE(icon, nullptr);
  constexpr TColorRef kFace = 0xC0C0C0;
  for (std::size_t k = 0; k < 256; ++k) {
    int x = static_cast<int>(k % 16), y = static_cast<int>(k / 16);
    bool edge = x == 0 || y == 0 || x == 15 || y == 15;
    ASSERT_FALSE(icon->Transparent[k]) << k;
    TColorRef c = icon->Image.Pixels[k];
    if (edge)
      ASSERT_EQ(c, 0u) << x << "," << y;
    else
      ASSERT_TRUE(c == kFace || c == 0x800080) << x << "," << y;
  }
  // "45°" is 18 pixels wide and 11 high: x = (15 - 18) / 2 + 2 = 1, y = (15 - 11) / 2 = 2;
  // the glyphs sit 2 rows down in their 11-pixel cells. '4' has its first ink in column 3.
  EXPECT_EQ(icon->Image.At(4, 4), 0x800080u);
  EXPECT_EQ(icon->Image.At(1, 4), kFace);
}

TEST(TrayProgram, ClicksOnTheEntryToggleTheWindow) {
  TSimProgram program;
  TForm1& form = program.Start();
  program.RunFor(100);
  Click(program, {WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_LBUTTONUP});
  EXPECT_TRUE(form.Visible());
  EXPECT_TRUE(program.Sim.Windows.IsWindowVisible(form.Handle()));
  EXPECT_EQ(program.Sim.Windows.GetForegroundWindow(), form.Handle());
  Click(program, {WM_LBUTTONDOWN, WM_LBUTTONUP});
  EXPECT_FALSE(form.Visible());
  // A double-click toggles once; right and middle clicks do nothing.
  Click(program, {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP});
  EXPECT_TRUE(form.Visible());
  Click(program, {WM_RBUTTONDOWN, WM_RBUTTONUP, WM_MBUTTONDOWN, WM_MBUTTONUP});
  EXPECT_TRUE(form.Visible());
  // The Hide button hides; the next click shows again.
  program.Sim.Windows.ClickButton(form.Button1->Handle());
  EXPECT_FALSE(form.Visible());
  Click(program, {WM_LBUTTONDOWN, WM_LBUTTONUP});
  EXPECT_TRUE(form.Visible());
}

// Enter on the entry (two NIN_KEYSELECT) shows the window, as a click does, and the next
// press hides it and hands the keyboard back to the notification area; after a shell restart
// too. The Hide button leaves the keyboard where the system puts it.
TEST(TrayProgram, TheKeyboardTogglesTheWindowOncePerPress) {
  TSimProgram program;
  TForm1& form = program.Start();
  auto enter = [&] {
    program.RunFor(1000);
    ASSERT_TRUE(program.Sim.Shell.SelectWithKeyboard(program.Sim.Windows, true));
    program.RunFor(0);
  };
  auto focusReturned = [&] {
    return std::count_if(program.Sim.Shell.Requests.begin(), program.Sim.Shell.Requests.end(),
                         [](const auto& r) { return r.Message == NIM_SETFOCUS && r.Accepted; });
  };
  enter();
  EXPECT_TRUE(form.Visible());
  EXPECT_EQ(program.Sim.Windows.GetForegroundWindow(), form.Handle());
  enter();
  EXPECT_FALSE(form.Visible());
  EXPECT_EQ(focusReturned(), 1);
  program.Sim.Shell.Restart(program.Sim.Windows);
  enter();
  EXPECT_TRUE(form.Visible());
  program.Sim.Windows.ClickButton(form.Button1->Handle());
  EXPECT_FALSE(form.Visible());
  EXPECT_EQ(focusReturned(), 1);
}

TEST(TrayProgram, ShellRestartBringsBackTheLatestText) {
  TSimProgram program;
  TForm1& form = program.Start();
  program.Sim.Chip.SetTemperatures(71, 30);
  program.RunFor(5000);
  program.Sim.Shell.Restart(program.Sim.Windows);
  std::size_t before = program.Sim.Shell.Requests.size();
  program.RunFor(10);
  // A change first (a rescaled shell keeps its entries), refused by the restarted one.
  // The new entry is set to version 3 again.
  ASSERT_EQ(Log(program.Sim.Shell, before),
            (std::vector<TLogged>{{NIM_MODIFY, false}, {NIM_ADD, true}, {NIM_SETVERSION, true}}));
  EXPECT_EQ(static_cast<HIcon>(program.Sim.Shell.Requests[before + 1].Data.hIcon),
            form.TextTrayIcon1->Icon()->Handle());
  EXPECT_EQ(form.TextTrayIcon1->Text(), "71\xC2\xB0");
  // Refreshes go on updating the new entry.
  program.RunFor(5000);
  EXPECT_EQ(Log(program.Sim.Shell, before + 3), (std::vector<TLogged>{{NIM_MODIFY, true}}));
}

TEST(TrayProgram, OldCommonControlsMissTheRestartButTheNextRefreshAddsTheEntry) {
  TSimProgram program;
  program.Sim.Shell.CommonControlsVersion = {4, 70};
  program.Start();
  program.Sim.Shell.Restart(program.Sim.Windows);
  std::size_t before = program.Sim.Shell.Requests.size();
  program.RunFor(5000);
  EXPECT_TRUE(program.Sim.Shell.Entries.empty());
  program.RunFor(5000);
  EXPECT_EQ(Log(program.Sim.Shell, before),
            (std::vector<TLogged>{{NIM_MODIFY, false}, {NIM_ADD, true}, {NIM_SETVERSION, true}}));
  EXPECT_EQ(program.Sim.Shell.Entries.size(), 1u);
}

TEST(TrayProgram, ABusyShellAtLogOnGetsTheEntryAtTheFirstRefreshItAccepts) {
  TSimProgram program;
  program.Sim.Shell.Absent = true;  // no notification area yet while the program starts
  TForm1& form = program.Start();
  EXPECT_TRUE(program.Sim.Shell.Entries.empty());
  program.Sim.Shell.Absent = false;
  program.Sim.Shell.RefuseAdds = 3;  // there, but busy for three more refreshes
  std::size_t before = program.Sim.Shell.Requests.size();
  program.Sim.Chip.SetTemperatures(52, 30);
  program.RunFor(3 * 5000);
  EXPECT_TRUE(program.Sim.Shell.Entries.empty());
  // Each refused add is followed by a change, in case the shell kept the entry after all.
  std::vector<TLogged> refused;
  for (int i = 0; i < 3; ++i)
    refused.insert(refused.end(), {{NIM_ADD, false}, {NIM_MODIFY, false}});
  EXPECT_EQ(Log(program.Sim.Shell, before), refused);
  program.RunFor(5000);
  ASSERT_EQ(program.Sim.Shell.Entries.size(), 1u);
  const TNotifyIconData& entry = program.Sim.Shell.Entries.begin()->second;
  EXPECT_EQ(static_cast<HIcon>(entry.hIcon),
            form.TextTrayIcon1->Icon()->Handle());  // the latest text image
  EXPECT_EQ(entry.uCallbackMessage, TrayCallbackMessage);
  // From then on each refresh changes the entry, and a click reaches the window.
  program.RunFor(5000);
  EXPECT_EQ(Log(program.Sim.Shell, before + 6),
            (std::vector<TLogged>{{NIM_ADD, true}, {NIM_SETVERSION, true}, {NIM_MODIFY, true}}));
  Click(program, {WM_LBUTTONDOWN, WM_LBUTTONUP});
  EXPECT_TRUE(form.Visible());
}

// At log-on a busy shell can time out the first add, report failure and keep the entry all
// the same. The entry must still follow the readings. Wine cannot decide this case: a stopped
// shell makes the call wait rather than fail.
TEST(TrayProgram, AnAddTimedOutButKeptAtStartFollowsTheNextRefresh) {
  TSimProgram program;
  program.Sim.Shell.TimeOutAdds = 1;
  program.Sim.Chip.SetTemperatures(45, 30);
  TForm1& form = program.Start();
  program.Sim.Chip.SetTemperatures(58, 31);
  program.RunFor(5000);
  ASSERT_EQ(program.Sim.Shell.Entries.size(), 1u);
  const TNotifyIconData& entry = program.Sim.Shell.Entries.begin()->second;
  EXPECT_EQ(static_cast<HIcon>(entry.hIcon), form.TextTrayIcon1->Icon()->Handle());
  EXPECT_EQ(TipOf(entry), "CPU: 58\xC2\xB0\nMotherboard: 31\xC2\xB0\nFan boost: off");
  std::size_t before = program.Sim.Shell.Requests.size();
  program.RunFor(5000);
  EXPECT_EQ(Log(program.Sim.Shell, before), (std::vector<TLogged>{{NIM_MODIFY, true}}));
}

// The degree sign is byte 0xB0 on code pages 1251 and 1252, but a half-width katakana on 932
// and a lead byte on 936: the picture and the tip must be the same on all of them.
TEST(TrayProgram, ThePictureAndTheTipAreTheSameOnEveryCodePage) {
  auto run = [](int codePage) {
    TSimProgram program;
    program.Sim.SetAnsiCodePage(codePage);
    program.Sim.Chip.SetTemperatures(45, 30);
    TForm1& form = program.Start();
    const auto* icon = program.Sim.Gdi.Icon(form.TextTrayIcon1->Icon()->Handle());
    return std::pair(icon->Image.Pixels, TipOf(program.Sim.Shell.Entries.begin()->second));
  };
  const auto western = run(1252);
  EXPECT_EQ(western.second, "CPU: 45\xC2\xB0\nMotherboard: 30\xC2\xB0\nFan boost: off");
  // "45°" at x = 1: the degree sign's top row starts in column 14 (a character the font
  // lacks would be a box from column 13).
  EXPECT_EQ(western.first.at(4 * 16 + 13), 0xC0C0C0u);
  EXPECT_EQ(western.first.at(4 * 16 + 14), 0x800080u);
  for (int codePage : {1251, 932, 936}) EXPECT_TRUE(run(codePage) == western) << codePage;
}

// An elevated copy: the shell announces its restart from its own, ordinary process, and the
// system's filter drops that message unless the copy let it through. Wine has no such filter;
// only the simulated machine can decide this case.
TEST(TrayProgram, AnElevatedCopyPutsItsEntryBackAfterAShellRestart) {
  TSimProgram program;
  program.Sim.Windows.ElevatedProcesses = {program.Sim.Windows.ProcessId};
  TForm1& form = program.Start();
  program.RunFor(5000);
  program.Sim.Shell.Restart(program.Sim.Windows);
  std::size_t before = program.Sim.Shell.Requests.size();
  program.RunFor(10);  // well before the next refresh would find the entry gone
  EXPECT_EQ(Log(program.Sim.Shell, before),
            (std::vector<TLogged>{{NIM_MODIFY, false}, {NIM_ADD, true}, {NIM_SETVERSION, true}}));
  ASSERT_EQ(program.Sim.Shell.Entries.size(), 1u);
  EXPECT_EQ(static_cast<HIcon>(program.Sim.Shell.Entries.begin()->second.hIcon),
            form.TextTrayIcon1->Icon()->Handle());
}

TEST(TrayProgram, TheEntryLeavesWithTheProgram) {
  TSimProgram program;
  program.Start();
  program.RunFor(5000);
  std::size_t before = program.Sim.Shell.Requests.size();
  program.Close();
  EXPECT_EQ(Log(program.Sim.Shell, before), (std::vector<TLogged>{{NIM_DELETE, true}}));
  EXPECT_EQ(program.Sim.Shell.Requests.back().Data.uFlags, 7u);
  EXPECT_TRUE(program.Sim.Shell.Entries.empty());
  EXPECT_EQ(TTrayIconHandler::Instance(program.Sim.Platform()), nullptr);
  EXPECT_EQ(program.Sim.Gdi.OpenCount(TSimGdi::TKind::Icon), 0u);
}
