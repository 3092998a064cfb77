#pragma once
// The log as the tests expect it: groups of lines of pages titled t at
// http://t.test/, hosted by C:\iexplore.exe.
#include <algorithm>
#include <vector>

#include "closer/form1.h"

namespace closer::testing {

using Lines = std::vector<toolkit::String>;

// The group of the page titled `title`, less the lines at the positions given.
inline Lines Group(const toolkit::String& title, std::vector<size_t> without = {}) {
  const toolkit::String separator = u"----------------------";
  const Lines all = {separator, title, u"http://" + title + u".test/", u"C:\\iexplore.exe",
                     separator};
  Lines lines;
  for (size_t i = 0; i < all.size(); ++i)
    if (std::find(without.begin(), without.end(), i) == without.end()) lines.push_back(all[i]);
  return lines;
}

inline Lines operator+(Lines a, const Lines& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

inline Lines Log(const Form1& form) {
  Lines lines;
  for (int i = 0; i < form.List1.Count(); ++i) lines.push_back(form.List1.Item(i));
  return lines;
}

}  // namespace closer::testing
