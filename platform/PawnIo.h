#pragma once
// PawnIO's user-mode library (PawnIOLib.dll): the signed driver's door, which runs small
// signed modules in the kernel. Loaded from its full path; each call gives the library's
// HRESULT back unchanged.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

using THResult = std::int32_t;

// The results the program tells apart, with the system's values.
// The library answers every call with HRESULT_FROM_WIN32 of the driver's status turned into a
// system error code.
inline constexpr THResult S_OK = 0;
inline constexpr THResult E_FAIL = static_cast<THResult>(0x80004005);
inline constexpr THResult E_ACCESSDENIED = static_cast<THResult>(0x80070005);
inline constexpr THResult E_INVALIDARG = static_cast<THResult>(0x80070057);
// ERROR_FILE_NOT_FOUND: no device (its driver does not run), or a function the module lacks.
inline constexpr THResult kPawnIoNoSuchName = static_cast<THResult>(0x80070002);
// ERROR_NOT_READY: a module call before the module's state allows it (no slot selected).
inline constexpr THResult kPawnIoNotReady = static_cast<THResult>(0x80070015);
// ERROR_PROC_NOT_FOUND: the library lacks the export (ours; libraries before 2.0 have no
// pawnio_version).
inline constexpr THResult kPawnIoNoExport = static_cast<THResult>(0x8007007F);
// ERROR_ALREADY_INITIALIZED: a handle that has its module already.
inline constexpr THResult kPawnIoAlreadyLoaded = static_cast<THResult>(0x800704DF);
// ERROR_NOT_FOUND
inline constexpr THResult kPawnIoNotFound = static_cast<THResult>(0x80070490);

// An open PawnIO device with its module; closed only through the library.
enum class HPawnIo : std::uintptr_t { None = 0 };

class IPawnIo {
 public:
  virtual ~IPawnIo() = default;

  // Loads the library from `path` (full, UTF-8), its own imports from the system folder only.
  // False when it cannot be loaded or lacks one of the exports below but pawnio_version.
  virtual bool LoadLibrary(const std::string& path) = 0;
  // (major << 16) | (minor << 8) | patch: 0x00020000 from every 2.x library, whatever its
  // driver. kPawnIoNoExport from a library without the export.
  virtual THResult Version(std::uint32_t& version) = 0;
  virtual THResult Open(HPawnIo& handle) = 0;
  // The module's whole file; the driver checks its signature.
  virtual THResult Load(HPawnIo handle, const std::vector<std::uint8_t>& blob) = 0;
  // Runs one of the module's functions with exactly as many cells in and out as it takes.
  virtual THResult Execute(HPawnIo handle, const char* name, const std::uint64_t* in,
                           std::size_t inCount, std::uint64_t* out, std::size_t outCount,
                           std::size_t& returned) = 0;
  virtual THResult Close(HPawnIo handle) = 0;
};
