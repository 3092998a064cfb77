// The registration against the real registry. Each test works in throwaway
// keys under Extensions in both hives, removed before and after.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "registrar/form1.h"
#include "registrar/guid_win.h"
#include "registrar/registration.h"
#include "registrar/registry_access.h"
#include "registrar/registry_win.h"
#include "registrar/tests/button_values.h"
#include "toolkit/tests/caption_fit_win.h"
#include "toolkit/win32/window_win.h"

namespace registrar {
namespace {

using testing::Texts;
using toolkit::String;

const String kExtensions = u"Software\\Microsoft\\Internet Explorer\\Extensions";
const String kGuids[] = {u"{7E1C0B5A-3D2F-4A6B-8C9D-0E1F2A3B4C5D}",
                         u"{2B4D6F80-1A3C-4E5F-9788-99AABBCCDDEE}",
                         u"{C0FFEE00-BEEF-4ACE-8BAD-F00DDEADBEEF}"};
const HKEY kRoots[] = {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE};

std::wstring Wide(const String& text) {
  return std::wstring(text.begin(), text.end());
}
String Path(const String& guid) {
  return kExtensions + u"\\" + guid;
}
HKEY ToHkey(KeyHandle root) {
  return root == kHkeyCurrentUser ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
}

// Gives Everyone exactly `rights` on the key.
LONG SetKeyRights(HKEY key, DWORD rights) {
  SID_IDENTIFIER_AUTHORITY world = SECURITY_WORLD_SID_AUTHORITY;
  PSID everyone = nullptr;
  if (!AllocateAndInitializeSid(&world, 1, SECURITY_WORLD_RID, 0, 0, 0, 0, 0, 0, 0, &everyone)) {
    return static_cast<LONG>(GetLastError());
  }
  std::vector<BYTE> acl_bytes(sizeof(ACL) + sizeof(ACCESS_ALLOWED_ACE) + GetLengthSid(everyone));
  auto* acl = reinterpret_cast<ACL*>(acl_bytes.data());
  SECURITY_DESCRIPTOR descriptor;
  LONG status = ERROR_INVALID_PARAMETER;
  if (InitializeAcl(acl, static_cast<DWORD>(acl_bytes.size()), ACL_REVISION) &&
      AddAccessAllowedAce(acl, ACL_REVISION, rights, everyone) &&
      InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION) &&
      SetSecurityDescriptorDacl(&descriptor, TRUE, acl, FALSE)) {
    status = RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, &descriptor);
  }
  FreeSid(everyone);
  return status;
}

void RemoveThrowawayKeys() {
  for (HKEY root : kRoots) {
    for (const String& guid : kGuids) {
      // A key left locked by a test is unlocked first, or it could not go.
      HKEY key = nullptr;
      if (RegOpenKeyExW(root, Wide(Path(guid)).c_str(), 0, WRITE_DAC, &key) == ERROR_SUCCESS) {
        SetKeyRights(key, KEY_ALL_ACCESS);
        RegCloseKey(key);
      }
      RegDeleteTreeW(root, Wide(Path(guid)).c_str());
    }
  }
}

// Every value of the key read back with RegQueryValueExW; each must be a
// NUL-terminated REG_SZ.
Texts ReadBack(HKEY root, const String& path) {
  Texts texts;
  HKEY key = nullptr;
  const LONG opened = RegOpenKeyExW(root, Wide(path).c_str(), 0, KEY_QUERY_VALUE, &key);
  if (opened != ERROR_SUCCESS) {
    ADD_FAILURE() << "cannot open the key: " << opened;
    return texts;
  }
  for (DWORD index = 0;; ++index) {
    wchar_t name[256];
    DWORD name_length = 256;
    if (RegEnumValueW(key, index, name, &name_length, nullptr, nullptr, nullptr, nullptr) !=
        ERROR_SUCCESS) {
      break;
    }
    DWORD type = 0;
    wchar_t data[1024];
    DWORD size = sizeof data;
    EXPECT_EQ(RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(data), &size),
              ERROR_SUCCESS);
    const String value_name(name, name + name_length);
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ)) << toolkit::ToUtf8(value_name);
    const std::size_t units = size / sizeof(wchar_t);
    EXPECT_TRUE(size % 2 == 0 && units > 0 && data[units - 1] == L'\0')
        << toolkit::ToUtf8(value_name);
    texts[value_name] = String(data, data + (units > 0 ? units - 1 : 0));
  }
  RegCloseKey(key);
  return texts;
}

class RealRegistryTest : public ::testing::Test {
 protected:
  void SetUp() override { RemoveThrowawayKeys(); }
  void TearDown() override { RemoveThrowawayKeys(); }
  win32::Win32Registry registry;
};

TEST_F(RealRegistryTest, EveryValueReadsBackExactlyAndASecondRegistrationChangesNothing) {
  const struct {
    KeyHandle root;
    const String& guid;
    String folder;
    String text;
    int visible;
  } cases[] = {
      {kHkeyCurrentUser, kGuids[0], u"C:\\Program Files\\Fennimot", u"Fennimot", 1},
      // The same GUID in the other hive is a key of its own.
      {kHkeyLocalMachine, kGuids[0], u"C:\\\u03A9\u03BC\u03AD\u03B3\u03B1",
       u"\u03A9\u03BC\u03AD\u03B3\u03B1", 0},
      {kHkeyCurrentUser, kGuids[1], u"D:\\\u65E5\u672C\u8A9E", u"\u65E5\u672C\u8A9E", 2},
      {kHkeyLocalMachine, kGuids[2], u"E:\\Notes \U0001D11E", u"Notes \U0001D11E", 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(toolkit::ToUtf8(c.text));
    const ToolbarButtonRequest request{
        c.root, c.guid,   c.folder + u"\\Fennimot.exe", c.folder + u"\\Fennimot.ico",
        c.text, c.visible};
    RegisterToolbarButton(registry, request);
    EXPECT_EQ(ReadBack(ToHkey(c.root), Path(c.guid)), testing::ButtonValues(request));

    ToolbarButtonRequest changed = request;
    changed.ExecPath = u"C:\\Other.exe";
    changed.IconPath = u"";
    changed.ButtonText = u"Other";
    changed.DefaultVisible = c.visible == 0 ? 1 : 0;
    RegisterToolbarButton(registry, changed);
    EXPECT_EQ(ReadBack(ToHkey(c.root), Path(c.guid)), testing::ButtonValues(request));
  }
}

TEST_F(RealRegistryTest, AKeyDenyingTheFullMaskCountsAsAbsentAndIsNotWritten) {
  for (const KeyHandle root : {kHkeyCurrentUser, kHkeyLocalMachine}) {
    const String path = Path(kGuids[1]);
    EXPECT_FALSE(RegKeyExists(registry, root, path));
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(ToHkey(root), Wide(path).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &key, nullptr),
              ERROR_SUCCESS);
    // Reading and unlocking stay allowed; setting values and sub-keys do not.
    ASSERT_EQ(SetKeyRights(key, KEY_READ | WRITE_DAC | DELETE), ERROR_SUCCESS);
    RegCloseKey(key);
    HKEY probe = nullptr;
    ASSERT_EQ(RegOpenKeyExW(ToHkey(root), Wide(path).c_str(), 0, KEY_SET_VALUE, &probe),
              ERROR_ACCESS_DENIED)
        << "the access list is not enforced";

    EXPECT_FALSE(RegKeyExists(registry, root, path));
    EXPECT_FALSE(CreateRegKey(registry, root, path));
    RegisterToolbarButton(registry, {root, kGuids[1], u"C:\\F.exe", u"C:\\F.ico", u"F", 1});
    EXPECT_EQ(ReadBack(ToHkey(root), path), Texts{});
  }
}

// The layout's twips were drawn for the 8-point dialog font: every caption
// of the window is whole in it, at 100 % and at 150 %.
TEST(Form1OnWin32Test, EveryCaptionFitsAtEveryScale) {
  win32::Ole32GuidSource guids;
  win32::Win32Registry registry;
  toolkit::win32::Win32Window window(GetModuleHandleW(nullptr), Form1::Design());
  Form1 form(window, guids, registry);
  window.LoadAndShow();
  toolkit::testing::CheckCaptionsAtEveryScale(window.Hwnd());
}

}  // namespace
}  // namespace registrar
