#pragma once
// PawnIO's device through CreateFileW and DeviceIoControl, as PawnIO's own library talks to it
// (pawnio_um.h: device type 0xA1B2, METHOD_BUFFERED, FILE_ANY_ACCESS).
#include "platform/PawnIo.h"

class TWin32PawnIo : public IPawnIo {
 public:
  THResult Open(HPawnIo& handle) override;
  THResult Version(HPawnIo handle, std::uint32_t& version) override;
  THResult Load(HPawnIo handle, const std::vector<std::uint8_t>& blob) override;
  THResult Execute(HPawnIo handle, const char* name, const std::uint64_t* in, std::size_t inCount,
                   std::uint64_t* out, std::size_t outCount, std::size_t& returned) override;
  THResult Close(HPawnIo handle) override;
};
