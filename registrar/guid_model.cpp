#include "registrar/guid_model.h"

#include <cstdio>
#include <exception>
#include <random>

namespace registrar {

namespace {
constexpr std::int32_t kFailed = static_cast<std::int32_t>(0x80004005);  // E_FAIL
}  // namespace

std::int32_t RandomGuidSource::CreateGuid(GuidRecord& guid) {
  try {
    // libstdc++'s default random_device reads the kernel's entropy source.
    std::random_device entropy;
    const auto word = [&entropy] { return static_cast<std::uint32_t>(entropy()); };
    guid.Data1 = word();
    const std::uint32_t middle = word();
    guid.Data2 = static_cast<std::uint16_t>(middle >> 16);
    // Version 4 (random) in the top nibble of Data3, variant 10xx in Data4[0].
    guid.Data3 = static_cast<std::uint16_t>((middle & 0x0FFF) | 0x4000);
    for (int i = 0; i < 8; i += 4) {
      const std::uint32_t bits = word();
      for (int j = 0; j < 4; ++j) guid.Data4[i + j] = static_cast<std::uint8_t>(bits >> (8 * j));
    }
    guid.Data4[0] = static_cast<std::uint8_t>((guid.Data4[0] & 0x3F) | 0x80);
    return 0;
  } catch (const std::exception&) {
    return kFailed;  // no entropy source: reported as CoCreateGuid would
  }
}

int RandomGuidSource::StringFromGuid(const GuidRecord& guid, char16_t* buffer, int capacity) {
  constexpr int kLength = 39;  // 38 characters and the NUL
  if (capacity < kLength) return 0;
  char text[kLength + 1];
  std::snprintf(text, sizeof text, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                static_cast<unsigned>(guid.Data1), unsigned{guid.Data2}, unsigned{guid.Data3},
                unsigned{guid.Data4[0]}, unsigned{guid.Data4[1]}, unsigned{guid.Data4[2]},
                unsigned{guid.Data4[3]}, unsigned{guid.Data4[4]}, unsigned{guid.Data4[5]},
                unsigned{guid.Data4[6]}, unsigned{guid.Data4[7]});
  for (int i = 0; i < kLength; ++i) buffer[i] = static_cast<char16_t>(text[i]);
  return kLength;
}

}  // namespace registrar
