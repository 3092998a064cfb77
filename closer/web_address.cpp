#include "closer/web_address.h"

#include <algorithm>

namespace closer {

namespace {
bool StartsWithNoCase(toolkit::StringView text, std::u16string_view prefix) {
  if (text.size() < prefix.size()) return false;
  return std::equal(prefix.begin(), prefix.end(), text.begin(), [](char16_t p, char16_t c) {
    return p == (c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c - u'A' + u'a') : c);
  });
}

// White space of any script (Unicode's White_Space), C0, DEL and C1: an
// address with one of them would reach the shell as more than one token.
bool IsSpaceOrControl(char16_t c) {
  if (c <= 0x20 || (c >= 0x7F && c <= 0xA0)) return true;
  return c == 0x1680 || (c >= 0x2000 && c <= 0x200A) || c == 0x2028 || c == 0x2029 || c == 0x202F ||
         c == 0x205F || c == 0x3000;
}

// Characters that may not stand unescaped in an address, and that a command
// line or the shell would read as quoting, redirection or a path.
bool IsUnsafe(char16_t c) {
  return std::u16string_view(u"\"<>\\^`{|}").find(c) != std::u16string_view::npos;
}
}  // namespace

bool IsWebAddress(toolkit::StringView text) {
  size_t start = 0;
  if (StartsWithNoCase(text, u"http://")) {
    start = 7;
  } else if (StartsWithNoCase(text, u"https://")) {
    start = 8;
  } else {
    return false;
  }
  if (std::any_of(text.begin(), text.end(),
                  [](char16_t c) { return IsSpaceOrControl(c) || IsUnsafe(c); })) {
    return false;
  }
  // The host: what follows any user name and comes before a port or a path.
  const toolkit::StringView authority =
      text.substr(start, text.find_first_of(u"/?#", start) - start);
  const toolkit::StringView host = authority.substr(authority.rfind(u'@') + 1);
  return !host.empty() && host.front() != u':';
}

}  // namespace closer
