#pragma once
#include "platform/sim/SimPlatform.h"
