// Both programs as a user and the system see them: each is started as its own
// process, found by its caption, checked through window classes, rectangles,
// styles and states, and driven with clicks and keys. Nothing here links any
// code of the programs.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "tools/driver_win.h"

namespace {

using driver::ClassOf;
using driver::Folder;
using driver::RunningProgram;
using driver::TextOf;
using driver::WaitFor;

// One control as a table row: window class, text, rectangle in twips,
// enabled, and the state that fits its kind (-1 where none is checked).
struct ControlRow {
  const wchar_t* cls;
  const wchar_t* text;  // nullptr: not compared (set at run time)
  int left, top, width, height;
  bool enabled;
  int state;  // button check state, or 1 for a read-only edit
};

// The system's scale while programs start: Wine reads LogPixels when a
// program starts, as Windows does at sign-in.
class AtScale {
 public:
  explicit AtScale(DWORD dpi) { Set(dpi); }
  ~AtScale() { Set(96); }
  AtScale(const AtScale&) = delete;
  AtScale& operator=(const AtScale&) = delete;

 private:
  static void Set(DWORD dpi) {
    RegSetKeyValueW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", L"LogPixels", REG_DWORD, &dpi,
                    sizeof(dpi));
  }
};

// The frame (fixed border, no maximize box, a minimize box where asked), the
// client area and every control against its row, at `dpi`. Whether each
// caption fits is checked in each program's own tests, where its font is.
void CheckLayout(const RunningProgram& program, const std::vector<ControlRow>& rows,
                 int clientTwipsW, int clientTwipsH, bool minimizeBox, int dpi) {
  ASSERT_TRUE(program.Started());
  const LONG style = GetWindowLongW(program.window, GWL_STYLE);
  EXPECT_EQ((style & WS_MINIMIZEBOX) != 0, minimizeBox);
  EXPECT_FALSE(style & WS_MAXIMIZEBOX);
  EXPECT_FALSE(style & WS_THICKFRAME);
  RECT client{};
  GetClientRect(program.window, &client);
  EXPECT_EQ(client.right, MulDiv(clientTwipsW, dpi, 1440));
  EXPECT_EQ(client.bottom, MulDiv(clientTwipsH, dpi, 1440));
  ASSERT_EQ(program.controls.size(), rows.size());
  for (size_t i = 0; i < rows.size(); ++i) {
    const ControlRow& row = rows[i];
    const HWND h = program.controls[i];
    SCOPED_TRACE(testing::Message() << "control " << i);
    EXPECT_EQ(ClassOf(h), row.cls);
    if (row.text) {
      EXPECT_EQ(TextOf(h), row.text);
    }
    RECT r{};
    GetWindowRect(h, &r);
    MapWindowPoints(nullptr, program.window, reinterpret_cast<POINT*>(&r), 2);
    EXPECT_EQ(r.left, MulDiv(row.left, dpi, 1440));
    EXPECT_EQ(r.top, MulDiv(row.top, dpi, 1440));
    EXPECT_EQ(r.right - r.left, MulDiv(row.width, dpi, 1440));
    // A list box may round its height down to whole lines.
    if (row.cls != std::wstring(L"listbox")) {
      EXPECT_EQ(r.bottom - r.top, MulDiv(row.height, dpi, 1440));
    }
    EXPECT_EQ(IsWindowEnabled(h) != FALSE, row.enabled);
    EXPECT_TRUE(IsWindowVisible(h));
    if (row.state >= 0 && ClassOf(h) == L"button") {
      EXPECT_EQ(SendMessageW(h, BM_GETCHECK, 0, 0), row.state);
    }
    if (row.state >= 0 && ClassOf(h) == L"edit") {
      EXPECT_EQ((GetWindowLongW(h, GWL_STYLE) & ES_READONLY) != 0, row.state == 1);
    }
  }
}

LONG Style(HWND h) {
  return GetWindowLongW(h, GWL_STYLE);
}

std::vector<ControlRow> QuorrinRows() {
  return {
      {L"edit", L"List of bloqued sites!", 120, 120, 4095, 285, false, 0},
      {L"button", L"Start Closing", 4320, 120, 2055, 375, true, -1},
      {L"button", L"Close", 4320, 2040, 2055, 375, true, -1},
      {L"listbox", L"", 120, 480, 4095, 1590, true, -1},
      {L"edit", L"", 120, 2160, 4095, 285, true, -1},
      {L"button", L"Stop Closing", 4320, 600, 2055, 375, false, -1},
      {L"button", L"Open Selected Site", 4320, 1080, 2055, 375, true, -1},
      {L"button", L"Clean Supressed List", 4320, 1560, 2055, 375, true, -1},
      {L"static", L"Made by Drabwick - Click to visite my site", 120, 2520, 6255, 255,
                   true, -1},
  };
}

// Every control where the table puts it, at 100 % and at 150 %.
TEST(QuorrinFromOutside, WindowAtEveryScale) {
  AtScale scale(144);
  RunningProgram quorrin(L"Quorrin.exe", L"Quorrin - Porn Site Closer");
  CheckLayout(quorrin, QuorrinRows(), 6495, 2760, true, 144);
}

TEST(QuorrinFromOutside, WindowControlsAndUse) {
  RunningProgram quorrin(L"Quorrin.exe", L"Quorrin - Porn Site Closer");
  ASSERT_TRUE(quorrin.Started());
  RECT outer{}, work{};
  GetWindowRect(quorrin.window, &outer);
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  EXPECT_LE(std::abs((outer.left + outer.right) - (work.left + work.right)), 2);
  EXPECT_LE(std::abs((outer.top + outer.bottom) - (work.top + work.bottom)), 2);

  CheckLayout(quorrin, QuorrinRows(), 6495, 2760, true, 96);
  if (HasFatalFailure()) return;
  const auto& c = quorrin.controls;
  HWND start = c[1], close = c[2], list = c[3], text1 = c[4], stop = c[5], clean = c[7];
  EXPECT_FALSE(Style(list) & LBS_SORT);

  // Space on the focused "Start Closing" switches closing on.
  EXPECT_EQ(quorrin.Focus(), start);
  quorrin.Press(VK_SPACE);
  EXPECT_TRUE(WaitFor([&] { return IsWindowEnabled(stop); }));
  // Tab walks close, list, text box, then "Stop Closing"; Space stops.
  for (HWND next : {close, list, text1, stop}) {
    quorrin.Press(VK_TAB);
    EXPECT_TRUE(WaitFor([&] { return quorrin.Focus() == next; }));
  }
  quorrin.Press(VK_SPACE);  // the timer it stops is not visible from outside

  // Lines put into the log are copied by a click on them; cleaning keeps it.
  const wchar_t* lines[] = {L"----------------------", L"A page \u03a9", L"http://example.com/"};
  for (const wchar_t* line : lines) {
    SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line));
  }
  const auto itemHeight = static_cast<int>(SendMessageW(list, LB_GETITEMHEIGHT, 0, 0));
  PostMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, itemHeight * 2 + 2));
  PostMessageW(list, WM_LBUTTONUP, 0, MAKELPARAM(5, itemHeight * 2 + 2));
  EXPECT_TRUE(WaitFor([&] { return TextOf(text1) == L"http://example.com/"; }));
  quorrin.Click(clean);
  EXPECT_EQ(SendMessageW(list, LB_GETCOUNT, 0, 0), 0);
  EXPECT_EQ(TextOf(text1), L"http://example.com/");

  quorrin.Click(start);
  PostMessageW(close, BM_CLICK, 0, 0);
  EXPECT_EQ(quorrin.ExitCode(5000), 0u);
}

// The toolbar-button key a GUID names, read back from the registry.
std::wstring ReadValue(HKEY root, const std::wstring& guid, const wchar_t* name) {
  const std::wstring key = L"Software\\Microsoft\\Internet Explorer\\Extensions\\" + guid;
  wchar_t data[512] = {};
  DWORD size = sizeof(data);
  DWORD type = 0;
  if (RegGetValueW(root, key.c_str(), name, RRF_RT_ANY, &type, data, &size) != ERROR_SUCCESS) {
    return L"<absent>";
  }
  return type == REG_SZ ? std::wstring(data) : L"<not REG_SZ>";
}

void DeleteKey(HKEY root, const std::wstring& guid) {
  RegDeleteTreeW(root, (L"Software\\Microsoft\\Internet Explorer\\Extensions\\" + guid).c_str());
}

bool IsGuidText(const std::wstring& text) {
  if (text.size() != 38 || text.front() != L'{' || text.back() != L'}') return false;
  for (size_t i = 1; i < 37; ++i) {
    const bool hyphen = i == 9 || i == 14 || i == 19 || i == 24;
    if (hyphen ? text[i] != L'-' : !iswxdigit(text[i]) || iswlower(text[i])) return false;
  }
  return true;
}

// Each label just before the text box it names, so that screen readers name
// the box after it; the folder is where Brakkon.exe is.
std::vector<ControlRow> BrakkonRows(const std::wstring& folder) {
  static std::wstring exec, icon;
  exec = folder + L"\\Fennimot.exe";
  icon = folder + L"\\Files\\fennimot.ico";
  return {
      {L"button", L"Install for current user only (HKCU)", 120, 120, 4455, 255, true, 1},
      {L"button", L"Install for all users (HKLM)", 120, 480, 4455, 255, true, 0},
      {L"button", L"Criar GUID", 120, 4080, 1575, 375, true, -1},
      {L"button", L"Adicionar ao registro", 1800, 4080, 1935, 375, true, -1},
      {L"static", L"Gui:", 120, 1560, 1455, 255, true, -1},
      {L"edit", nullptr, 120, 1920, 4455, 285, true, 1},
      {L"static", L"Executavel:", 120, 2280, 855, 255, true, -1},
      {L"edit", exec.c_str(), 120, 2520, 4455, 285, true, 0},
      {L"button", L"Button visible", 120, 840, 3615, 375, true, 1},
      {L"static", L"", 3960, 840, 615, 495, true, -1},
      {L"static", L"Icon:", 120, 2880, 975, 255, true, -1},
      {L"edit", icon.c_str(), 120, 3120, 4455, 285, true, 0},
      {L"static", L"Texto no botao", 120, 3480, 2295, 255, true, -1},
      {L"edit", L"Fennimot", 120, 3720, 4455, 285, true, 0},
  };
}

TEST(BrakkonFromOutside, WindowAtEveryScale) {
  AtScale scale(144);
  RunningProgram brakkon(L"Brakkon.exe", L"Tessaly");
  CheckLayout(brakkon, BrakkonRows(Folder()), 4680, 4590, false, 144);
}

TEST(BrakkonFromOutside, WindowControlsAndUse) {
  RunningProgram brakkon(L"Brakkon.exe", L"Tessaly");
  ASSERT_TRUE(brakkon.Started());
  const std::wstring folder = Folder();
  CheckLayout(brakkon, BrakkonRows(folder), 4680, 4590, false, 96);
  if (HasFatalFailure()) return;
  const auto& c = brakkon.controls;
  HWND option2 = c[1], criar = c[2], adicionar = c[3], text1 = c[5], text2 = c[7], check = c[8],
       text3 = c[11], text4 = c[13];
  EXPECT_FALSE(Style(c[9]) & WS_BORDER);
  // The Tab walk is the table's: labels and the picture take no focus.
  EXPECT_EQ(brakkon.Focus(), c[0]);
  for (HWND next : {criar, adicionar, text1, text2, check, text3, text4, c[0]}) {
    brakkon.Press(VK_TAB);
    EXPECT_TRUE(WaitFor([&] { return brakkon.Focus() == next; }));
  }

  const std::wstring first = TextOf(text1);
  EXPECT_TRUE(IsGuidText(first));
  brakkon.Click(criar);
  const std::wstring guid = TextOf(text1);
  EXPECT_TRUE(IsGuidText(guid));
  EXPECT_NE(guid, first);

  // Typed text with characters outside any ANSI code page arrives intact.
  const std::wstring typed = L"Bot\u00e3o \u65e5\u672c \u03a9";
  brakkon.Type(text4, typed);
  EXPECT_EQ(TextOf(text4), typed);
  DeleteKey(HKEY_CURRENT_USER, guid);
  brakkon.Click(adicionar);
  EXPECT_EQ(ReadValue(HKEY_CURRENT_USER, guid, L"ButtonText"), typed);
  EXPECT_EQ(ReadValue(HKEY_CURRENT_USER, guid, L"Exec"), folder + L"\\Fennimot.exe");
  EXPECT_EQ(ReadValue(HKEY_CURRENT_USER, guid, L"HotIcon"), folder + L"\\Files\\fennimot.ico");
  EXPECT_EQ(ReadValue(HKEY_CURRENT_USER, guid, L"CLSID"),
            L"{1FBA04EE-3024-11d2-8F1F-0000F87ABD16}");
  EXPECT_EQ(ReadValue(HKEY_CURRENT_USER, guid, L"Default Visible"), L"Yes");

  // The same GUID again writes nothing.
  brakkon.Type(text4, L"changed");
  brakkon.Click(adicionar);
  EXPECT_EQ(ReadValue(HKEY_CURRENT_USER, guid, L"ButtonText"), typed);

  // All users: the machine hive.
  brakkon.Click(option2);
  EXPECT_EQ(SendMessageW(option2, BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_EQ(SendMessageW(c[0], BM_GETCHECK, 0, 0), BST_UNCHECKED);
  brakkon.Click(criar);
  const std::wstring machineGuid = TextOf(text1);
  brakkon.Click(adicionar);
  EXPECT_EQ(ReadValue(HKEY_LOCAL_MACHINE, machineGuid, L"ButtonText"), L"changed");
  EXPECT_EQ(ReadValue(HKEY_CURRENT_USER, machineGuid, L"ButtonText"), L"<absent>");

  DeleteKey(HKEY_CURRENT_USER, guid);
  DeleteKey(HKEY_LOCAL_MACHINE, machineGuid);
  PostMessageW(brakkon.window, WM_CLOSE, 0, 0);
  EXPECT_EQ(brakkon.ExitCode(5000), 0u);
}

}  // namespace
