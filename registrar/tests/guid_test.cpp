// GUID text from a source that fails in each way it can; the GUIDs of the
// real source are checked on the running program.
#include "registrar/guid.h"

#include <gtest/gtest.h>

#include "toolkit/string.h"

namespace registrar::testing {
namespace {

// A source whose two calls answer what the case says; the rendering writes
// `text` and its NUL.
class ScriptedSource : public GuidSource {
 public:
  ScriptedSource(std::int32_t create_status, int string_result, toolkit::String text)
      : create_status_(create_status), string_result_(string_result), text_(std::move(text)) {}
  std::int32_t CreateGuid(GuidRecord& guid) override {
    guid.Data1 = 0x12345678;
    return create_status_;
  }
  int StringFromGuid(const GuidRecord&, char16_t* buffer, int capacity) override {
    rendered = true;
    if (static_cast<int>(text_.size()) >= capacity) return 0;
    text_.copy(buffer, text_.size());
    buffer[text_.size()] = u'\0';
    return string_result_;
  }
  bool rendered = false;

 private:
  std::int32_t create_status_;
  int string_result_;
  toolkit::String text_;
};

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
    ScriptedSource source(c.create_status, c.string_result, guid);
    EXPECT_EQ(GenerateGuid(source), c.expected) << c.name;
    EXPECT_EQ(source.rendered, c.rendered) << c.name;
  }
}

}  // namespace
}  // namespace registrar::testing
