#pragma once
// The whole boundary to the operating system, handed to the program at start.
#include "platform/Gdi.h"
#include "platform/Ports.h"
#include "platform/ProcessState.h"
#include "platform/Registry.h"
#include "platform/Shell.h"
#include "platform/System.h"
#include "platform/Windowing.h"

struct TPlatform {
  IPortBus& Ports;
  ISystem& System;
  IWindowing& Windows;
  IGdi& Gdi;
  IRegistry& Registry;
  IShell& Shell;
  // What the program keeps once per process, owned here rather than in globals.
  TProcessState State{};
};
