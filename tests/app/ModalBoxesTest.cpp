// What the program does with input that arrives while one of its message boxes is open: the
// box's own loop delivers close requests and tray clicks.
#include <gtest/gtest.h>

#include <algorithm>

#include "tests/support/SimFixture.h"

namespace {
// The main window, looked up among the machine's windows: while the start-up runs, the test
// has no pointer to it yet.
HWnd FormWindow(const TSimProgram& program) {
  for (HWnd w : program.Sim.Windows.Windows())
    if (const auto* window = program.Sim.Windows.Find(w);
        window && window->Params.Class == TWindowClass::Frame)
      return w;
  return HWnd::None;
}

void ClickTray(TSimProgram& program) {
  for (std::uint32_t m : {WM_LBUTTONDOWN, WM_LBUTTONUP})
    program.Sim.Shell.PostPointerMessage(program.Sim.Windows, m);
}
}  // namespace

// The start-up's missing-driver box is open when the session ends or someone asks the
// window to close: the program ends then, as it does later on, and does not go on to refresh.
TEST(ModalBoxes, CloseRequestInTheStartUpBoxEndsTheProgram) {
  TSimProgram program;
  program.Sim.System.RemoveFile(program.DriverPath());
  program.Sim.System.OnMessageBox = [&](const TSimSystem::TMessageBoxRecord&) {
    if (program.Sim.System.Boxes.size() == 1) {
      HWnd form = FormWindow(program);
      EXPECT_NE(form, HWnd::None);
      program.Sim.Windows.PostMessage(form, WM_CLOSE, 0, 0);
    }
    return TSimSystem::TAnswer{IDOK, 60000};  // nobody answers; the ending closes it
  };
  program.Start();
  EXPECT_TRUE(program.Application()->Terminated());
  EXPECT_EQ(program.Sim.System.Boxes.size(), 1u);
  EXPECT_LT(program.Sim.Clock.Now(), 60000u) << "the box ended with the program";
  EXPECT_TRUE(program.FanWrites().empty());
  // The close query saved, as at any close.
  EXPECT_EQ(program.Sim.Registry.Writes.size(), 3u);
  program.Application()->Run();  // returns at once
  program.Free();
  EXPECT_EQ(program.Sim.Windows.WindowCount(), 0u);
}

TEST(ModalBoxes, TrayClickInTheStartUpBoxShowsTheWindowWithItsTaskbarButton) {
  TSimProgram program;
  program.Sim.System.RemoveFile(program.DriverPath());
  program.Sim.System.OnMessageBox = [&](const TSimSystem::TMessageBoxRecord&) {
    if (program.Sim.System.Boxes.size() == 1) ClickTray(program);
    return TSimSystem::TAnswer{IDOK, 1000};
  };
  TForm1& form = program.Start();
  EXPECT_TRUE(form.Visible());
  EXPECT_TRUE(program.Sim.Windows.IsWindowVisible(form.Handle()));
  EXPECT_TRUE(program.Sim.Windows.IsWindowVisible(program.Application()->Handle()));
  EXPECT_FALSE(program.Application()->Terminated());
}

// A show whose restore fails reports it in a box; clicks on the tray while that box is open
// must not start more shows inside it.
TEST(ModalBoxes, ClicksDuringAFailingShowGiveOneBoxAtATime) {
  TSimProgram program;
  TForm1& form = program.Start();
  program.Sim.Registry.InjectFault(TRegOp::OpenKey, "Software\\Kelvane\\Form1", ERROR_ACCESS_DENIED,
                                   -1);
  program.Sim.Registry.SetDword(HKEY_CURRENT_USER, "Software\\Kelvane\\Form1", "FormVersion", 0);
  int deepest = 0;
  program.Sim.System.OnMessageBox = [&](const TSimSystem::TMessageBoxRecord&) {
    deepest = std::max(deepest, program.Sim.System.OpenBoxes() + 1);
    ClickTray(program);
    return TSimSystem::TAnswer{IDOK, 2000};
  };
  ClickTray(program);
  program.RunFor(0);
  // The show hook's restore and FormShow's each report once.
  EXPECT_EQ(program.Sim.System.Boxes.size(), 2u);
  EXPECT_EQ(deepest, 1);
  EXPECT_TRUE(form.Visible());
  program.Sim.System.OnMessageBox = nullptr;
  program.RunFor(0);
  EXPECT_EQ(program.Sim.System.Boxes.size(), 2u);
}

// Faults reported while the report's box is open: repeats of its message are dropped, a
// different one (once, however often it comes) is shown when the box closes, then the next.
TEST(ModalBoxes, ADifferentFaultDuringTheReportIsShownAfterIt) {
  TSimProgram program;
  program.Start();
  TApplication& application = *program.Application();
  program.Sim.System.OnMessageBox = [&](const TSimSystem::TMessageBoxRecord& box) {
    if (program.Sim.System.Boxes.size() == 1) {
      for (const char* message :
           {"Port fault", "Registry fault", "Port fault", "Registry fault", "Tray fault"})
        application.ShowException(message);
      EXPECT_EQ(box.Text, "Port fault.");
    }
    return TSimSystem::TAnswer{IDOK, 1000};
  };
  application.ShowException("Port fault");
  std::vector<std::string> texts;
  for (const auto& box : program.Sim.System.Boxes) texts.push_back(box.Text);
  EXPECT_EQ(texts, (std::vector<std::string>{"Port fault.", "Registry fault.", "Tray fault."}));
  EXPECT_EQ(program.Sim.System.OpenBoxes(), 0);
  application.ShowException("Port fault");
  EXPECT_EQ(program.Sim.System.Boxes.size(), 4u) << "shown again once no box is open";
}

// Faults whose messages all differ, while nobody answers: four wait, the rest are dropped.
TEST(ModalBoxes, AtMostFourDifferentFaultsWaitForTheReport) {
  TSimProgram program;
  program.Start();
  TApplication& application = *program.Application();
  program.Sim.System.OnMessageBox = [&](const TSimSystem::TMessageBoxRecord&) {
    if (program.Sim.System.Boxes.size() == 1)
      for (int n = 0; n < 100; ++n) application.ShowException("Fault " + std::to_string(n));
    return TSimSystem::TAnswer{IDOK, 1000};
  };
  application.ShowException("First fault");
  ASSERT_EQ(program.Sim.System.Boxes.size(), 5u);
  EXPECT_EQ(program.Sim.System.Boxes.back().Text, "Fault 3.");
}
