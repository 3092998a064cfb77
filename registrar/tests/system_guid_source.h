#pragma once
// The GUID source of the tree under test: COM on Windows, the model elsewhere.
#include "registrar/guid.h"

namespace registrar::testing {

GuidSource& SystemGuidSource();

}  // namespace registrar::testing
