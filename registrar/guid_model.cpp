#include "registrar/guid_model.h"

namespace registrar::model {

std::int32_t ModelGuidSource::CreateGuid(GuidRecord& guid) {
  guid.Data1 = 0x12345678;
  return createStatus_;
}

int ModelGuidSource::StringFromGuid(const GuidRecord&, char16_t* buffer, int capacity) {
  rendered = true;
  if (static_cast<int>(text_.size()) >= capacity) return 0;
  text_.copy(buffer, text_.size());
  buffer[text_.size()] = u'\0';
  return stringResult_;
}

}  // namespace registrar::model
