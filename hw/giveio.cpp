#include "hw/giveio.h"

#include "framework/Strings.h"
#include "hw/LoadPlace.h"
#include "platform/Owned.h"
#include "platform/Registry.h"

namespace {
constexpr char kDriverFile[] = "giveio.sys";
constexpr char kDevicePrefix[] = "\\\\.\\";
// SC_MANAGER_CONNECT: enough to open a service by name.
constexpr std::uint32_t kManagerConnect = 0x0001;
// "Драйвер giveio.sys не найден." in the Windows-1251 code page, the program's own form of it;
// the box shows it as Unicode, so it reads as Russian whatever the system's code page.
constexpr char kMissingDriverText[] =
    "\xC4\xF0\xE0\xE9\xE2\xE5\xF0 giveio.sys \xED\xE5 \xED\xE0\xE9\xE4\xE5\xED.";
// Said instead when the driver's place cannot even be named.
constexpr char kUnusablePathText[] =
    "Kelvane cannot use the path of its folder for giveio.sys: move Kelvane to another folder.";
// While the driver runs, its device gives the ports to whoever opens it: only the system and
// administrators may. Made when it is set: a constant of the program would be built at every
// start and freed at every end.
TAccessList AdministratorsOnly() {
  return {false,
          {{true, GENERIC_ALL, "S-1-5-18", false}, {true, GENERIC_ALL, "S-1-5-32-544", false}}};
}
}  // namespace

int IsWin9x(ISystem& system) { return (system.CodeSelector() & 0xFF00) != 0 ? 1 : 0; }

bool TGiveIo::EnablePortAccess() {
  ISystem& system = FSystem;
  if (IsWin9x(system) == 1) return false;
  bool atStart = !FStarted;
  if (atStart) {
    FStarted = true;
    FWow64 = system.IsWow64();
  }
  // Not started again this run: the ports its device gave us stay ours.
  if (FWow64 || FDeviceProblem == TReadingFault::DriverStopped) return false;
  FDriverName = "giveio";
  // The service loads the driver from beside the executable, so that is where to look.
  std::string executable = system.ExecutablePath();
  std::string driverPath =
      executable.empty() ? executable : ExtractFilePath(executable) + kDriverFile;
  bool present = !driverPath.empty() && system.FileExists(driverPath);

  // What refused the registration or the start refuses it again until the next run (and a
  // start of a missing driver can keep the thread a long while): only a driver file that has
  // appeared since is worth another try. Each handle is closed as its scope ends, the
  // manager's last.
  TOwnedServiceHandle manager(system);
  bool started = false;
  if (atStart || (FDriverMissing && present)) {
    FDriverMissing = !present;
    // A driver that other users can replace would run their code in the kernel.
    TLoadCheck place = CheckLoadPlace(system, driverPath);
    bool usable = place.Verdict != TLoadPlace::Unusable;
    FPlaceProblem = !usable          ? TReadingFault::PathUnusable
                    : place.Passed() ? TReadingFault::None
                                     : TReadingFault::DriverUnprotected;
    // Said once: later enablements follow refused accesses, and the tray's hint tells that
    // state.
    if (atStart && (!usable || !present))
      system.MessageBoxUtf8(HWnd::None,
                            usable ? Cp1251ToUtf8(kMissingDriverText) : kUnusablePathText, nullptr,
                            MB_OK);
    manager.Reset(system.OpenSCManager(SC_MANAGER_CREATE_SERVICE));
    started = RegisterAndStart(manager.Get(), place);
  }
  // At once after the start: until its list is set, the device is open to everyone.
  OpenDevice();
  // A device that cannot be kept for administrators would give the ports to every user for as
  // long as the driver runs: it goes again, whoever started it and whenever.
  if (FDeviceProblem == TReadingFault::DeviceUnprotected) {
    if (!manager) manager.Reset(system.OpenSCManager(kManagerConnect));
    TOwnedServiceHandle service(system,
                                system.OpenService(manager.Get(), FDriverName, SERVICE_STOP));
    if (service && system.StopService(service.Get())) {
      FDeviceProblem = TReadingFault::DriverStopped;
      return false;
    }
  }
  return started;
}

bool TGiveIo::RegisterAndStart(HService manager, const TLoadCheck& place) {
  ISystem& system = FSystem;
  // Registered with the path as the system resolves it, so that no link can move it later.
  // Tried also without a manager, and then fails too; the handle is closed at once.
  if (manager != HService::None && place.Passed()) {
    TServiceParams params{FDriverName,           FDriverName,          SERVICE_ALL_ACCESS,
                          SERVICE_KERNEL_DRIVER, SERVICE_DEMAND_START, SERVICE_ERROR_NORMAL,
                          place.FinalPath};
    TOwnedServiceHandle registered(system, system.CreateService(manager, params));
  }
  TOwnedServiceHandle service(system, system.OpenService(manager, FDriverName, SERVICE_ALL_ACCESS));
  if (!service) return false;
  // Whoever registered it, and whenever: started only from a place that passes the rule.
  // Another program's registration is left as it is.
  TServiceParams config;
  std::string image = system.QueryServiceConfig(service.Get(), config)
                          ? DriverImagePath(config.BinaryPath, system.WindowsFolder())
                          : std::string();
  TLoadCheck registered = CheckLoadPlace(system, image);
  if (!registered.Passed()) {
    // Ours, which the hint names already, or another file.
    const std::string& loaded = registered.FinalPath.empty() ? image : registered.FinalPath;
    if (place.FinalPath.empty() || !SameText(loaded, place.FinalPath))
      FPlaceProblem = TReadingFault::RegistrationUnprotected;
    return false;
  }
  return system.StartService(service.Get());
}

void TGiveIo::OpenDevice() {
  ISystem& system = FSystem;
  // Opened with the right to change its list, which the system and administrators have. The
  // opening is what grants the ports; the handle is closed as its scope ends, whatever
  // became of the list.
  std::uint32_t error = 0;
  TOwnedKernelObject device(
      system, system.CreateFile(kDevicePrefix + FDriverName, GENERIC_READ | WRITE_DAC, 0,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, &error));
  if (device)
    FDeviceProblem = system.SetDeviceAccessList(device.Get(), AdministratorsOnly())
                         ? TReadingFault::None
                         : TReadingFault::DeviceUnprotected;
  else
    FDeviceProblem = error == static_cast<std::uint32_t>(ERROR_ACCESS_DENIED)
                         ? TReadingFault::DeviceRefused
                         : TReadingFault::None;
}

TReadingFault TGiveIo::Fault() const {
  if (FWow64) return TReadingFault::Wow64;
  TReadingFault problem = Problem();
  return problem != TReadingFault::None ? problem : TReadingFault::PortsRefused;
}
