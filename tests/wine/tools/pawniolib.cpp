// A stand-in for PawnIO's library, for the end-to-end tests of the 64-bit program under Wine,
// which has no PawnIO driver: the same five exports over the simulated LpcIO module, Super I/O
// and sensor chip of the native tests. The chip's thermal model runs ten times faster than
// real time, so the fan line switches within a few refreshes. The tests register it as
// PawnIO's setups do (2.1 and later: the uninstall entry; 2.0: Install_Dir, 32-bit view).
// It answers as the real library over LpcIO 0.2.10 does (the simulated one follows their
// sources); the module LpcIO.bin decides which: the signed stand-in, or the old one
// ("LpcIO 0.1.5 stand-in, signed"). A file "no-driver" beside it: no driver behind the library.
//
// Beside itself it writes pawnio-log.txt, one line per event the tests read:
//   cpu N         a read of the processor's register (0x50)
//   fan 0xNN      a write of the fan line
//   slot N        the module's slot selected: the program looks for the chip
//   unlocked F    a call of the module's function F made without the bus lock held
#include <cstdio>
#include <string>

#include "platform/sim/SimChip.h"
#include "platform/sim/SimPawnIo.h"
#include "platform/win32/Win32Api.h"

namespace {
constexpr std::uint64_t kSpeedUp = 10;

// This library's folder, with its "\\".
std::string Folder() {
  HMODULE self = nullptr;
  GetModuleHandleExA(
      GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
      reinterpret_cast<LPCSTR>(&Folder), &self);
  char path[MAX_PATH] = {};
  GetModuleFileNameA(self, path, MAX_PATH);
  std::string file(path);
  return file.substr(0, file.rfind('\\') + 1);
}

FILE* Log() {
  static FILE* log = std::fopen((Folder() + "pawnio-log.txt").c_str(), "a");
  return log;
}

void Note(const std::string& line) {
  if (FILE* log = Log()) {
    std::fprintf(log, "%s\n", line.c_str());
    std::fflush(log);
  }
}

// The chip's accesses, logged on their way to the simulated chip.
class TLoggingChip : public IPortBus {
 public:
  TLoggingChip() : FChip([] { return GetTickCount64() * kSpeedUp; }) {
    FChip.UseThermalModel(57, 33);
    FChip.SetLogging(false);
  }
  std::uint8_t In(std::uint16_t port) override {
    std::uint8_t value = FChip.In(port);
    if (port == TSimChip::DataPort && FIndex == 0x50) Note("cpu " + std::to_string(value));
    return value;
  }
  void Out(std::uint16_t port, std::uint8_t value) override {
    if (port == TSimChip::IndexPort) FIndex = value;
    if (port == TSimChip::FanPort) Note(value == 0 ? "fan 0x00" : "fan 0x14");
    FChip.Out(port, value);
  }

 private:
  TSimChip FChip;
  std::uint8_t FIndex = 0;
};

// Whether this thread holds the bus lock: another thread cannot take it then.
bool BusLockHeld() {
  HANDLE mutex = OpenMutexW(SYNCHRONIZE, FALSE, L"Global\\Access_ISABUS.HTP.Method");
  if (!mutex) return false;
  HANDLE thread = CreateThread(
      nullptr, 0,
      [](void* m) -> DWORD {
        DWORD result = WaitForSingleObject(static_cast<HANDLE>(m), 0);
        if (result == WAIT_OBJECT_0 || result == WAIT_ABANDONED)
          ReleaseMutex(static_cast<HANDLE>(m));
        return result;
      },
      mutex, 0, nullptr);
  DWORD result = WAIT_FAILED;
  WaitForSingleObject(thread, INFINITE);
  GetExitCodeThread(thread, &result);
  CloseHandle(thread);
  CloseHandle(mutex);
  return result == WAIT_TIMEOUT;
}

TSimPawnIo& PawnIo() {
  static TLoggingChip chip;
  static TSimPawnIo pawnIo(chip);
  static bool prepared = [] {
    pawnIo.DriverRunning =
        GetFileAttributesA((Folder() + "no-driver").c_str()) == INVALID_FILE_ATTRIBUTES;
    return true;
  }();
  (void)prepared;
  return pawnIo;
}
}  // namespace

extern "C" {
__declspec(dllexport) HRESULT pawnio_version(PULONG version) {
  std::uint32_t value = 0;
  HRESULT result = PawnIo().Version(value);
  *version = value;
  return result;
}

__declspec(dllexport) HRESULT pawnio_open(PHANDLE handle) {
  HPawnIo opened = HPawnIo::None;
  HRESULT result = PawnIo().Open(opened);
  *handle = reinterpret_cast<HANDLE>(static_cast<std::uintptr_t>(opened));
  return result;
}

__declspec(dllexport) HRESULT pawnio_load(HANDLE handle, const UCHAR* blob, SIZE_T size) {
  return PawnIo().Load(static_cast<HPawnIo>(reinterpret_cast<std::uintptr_t>(handle)),
                       std::vector<std::uint8_t>(blob, blob + size));
}

__declspec(dllexport) HRESULT
    pawnio_execute(HANDLE handle, PCSTR name, const ULONG64* in, SIZE_T inCount, PULONG64 out,
                   SIZE_T outCount, PSIZE_T returned) {
  if (!BusLockHeld()) Note(std::string("unlocked ") + name);
  if (std::string(name) == "ioctl_select_slot" && inCount == 1)
    Note("slot " + std::to_string(in[0]));
  std::size_t count = 0;
  HRESULT result = PawnIo().Execute(static_cast<HPawnIo>(reinterpret_cast<std::uintptr_t>(handle)),
                                    name, in, inCount, out, outCount, count);
  *returned = count;
  return result;
}

__declspec(dllexport) HRESULT pawnio_close(HANDLE handle) {
  return PawnIo().Close(static_cast<HPawnIo>(reinterpret_cast<std::uintptr_t>(handle)));
}
}
