#pragma once
// PawnIO's library, loaded by its full path with LoadLibraryExW; its own imports come from the
// system folder only, never the search path. The library stays loaded for the process's life.
#include "platform/PawnIo.h"

class TWin32PawnIo : public IPawnIo {
 public:
  bool LoadLibrary(const std::string& path) override;
  THResult Version(std::uint32_t& version) override;
  THResult Open(HPawnIo& handle) override;
  THResult Load(HPawnIo handle, const std::vector<std::uint8_t>& blob) override;
  THResult Execute(HPawnIo handle, const char* name, const std::uint64_t* in, std::size_t inCount,
                   std::uint64_t* out, std::size_t outCount, std::size_t& returned) override;
  THResult Close(HPawnIo handle) override;

 private:
  void* FVersion = nullptr;
  void* FOpen = nullptr;
  void* FLoad = nullptr;
  void* FExecute = nullptr;
  void* FClose = nullptr;
};
