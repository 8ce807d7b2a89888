#pragma once
#include "platform/Tasks.h"

// The Task Scheduler through its COM interface (Windows Vista and later; every call fails
// before), COM set up and torn down around each call.
class TWin32Tasks : public ITasks {
 public:
  std::uint32_t Register(const std::string& name, const std::string& xml, std::uint32_t flags,
                         const std::string& user, const std::string& sddl) override;
  std::uint32_t Descriptor(const std::string& name, std::uint32_t information,
                           std::string& sddl) override;
  std::uint32_t Remove(const std::string& name) override;
  std::uint32_t SetEnabled(const std::string& name, bool enabled) override;
  std::uint32_t Run(const std::string& name) override;
  bool StartAsShellUser(const std::string& path, const std::string& arguments,
                        const std::string& folder) override;
};
