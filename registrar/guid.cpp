#include "registrar/guid.h"

#include <algorithm>
#include <array>

namespace registrar {

toolkit::String GenerateGuid(GuidSource& source) {
  GuidRecord guid{};
  if (source.CreateGuid(guid) != 0) return {};

  constexpr int kCapacity = 260;
  std::array<char16_t, kCapacity> buffer;
  buffer.fill(u' ');
  const int written = source.StringFromGuid(guid, buffer.data(), kCapacity);
  if (written <= 0) return {};
  // The count includes the NUL; never read past the buffer, whatever it says.
  const int length = std::min(written - 1, kCapacity);
  return toolkit::String(buffer.data(), static_cast<std::size_t>(length));
}

}  // namespace registrar
