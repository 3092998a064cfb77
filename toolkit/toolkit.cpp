#include "toolkit/toolkit.h"

#include <algorithm>

namespace toolkit {

void ListBox::AddItem(StringView line) {
  String kept(line);
  std::replace(kept.begin(), kept.end(), u'\0', u'\uFFFD');
  AddLine(kept);
}

String ListBox::Item(int index) const {
  if (index < 0 || index >= Count()) throw Failure("Invalid list index", kInvalidIndex);
  return LineAt(index);
}

void CheckBox::SetState(int state) {
  if (state < kUnchecked || state > kGrayed) {
    throw Failure("Invalid property value", kInvalidPropertyValue);
  }
  ApplyState(state);
}

void PictureBox::SetBorderStyle(int style) {
  if (style != 0 && style != 1) throw Failure("Invalid property value", kInvalidPropertyValue);
  ApplyBorderStyle(style);
}

}  // namespace toolkit
