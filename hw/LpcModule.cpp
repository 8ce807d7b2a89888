#include "hw/LpcModule.h"

#include "framework/Strings.h"

TLpcModuleSource ReadLpcModule(ISystem& system, IFiles& files, std::vector<std::uint8_t>& bytes) {
  if (files.ReadFile(ExtractFilePath(system.ExecutablePath()) + kLpcModuleFile, bytes))
    return TLpcModuleSource::Beside;
  if (files.ReadResource(kLpcModuleResource, bytes)) return TLpcModuleSource::Embedded;
  bytes.clear();
  return TLpcModuleSource::None;
}
