#include "registrar/guid_win.h"
#include "registrar/tests/system_guid_source.h"

namespace registrar::testing {

GuidSource& SystemGuidSource() {
  static win32::Ole32GuidSource source;
  return source;
}

}  // namespace registrar::testing
