// Built against the widgets layer alone, which does not link the storage: this include must
// not resolve, so the test that builds this file expects the build to fail.
#include "storage/AppStorage.h"
#include "widgets/Digits.h"
