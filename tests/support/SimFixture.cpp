#include "tests/support/SimFixture.h"
