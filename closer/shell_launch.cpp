#include "closer/shell_launch.h"

#include <algorithm>

namespace closer {

namespace {
bool StartsWithNoCase(toolkit::StringView text, std::u16string_view prefix) {
  if (text.size() < prefix.size()) return false;
  return std::equal(prefix.begin(), prefix.end(), text.begin(), [](char16_t p, char16_t c) {
    return p == (c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c - u'A' + u'a') : c);
  });
}

// C0, DEL and C1: line breaks and the like have no place in an address.
bool IsControl(char16_t c) {
  return c < 0x20 || (c >= 0x7F && c <= 0x9F);
}
}  // namespace

bool IsWebAddress(toolkit::StringView text) {
  return (StartsWithNoCase(text, u"http://") || StartsWithNoCase(text, u"https://")) &&
         std::none_of(text.begin(), text.end(), IsControl);
}

}  // namespace closer
