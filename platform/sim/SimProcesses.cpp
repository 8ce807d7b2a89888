// Other processes of the simulated machine: their accounts and their end.
#include "platform/sim/SimSystem.h"

bool TSimSystem::ProcessRuns(std::uint32_t processId) const {
  if (processId == FWindows.ProcessId || OtherProcesses.count(processId)) return true;
  for (HWnd window : FWindows.Windows())
    if (FWindows.GetWindowProcessId(window) == processId) return true;
  return false;
}

std::string TSimSystem::ProcessUserSid(std::uint32_t processId) {
  std::uint32_t process = processId != 0 ? processId : FWindows.ProcessId;
  if (!ProcessRuns(process)) return {};
  auto it = ProcessUsers.find(process);
  return it != ProcessUsers.end() ? it->second : AccountSid;
}

bool TSimSystem::TerminateProcess(std::uint32_t processId) {
  Calls.push_back("TerminateProcess(" + std::to_string(processId) + ")");
  if (processId == FWindows.ProcessId || !ProcessRuns(processId)) return false;
  TerminatedProcesses.push_back(processId);
  if (OnTerminateProcess) return OnTerminateProcess(processId);
  OtherProcesses.erase(processId);
  FWindows.EndProcess(processId);
  return true;
}
