#include "hw/giveio.h"

namespace {
constexpr char kDriverFile[] = "giveio.sys";
constexpr char kDevicePrefix[] = "\\\\.\\";
// "Драйвер giveio.sys не найден." in the Windows-1251 code page, handed to the ANSI box as is.
constexpr char kMissingDriverText[] =
    "\xC4\xF0\xE0\xE9\xE2\xE5\xF0 giveio.sys \xED\xE5 \xED\xE0\xE9\xE4\xE5\xED.";
}  // namespace

int IsWin9x(ISystem& system) { return (system.CodeSelector() & 0xFF00) != 0 ? 1 : 0; }

std::string ExtractFilePath(const std::string& path) {
  auto last = path.find_last_of("\\:");
  return last == std::string::npos ? std::string() : path.substr(0, last + 1);
}

void TGiveIo::EnablePortAccess() {
  ISystem& system = FSystem;
  if (IsWin9x(system) == 1) return;
  FDriverName = "giveio";
  // The service loads the driver from beside the executable, so that is where to look.
  std::string driverPath = ExtractFilePath(system.ExecutablePath()) + kDriverFile;
  if (!system.FileExists(driverPath)) system.MessageBox(0, kMissingDriverText, nullptr, MB_OK);

  THandle manager = system.OpenSCManager(SC_MANAGER_CREATE_SERVICE);
  if (manager != 0) {
    TServiceParams params{
        FDriverName,          FDriverName,          SERVICE_ALL_ACCESS, SERVICE_KERNEL_DRIVER,
        SERVICE_DEMAND_START, SERVICE_ERROR_NORMAL, driverPath};
    if (THandle service = system.CreateService(manager, params)) system.CloseServiceHandle(service);
  }
  if (THandle service = system.OpenService(manager, FDriverName, SERVICE_ALL_ACCESS)) {
    system.StartService(service);
    system.CloseServiceHandle(service);
  }
  if (THandle device = system.CreateFile(kDevicePrefix + FDriverName, GENERIC_READ, 0,
                                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL))
    system.CloseHandle(device);
  if (manager != 0) system.CloseServiceHandle(manager);
}
