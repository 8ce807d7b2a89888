// Process services: the tick count and sleeping, files, the executable's path and version
// strings, the code selector, a modal message box with its own loop, the service manager
// and device namespace as port-access enablement meets them, and refused ports.
#include <set>

#include "platform/Exception.h"
#include "tests/contract/ContractPlatform.h"

namespace {
ISystem& System() { return ContractPlatform().System; }

std::string Lower(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return s;
}
}  // namespace

// ---- time ---------------------------------------------------------------------------------

TEST(System, SleepLetsTheTickCountAdvanceByAtLeastItsTime) {
  std::uint32_t before = System().TickCount();
  System().Sleep(50);
  std::uint32_t after = System().TickCount();
  // The tick count moves in steps of up to 16 ms and may lag the sleep by one at each end.
  EXPECT_GE(after - before, 50u - 2 * 16u);
  EXPECT_LT(after - before, 2000u);
}

TEST(System, TickCountNeverGoesBack) {
  std::uint32_t last = System().TickCount();
  for (int i = 0; i < 20; ++i) {
    System().Sleep(1);
    std::uint32_t now = System().TickCount();
    EXPECT_LT(now - last, 1000u) << "a step back wraps round to a huge difference";
    last = now;
  }
}

// ---- files and the executable -------------------------------------------------------------

TEST(System, ExecutablePathIsAFullPathToAnExistingProgram) {
  std::string path = System().ExecutablePath();
  ASSERT_GT(path.size(), 3u);
  EXPECT_EQ(path.substr(1, 2), ":\\");
  EXPECT_EQ(Lower(path.substr(path.size() - 4)), ".exe");
  EXPECT_TRUE(System().FileExists(path));
}

TEST(System, FoldersAndMissingFilesAreNotFiles) {
  std::string path = System().ExecutablePath();
  std::string folder = path.substr(0, path.rfind('\\'));
  EXPECT_FALSE(System().FileExists(folder));
  EXPECT_FALSE(System().FileExists(folder + "\\no-such-file.sys"));
  EXPECT_FALSE(System().FileExists("no-such-file.sys"));
}

TEST(System, VersionStringsComeFromTheExecutable) {
  EXPECT_EQ(System().VersionInfo("ProductName"), "Kelvane");
  EXPECT_EQ(System().VersionInfo("NoSuchString"), "");
}

TEST(System, DecimalSeparatorIsAPointOrAComma) {
  char separator = System().DecimalSeparator();
  EXPECT_TRUE(separator == '.' || separator == ',') << separator;
}

TEST(System, ProgramRunsInUserModeWithoutOpenPorts) {
  std::uint16_t selector = System().CodeSelector();
  EXPECT_EQ(selector & 3, 3) << "privilege level 3";
  EXPECT_LE(selector, 0xFFu);
}

// ---- message boxes ------------------------------------------------------------------------

TEST(System, MessageBoxRunsItsOwnLoopAndGivesTheAnswer) {
  IWindowing& windows = ContractPlatform().Windows;
  constexpr std::uintptr_t kIdOk = 1;
  // The owner loses activation to the box and learns its handle: the case presses OK there.
  HWnd box = HWnd::None;
  TRecorder rec(windows);
  rec.Handle = [&](HWnd self, std::uint32_t m, std::uintptr_t wp, std::intptr_t lp) {
    HWnd other = HWnd::None;
    if (m == WM_ACTIVATE && LoWord(wp) == 0) other = static_cast<HWnd>(lp);
    // Should activation not tell, the box is the foreground window after a while.
    if (m == WM_TIMER) other = windows.GetForegroundWindow();
    if (other != HWnd::None && other != self && box == HWnd::None) {
      box = other;
      windows.PostMessage(box, WM_COMMAND, kIdOk, 0);
    }
    return std::optional<std::intptr_t>();
  };
  TTestWindow owner(windows, PlainWindow(&rec));
  windows.ShowWindow(owner, SW_SHOW);
  windows.SetForegroundWindow(owner);
  windows.PostMessage(owner, WM_APP + 30, 0, 0);
  windows.SetTimer(owner, 1, 3000);
  EXPECT_EQ(System().MessageBox(owner, "contract box", "Contract", MB_OK | MB_ICONSTOP), IDOK);
  EXPECT_EQ(rec.Count(WM_APP + 30), 1u) << "dispatched by the box's loop";
}

// The hand-over of the foreground to the running copy's window, asked while this process
// has the foreground, as the second copy of the program has when it starts.
TEST(System, ForegroundHandOverIsAllowedToTheForegroundProcess) {
  IWindowing& windows = ContractPlatform().Windows;
  TRecorder rec(windows);
  TTestWindow window(windows, PlainWindow(&rec));
  windows.ShowWindow(window, SW_SHOW);
  windows.SetForegroundWindow(window);
  PumpFor(50);
  EXPECT_NE(System().CurrentProcessId(), 0u);
  EXPECT_TRUE(System().AllowSetForegroundWindow(System().CurrentProcessId()));
}

// A later start finds the running program's hidden application window by its class and
// caption, learns the process that made it, and its request gets through the elevation
// filter the running program opened for it.
TEST(System, HiddenWindowIsFoundByClassAndCaptionWithItsProcess) {
  IWindowing& windows = ContractPlatform().Windows;
  TRecorder rec(windows);
  TWindowParams params = PlainWindow(&rec);
  params.Class = TWindowClass::Application;
  params.Caption = "KelvaneContract.Find";
  std::uint32_t request = windows.RegisterWindowMessage("KelvaneContract.Request");
  EXPECT_TRUE(windows.ChangeWindowMessageFilter(request));
  HWnd found = HWnd::None;
  {
    TTestWindow window(windows, params);
    ASSERT_FALSE(windows.IsWindowVisible(window));
    found = windows.FindWindow(TWindowClass::Application, "KelvaneContract.Find");
    EXPECT_EQ(found, window.Handle());
    EXPECT_EQ(windows.FindWindow(TWindowClass::Application, "kelvanecontract.FIND"),
              window.Handle())
        << "captions compared regardless of case";
    EXPECT_EQ(windows.FindWindow(TWindowClass::Frame, "KelvaneContract.Find"), HWnd::None)
        << "class";
    EXPECT_EQ(windows.FindWindow(TWindowClass::Application, "KelvaneContract.Fin"), HWnd::None);
    {
      TTestWindow second(windows, params);
      HWnd one = windows.FindWindow(TWindowClass::Application, "KelvaneContract.Find");
      HWnd other = windows.FindWindow(TWindowClass::Application, "KelvaneContract.Find", one);
      EXPECT_EQ((std::set<HWnd>{one, other}), (std::set<HWnd>{window.Handle(), second.Handle()}));
      EXPECT_EQ(windows.FindWindow(TWindowClass::Application, "KelvaneContract.Find", other),
                HWnd::None)
          << "each found once, one after the other";
    }
    EXPECT_EQ(windows.GetWindowProcessId(window), System().CurrentProcessId());
    EXPECT_TRUE(windows.PostMessage(found, request, 7, 0));
    PumpFor(50);
    ASSERT_EQ(rec.Count(request), 1u);
    EXPECT_EQ(rec.Only({request})[0].WParam, 7u);
  }
  EXPECT_EQ(windows.FindWindow(TWindowClass::Application, "KelvaneContract.Find"), HWnd::None);
  EXPECT_EQ(windows.GetWindowProcessId(found), 0u) << "no window, no process";
}

// ---- services and devices -----------------------------------------------------------------

TEST(System, ServiceManagerRegistersADriverOnceAndFindsItByName) {
  HService manager = System().OpenSCManager(SC_MANAGER_CREATE_SERVICE);
  ASSERT_NE(manager, HService::None);
  std::string folder = System().ExecutablePath();
  folder = folder.substr(0, folder.rfind('\\'));
  TServiceParams params{kScratchService,
                        kScratchService,
                        SERVICE_ALL_ACCESS,
                        SERVICE_KERNEL_DRIVER,
                        SERVICE_DEMAND_START,
                        SERVICE_ERROR_NORMAL,
                        folder + "\\\xD0\x9F\xE3\x83\x84\\no-such-driver.sys"};
  HService service = System().CreateService(manager, params);
  ASSERT_NE(service, HService::None);
  // Read back as registered; Windows puts the kernel's "\??\" before a driver's full path.
  TServiceParams config;
  ASSERT_TRUE(System().QueryServiceConfig(service, config));
  EXPECT_EQ(config.DisplayName, params.DisplayName);
  EXPECT_EQ(config.ServiceType, SERVICE_KERNEL_DRIVER);
  EXPECT_EQ(config.StartType, SERVICE_DEMAND_START);
  EXPECT_EQ(config.ErrorControl, SERVICE_ERROR_NORMAL);
  EXPECT_TRUE(config.BinaryPath == params.BinaryPath ||
              config.BinaryPath == "\\??\\" + params.BinaryPath)
      << config.BinaryPath;
  EXPECT_EQ(System().CreateService(manager, params), HService::None) << "it exists already";
  HService again = System().OpenService(manager, kScratchService, SERVICE_ALL_ACCESS);
  EXPECT_NE(again, HService::None);
  EXPECT_EQ(System().OpenService(manager, "KelvaneContractAbsent", SERVICE_ALL_ACCESS),
            HService::None);
  EXPECT_FALSE(System().StartService(again)) << "its driver file is missing";
  EXPECT_EQ(System().CreateFile("\\\\.\\KelvaneContract", GENERIC_READ, 0, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL),
            THandle::None)
      << "no device without a running driver";
  EXPECT_TRUE(System().CloseServiceHandle(again));
  EXPECT_TRUE(System().CloseServiceHandle(service));
  EXPECT_TRUE(System().CloseServiceHandle(manager));
  EXPECT_FALSE(System().CloseServiceHandle(manager)) << "closed already";
}

TEST(System, UnknownDeviceCannotBeOpened) {
  std::uint32_t error = 0;
  EXPECT_EQ(System().CreateFile("\\\\.\\KelvaneContractNoDevice", GENERIC_READ, 0, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, &error),
            THandle::None);
  EXPECT_EQ(error, 2u) << "not found";
}

// ---- ports --------------------------------------------------------------------------------

TEST(System, PortAccessWithoutTheDriverIsAPrivilegedInstruction) {
  IPortBus& ports = ContractPlatform().Ports;
  EXPECT_THROW(ports.In(0x295), EPrivilegedInstruction);
  EXPECT_THROW(ports.Out(0x295, 0x4E), EPrivilegedInstruction);
  EXPECT_THROW(ports.In(0x3F2), EPrivilegedInstruction) << "still refused, still recoverable";
}
