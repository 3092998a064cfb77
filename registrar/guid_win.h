#pragma once
// GUIDs from COM (ole32).
#include "registrar/guid.h"

namespace registrar::win32 {

class Ole32GuidSource : public GuidSource {
 public:
  std::int32_t CreateGuid(GuidRecord& guid) override;
  int StringFromGuid(const GuidRecord& guid, char16_t* buffer, int capacity) override;
};

}  // namespace registrar::win32
