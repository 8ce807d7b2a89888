#pragma once
#include "platform/Shell.h"

class TSimShell : public IShell {};
