// The tray text at the taskbar's scale on the simulated machine: the same design drawn at the
// shell's icon size, against pictures drawn by hand ('p' purple text, '.' button face, '#' the
// black frame; the built-in font's glyphs scale with the character height), and a new scale
// drawn for as soon as the system says so.
#include <gtest/gtest.h>

#include "hw/BusLock.h"
#include "tests/support/SimFixture.h"

namespace {
std::vector<std::string> EntryPicture(TSimProgram& program) {
  const auto* icon =
      program.Sim.Gdi.Icon(static_cast<HIcon>(program.Sim.Shell.Entries.begin()->second.hIcon));
  std::vector<std::string> rows;
  if (!icon) return rows;
  for (int y = 0; y < icon->Image.Height; ++y) {
    std::string& row = rows.emplace_back();
    for (int x = 0; x < icon->Image.Width; ++x) {
      TColorRef c = icon->Image.At(x, y);
      row += c == 0 ? '#' : c == 0x800080 ? 'p' : c == 0xC0C0C0 ? '.' : '?';
    }
  }
  return rows;
}
}  // namespace

// 96 dpi: the 16 x 16 of every release. 120: font 14 high, offset 3. 144: font 17 high (16.5
// rounded away from zero), offset 3. 192: font 22 high, offset 4, a frame of two pixels.
TEST(TrayScale, TheTextIsDrawnAtTheShellsIconSize) {
  struct TCase {
    int Dpi, Cpu;
    std::vector<std::string> Picture;
  };
  const TCase cases[] = {
      {96,
       45,
       {
           "################",
           "#..............#",
           "#..............#",
           "#..............#",
           "#...p..ppppp..p#",
           "#..pp..p.....p.#",
           "#.p.p..pppp..p.#",
           "#p..p......p..p#",
           "#ppppp.....p...#",
           "#...p..p...p...#",
           "#...p...ppp....#",
           "#..............#",
           "#..............#",
           "#..............#",
           "#..............#",
           "################",
       }},
      {120,
       45,
       {
           "####################", "#..................#", "#..................#",
           "#..................#", "#.....p..pppppp...p#", "#.....p..pppppp...p#",
           "#....pp..pp.....pp.#", "#...p.p..ppppp..pp.#", "#.pp..p.......p...p#",
           "#.pp..p.......p...p#", "#.pppppp......p....#", "#.....p..pp...p....#",
           "#.....p....ppp.....#", "#..................#", "#..................#",
           "#..................#", "#..................#", "#..................#",
           "#..................#", "####################",
       }},
      {144,
       38,
       {
           "########################", "#......................#", "#......................#",
           "#......................#", "#......................#", "#......................#",
           "#ppppppp....ppppp....pp#", "#ppppppp....ppppp....pp#", "#.......p.pp.....p.pp..#",
           "#.......p.pp.....p.pp..#", "#.......p.pp.....p.pp..#", "#..ppppp....ppppp....pp#",
           "#..ppppp....ppppp....pp#", "#.......p.pp.....p.....#", "#.......p.pp.....p.....#",
           "#.......p.pp.....p.....#", "#ppppppp....ppppp......#", "#......................#",
           "#......................#", "#......................#", "#......................#",
           "#......................#", "#......................#", "########################",
       }},
      {192,
       52,
       {
           "################################", "################################",
           "##............................##", "##............................##",
           "##............................##", "##............................##",
           "##............................##", "##............................##",
           "##.pppppppppp...pppppp.....ppp##", "##.pppppppppp...pppppp.....ppp##",
           "##.pp.........pp......pp.pp...##", "##.pp.........pp......pp.pp...##",
           "##.pppppppp...........pp.pp...##", "##.pppppppp...........pp.pp...##",
           "##.........pp.......pp.....ppp##", "##.........pp.......pp.....ppp##",
           "##.........pp.....pp..........##", "##.........pp.....pp..........##",
           "##.pp......pp...pp............##", "##.pp......pp...pp............##",
           "##...pppppp...pppppppppp......##", "##...pppppp...pppppppppp......##",
           "##............................##", "##............................##",
           "##............................##", "##............................##",
           "##............................##", "##............................##",
           "##............................##", "##............................##",
           "################################", "################################",
       }},
  };
  for (const TCase& c : cases) {
    TSimProgram program;
    program.Sim.Shell.TaskbarDpi = c.Dpi;
    program.Sim.Chip.SetTemperatures(c.Cpu, 30);
    program.Start();
    EXPECT_EQ(EntryPicture(program), c.Picture) << c.Dpi;
  }
}

// Windows before 10 1607 show the entry at 16 x 16 at any scale; a scale change is drawn for
// at once when the system announces it, and at the next refresh when it does not.
TEST(TrayScale, ANewScaleIsDrawnForAtOnceOrAtTheNextRefresh) {
  TSimProgram program;
  program.Sim.Shell.TaskbarDpi = 144;
  program.Sim.Shell.ScalesIcons = false;
  program.Start();
  program.Sim.System.HoldMutex(kBusMutexName);
  program.RunFor(5000);  // the tip says why; from here on nothing new is read or said
  EXPECT_EQ(EntryPicture(program).size(), 16u);
  program.Sim.Shell.ScalesIcons = true;
  program.RunFor(5000);
  EXPECT_EQ(EntryPicture(program).size(), 24u) << "the next refresh";

  const std::uint32_t taskbarCreated = program.Sim.Windows.RegisterWindowMessage("TaskbarCreated");
  struct TAnnouncement {
    std::uint32_t Message;
    int Dpi;
  };
  for (TAnnouncement a :
       {TAnnouncement{WM_SETTINGCHANGE, 120}, {WM_DISPLAYCHANGE, 192}, {taskbarCreated, 96}}) {
    program.Sim.Shell.TaskbarDpi = a.Dpi;
    std::size_t before = program.Sim.Shell.Requests.size();
    program.Sim.Windows.PostMessage(HWnd{0xFFFF}, a.Message, 0, 0);
    program.RunFor(10);
    EXPECT_EQ(EntryPicture(program).size(), static_cast<std::size_t>(a.Dpi / 6)) << a.Message;
    // The shell kept the entry: one change, and no add.
    ASSERT_EQ(program.Sim.Shell.Requests.size(), before + 1) << a.Message;
    EXPECT_EQ(program.Sim.Shell.Requests.back().Message, NIM_MODIFY);
  }
}
