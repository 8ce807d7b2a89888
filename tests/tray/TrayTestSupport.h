#pragma once
// A tray icon on the simulated machine, with an application object (for its window hook)
// and a root component that owns it.
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "framework/Forms.h"
#include "platform/sim/SimPlatform.h"
#include "tray/TextTrayIcon.h"
#include "tray/TrayIconHandler.h"

template <class T>
struct TTrayRig {
  TSimPlatform Sim;
  TApplication Application{Sim.Platform()};
  TComponent Root{nullptr, &Sim.Platform()};
  T* Icon = NewComponent<T>(&Root);

  // What the shell does for a sequence of pointer actions over the entry; then the loop
  // hands them to the tray message window.
  void Pointer(const std::vector<std::uint32_t>& messages) {
    for (std::uint32_t m : messages) Sim.Shell.PostPointerMessage(Sim.Windows, m);
    Sim.RunFor(0);
  }
  HWnd TrayWindow() const { return TTrayIconHandler::Instance(Sim.Platform())->Handle(); }
  std::vector<std::uint32_t> RequestMessages() const {
    std::vector<std::uint32_t> result;
    for (const auto& r : Sim.Shell.Requests) result.push_back(r.Message);
    return result;
  }
};

inline std::string TipOf(const TNotifyIconData& data) { return TSimShell::TipText(data); }
