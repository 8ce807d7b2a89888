#pragma once
#include "platform/Registry.h"

class TSimRegistry : public IRegistry {};
