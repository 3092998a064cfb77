#pragma once
// GUID text in the registry form: "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}",
// upper-case hexadecimal, 38 characters.
#include <cstdint>

#include "toolkit/string.h"

namespace registrar {

// The published 16-byte GUID layout.
struct GuidRecord {
  std::uint32_t Data1 = 0;
  std::uint16_t Data2 = 0;
  std::uint16_t Data3 = 0;
  std::uint8_t Data4[8] = {};
};

// Where GUIDs come from: the two COM calls, with their arguments and results.
class GuidSource {
 public:
  virtual ~GuidSource() = default;
  // CoCreateGuid: fills `guid` with a new GUID; 0 is success.
  virtual std::int32_t CreateGuid(GuidRecord& guid) = 0;
  // StringFromGUID2: writes the registry form and a NUL into `buffer`, which
  // holds `capacity` characters; returns the characters written including
  // the NUL, or 0 when the capacity is too small.
  virtual int StringFromGuid(const GuidRecord& guid, char16_t* buffer, int capacity) = 0;
};

// A new GUID as text, or the empty text when the source fails. Never throws.
toolkit::String GenerateGuid(GuidSource& source);

}  // namespace registrar
