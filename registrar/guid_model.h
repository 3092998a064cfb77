#pragma once
// A GUID source without COM, for tests: its two calls answer as it is told.
#include "registrar/guid.h"

namespace registrar::model {

class ModelGuidSource : public GuidSource {
 public:
  // CreateGuid returns `createStatus`; StringFromGuid writes `text` and a
  // NUL when the capacity holds them, and returns `stringResult`, else 0.
  ModelGuidSource(std::int32_t createStatus, int stringResult, toolkit::String text)
      : createStatus_(createStatus), stringResult_(stringResult), text_(std::move(text)) {}
  std::int32_t CreateGuid(GuidRecord& guid) override;
  int StringFromGuid(const GuidRecord& guid, char16_t* buffer, int capacity) override;
  bool rendered = false;  // StringFromGuid was called

 private:
  std::int32_t createStatus_;
  int stringResult_;
  toolkit::String text_;
};

}  // namespace registrar::model
