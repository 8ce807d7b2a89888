#include "platform/win32/Win32PawnIo.h"

#include <cstring>

#include "platform/win32/Win32Api.h"

namespace {
// The device's name in the object namespace: every release has it (\\.\PawnIO, a link to it,
// is gone since 2.1).
constexpr wchar_t kDevicePath[] = L"\\\\?\\GLOBALROOT\\Device\\PawnIO";
constexpr DWORD kLoadBinary = 0xA1B22084;  // IOCTL_PIO_LOAD_BINARY
constexpr DWORD kExecute = 0xA1B22104;     // IOCTL_PIO_EXECUTE_FN
constexpr DWORD kVersion = 0xA1B22184;     // IOCTL_PIO_VERSION, 2.1 and later
// A function's name leads the input, zero-padded to this size and ending in a zero.
constexpr std::size_t kNameSize = 32;

HANDLE ToWin32(HPawnIo handle) {
  return reinterpret_cast<HANDLE>(static_cast<std::uintptr_t>(handle));
}

THResult LastError() { return HRESULT_FROM_WIN32(GetLastError()); }

// One control code: S_OK with the bytes the driver gave back, or the system's error.
THResult Control(HPawnIo handle, DWORD code, const void* in, std::size_t inSize, void* out,
                 std::size_t outSize, DWORD& returned) {
  returned = 0;
  if (!DeviceIoControl(ToWin32(handle), code, const_cast<void*>(in), static_cast<DWORD>(inSize),
                       out, static_cast<DWORD>(outSize), &returned, nullptr))
    return LastError();
  return S_OK;
}
}  // namespace

THResult TWin32PawnIo::Open(HPawnIo& handle) {
  HANDLE device =
      CreateFileW(kDevicePath, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                  nullptr, OPEN_EXISTING, 0, nullptr);
  if (device == INVALID_HANDLE_VALUE) {
    handle = HPawnIo::None;
    return LastError();
  }
  handle = static_cast<HPawnIo>(reinterpret_cast<std::uintptr_t>(device));
  return S_OK;
}

THResult TWin32PawnIo::Version(HPawnIo handle, std::uint32_t& version) {
  ULONG value = 0;
  DWORD returned = 0;
  THResult result = Control(handle, kVersion, nullptr, 0, &value, sizeof value, returned);
  if (result == S_OK && returned != sizeof value) return E_FAIL;
  version = value;
  return result;
}

THResult TWin32PawnIo::Load(HPawnIo handle, const std::vector<std::uint8_t>& blob) {
  DWORD returned = 0;
  return Control(handle, kLoadBinary, blob.data(), blob.size(), nullptr, 0, returned);
}

THResult TWin32PawnIo::Execute(HPawnIo handle, const char* name, const std::uint64_t* in,
                               std::size_t inCount, std::uint64_t* out, std::size_t outCount,
                               std::size_t& returned) {
  returned = 0;
  std::size_t length = std::strlen(name);
  if (length >= kNameSize) return E_INVALIDARG;  // the driver would find no end to it
  std::vector<std::uint8_t> input(kNameSize + inCount * sizeof(std::uint64_t), 0);
  std::memcpy(input.data(), name, length);
  for (std::size_t i = 0; i < inCount; ++i)  // little-endian, as the machine
    std::memcpy(input.data() + kNameSize + i * sizeof(std::uint64_t), &in[i], sizeof in[i]);
  DWORD bytes = 0;
  THResult result = Control(handle, kExecute, input.data(), input.size(), out,
                            outCount * sizeof(std::uint64_t), bytes);
  if (result == S_OK) returned = bytes / sizeof(std::uint64_t);
  return result;
}

THResult TWin32PawnIo::Close(HPawnIo handle) {
  return CloseHandle(ToWin32(handle)) ? S_OK : LastError();
}
