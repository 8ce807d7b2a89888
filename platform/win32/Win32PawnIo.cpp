#include "platform/win32/Win32PawnIo.h"

#include "platform/win32/Win32Api.h"
#include "platform/win32/Win32Text.h"

namespace {
// The exports' shapes, as PawnIOLib.h gives them.
using TVersionFn = HRESULT(WINAPI*)(PULONG);
using TOpenFn = HRESULT(WINAPI*)(PHANDLE);
using TLoadFn = HRESULT(WINAPI*)(HANDLE, const UCHAR*, SIZE_T);
using TExecuteFn = HRESULT(WINAPI*)(HANDLE, PCSTR, const ULONG64*, SIZE_T, PULONG64, SIZE_T,
                                    PSIZE_T);
using TCloseFn = HRESULT(WINAPI*)(HANDLE);

template <class T>
T As(void* function) {
  return reinterpret_cast<T>(function);
}

HANDLE ToWin32(HPawnIo handle) {
  return reinterpret_cast<HANDLE>(static_cast<std::uintptr_t>(handle));
}
}  // namespace

bool TWin32PawnIo::LoadLibrary(const std::string& path) {
  if (FExecute) return true;
  HMODULE library = LoadLibraryExW(WidePath(path).c_str(), nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  if (!library) return false;
  // A library before 2.0 may lack pawnio_version: Version says so.
  void* version = reinterpret_cast<void*>(GetProcAddress(library, "pawnio_version"));
  void* exports[] = {
      reinterpret_cast<void*>(GetProcAddress(library, "pawnio_open")),
      reinterpret_cast<void*>(GetProcAddress(library, "pawnio_load")),
      reinterpret_cast<void*>(GetProcAddress(library, "pawnio_execute")),
      reinterpret_cast<void*>(GetProcAddress(library, "pawnio_close")),
  };
  for (void* function : exports) {
    if (!function) {
      FreeLibrary(library);
      return false;
    }
  }
  FVersion = version;
  FOpen = exports[0];
  FLoad = exports[1];
  FExecute = exports[2];
  FClose = exports[3];
  return true;
}

THResult TWin32PawnIo::Version(std::uint32_t& version) {
  if (!FVersion) return kPawnIoNoExport;
  ULONG value = 0;
  HRESULT result = As<TVersionFn>(FVersion)(&value);
  version = value;
  return result;
}

THResult TWin32PawnIo::Open(HPawnIo& handle) {
  HANDLE opened = nullptr;
  HRESULT result = As<TOpenFn>(FOpen)(&opened);
  handle = result == S_OK ? static_cast<HPawnIo>(reinterpret_cast<std::uintptr_t>(opened))
                          : HPawnIo::None;
  return result;
}

THResult TWin32PawnIo::Load(HPawnIo handle, const std::vector<std::uint8_t>& blob) {
  return As<TLoadFn>(FLoad)(ToWin32(handle), blob.data(), blob.size());
}

THResult TWin32PawnIo::Execute(HPawnIo handle, const char* name, const std::uint64_t* in,
                               std::size_t inCount, std::uint64_t* out, std::size_t outCount,
                               std::size_t& returned) {
  SIZE_T count = 0;
  HRESULT result =
      As<TExecuteFn>(FExecute)(ToWin32(handle), name, reinterpret_cast<const ULONG64*>(in), inCount,
                               reinterpret_cast<PULONG64>(out), outCount, &count);
  returned = count;
  return result;
}

THResult TWin32PawnIo::Close(HPawnIo handle) { return As<TCloseFn>(FClose)(ToWin32(handle)); }
