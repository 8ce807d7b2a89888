#pragma once
#include "platform/Gdi.h"

class TWin32Gdi : public IGdi {};
