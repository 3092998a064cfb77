// Brakkon's window where only the headless toolkit can take it: a GUID source
// that fails, and a program folder at a drive's root. What a user sees and
// does is tested on the real program, from outside.
#include "registrar/form1.h"

#include <gtest/gtest.h>

#include "registrar/guid_model.h"
#include "registrar/registry_model.h"
#include "toolkit/model/model_window.h"

namespace registrar::testing {
namespace {

using toolkit::model::ModelButton;
using toolkit::model::ModelWindow;

// COM refusing to make a GUID leaves the box empty, and then nothing is written.
class NoGuidSource : public GuidSource {
 public:
  std::int32_t CreateGuid(GuidRecord&) override { return -2147467259; }  // E_FAIL
  int StringFromGuid(const GuidRecord&, char16_t*, int) override { return 0; }
};

TEST(RegistrarWindowTest, WithoutAGuidNothingIsWritten) {
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

TEST(RegistrarWindowTest, DefaultsJoinARootFolderAsTheSystemGivesIt) {
  RandomGuidSource guids;
  model::RegistryModel registry;
  ModelWindow window(Form1::Design(), u"E:\\");
  Form1 form(window, guids, registry);
  window.Load();
  EXPECT_EQ(form.Text2.GetText(), u"E:\\\\Fennimot.exe");
  EXPECT_EQ(form.Text3.GetText(), u"E:\\\\Files\\fennimot.ico");
}

}  // namespace
}  // namespace registrar::testing
