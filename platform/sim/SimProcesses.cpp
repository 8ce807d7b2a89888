// Other processes of the simulated machine: their accounts and their end.
#include "platform/sim/SimSystem.h"

bool TSimSystem::ProcessRuns(std::uint32_t processId) const {
  if (processId == FWindows.ProcessId || OtherProcesses.count(processId)) return true;
  for (HWnd window : FWindows.Windows())
    if (FWindows.GetWindowProcessId(window) == processId) return true;
  return false;
}

THandle TSimSystem::OpenProcess(std::uint32_t processId) {
  Calls.push_back("OpenProcess(" + std::to_string(processId) + ")");
  if (processId == 0 || !ProcessRuns(processId)) return THandle::None;
  // A process handle's access records the generation of the identifier it was opened for.
  return SimHandle<THandle>(
      NewHandle(TKind::Process, std::to_string(processId), FProcessGenerations[processId]));
}

std::uint32_t TSimSystem::RunningProcess(THandle process) const {
  if (process == kThisProcess) return FWindows.ProcessId;
  auto it = FHandles.find(SimId(process));
  if (it == FHandles.end() || it->second.Kind != TKind::Process) return 0;
  std::uint32_t id = static_cast<std::uint32_t>(std::stoul(it->second.Name));
  auto generation = FProcessGenerations.find(id);
  std::uint32_t now = generation == FProcessGenerations.end() ? 0 : generation->second;
  return it->second.Access == now && ProcessRuns(id) ? id : 0;
}

std::string TSimSystem::ProcessImagePath(THandle process) {
  std::uint32_t id = RunningProcess(process);
  if (id == 0) return {};
  auto it = ProcessImages.find(id);
  return it != ProcessImages.end() ? it->second : ExePath;
}

std::string TSimSystem::ProcessUserSid(THandle process) {
  std::uint32_t id = RunningProcess(process);
  if (id == 0 || UnreadableTokens.count(id)) return {};
  auto it = ProcessUsers.find(id);
  return it != ProcessUsers.end() ? it->second : AccountSid;
}

TElevation TSimSystem::ProcessElevation(THandle process) {
  std::uint32_t id = RunningProcess(process);
  if (!SplitRights || id == 0 || UnreadableTokens.count(id)) return TElevation::Unknown;
  return FWindows.ElevatedProcesses.count(id) ? TElevation::Elevated : TElevation::NotElevated;
}

bool TSimSystem::TerminateProcess(THandle process) {
  std::uint32_t id = RunningProcess(process);
  Calls.push_back("TerminateProcess(" + std::to_string(id) + ")");
  if (id == 0 || id == FWindows.ProcessId) return false;
  TerminatedProcesses.push_back(id);
  if (OnTerminateProcess) return OnTerminateProcess(id);
  OtherProcesses.erase(id);
  FWindows.EndProcess(id);
  return true;
}

bool TSimSystem::WaitForProcessExit(THandle process, std::uint32_t milliseconds) {
  std::uint32_t id = RunningProcess(process);
  if (id == 0) return true;
  if (OnWaitForProcess) return OnWaitForProcess(id, milliseconds) || RunningProcess(process) == 0;
  Sleep(milliseconds);
  return RunningProcess(process) == 0;
}
