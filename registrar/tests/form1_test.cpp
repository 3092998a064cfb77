// Brakkon's window on the headless toolkit, with the in-memory registry.
#include "registrar/form1.h"

#include <gtest/gtest.h>

#include "registrar/guid_model.h"
#include "registrar/registry_model.h"
#include "toolkit/model/model_window.h"

namespace registrar::testing {
namespace {

using toolkit::String;
using toolkit::model::ModelButton;
using toolkit::model::ModelCheckBox;
using toolkit::model::ModelOptionButton;
using toolkit::model::ModelTextBox;
using toolkit::model::ModelWindow;

String KeyPath(const String& guid) {
  return String(kExtensionsKey) + u"\\" + guid;
}

// What a REG_SZ value holds: UTF-16LE code units, the last one a NUL.
String TextOf(const model::StoredValue& value) {
  String text;
  for (size_t i = 0; i + 1 < value.data.size(); i += 2) {
    text += static_cast<char16_t>(std::to_integer<unsigned>(value.data[i]) |
                                  std::to_integer<unsigned>(value.data[i + 1]) << 8);
  }
  EXPECT_EQ(text.back(), u'\0');
  text.pop_back();
  return text;
}

// Every control's state, to tell what a click changed.
struct Snapshot {
  std::vector<String> texts;
  bool option1;
  int check;
  bool operator==(const Snapshot&) const = default;
};

class RegistrarWindowTest : public ::testing::Test {
 protected:
  explicit RegistrarWindowTest(String folder = u"C:\\Tools\\Brakkon")
      : window(Form1::Design(), std::move(folder)) {}
  void Click(const char* name) { ASSERT_TRUE(window.Get<ModelButton>(name).Click()); }
  ModelTextBox& Box(const char* name) { return window.Get<ModelTextBox>(name); }
  Snapshot Take() {
    return {{form.Text1.GetText(), form.Text2.GetText(), form.Text3.GetText(), form.Text4.GetText(),
             form.Option1.Caption(), form.Option2.Caption(), form.Check1.Caption()},
            form.Option1.Selected(),
            form.Check1.State()};
  }

  RandomGuidSource guids;
  model::RegistryModel registry;
  ModelWindow window;
  Form1 form{window, guids, registry};
};

TEST_F(RegistrarWindowTest, LoadFillsTheDefaultsAndAFreshLockedGuid) {
  ASSERT_TRUE(window.Load());
  EXPECT_EQ(form.Option1.Caption(), u"Install for current user only (HKCU)");
  EXPECT_EQ(form.Option2.Caption(), u"Install for all users (HKLM)");
  EXPECT_TRUE(form.Option1.Selected());
  EXPECT_FALSE(form.Option2.Selected());
  EXPECT_EQ(form.Check1.Caption(), u"Button visible");
  EXPECT_EQ(form.Check1.State(), toolkit::kChecked);
  EXPECT_EQ(form.Picture1.BorderStyle(), 0);
  EXPECT_TRUE(form.Picture1.AutoSize());
  const String guid = form.Text1.GetText();
  EXPECT_EQ(guid.size(), 38u);
  EXPECT_EQ(guid.front(), u'{');
  EXPECT_TRUE(form.Text1.Locked());
  EXPECT_FALSE(Box("Text1").Type(u"{edited}"));
  EXPECT_EQ(form.Text2.GetText(), u"C:\\Tools\\Brakkon\\Fennimot.exe");
  EXPECT_EQ(form.Text3.GetText(), u"C:\\Tools\\Brakkon\\Files\\fennimot.ico");
  EXPECT_EQ(form.Text4.GetText(), u"Fennimot");
  EXPECT_TRUE(window.Reports().empty());
  EXPECT_TRUE(registry.Calls().empty());  // loading touches no registry
}

TEST_F(RegistrarWindowTest, CriarGuidReplacesOnlyTheGuid) {
  window.Load();
  Snapshot before = Take();
  Click("Command1");
  Snapshot after = Take();
  EXPECT_NE(after.texts[0], before.texts[0]);
  EXPECT_EQ(after.texts[0].size(), 38u);
  after.texts[0] = before.texts[0];
  EXPECT_EQ(after, before);
}

TEST_F(RegistrarWindowTest, AdicionarWritesWhatTheUserLeftIntoTheChosenHiveOnce) {
  window.Load();
  Box("Text2").Type(u"D:\\\u65e5\u672c\\run.exe");
  Box("Text3").Type(u"");
  Box("Text4").Type(u"\u03a9 button");
  window.Get<ModelCheckBox>("Check1").Toggle();
  const String guid = form.Text1.GetText();
  const Snapshot shown = Take();

  Click("Command2");
  const auto values = registry.ValuesOf(kHkeyCurrentUser, KeyPath(guid));
  ASSERT_TRUE(values.has_value());
  std::map<String, String> texts;
  for (const auto& [name, value] : *values) texts[name] = TextOf(value);
  EXPECT_EQ(texts, (std::map<String, String>{{u"Exec", u"D:\\\u65e5\u672c\\run.exe"},
                                             {u"ButtonText", u"\u03a9 button"},
                                             {u"CLSID", kExecutableButtonClsid},
                                             {u"Default Visible", u"No"}}));
  EXPECT_FALSE(registry.HasKey(kHkeyLocalMachine, KeyPath(guid)));
  EXPECT_EQ(Take(), shown);  // the window shows no outcome

  // Same GUID again: nothing is written, even into a changed request.
  Box("Text4").Type(u"changed");
  const auto hives = registry.Snapshot();
  Click("Command2");
  EXPECT_EQ(registry.Snapshot(), hives);

  // The other hive takes the same GUID; a new GUID writes again.
  window.Get<ModelOptionButton>("Option2").Choose();
  Click("Command2");
  EXPECT_TRUE(registry.HasKey(kHkeyLocalMachine, KeyPath(guid)));
  window.Get<ModelOptionButton>("Option1").Choose();
  Click("Command1");
  Click("Command2");
  EXPECT_TRUE(registry.HasKey(kHkeyCurrentUser, KeyPath(form.Text1.GetText())));
  EXPECT_EQ(registry.OpenHandles(), 0u);
  EXPECT_TRUE(window.Reports().empty());
}

// COM refusing to make a GUID leaves the box empty, and then nothing is written.
class NoGuidSource : public GuidSource {
 public:
  std::int32_t CreateGuid(GuidRecord&) override { return -2147467259; }  // E_FAIL
  int StringFromGuid(const GuidRecord&, char16_t*, int) override { return 0; }
};

TEST(RegistrarWithoutGuidsTest, AnEmptyGuidWritesNothing) {
  NoGuidSource guids;
  model::RegistryModel registry;
  ModelWindow window(Form1::Design());
  Form1 form(window, guids, registry);
  window.Load();
  EXPECT_EQ(form.Text1.GetText(), u"");
  ASSERT_TRUE(window.Get<ModelButton>("Command2").Click());
  EXPECT_TRUE(registry.Calls().empty());
  EXPECT_TRUE(window.Reports().empty());
}

class RegistrarInRootFolderTest : public RegistrarWindowTest {
 protected:
  RegistrarInRootFolderTest() : RegistrarWindowTest(u"E:\\") {}
};

TEST_F(RegistrarInRootFolderTest, DefaultsJoinTheFolderAsTheSystemGivesIt) {
  window.Load();
  EXPECT_EQ(form.Text2.GetText(), u"E:\\\\Fennimot.exe");
  EXPECT_EQ(form.Text3.GetText(), u"E:\\\\Files\\fennimot.ico");
}

}  // namespace
}  // namespace registrar::testing
