#include "hw/giveio.h"

#include "framework/Strings.h"
#include "hw/LoadPlace.h"
#include "platform/Owned.h"

namespace {
constexpr char kDriverFile[] = "giveio.sys";
constexpr char kDevicePrefix[] = "\\\\.\\";
// "Драйвер giveio.sys не найден." in the Windows-1251 code page, the program's own form of it;
// the box shows it as Unicode, so it reads as Russian whatever the system's code page.
constexpr char kMissingDriverText[] =
    "\xC4\xF0\xE0\xE9\xE2\xE5\xF0 giveio.sys \xED\xE5 \xED\xE0\xE9\xE4\xE5\xED.";
// Groups every user of the machine belongs to: Users, Authenticated Users, Everyone, and
// whoever logs on at the console (Interactive).
constexpr const char* kStandardUsers[] = {"S-1-5-32-545", "S-1-5-11", "S-1-1-0", "S-1-5-4"};
// While the driver runs, its device gives the ports to whoever opens it: only the system and
// administrators may.
const TAccessList kAdministratorsOnly{
    false, {{true, GENERIC_ALL, "S-1-5-18", false}, {true, GENERIC_ALL, "S-1-5-32-544", false}}};

bool StandardUsers(const std::string& sid) {
  for (const char* users : kStandardUsers)
    if (sid == users) return true;
  return false;
}

}  // namespace

int IsWin9x(ISystem& system) { return (system.CodeSelector() & 0xFF00) != 0 ? 1 : 0; }

bool WritableByStandardUsers(const TAccessList& list, bool folder) {
  if (list.Null) return true;
  std::uint32_t changes = FILE_WRITE_DATA | FILE_APPEND_DATA | DELETE | WRITE_DAC | WRITE_OWNER |
                          GENERIC_WRITE | GENERIC_ALL;
  if (folder) changes |= FILE_DELETE_CHILD;
  // A denying entry is not weighed against them: the list is trusted only when no user is let in.
  for (const TAccessEntry& entry : list.Entries)
    if (entry.Allow && !entry.InheritOnly && (entry.Mask & changes) && StandardUsers(entry.Sid))
      return true;
  return false;
}

bool TGiveIo::EnablePortAccess() {
  ISystem& system = FSystem;
  if (IsWin9x(system) == 1) return false;
  bool atStart = !FStarted;
  if (atStart) {
    FStarted = true;
    FWow64 = system.IsWow64();
  }
  if (FWow64) return false;
  FDriverName = "giveio";
  // The service loads the driver from beside the executable, so that is where to look. Said
  // once: later enablements follow refused accesses, and the tray's hint tells that state.
  std::string driverPath = ExtractFilePath(system.ExecutablePath()) + kDriverFile;
  bool present = system.FileExists(driverPath);
  if (atStart && !present)
    system.MessageBoxUtf8(HWnd::None, Cp1251ToUtf8(kMissingDriverText), nullptr, MB_OK);

  // What refused the registration or the start refuses it again until the next run (and a
  // start of a missing driver can keep the thread a long while): only a driver file that has
  // appeared since is worth another try. Each handle is closed as its scope ends: the
  // device's once opened (the opening is what grants the ports), the manager's last.
  TOwnedServiceHandle manager(system);
  bool started = false;
  if (atStart || (FDriverMissing && present)) {
    FDriverMissing = !present;
    // A driver that other users can replace would run their code in the kernel: it is not
    // registered. A service registered before, by whatever program, is still used.
    FDriverUnprotected = !DriverProtected(driverPath, present);
    manager.Reset(system.OpenSCManager(SC_MANAGER_CREATE_SERVICE));
    started = RegisterAndStart(manager.Get(), driverPath);
  }
  // Opened with the right to change its list, which the system and administrators have.
  TOwnedKernelObject device(
      system, system.CreateFile(kDevicePrefix + FDriverName, GENERIC_READ | WRITE_DAC, 0,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL));
  if (device) system.SetDeviceAccessList(device.Get(), kAdministratorsOnly);
  return started;
}

bool TGiveIo::DriverProtected(const std::string& driverPath, bool) {
  return CheckLoadPlace(FSystem, driverPath).Passed();
}

bool TGiveIo::RegisterAndStart(HService manager, const std::string& driverPath) {
  ISystem& system = FSystem;
  // The registration's and the service's handles are closed at once. Tried also without a
  // manager, and then fails too.
  if (manager != HService::None && !FDriverUnprotected) {
    TServiceParams params{
        FDriverName,          FDriverName,          SERVICE_ALL_ACCESS, SERVICE_KERNEL_DRIVER,
        SERVICE_DEMAND_START, SERVICE_ERROR_NORMAL, driverPath};
    TOwnedServiceHandle registered(system, system.CreateService(manager, params));
    FRegisteredHere = FRegisteredHere || registered;
  }
  // Ours points at the file beside us (which appeared after the registration, with a list
  // that lets users replace it): not started.
  if (FDriverUnprotected && FRegisteredHere) return false;
  TOwnedServiceHandle service(system, system.OpenService(manager, FDriverName, SERVICE_ALL_ACCESS));
  return service && system.StartService(service.Get());
}
