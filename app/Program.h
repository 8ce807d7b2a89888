#pragma once
#include "platform/Platform.h"

// The executable's entry sequence on the given platform; returns when the program ends.
int RunProgram(TPlatform& platform);
