#pragma once
// The real registry: a thin adapter over advapi32.
#include "platform/Registry.h"

class TWin32Registry : public IRegistry {
 public:
  TRegStatus RegOpenKeyExA(HKey key, const std::string& subKey, std::uint32_t options,
                           std::uint32_t access, HKey& result) override;
  TRegStatus RegOpenKeyA(HKey key, const std::string& subKey, HKey& result) override;
  TRegStatus RegCreateKeyA(HKey key, const std::string& subKey, HKey& result) override;
  TRegStatus RegQueryValueExA(HKey key, const std::string& valueName, std::uint32_t* kind,
                              std::uint8_t* data, std::uint32_t* size) override;
  TRegStatus RegQueryValueExW(HKey key, const std::u16string& valueName, std::uint32_t* kind,
                              std::uint8_t* data, std::uint32_t* size) override;
  TRegStatus RegSetValueExA(HKey key, const std::string& valueName, std::uint32_t kind,
                            const std::uint8_t* data, std::uint32_t size) override;
  TRegStatus RegCloseKey(HKey key) override;
};
