#include "registrar/guid_win.h"

#include <objbase.h>
#include <windows.h>

#include <cstring>
#include <string>

namespace registrar::win32 {

namespace {
GUID ToGuid(const GuidRecord& record) {
  GUID guid;
  guid.Data1 = record.Data1;
  guid.Data2 = record.Data2;
  guid.Data3 = record.Data3;
  std::memcpy(guid.Data4, record.Data4, sizeof guid.Data4);
  return guid;
}
}  // namespace

std::int32_t Ole32GuidSource::CreateGuid(GuidRecord& guid) {
  GUID created = ToGuid(guid);
  const HRESULT result = CoCreateGuid(&created);
  guid.Data1 = created.Data1;
  guid.Data2 = created.Data2;
  guid.Data3 = created.Data3;
  std::memcpy(guid.Data4, created.Data4, sizeof guid.Data4);
  return result;
}

int Ole32GuidSource::StringFromGuid(const GuidRecord& guid, char16_t* buffer, int capacity) {
  if (capacity <= 0) return 0;
  // Rendered into a wide copy of the caller's buffer, then copied back whole,
  // so that what the caller sees is exactly what StringFromGUID2 left there.
  std::wstring wide(buffer, buffer + capacity);
  const GUID value = ToGuid(guid);
  const int written = StringFromGUID2(value, wide.data(), capacity);
  for (int i = 0; i < capacity; ++i) buffer[i] = static_cast<char16_t>(wide[i]);
  return written;
}

}  // namespace registrar::win32
