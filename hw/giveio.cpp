#include "hw/giveio.h"

#include "framework/Strings.h"
#include "platform/Owned.h"

namespace {
constexpr char kDriverFile[] = "giveio.sys";
constexpr char kDevicePrefix[] = "\\\\.\\";
// "Драйвер giveio.sys не найден." in the Windows-1251 code page, the program's own form of it;
// the box shows it as Unicode, so it reads as Russian whatever the system's code page.
constexpr char kMissingDriverText[] =
    "\xC4\xF0\xE0\xE9\xE2\xE5\xF0 giveio.sys \xED\xE5 \xED\xE0\xE9\xE4\xE5\xED.";
}  // namespace

int IsWin9x(ISystem& system) { return (system.CodeSelector() & 0xFF00) != 0 ? 1 : 0; }

void TGiveIo::EnablePortAccess() {
  ISystem& system = FSystem;
  if (IsWin9x(system) == 1) return;
  bool atStart = !FStarted;
  if (atStart) {
    FStarted = true;
    FWow64 = system.IsWow64();
  }
  if (FWow64) return;
  FDriverName = "giveio";
  // The service loads the driver from beside the executable, so that is where to look. Said
  // once: later enablements follow refused accesses, and the tray's hint tells that state.
  std::string driverPath = ExtractFilePath(system.ExecutablePath()) + kDriverFile;
  if (atStart && !system.FileExists(driverPath))
    system.MessageBoxUtf8(HWnd::None, Cp1251ToUtf8(kMissingDriverText), nullptr, MB_OK);

  // Each handle is closed as its scope ends: the registration's and the service's at once,
  // the device's once opened (the opening is what grants the ports), the manager's last.
  TOwnedServiceHandle manager(system, system.OpenSCManager(SC_MANAGER_CREATE_SERVICE));
  if (manager) {
    TServiceParams params{
        FDriverName,          FDriverName,          SERVICE_ALL_ACCESS, SERVICE_KERNEL_DRIVER,
        SERVICE_DEMAND_START, SERVICE_ERROR_NORMAL, driverPath};
    TOwnedServiceHandle registered(system, system.CreateService(manager.Get(), params));
  }
  if (TOwnedServiceHandle service(
          system, system.OpenService(manager.Get(), FDriverName, SERVICE_ALL_ACCESS));
      service)
    system.StartService(service.Get());
  TOwnedKernelObject device(system, system.CreateFile(kDevicePrefix + FDriverName, GENERIC_READ, 0,
                                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL));
  device.Reset();
}
