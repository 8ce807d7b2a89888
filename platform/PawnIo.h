#pragma once
// PawnIO's device, \Device\PawnIO: its signed driver runs small signed modules in the kernel.
// Opened and talked to directly, as every PawnIO release lets (nothing of PawnIO's is loaded
// into the process). Each call gives HRESULT_FROM_WIN32 of the system's error, which is what
// PawnIO's own library gives for the same driver status.
#include <cstddef>
#include <cstdint>
#include <vector>

using THResult = std::int32_t;

// The results the program tells apart, with the system's values (the driver's NTSTATUS as the
// system turns it into an error code).
inline constexpr THResult S_OK = 0;
inline constexpr THResult E_FAIL = static_cast<THResult>(0x80004005);
inline constexpr THResult E_ACCESSDENIED = static_cast<THResult>(0x80070005);
inline constexpr THResult E_INVALIDARG = static_cast<THResult>(0x80070057);
// ERROR_FILE_NOT_FOUND: no device (its driver does not run), or a function the module lacks.
inline constexpr THResult kPawnIoNoSuchName = static_cast<THResult>(0x80070002);
// ERROR_INVALID_FUNCTION: a control code the driver does not know (the version's, before 2.1).
inline constexpr THResult kPawnIoUnknownCode = static_cast<THResult>(0x80070001);
// ERROR_GEN_FAILURE: the driver's VM could not take a module it verified (STATUS_UNSUCCESSFUL),
// as PawnIO 1.0's, which lacks natives that LpcIO calls.
inline constexpr THResult kPawnIoUnsuccessful = static_cast<THResult>(0x8007001F);
// ERROR_NOT_READY: a module call before the module's state allows it (no slot selected).
inline constexpr THResult kPawnIoNotReady = static_cast<THResult>(0x80070015);
// ERROR_ALREADY_INITIALIZED: a handle that has its module already.
inline constexpr THResult kPawnIoAlreadyLoaded = static_cast<THResult>(0x800704DF);
// ERROR_NOT_FOUND
inline constexpr THResult kPawnIoNotFound = static_cast<THResult>(0x80070490);

// An open handle of PawnIO's device, with at most one module.
enum class HPawnIo : std::uintptr_t { None = 0 };

class IPawnIo {
 public:
  virtual ~IPawnIo() = default;

  // Opens the device for reading and writing. kPawnIoNoSuchName when its driver does not run;
  // E_ACCESSDENIED for a process that is not elevated (the device is for SYSTEM and
  // Administrators).
  virtual THResult Open(HPawnIo& handle) = 0;
  // The driver's version, (major << 16) | (minor << 8) | patch. kPawnIoUnknownCode from a
  // driver before 2.1, which has no such question.
  virtual THResult Version(HPawnIo handle, std::uint32_t& version) = 0;
  // The module's whole file; the driver checks its signature. One module per handle.
  virtual THResult Load(HPawnIo handle, const std::vector<std::uint8_t>& blob) = 0;
  // Runs one of the module's functions (its name starts "ioctl_", at most 31 characters) with
  // exactly as many cells in and out as it takes; `returned`: the cells the driver gave back.
  virtual THResult Execute(HPawnIo handle, const char* name, const std::uint64_t* in,
                           std::size_t inCount, std::uint64_t* out, std::size_t outCount,
                           std::size_t& returned) = 0;
  virtual THResult Close(HPawnIo handle) = 0;
};
