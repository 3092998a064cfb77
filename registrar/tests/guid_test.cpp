// GUID text from a source that fails in each way it can; the GUIDs of the
// real source are checked on the running program.
#include "registrar/guid.h"

#include <gtest/gtest.h>

#include "registrar/guid_model.h"
#include "toolkit/string.h"

namespace registrar::testing {
namespace {

TEST(GenerateGuidTest, FailingSourceGivesEmptyTextAndTheCountDecidesTheLength) {
  const toolkit::String guid = u"{12345678-0000-4000-8000-000000000000}";
  const struct {
    const char* name;
    std::int32_t create_status;
    int string_result;
    bool rendered;
    toolkit::String expected;
  } cases[] = {
      {"creation fails", static_cast<std::int32_t>(0x80004005), 39, false, u""},
      {"rendering fails", 0, 0, true, u""},
      {"rendering negative", 0, -1, true, u""},
      {"rendered", 0, 39, true, guid},
      // Exactly n - 1 characters of the blank-filled buffer, whatever they are.
      {"count past the NUL", 0, 41, true, guid + u'\0' + u' '},
  };
  for (const auto& c : cases) {
    model::ModelGuidSource source(c.create_status, c.string_result, guid);
    EXPECT_EQ(GenerateGuid(source), c.expected) << c.name;
    EXPECT_EQ(source.rendered, c.rendered) << c.name;
  }
}

}  // namespace
}  // namespace registrar::testing
