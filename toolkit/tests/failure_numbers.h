#pragma once
// The toolkit's own run-time errors carry the same number in both
// realizations, for the same operations.
#include <gtest/gtest.h>

#include <functional>

#include "toolkit/toolkit.h"

namespace toolkit::testing {

inline void CheckFailureNumbers(Window& window) {
  CheckBox& check = window.AddCheckBox({.name = "Check", .caption = u"", .rect = {0, 0, 900, 255}});
  PictureBox& picture =
      window.AddPictureBox({.name = "Picture", .caption = u"", .rect = {0, 300, 600, 600}});
  ListBox& list = window.AddListBox({.name = "List", .caption = u"", .rect = {0, 900, 900, 900}});
  list.AddItem(u"a");
  const struct {
    const char* what;
    std::function<void()> act;
    long number;
  } cases[] = {
      {.what = "check state 3", .act = [&] { check.SetState(3); }, .number = 380},
      {.what = "border style 2", .act = [&] { picture.SetBorderStyle(2); }, .number = 380},
      {.what = "line 1 of 1", .act = [&] { list.Item(1); }, .number = 381},
  };
  for (const auto& c : cases) {
    try {
      c.act();
      ADD_FAILURE() << c.what << ": no failure";
    } catch (const Failure& failure) {
      EXPECT_EQ(failure.code(), c.number) << c.what;
    }
  }
}

}  // namespace toolkit::testing
