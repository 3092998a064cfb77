#include "registrar/registration.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <map>

#include "registrar/registry_access.h"
#include "registrar/registry_model.h"
#include "registrar/tests/button_values.h"

namespace registrar {
namespace {

using model::kErrorAccessDenied;
using model::Operation;
using model::RegistryModel;
using testing::Texts;
using toolkit::String;

const String kGuid = u"{6D3A4E7B-0C1F-4B8A-9E2D-5F6A7B8C9D0E}";
const String kExtensions = u"Software\\Microsoft\\Internet Explorer\\Extensions";
const String kOrder[] = {u"Exec", u"Icon", u"HotIcon", u"ButtonText", u"CLSID", u"Default Visible"};

// The key's values as text. Each must be a REG_SZ whose size was given as
// its UTF-16 units plus exactly one NUL.
Texts Read(const RegistryModel& registry, KeyHandle root, const String& path) {
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
  enum Outcome { kWritten, kUnchanged, kUntouched };
  using Arrange = std::function<void(RegistryModel&, ToolbarButtonRequest&)>;
  const auto change_every_field = [](ToolbarButtonRequest& q) {
    q = {q.Root, q.GuidText, u"D:\\Other.exe", u"D:\\Other.ico", u"Other", 0};
  };
  const String greek = u"\u03A9\u03BC\u03AD\u03B3\u03B1";        // Ωμέγα
  const String cjk_and_clef = u"\u65E5\u672C\u8A9E \U0001D11E";  // 日本語 and U+1D11E
  const struct {
    const char* name;
    Arrange arrange;
    Outcome outcome;
  } cases[] = {
      {"checked", [](auto&, auto&) {}, kWritten},
      {"clear, Greek, machine hive",
       [&](auto&, auto& q) {
         q = {kHkeyLocalMachine, kGuid, u"C:\\" + greek + u"\\F.exe", u"C:\\" + greek, greek, 0};
       },
       kWritten},
      {"grayed, beyond the BMP",
       [&](auto&, auto& q) {
         q.ExecPath = cjk_and_clef;
         q.ButtonText = cjk_and_clef;
         q.DefaultVisible = 2;
       },
       kWritten},
      {"no program", [](auto&, auto& q) { q.ExecPath.clear(); }, kWritten},
      {"no icon", [](auto&, auto& q) { q.IconPath.clear(); }, kWritten},
      {"no text", [](auto&, auto& q) { q.ButtonText.clear(); }, kWritten},
      {"nested keys", [](auto&, auto& q) { q.GuidText = u"Outer\\" + kGuid; }, kWritten},
      {"same GUID in the other hive",
       [&](auto& r, auto& q) {
         RegisterToolbarButton(r, q);
         q.Root = kHkeyLocalMachine;
         change_every_field(q);
       },
       kWritten},
      {"registered before, every field changed",
       [&](auto& r, auto& q) {
         RegisterToolbarButton(r, q);
         change_every_field(q);
       },
       kUnchanged},
      {"foreign key",
       [](auto& r, auto&) {
         r.PutValue(kHkeyCurrentUser, kExtensions + u"\\" + kGuid, u"Exec", {kRegSz, {}});
       },
       kUnchanged},
      {"key denies the full mask",
       [](auto& r, auto&) { r.DenyAccess(kHkeyCurrentUser, kExtensions + u"\\" + kGuid, 0x3F); },
       kUnchanged},
      {"machine hive read-only for this user",
       [](auto& r, auto& q) {
         q.Root = kHkeyLocalMachine;
         r.DenyAccess(kHkeyLocalMachine, kExtensions, kKeySetValue | kKeyCreateSubKey | 0x20);
       },
       kUnchanged},
      {"empty GUID text", [](auto&, auto& q) { q.GuidText.clear(); }, kUntouched},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    RegistryModel registry;
    ToolbarButtonRequest request{
        kHkeyCurrentUser,           kGuid,       u"C:\\Tools\\Fennimot.exe",
        u"C:\\Tools\\Fennimot.ico", u"Fennimot", 1};
    c.arrange(registry, request);
    const auto before = registry.Snapshot();
    const std::size_t calls_before = registry.Calls().size();

    RegisterToolbarButton(registry, request);

    const String path = kExtensions + u"\\" + request.GuidText;
    std::vector<String> written;
    for (std::size_t i = calls_before; i < registry.Calls().size(); ++i) {
      const model::Call& call = registry.Calls()[i];
      if (call.operation == Operation::SetValue) written.push_back(call.name);
      if (call.operation == Operation::CloseKey) {
        EXPECT_EQ(call.status, kSuccess);  // each handle closed once
      }
    }
    EXPECT_EQ(registry.OpenHandles(), 0u);
    switch (c.outcome) {
      case kWritten: {
        // Empty data is never sent; everything else is sent in order.
        Texts expected;
        std::vector<String> order;
        for (const String& name : kOrder) {
          const String data = testing::ButtonValues(request).at(name);
          if (data.empty()) continue;
          order.push_back(name);
          expected[name] = data;
        }
        EXPECT_EQ(Read(registry, request.Root, path), expected);
        EXPECT_EQ(written, order);
        break;
      }
      case kUnchanged:
        EXPECT_EQ(registry.Snapshot(), before);
        break;
      case kUntouched:
        EXPECT_EQ(registry.Calls().size(), calls_before);
        break;
    }
  }
}

// Every registry call of a registration that works is made to fail in turn:
// the registration stops or goes on as each step says, quietly.
TEST(RegisterToolbarButtonTest, EachRegistryCallFailingInTurn) {
  const ToolbarButtonRequest request{kHkeyCurrentUser, kGuid, u"C:\\F.exe", u"C:\\F.ico", u"F", 1};
  const String path = kExtensions + u"\\" + kGuid;
  RegistryModel working;
  RegisterToolbarButton(working, request);
  const Texts all = testing::ButtonValues(request);

  std::map<Operation, int> nth;
  for (const model::Call& call : working.Calls()) {
    const int n = ++nth[call.operation];
    SCOPED_TRACE(::testing::Message() << static_cast<int>(call.operation) << " #" << n);
    RegistryModel registry;
    registry.FailCall(call.operation, n, kErrorAccessDenied);
    RegisterToolbarButton(registry, request);
    Texts expected = all;
    switch (call.operation) {
      case Operation::OpenKey:  // the existence test counts it absent; the reopen leaves it empty
        if (n == 2) expected.clear();
        break;
      case Operation::CreateKey:
        EXPECT_FALSE(registry.HasKey(kHkeyCurrentUser, path));
        continue;
      case Operation::SetValue:
        expected.erase(call.name);
        break;
      case Operation::CloseKey:  // nothing left to do; the registry keeps that handle
        break;
    }
    EXPECT_EQ(Read(registry, kHkeyCurrentUser, path), expected);
    EXPECT_EQ(registry.OpenHandles(), call.operation == Operation::CloseKey ? 1u : 0u);
  }
  std::printf("registry failure points exercised: %zu\n", working.Calls().size());
  EXPECT_EQ(working.Calls().size(), 11u);  // 2 opens, a creation, 6 writes, 2 closes
}

TEST(UniqueKeyTest, ClosesEachHandleOnceAcrossMoves) {
  RegistryModel registry;
  {
    UniqueKey first = OpenRegKey(registry, kHkeyCurrentUser, u"");
    UniqueKey second = OpenRegKey(registry, kHkeyCurrentUser, u"");
    first = std::move(second);  // closes what first held
    UniqueKey third(std::move(first));
    EXPECT_TRUE(third && registry.OpenHandles() == 1);
  }
  EXPECT_EQ(registry.OpenHandles(), 0u);
  for (const model::Call& call : registry.Calls()) EXPECT_EQ(call.status, kSuccess);
}

}  // namespace
}  // namespace registrar
