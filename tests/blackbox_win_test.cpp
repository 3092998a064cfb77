// Both programs as a user and the system see them: each is started as its own
// process, found by its caption, checked through window classes, rectangles,
// styles and states, and driven with clicks and keys. Nothing here links any
// code of the programs.
#include <gtest/gtest.h>
#include <windows.h>
// windows.h first.
#include <sddl.h>

#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "tests/eventually_win.h"
#include "tools/driver_win.h"

namespace {

using driver::ClassOf;
using driver::Click;
using driver::ClickLine;
using driver::Eventually;
using driver::FindChild;
using driver::Folder;
using driver::RunningProgram;
using driver::TextOf;
using Texts = std::map<std::wstring, std::wstring>;

// One control, found by its class and text; its rectangle in twips.
struct ControlRow {
  const wchar_t* cls;
  std::wstring text;
  struct {
    int left, top, width, height;
  } twips;
  bool enabled = true;
  int state = -1;  // a button's check state, or 1 for a read-only edit; -1: none
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
// client area and every control against its row, at `dpi`.
// Whether each caption fits is checked in each program's own tests, where
// its font is.
void CheckLayout(const RunningProgram& program, const std::vector<ControlRow>& rows,
                 int clientTwipsW, int clientTwipsH, bool minimizeBox, int dpi) {
  ASSERT_TRUE(program.Started());
  const LONG style = GetWindowLongW(program.window, GWL_STYLE);
  EXPECT_EQ((style & WS_MINIMIZEBOX) != 0, minimizeBox);
  EXPECT_FALSE(style & (WS_MAXIMIZEBOX | WS_THICKFRAME));
  RECT client{};
  GetClientRect(program.window, &client);
  EXPECT_EQ(client.right, MulDiv(clientTwipsW, dpi, 1440));
  EXPECT_EQ(client.bottom, MulDiv(clientTwipsH, dpi, 1440));
  size_t children = 0;
  for (HWND h = GetWindow(program.window, GW_CHILD); h; h = GetWindow(h, GW_HWNDNEXT)) ++children;
  EXPECT_EQ(children, rows.size());
  for (const ControlRow& row : rows) {
    SCOPED_TRACE(testing::Message()
                 << "control \"" << std::string(row.text.begin(), row.text.end()) << "\"");
    const HWND h = FindChild(program.window, row.cls, row.text);
    ASSERT_NE(h, nullptr);
    RECT r{};
    GetWindowRect(h, &r);
    MapWindowPoints(nullptr, program.window, reinterpret_cast<POINT*>(&r), 2);
    EXPECT_EQ(r.left, MulDiv(row.twips.left, dpi, 1440));
    EXPECT_EQ(r.top, MulDiv(row.twips.top, dpi, 1440));
    EXPECT_EQ(r.right - r.left, MulDiv(row.twips.width, dpi, 1440));
    // A list box may round its height down to whole lines.
    if (row.cls != std::wstring(L"listbox")) {
      EXPECT_EQ(r.bottom - r.top, MulDiv(row.twips.height, dpi, 1440));
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

// Each Tab moves the focus to the next of `order`.
void CheckTabWalk(const RunningProgram& program, const std::vector<HWND>& order) {
  EXPECT_EQ(program.Focus(), order.front());
  for (size_t i = 1; i < order.size(); ++i) {
    program.Press(VK_TAB);
    EXPECT_TRUE(Eventually("the focus moved on", [&] { return program.Focus() == order[i]; }))
        << "stop " << i;
  }
}

// clang-format off
const std::vector<ControlRow> kQuorrinRows = {
    {.cls = L"edit", .text = L"List of bloqued sites!", .twips = {120, 120, 4095, 285},
     .enabled = false, .state = 0},
    {.cls = L"button", .text = L"Start Closing", .twips = {4320, 120, 2055, 375}},
    {.cls = L"button", .text = L"Close", .twips = {4320, 2040, 2055, 375}},
    {.cls = L"listbox", .text = L"", .twips = {120, 480, 4095, 1590}},
    {.cls = L"edit", .text = L"", .twips = {120, 2160, 4095, 285}},
    {.cls = L"button", .text = L"Stop Closing", .twips = {4320, 600, 2055, 375},
     .enabled = false},
    {.cls = L"button", .text = L"Open Selected Site", .twips = {4320, 1080, 2055, 375}},
    {.cls = L"button", .text = L"Clean Supressed List", .twips = {4320, 1560, 2055, 375}},
    {.cls = L"static", .text = L"Made by Drabwick - Click to visite my site",
     .twips = {120, 2520, 6255, 255}},
};
// clang-format on

TEST(QuorrinFromOutside, WindowControlsAndUse) {
  RunningProgram quorrin(L"Quorrin.exe", L"Quorrin - Porn Site Closer");
  ASSERT_TRUE(quorrin.Started());
  RECT outer{}, work{};
  GetWindowRect(quorrin.window, &outer);
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  EXPECT_LE(std::abs((outer.left + outer.right) - (work.left + work.right)), 2);
  EXPECT_LE(std::abs((outer.top + outer.bottom) - (work.top + work.bottom)), 2);

  CheckLayout(quorrin, kQuorrinRows, 6495, 2760, true, 96);
  if (HasFatalFailure()) return;
  const HWND w = quorrin.window, start = FindChild(w, L"button", L"Start Closing"),
             list = FindChild(w, L"listbox", L""), text1 = FindChild(w, L"edit", L""),
             stop = FindChild(w, L"button", L"Stop Closing");
  EXPECT_FALSE(GetWindowLongW(list, GWL_STYLE) & LBS_SORT);

  // Space on the focused "Start Closing" switches closing on; Tab walks
  // close, list, text box, then "Stop Closing"; Space stops.
  quorrin.Press(VK_SPACE);
  EXPECT_TRUE(Eventually("Stop Closing enabled", [&] { return IsWindowEnabled(stop); }));
  CheckTabWalk(quorrin, {start, FindChild(w, L"button", L"Close"), list, text1, stop});
  quorrin.Press(VK_SPACE);
  // On to the credit line, last, which shows the focus around its words,
  // and round to the first. Once the Tab after the Space has moved the
  // focus, the Space has been handled: "Stop Closing" is still enabled.
  const HWND credit = FindChild(w, L"static", L"Made by Drabwick - Click to visite my site");
  RECT words{};
  GetWindowRect(credit, &words);
  const auto unfocused = driver::ScreenImage().Pixels(words);
  CheckTabWalk(quorrin, {stop, FindChild(w, L"button", L"Open Selected Site"),
                         FindChild(w, L"button", L"Clean Supressed List"), credit});
  EXPECT_TRUE(IsWindowEnabled(stop)) << "after Space on Stop Closing";
  EXPECT_TRUE(Eventually("the credit line drawn with the focus",
                         [&] { return driver::ScreenImage().Pixels(words) != unfocused; }));
  CheckTabWalk(quorrin, {credit, start});
  EXPECT_TRUE(Eventually("the credit line drawn without the focus",
                         [&] { return driver::ScreenImage().Pixels(words) == unfocused; }));

  // A click on a line of the log copies it; cleaning the log keeps the copy.
  for (const wchar_t* line :
       {L"----------------------", L"A page \u03a9", L"http://example.com/"}) {
    SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line));
  }
  EXPECT_TRUE(ClickLine(list, 2));
  EXPECT_EQ(TextOf(text1), L"http://example.com/");
  EXPECT_TRUE(Click(FindChild(w, L"button", L"Clean Supressed List")));
  EXPECT_EQ(SendMessageW(list, LB_GETCOUNT, 0, 0), 0);
  EXPECT_EQ(TextOf(text1), L"http://example.com/");

  // A failure that ends the program, read off its box as a person reads it:
  // the text box, closed from outside, cannot take the line clicked. OK ends
  // the program.
  SendMessageW(text1, WM_CLOSE, 0, 0);
  SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"a line"));
  EXPECT_TRUE(ClickLine(list, 0));
  HWND box = nullptr;
  ASSERT_TRUE(Eventually("the run-time error box under the program's caption", [&] {
    return (box = FindWindowW(L"#32770", L"Quorrin - Porn Site Closer")) != nullptr;
  }));
  EXPECT_EQ(TextOf(FindChild(box, L"static", [](const std::wstring& t) { return !t.empty(); })),
            L"Run-time error:\n\nsetting a control's text failed (0x00000578)");
  EXPECT_TRUE(Click(FindChild(box, L"button", L"OK")));
  EXPECT_NE(quorrin.ExitCode(driver::kHangMs), STILL_ACTIVE);
}

// Each control of a window as a screen reader names it, in z-order, as
// "class: name (how)". Windows' standard proxies name a button or a static
// by its own text, an edit or a list box after the static found walking
// back in z-order, which stops at a visible control that starts a group or
// takes the tab; an annotation replaces either.
std::vector<std::wstring> AnnouncedNames(HWND window, const Texts& annotations) {
  std::vector<std::wstring> names;
  for (HWND h = GetWindow(window, GW_CHILD); h; h = GetWindow(h, GW_HWNDNEXT)) {
    const std::wstring cls = ClassOf(h);
    std::wstring name = TextOf(h), how = L"text";
    if (cls == L"edit" || cls == L"listbox") {
      name.clear(), how = L"label";
      for (HWND p = GetWindow(h, GW_HWNDPREV); p; p = GetWindow(p, GW_HWNDPREV)) {
        const LONG style = GetWindowLongW(p, GWL_STYLE);
        if (ClassOf(p) == L"static") {
          name = TextOf(p);
          break;
        }
        if ((style & WS_VISIBLE) && (style & (WS_GROUP | WS_TABSTOP))) break;
      }
    }
    if (const auto it = annotations.find(std::to_wstring(HandleToULong(h)));
        it != annotations.end()) {
      name = it->second, how = L"annotation";
    }
    names.push_back(cls + L": " + name + L" (" + (name.empty() ? L"none" : how) + L")");
  }
  return names;
}

// What a screen reader announces in both windows: each name by the rule
// above, from the window's structure, and from the annotations that the
// accessibility framework (the test tree's recorder) received.
TEST(BothFromOutside, EveryControlHasTheNameAScreenReaderAnnounces) {
  const std::wstring recorded = Folder() + L"\\acc_recorder.log";
  DeleteFileW(recorded.c_str());
  RunningProgram quorrin(L"Quorrin.exe", L"Quorrin - Porn Site Closer");
  RunningProgram brakkon(L"Brakkon.exe", L"Tessaly");
  ASSERT_TRUE(quorrin.Started() && brakkon.Started());
  Texts names;  // by HWND; only names of the control's own object count
  for (const std::wstring& line : driver::FileLines(recorded)) {
    std::vector<std::wstring> field;  // hwnd, class, id, text, object, child, property, string
    std::wistringstream in(line);
    for (std::wstring f; std::getline(in, f, L'\t');) field.push_back(f);
    const bool own = field.size() == 8 && field[4] == L"-4" && field[5] == L"0";
    EXPECT_TRUE(own && field[6] == L"name") << driver::ToUtf8(line);
    if (own) names[field[0]] = field[7];
  }
  EXPECT_EQ(AnnouncedNames(quorrin.window, names),
            (std::vector<std::wstring>{
                L"edit: List heading (annotation)", L"button: Start Closing (text)",
                L"button: Close (text)", L"listbox: List of bloqued sites! (annotation)",
                L"edit: Selected site (annotation)", L"button: Stop Closing (text)",
                L"button: Open Selected Site (text)", L"button: Clean Supressed List (text)",
                L"static: Made by Drabwick - Click to visite my site (text)"}));
  // The picture box holds no picture: nothing to name.
  EXPECT_EQ(AnnouncedNames(brakkon.window, names),
            (std::vector<std::wstring>{
                L"button: Install for current user only (HKCU) (text)",
                L"button: Install for all users (HKLM) (text)", L"button: Criar GUID (text)",
                L"button: Adicionar ao registro (text)", L"static: Gui: (text)",
                L"edit: Gui: (label)", L"static: Executavel: (text)", L"edit: Executavel: (label)",
                L"button: Button visible (text)", L"static:  (none)", L"static: Icon: (text)",
                L"edit: Icon: (label)", L"static: Texto no botao (text)",
                L"edit: Texto no botao (label)"}));
}

const std::wstring kExtensions = L"Software\\Microsoft\\Internet Explorer\\Extensions\\";

bool IsGuidText(const std::wstring& text) {
  if (text.size() != 38 || text.front() != L'{' || text.back() != L'}') return false;
  for (size_t i = 1; i < 37; ++i) {
    const bool hyphen = i == 9 || i == 14 || i == 19 || i == 24;
    if (hyphen ? text[i] != L'-' : !iswxdigit(text[i]) || iswlower(text[i])) return false;
  }
  return text[15] == L'4';  // random, as CoCreateGuid makes them
}

// Gives everyone exactly the rights `sddl` names on the key, made if missing.
void SetKeyRights(HKEY root, const std::wstring& path, const wchar_t* sddl) {
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl, SDDL_REVISION_1, &descriptor, nullptr);
  HKEY key = nullptr;
  RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, WRITE_DAC, nullptr, &key, nullptr);
  EXPECT_EQ(RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, descriptor), ERROR_SUCCESS);
  RegCloseKey(key);
  LocalFree(descriptor);
}

// Each label just before the text box it names, so that screen readers name
// the box after it; the folder is where Brakkon.exe is.
std::vector<ControlRow> BrakkonRows(const std::wstring& folder, const std::wstring& guid) {
  // clang-format off
  return {
      {.cls = L"button", .text = L"Install for current user only (HKCU)",
       .twips = {120, 120, 4455, 255}, .state = 1},
      {.cls = L"button", .text = L"Install for all users (HKLM)", .twips = {120, 480, 4455, 255},
       .state = 0},
      {.cls = L"button", .text = L"Criar GUID", .twips = {120, 4080, 1575, 375}},
      {.cls = L"button", .text = L"Adicionar ao registro", .twips = {1800, 4080, 1935, 375}},
      {.cls = L"static", .text = L"Gui:", .twips = {120, 1560, 1455, 255}},
      {.cls = L"edit", .text = guid, .twips = {120, 1920, 4455, 285}, .state = 1},
      {.cls = L"static", .text = L"Executavel:", .twips = {120, 2280, 855, 255}},
      {.cls = L"edit", .text = folder + L"\\Fennimot.exe", .twips = {120, 2520, 4455, 285},
       .state = 0},
      {.cls = L"button", .text = L"Button visible", .twips = {120, 840, 3615, 375}, .state = 1},
      {.cls = L"static", .text = L"", .twips = {3960, 840, 615, 495}},
      {.cls = L"static", .text = L"Icon:", .twips = {120, 2880, 975, 255}},
      {.cls = L"edit", .text = folder + L"\\Files\\fennimot.ico",
       .twips = {120, 3120, 4455, 285}, .state = 0},
      {.cls = L"static", .text = L"Texto no botao", .twips = {120, 3480, 2295, 255}},
      {.cls = L"edit", .text = L"Fennimot", .twips = {120, 3720, 4455, 285}, .state = 0},
  };
  // clang-format on
}

std::wstring GuidShown(const RunningProgram& brakkon) {
  return TextOf(FindChild(brakkon.window, L"edit", IsGuidText));
}

// Every control where the table puts it at 150 %, as at 100 % below.
TEST(BothFromOutside, WindowsAtEveryScale) {
  AtScale scale(144);
  RunningProgram quorrin(L"Quorrin.exe", L"Quorrin - Porn Site Closer");
  CheckLayout(quorrin, kQuorrinRows, 6495, 2760, true, 144);
  RunningProgram brakkon(L"Brakkon.exe", L"Tessaly");
  ASSERT_TRUE(brakkon.Started());
  CheckLayout(brakkon, BrakkonRows(Folder(), GuidShown(brakkon)), 4680, 4590, false, 144);
}

TEST(BrakkonFromOutside, WindowControlsAndUse) {
  RunningProgram brakkon(L"Brakkon.exe", L"Tessaly");
  ASSERT_TRUE(brakkon.Started());
  const std::wstring folder = Folder(), first = GuidShown(brakkon);
  CheckLayout(brakkon, BrakkonRows(folder, first), 4680, 4590, false, 96);
  if (HasFatalFailure()) return;
  const HWND w = brakkon.window,
             option1 = FindChild(w, L"button", L"Install for current user only (HKCU)"),
             option2 = FindChild(w, L"button", L"Install for all users (HKLM)"),
             criar = FindChild(w, L"button", L"Criar GUID"),
             adicionar = FindChild(w, L"button", L"Adicionar ao registro"),
             guidBox = FindChild(w, L"edit", first),
             check = FindChild(w, L"button", L"Button visible"),
             text4 = FindChild(w, L"edit", L"Fennimot");
  EXPECT_FALSE(GetWindowLongW(FindChild(w, L"static", L""), GWL_STYLE) & WS_BORDER);
  // The Tab walk is the table's: labels and the picture take no focus.
  CheckTabWalk(brakkon, {option1, criar, adicionar, guidBox,
                         FindChild(w, L"edit", folder + L"\\Fennimot.exe"), check,
                         FindChild(w, L"edit", folder + L"\\Files\\fennimot.ico"), text4, option1});

  EXPECT_TRUE(Click(criar));
  const std::wstring guid = TextOf(guidBox);
  EXPECT_TRUE(IsGuidText(guid));
  EXPECT_NE(guid, first);

  // Typed text with characters outside any ANSI code page arrives intact.
  const std::wstring typed = L"Bot\u00e3o \u65e5\u672c \u03a9";
  brakkon.Type(text4, typed);
  EXPECT_EQ(TextOf(text4), typed);
  RegDeleteTreeW(HKEY_CURRENT_USER, (kExtensions + guid).c_str());
  EXPECT_TRUE(Click(adicionar));
  const Texts written = {{L"ButtonText", L"Bot\u00e3o \u65e5\u672c \u03a9"},
                         {L"Exec", folder + L"\\Fennimot.exe"},
                         {L"Icon", folder + L"\\Files\\fennimot.ico"},
                         {L"HotIcon", folder + L"\\Files\\fennimot.ico"},
                         {L"CLSID", L"{1FBA04EE-3024-11d2-8F1F-0000F87ABD16}"},
                         {L"Default Visible", L"Yes"}};
  EXPECT_EQ(driver::RegistryTexts(HKEY_CURRENT_USER, kExtensions + guid), written);

  // The same GUID again writes nothing.
  brakkon.Type(text4, L"changed");
  EXPECT_TRUE(Click(adicionar));
  EXPECT_EQ(driver::RegistryTexts(HKEY_CURRENT_USER, kExtensions + guid), written);

  // All users, the button hidden: the machine hive.
  EXPECT_TRUE(Click(option2));
  EXPECT_EQ(SendMessageW(option1, BM_GETCHECK, 0, 0), BST_UNCHECKED);
  EXPECT_TRUE(Click(check));
  EXPECT_TRUE(Click(criar));
  const std::wstring machineGuid = TextOf(guidBox);
  EXPECT_TRUE(Click(adicionar));
  const Texts machine = driver::RegistryTexts(HKEY_LOCAL_MACHINE, kExtensions + machineGuid);
  EXPECT_EQ(machine.at(L"ButtonText"), L"changed");
  EXPECT_EQ(machine.at(L"Default Visible"), L"No");
  EXPECT_EQ(driver::RegistryTexts(HKEY_CURRENT_USER, kExtensions + machineGuid), Texts{});

  // A key of that name that grants reading only counts as absent, and
  // nothing is written into it.
  EXPECT_TRUE(Click(criar));
  const std::wstring locked = kExtensions + TextOf(guidBox);
  SetKeyRights(HKEY_LOCAL_MACHINE, locked, L"D:(A;;KRWDSD;;;WD)");  // read, unlock, delete
  EXPECT_TRUE(Click(adicionar));
  EXPECT_EQ(driver::RegistryTexts(HKEY_LOCAL_MACHINE, locked), Texts{});
  SetKeyRights(HKEY_LOCAL_MACHINE, locked, L"D:(A;;KA;;;WD)");

  for (const auto& [root, path] : {std::pair{HKEY_CURRENT_USER, kExtensions + guid},
                                   {HKEY_LOCAL_MACHINE, kExtensions + machineGuid},
                                   {HKEY_LOCAL_MACHINE, locked}}) {
    RegDeleteTreeW(root, path.c_str());
  }
  PostMessageW(brakkon.window, WM_CLOSE, 0, 0);
  EXPECT_EQ(brakkon.ExitCode(driver::kHangMs), 0u);
}

}  // namespace
