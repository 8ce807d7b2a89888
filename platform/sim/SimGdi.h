#pragma once
#include "platform/Gdi.h"

class TSimGdi : public IGdi {};
