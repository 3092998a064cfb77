// Brakkon's window where only the headless toolkit can take it: a GUID source
// that fails. What a user sees and does is tested on the real program, from
// outside.
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
TEST(RegistrarWindowTest, WithoutAGuidNothingIsWritten) {
  model::ModelGuidSource guids(-2147467259, 0, u"");  // E_FAIL
  model::ModelRegistry registry;
  ModelWindow window(Form1::Design());
  Form1 form(window, guids, registry);
  window.Load();
  EXPECT_EQ(form.Text1.GetText(), u"");
  ASSERT_TRUE(window.Get<ModelButton>("Command2").Click());
  EXPECT_TRUE(registry.Calls().empty());
  EXPECT_TRUE(window.Reports().empty());
}

}  // namespace
}  // namespace registrar::testing
