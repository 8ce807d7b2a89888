#pragma once
#include "platform/Registry.h"

class TWin32Registry : public IRegistry {};
