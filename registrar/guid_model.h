#pragma once
// A GUID source without COM: random version-4 GUIDs from the operating
// system's entropy source, rendered as StringFromGUID2 renders them.
#include "registrar/guid.h"

namespace registrar {

class RandomGuidSource : public GuidSource {
 public:
  std::int32_t CreateGuid(GuidRecord& guid) override;
  int StringFromGuid(const GuidRecord& guid, char16_t* buffer, int capacity) override;
};

}  // namespace registrar
