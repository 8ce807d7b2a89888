#pragma once
// Starting a program for the user at the desktop: the Task Scheduler's tasks in its root
// folder, through its own interface, and a start with the rights of that user's shell. Each
// scheduler call gives the scheduler's HRESULT back unchanged (0 is success).
#include <cstdint>
#include <string>

// Registration flags, with the system's values (TASK_CREATE_OR_UPDATE,
// TASK_DONT_ADD_PRINCIPAL_ACE; <taskschd.h> makes enumerators of those names).
inline constexpr std::uint32_t kTaskCreateOrUpdate = 0x6;
// Without it the scheduler adds an entry of its own to the descriptor for the task's principal.
inline constexpr std::uint32_t kTaskDontAddPrincipalAce = 0x10;

// What a descriptor read back holds (OWNER_ and DACL_SECURITY_INFORMATION).
inline constexpr std::uint32_t kOwnerInformation = 0x1;
inline constexpr std::uint32_t kDaclInformation = 0x4;

// Results, with the system's values.
inline constexpr std::uint32_t kTaskDone = 0;
inline constexpr std::uint32_t kTaskNotImplemented = 0x80004001;  // E_NOTIMPL
// HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND): no task of that name.
inline constexpr std::uint32_t kTaskNotFound = 0x80070002;

class ITasks {
 public:
  virtual ~ITasks() = default;

  // Registers the task `name` from its XML definition (UTF-8 here), replacing one of that
  // name, to run as `user` (DOMAIN\name) with that user's interactive token; `sddl` is its
  // descriptor.
  virtual std::uint32_t Register(const std::string& name, const std::string& xml,
                                 std::uint32_t flags, const std::string& user,
                                 const std::string& sddl) = 0;
  // The registered task's descriptor as SDDL, the parts `information` asks for.
  virtual std::uint32_t Descriptor(const std::string& name, std::uint32_t information,
                                   std::string& sddl) = 0;
  virtual std::uint32_t Remove(const std::string& name) = 0;
  virtual std::uint32_t SetEnabled(const std::string& name, bool enabled) = 0;
  // Runs the task now, as its principal, in that user's session.
  virtual std::uint32_t Run(const std::string& name) = 0;

  // Starts `path` with `arguments` in `folder` with the rights of the desktop shell's process
  // (its token, duplicated): as the user at the desktop, whoever runs this process. False
  // when there is no shell or its token cannot be had or used.
  virtual bool StartAsShellUser(const std::string& path, const std::string& arguments,
                                const std::string& folder) = 0;
};
