#include "hw/LpcModule.h"

#include "framework/Strings.h"
#include "hw/LoadPlace.h"

TLpcModule ReadLpcModule(ISystem& system, IFiles& files, bool skipBeside) {
  TLpcModule module;
  std::vector<std::uint8_t> embedded;
  module.Embedded = files.ReadResource(kLpcModuleResource, embedded);
  std::string beside = ExtractFilePath(system.ExecutablePath()) + kLpcModuleFile;
  if (!module.Embedded) {
    if (!skipBeside && files.ReadFile(beside, module.Bytes))
      module.Source = TLpcModuleSource::Beside;
    return module;
  }
  // Whoever may change the file could otherwise take the readings and the fail-safe away.
  if (!skipBeside && system.FileExists(beside)) {
    TLoadCheck check = CheckLoadPlace(system, beside);
    module.BesideUnprotected = !check.Passed();
    if (check.Passed() && files.ReadFile(check.FinalPath, module.Bytes)) {
      module.Source = TLpcModuleSource::Beside;
      return module;
    }
  }
  module.Bytes = std::move(embedded);
  module.Source = TLpcModuleSource::Embedded;
  return module;
}
