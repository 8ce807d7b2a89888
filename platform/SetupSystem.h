#pragma once
// What only the setup asks of the system, apart from ISystem so that the program, which never
// asks it, carries none of it.
#include <cstdint>
#include <string>

#include "platform/System.h"

// Service manager rights, with the system's numbers (named apart from the system's macros).
inline constexpr std::uint32_t kManagerConnect = 0x0001;      // SC_MANAGER_CONNECT
inline constexpr std::uint32_t kServiceQueryConfig = 0x0001;  // SERVICE_QUERY_CONFIG

class ISetupSystem {
 public:
  virtual ~ISetupSystem() = default;

  // The program folder for 32-bit programs as the system names it (its known folder, never the
  // environment, which is the user's to set); empty when it cannot be asked.
  virtual std::string ProgramFilesX86Folder() = 0;
  // "DOMAIN\name" of the user logged on at this session's desktop; empty when it cannot be told.
  virtual std::string SessionUserName() = 0;
  // An account's SID as text by its "DOMAIN\name", and its "DOMAIN\name" by its SID; empty
  // when the system knows no such account.
  virtual std::string AccountSidOf(const std::string& name) = 0;
  virtual std::string AccountNameOf(const std::string& sid) = 0;
  // Removes a service's registration (opened with DELETE): it goes once every handle to it is
  // closed. True when the manager took the request.
  virtual bool DeleteService(HService service) = 0;
  // Opens a file or folder itself: a junction or link as the link, never what it leads to.
  // With `toDelete` the handle may delete it (DeleteByHandle); either way no one else may
  // rename or delete it while the handle is open. `attributes` are those of what was opened.
  // None when it cannot be opened.
  virtual THandle OpenUnfollowed(const std::string& path, bool toDelete,
                                 std::uint32_t& attributes) = 0;
  // Deletes what the handle (OpenUnfollowed's, `toDelete`) names, a file or an empty folder;
  // it goes when the handle is closed. False when it may not go (a folder not empty, a file in
  // use).
  virtual bool DeleteByHandle(THandle handle) = 0;
};
