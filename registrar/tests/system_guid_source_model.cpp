#include "registrar/guid_model.h"
#include "registrar/tests/system_guid_source.h"

namespace registrar::testing {

GuidSource& SystemGuidSource() {
  static RandomGuidSource source;
  return source;
}

}  // namespace registrar::testing
