// `make run` without a display: starts both programs on the virtual display,
// uses them through their real windows as a user would, shows what they did,
// saves a screenshot of each window and the frames of the README's
// animation, and closes them.
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "tools/driver_win.h"

namespace {

using driver::Print;

bool ShowKey(const std::wstring& guid) {
  const std::wstring path = L"Software\\Microsoft\\Internet Explorer\\Extensions\\" + guid;
  const auto texts = driver::RegistryTexts(HKEY_CURRENT_USER, path);
  Print(texts.empty() ? L"Brakkon: no key HKEY_CURRENT_USER\\" + path
                      : L"Brakkon wrote HKEY_CURRENT_USER\\" + path + L":");
  for (const auto& [name, text] : texts) Print(L"    " + name + L" (REG_SZ) = " + text);
  return !texts.empty();
}

// What Quorrin is for: a burst of pop-up windows, as a hostile site opens
// them, and one folder window. Closing on, each pop-up is timed from showing
// its page to its window being gone; the log is printed as the list shows it.
bool ClosePopUps(const driver::RunningProgram& quorrin) {
  constexpr int kPopUps = 20;
  driver::TestShell shell;
  if (!shell.Ready()) {
    Print(L"run: the test shell did not come up");
    return false;
  }
  const HWND start = driver::FindChild(quorrin.window, L"button", L"Start Closing"),
             list = driver::FindChild(quorrin.window, L"listbox", L""),
             stop = driver::FindChild(quorrin.window, L"button", L"Stop Closing");
  const HWND folder = shell.Open(L"folder", L"C:\\Users\\Public", L"file:///C:/Users/Public");
  const size_t before = driver::ListLines(list).size();
  driver::Click(start);
  std::vector<HWND> popUps;
  std::vector<LARGE_INTEGER> shown(kPopUps), gone(kPopUps);
  for (int i = 0; i < kPopUps; ++i) {
    const std::wstring n = std::to_wstring(i + 1);
    popUps.push_back(shell.Open(L"page", L"Free offer " + n, L"http://popup.example/offer/" + n));
    QueryPerformanceCounter(&shown[i]);
    Sleep(25);
  }
  int closed = 0;
  const std::int64_t end = driver::Micros() + std::int64_t{driver::kHangMs} * 1000;
  const auto timeLeft = [end] { return driver::Micros() < end; };
  while (closed < kPopUps && timeLeft()) {
    for (int i = 0; i < kPopUps; ++i) {
      if (popUps[i] && !IsWindow(popUps[i])) {
        QueryPerformanceCounter(&gone[i]);
        popUps[i] = nullptr;
        ++closed;
      }
    }
    Sleep(1);
  }
  driver::Click(stop);
  const std::vector<std::wstring> lines = driver::ListLines(list);
  Print(L"Quorrin's log:");
  for (size_t i = before; i < lines.size(); ++i) Print(L"    " + lines[i]);

  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  std::vector<double> ms;
  for (int i = 0; i < kPopUps; ++i) {
    if (!popUps[i])
      ms.push_back(1000.0 * (gone[i].QuadPart - shown[i].QuadPart) / frequency.QuadPart);
  }
  std::sort(ms.begin(), ms.end());
  const bool folderOpen = IsWindow(folder);
  wchar_t summary[200];
  swprintf(summary, 200,
           L"Quorrin closed %d of %d pop-up windows (median %.0f ms, slowest %.0f ms after "
           L"opening); the folder window %ls",
           closed, kPopUps, ms.empty() ? 0.0 : ms[ms.size() / 2], ms.empty() ? 0.0 : ms.back(),
           folderOpen ? L"stayed open" : L"was closed");
  Print(summary);
  return closed == kPopUps && folderOpen;
}

// The README's animation, from captures of the screen: pop-up windows opening
// while closing is off, then "Start Closing": the log fills and the pop-ups
// are gone. Each frame is saved in `folder` as NNN-T.png, shown for T
// hundredths of a second.
bool RecordAnimation(const driver::RunningProgram& quorrin, const std::wstring& folder) {
  constexpr int kPopUps = 6;
  driver::TestShell shell;
  const HWND start = driver::FindChild(quorrin.window, L"button", L"Start Closing"),
             stop = driver::FindChild(quorrin.window, L"button", L"Stop Closing");
  driver::Click(driver::FindChild(quorrin.window, L"button", L"Clean Supressed List"));
  struct Frame {
    driver::ScreenImage image;
    int hundredths;
  };
  std::vector<Frame> frames;
  const auto take = [&](int hundredths) {
    quorrin.Settle();
    Sleep(200);  // the new windows painted, as the display shows them
    frames.push_back({driver::ScreenImage(), hundredths});
  };
  RECT shown{};
  GetWindowRect(quorrin.window, &shown);
  take(120);
  std::vector<HWND> popUps;
  for (int i = 0; i < kPopUps; ++i) {
    const std::wstring n = std::to_wstring(i + 1);
    popUps.push_back(shell.Open(L"page", L"You won! " + n, L"http://popup.example/prize/" + n));
    RECT popUp{};
    GetWindowRect(popUps.back(), &popUp);
    UnionRect(&shown, &shown, &popUp);
    take(i + 1 < kPopUps ? 35 : 120);
  }
  driver::Click(start);
  const bool gone =
      driver::WaitFor([&] { return std::none_of(popUps.begin(), popUps.end(), IsWindow); });
  take(350);
  driver::Click(stop);

  InflateRect(&shown, 16, 16);
  CreateDirectoryW(folder.c_str(), nullptr);
  bool saved = gone;
  for (size_t i = 0; i < frames.size(); ++i) {
    wchar_t name[32];
    swprintf(name, 32, L"\\%03d-%d.png", static_cast<int>(i), frames[i].hundredths);
    saved = frames[i].image.Save(folder + name, shown) && saved;
  }
  Print(saved ? L"animation frames: " + folder : L"run: the animation was not recorded");
  return saved;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const std::wstring shots = argc > 1 ? argv[1] : driver::Folder();
  bool ok = true;

  driver::RunningProgram brakkon(L"Brakkon.exe", L"Tessaly");
  driver::RunningProgram quorrin(L"Quorrin.exe", L"Quorrin - Porn Site Closer");
  if (!brakkon.Started() || !quorrin.Started()) {
    Print(L"run: the programs did not come up");
    return 1;
  }

  // Brakkon: "Adicionar ao registro" writes the key named after the GUID.
  const std::wstring guid = driver::TextOf(driver::FindChild(
      brakkon.window, L"edit", [](const std::wstring& text) { return text.starts_with(L'{'); }));
  driver::Click(driver::FindChild(brakkon.window, L"button", L"Adicionar ao registro"));
  ok = ShowKey(guid) && ok;

  // Quorrin: "Start Closing" enables "Stop Closing", which switches it off.
  const HWND start = driver::FindChild(quorrin.window, L"button", L"Start Closing"),
             stop = driver::FindChild(quorrin.window, L"button", L"Stop Closing");
  driver::Click(start);
  const bool on = IsWindowEnabled(stop);
  Print(std::wstring(L"Quorrin: Start Closing pressed; Stop Closing is ") +
        (on ? L"enabled" : L"still disabled"));
  driver::Click(stop);
  quorrin.Settle();
  Print(L"Quorrin: Stop Closing pressed");
  ok = on && ok;

  ok = ClosePopUps(quorrin) && ok;

  for (auto [program, name] : {std::pair{&brakkon, L"Brakkon.png"}, {&quorrin, L"Quorrin.png"}}) {
    const std::wstring path = shots + L"\\" + name;
    const bool saved = program->Capture(path);
    Print((saved ? L"screenshot: " : L"no screenshot: ") + path);
    ok = saved && ok;
  }

  ok = RecordAnimation(quorrin, shots + L"\\frames") && ok;

  driver::Click(driver::FindChild(quorrin.window, L"button", L"Close"));
  PostMessageW(brakkon.window, WM_CLOSE, 0, 0);
  const bool closed =
      quorrin.ExitCode(driver::kHangMs) == 0 && brakkon.ExitCode(driver::kHangMs) == 0;
  Print(closed ? L"both programs closed" : L"a program did not close");
  return ok && closed ? 0 : 1;
}
