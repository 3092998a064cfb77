// The registration on the in-memory registry, where every call can be made
// to fail and every byte written can be seen.
#include "registrar/registration.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <map>
#include <optional>

#include "registrar/registry_access.h"
#include "registrar/registry_model.h"

namespace registrar {
namespace {

using model::ModelRegistry;
using model::Operation;
using toolkit::String;
using Texts = std::map<String, String>;

const String kGuid = u"{6D3A4E7B-0C1F-4B8A-9E2D-5F6A7B8C9D0E}";
const String kPath =
    u"Software\\Microsoft\\Internet Explorer\\Extensions\\{6D3A4E7B-0C1F-4B8A-9E2D-5F6A7B8C9D0E}";
const ToolbarButtonRequest kRequest{kHkeyCurrentUser,       kGuid,       u"C:\\T\\Fennimot.exe",
                                    u"C:\\T\\Fennimot.ico", u"Fennimot", 1};
const Texts kWritten = {{u"Exec", u"C:\\T\\Fennimot.exe"},
                        {u"Icon", u"C:\\T\\Fennimot.ico"},
                        {u"HotIcon", u"C:\\T\\Fennimot.ico"},
                        {u"ButtonText", u"Fennimot"},
                        {u"CLSID", u"{1FBA04EE-3024-11d2-8F1F-0000F87ABD16}"},
                        {u"Default Visible", u"Yes"}};

// The values written for kRequest, with these in place of theirs.
Texts WrittenWith(const Texts& changed) {
  Texts texts = kWritten;
  for (const auto& [name, text] : changed) texts[name] = text;
  return texts;
}

// The key's values as text. Each must be a REG_SZ whose size was given as
// its UTF-16 units plus exactly one NUL.
Texts Read(const ModelRegistry& registry, KeyHandle root, const String& path) {
  Texts texts;
  const auto values = registry.ValuesOf(root, path);
  if (!values) ADD_FAILURE() << "no key " << toolkit::ToUtf8(path);
  for (const auto& [name, value] : values.value_or(model::Values{})) {
    String text(value.data.size() / 2, u'\0');
    std::memcpy(text.data(), value.data.data(), text.size() * 2);
    const bool terminated = value.data.size() % 2 == 0 && !text.empty() && text.back() == u'\0';
    EXPECT_TRUE(value.type == kRegSz && terminated) << toolkit::ToUtf8(name);
    if (terminated) text.pop_back();
    EXPECT_EQ(text.find(u'\0'), String::npos) << toolkit::ToUtf8(name);
    texts[name] = text;
  }
  return texts;
}

TEST(RegisterToolbarButtonTest, WritesOnceWhereItCanAndStopsQuietlyWhereItCannot) {
  const String greek = u"\u03A9\u03BC\u03AD\u03B3\u03B1";        // Ωμέγα
  const String cjk_and_clef = u"\u65E5\u672C\u8A9E \U0001D11E";  // 日本語 and U+1D11E
  const auto other = [](ToolbarButtonRequest& q) {
    q = {q.Root, q.GuidText, u"D:\\Other.exe", u"D:\\Other.ico", u"Other", 0};
  };
  const struct {
    const char* name;
    std::function<void(ModelRegistry&, ToolbarButtonRequest&)> arrange;
    std::optional<Texts> written = {};  // none: nothing in the registry changes
  } cases[] = {
      {.name = "checked", .arrange = [](auto&, auto&) {}, .written = kWritten},
      {.name = "clear, Greek, machine hive",
       .arrange =
           [&](auto&, auto& q) {
             q = {kHkeyLocalMachine, kGuid, u"C:\\" + greek + u"\\F.exe",
                  u"C:\\" + greek,   greek, 0};
           },
       .written = WrittenWith({{u"Exec", u"C:\\\u03A9\u03BC\u03AD\u03B3\u03B1\\F.exe"},
                               {u"Icon", u"C:\\\u03A9\u03BC\u03AD\u03B3\u03B1"},
                               {u"HotIcon", u"C:\\\u03A9\u03BC\u03AD\u03B3\u03B1"},
                               {u"ButtonText", u"\u03A9\u03BC\u03AD\u03B3\u03B1"},
                               {u"Default Visible", u"No"}})},
      {.name = "grayed, beyond the BMP",
       .arrange = [&](auto&,
                      auto& q) { q.ExecPath = q.ButtonText = cjk_and_clef, q.DefaultVisible = 2; },
       .written = WrittenWith({{u"Exec", u"\u65E5\u672C\u8A9E \U0001D11E"},
                               {u"ButtonText", u"\u65E5\u672C\u8A9E \U0001D11E"}})},
      {.name = "no program, icon or text",
       .arrange = [](auto&, auto& q) { q.ExecPath = q.IconPath = q.ButtonText = u""; },
       .written = Texts{{u"CLSID", u"{1FBA04EE-3024-11d2-8F1F-0000F87ABD16}"},
                        {u"Default Visible", u"Yes"}}},
      {.name = "same GUID in the other hive",
       .arrange =
           [&](auto& r, auto& q) {
             RegisterToolbarButton(r, q);
             q.Root = kHkeyLocalMachine;
             other(q);
           },
       .written = WrittenWith({{u"Exec", u"D:\\Other.exe"},
                               {u"Icon", u"D:\\Other.ico"},
                               {u"HotIcon", u"D:\\Other.ico"},
                               {u"ButtonText", u"Other"},
                               {u"Default Visible", u"No"}})},
      {.name = "registered before, every field changed",
       .arrange = [&](auto& r, auto& q) { RegisterToolbarButton(r, q), other(q); }},
      {.name = "foreign key",
       .arrange =
           [](auto& r, auto&) {
             r.PutValue(kHkeyCurrentUser, kPath, u"Exec", {kRegSz, {}});
           }},
      {.name = "a key that grants reading only",
       .arrange = [](auto& r, auto&) { r.GrantOnly(kHkeyCurrentUser, kPath, 0x20019); }},
      {.name = "machine hive read-only for this user",
       .arrange =
           [](auto& r, auto& q) {
             q.Root = kHkeyLocalMachine;
             r.GrantOnly(kHkeyLocalMachine, u"Software\\Microsoft\\Internet Explorer\\Extensions",
                         0x20019);
           }},
      {.name = "empty GUID text", .arrange = [](auto&, auto& q) { q.GuidText.clear(); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ModelRegistry registry;
    ToolbarButtonRequest request = kRequest;
    c.arrange(registry, request);
    const auto before = registry.Snapshot();
    RegisterToolbarButton(registry, request);
    if (c.written) {
      EXPECT_EQ(Read(registry, request.Root, kPath), *c.written);
    } else {
      EXPECT_EQ(registry.Snapshot(), before);
    }
    EXPECT_EQ(registry.OpenHandles(), 0u);
  }
}

// The calls of a registration that works, each then made to fail in turn:
// the registration stops or goes on as each step says, quietly.
TEST(RegisterToolbarButtonTest, EachRegistryCallFailingInTurn) {
  ModelRegistry working;
  RegisterToolbarButton(working, kRequest);
  const std::vector<model::Call> calls = {{Operation::OpenKey, kPath, 0x3F, 2},  // absent
                                          {Operation::CreateKey, kPath, 0x3F, 0},
                                          {Operation::CloseKey, u"", 0, 0},
                                          {Operation::OpenKey, kPath, 0x3F, 0},
                                          {Operation::SetValue, u"Exec", 0, 0},
                                          {Operation::SetValue, u"Icon", 0, 0},
                                          {Operation::SetValue, u"HotIcon", 0, 0},
                                          {Operation::SetValue, u"ButtonText", 0, 0},
                                          {Operation::SetValue, u"CLSID", 0, 0},
                                          {Operation::SetValue, u"Default Visible", 0, 0},
                                          {Operation::CloseKey, u"", 0, 0}};
  ASSERT_EQ(working.Calls(), calls);

  std::map<Operation, int> nth;
  for (const model::Call& call : calls) {
    const int n = ++nth[call.operation];
    SCOPED_TRACE(::testing::Message() << static_cast<int>(call.operation) << " #" << n);
    ModelRegistry registry;
    registry.FailCall(call.operation, n, 5);  // ERROR_ACCESS_DENIED
    RegisterToolbarButton(registry, kRequest);
    Texts expected = kWritten;
    switch (call.operation) {
      case Operation::OpenKey:  // the existence test counts it absent; the reopen leaves it empty
        if (n == 2) expected.clear();
        break;
      case Operation::CreateKey:
        EXPECT_FALSE(registry.HasKey(kHkeyCurrentUser, kPath));
        continue;
      case Operation::SetValue:
        expected.erase(call.name);
        break;
      case Operation::CloseKey:  // nothing left to do; the registry keeps that handle
        break;
    }
    EXPECT_EQ(Read(registry, kHkeyCurrentUser, kPath), expected);
    EXPECT_EQ(registry.OpenHandles(), call.operation == Operation::CloseKey ? 1u : 0u);
  }
  std::printf("registry failure points exercised: %zu\n", calls.size());
}

}  // namespace
}  // namespace registrar
