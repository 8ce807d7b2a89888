// Where the entry went: said once per user where the shell hides new entries, as a balloon
// that never goes over one of the fail-safe's, and kept beside the thresholds.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <vector>

#include "hw/BusLock.h"
#include "tests/support/SimFixture.h"

namespace {
constexpr char kNoticeTitle[] = "Kelvane runs in the notification area";

std::vector<std::string> BalloonTitles(const TSimShell& shell) {
  std::vector<std::string> titles;
  for (const auto& r : shell.Requests)
    if ((r.Data.uFlags & NIF_INFO) && r.Accepted) {
      std::string text = TSimShell::BalloonText(r.Data);
      titles.push_back(text.substr(0, text.find('\n')));
    }
  return titles;
}

std::optional<std::uint32_t> NoticeValue(const TSimProgram& program) {
  return program.Sim.Registry.GetDword(HKEY_CURRENT_USER, "Software\\Kelvane", "TrayNoticeShown");
}
}  // namespace

TEST(TrayNotice, FirstRunSaysItOnceAndLaterRunsNever) {
  TSimProgram program;
  program.Sim.Shell.HidesNew = true;
  program.Start();
  program.RunFor(60000);
  EXPECT_EQ(BalloonTitles(program.Sim.Shell), std::vector<std::string>{kNoticeTitle});
  const auto& told = program.Sim.Shell.Requests;
  auto it = std::find_if(told.begin(), told.end(),
                         [](const auto& r) { return (r.Data.uFlags & NIF_INFO) != 0; });
  EXPECT_NE(TSimShell::BalloonText(it->Data).find("Settings > Personalisation > Taskbar > Other "
                                                  "system tray icons"),
            std::string::npos);
  EXPECT_EQ(it->Data.dwInfoFlags, NIIF_INFO);
  EXPECT_EQ(NoticeValue(program), 1u);
  EXPECT_FALSE(program.Sim.Registry.GetDword(HKEY_CURRENT_USER, "Software\\Kelvane\\Form1",
                                             "TrayNoticeShown"));
  program.Close();
  program.Sim.Shell.Requests.clear();
  program.Start();
  program.RunFor(60000);
  EXPECT_TRUE(BalloonTitles(program.Sim.Shell).empty());
}

// An earlier Windows shows new entries: nothing to say. A run whose fail-safe speaks keeps
// the notice for a later run. Nothing is said while the window is shown; hidden, it comes.
TEST(TrayNotice, NotOnEarlierWindowsNorOverTheFailSafeNorWhileShown) {
  {
    TSimProgram program;
    program.Start();
    program.RunFor(60000);
    EXPECT_TRUE(BalloonTitles(program.Sim.Shell).empty());
    EXPECT_FALSE(NoticeValue(program));
  }
  {
    TSimProgram program;
    program.Sim.Shell.HidesNew = true;
    program.Sim.System.HoldMutex(kBusMutexName);
    program.Start();
    program.RunFor(20000);
    program.Sim.System.ReleaseHeldMutex(kBusMutexName);
    program.RunFor(60000);
    EXPECT_EQ(BalloonTitles(program.Sim.Shell),
              (std::vector<std::string>{"Kelvane cannot read the sensors: the fan is boosted",
                                        "Kelvane reads the sensors again"}));
    EXPECT_FALSE(NoticeValue(program));
  }
  TSimProgram program;
  program.Sim.Shell.HidesNew = true;
  program.Sim.Shell.Absent = true;  // no balloon at the first refresh
  TForm1& form = program.Start();
  form.Show();
  program.Sim.Shell.Absent = false;
  program.RunFor(30000);
  EXPECT_TRUE(BalloonTitles(program.Sim.Shell).empty());
  form.Hide();
  program.RunFor(5000);
  EXPECT_EQ(BalloonTitles(program.Sim.Shell), std::vector<std::string>{kNoticeTitle});
}
