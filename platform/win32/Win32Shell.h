#pragma once
#include "platform/Shell.h"

class TWin32Shell : public IShell {};
