#include "tools/driver_win.h"

#include <tlhelp32.h>
#include <wincodec.h>
#include <wrl/client.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <cwctype>

#include "toolkit/win32/module_win.h"

namespace driver {

std::wstring Folder() {
  const std::wstring path = toolkit::win32::ProgramPath();
  return path.substr(0, path.find_last_of(L'\\'));
}

std::int64_t Micros() {
  LARGE_INTEGER now, frequency;
  QueryPerformanceCounter(&now);
  QueryPerformanceFrequency(&frequency);
  return now.QuadPart / frequency.QuadPart * 1000000 +
         now.QuadPart % frequency.QuadPart * 1000000 / frequency.QuadPart;
}

std::string ToUtf8(std::wstring_view text) {
  const int length = static_cast<int>(text.size());
  std::string bytes(static_cast<size_t>(WideCharToMultiByte(CP_UTF8, 0, text.data(), length,
                                                            nullptr, 0, nullptr, nullptr)),
                    '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), length, bytes.data(), static_cast<int>(bytes.size()),
                      nullptr, nullptr);
  return bytes;
}

void Print(std::wstring_view line) {
  const std::string bytes = ToUtf8(line) + "\n";
  std::fwrite(bytes.data(), 1, bytes.size(), stdout);
  std::fflush(stdout);
}

std::wstring TextOf(HWND h) {
  // Another process's edit keeps its text to itself: GetWindowText would
  // give only the stored caption, so the window is asked.
  const auto length = SendMessageW(h, WM_GETTEXTLENGTH, 0, 0);
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  text.resize(static_cast<size_t>(
      SendMessageW(h, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()))));
  return text;
}

std::wstring ClassOf(HWND h) {
  wchar_t name[64] = {};
  GetClassNameW(h, name, 64);
  std::wstring text = name;
  for (auto& c : text) c = static_cast<wchar_t>(std::towlower(c));
  return text;
}

HWND FindChild(HWND window, const std::wstring& className, const std::wstring& text) {
  return FindChild(window, className, [&](const std::wstring& shown) { return shown == text; });
}

HWND FindChild(HWND window, const std::wstring& className,
               const std::function<bool(const std::wstring&)>& matches) {
  for (HWND h = GetWindow(window, GW_CHILD); window && h; h = GetWindow(h, GW_HWNDNEXT)) {
    if (ClassOf(h) == className && matches(TextOf(h))) return h;
  }
  return nullptr;
}

namespace {

// Absolute mouse coordinates count 65536ths of the primary screen; aimed at
// the middle of the pixel, so that the system's rounding lands on it.
LONG Normalized(LONG pixel, int screenPixels) {
  return static_cast<LONG>((pixel * 65536LL + 32768) / screenPixels);
}

}  // namespace

bool Click(HWND control) {
  RECT client{};
  GetClientRect(control, &client);
  return ClickAt(control, {client.right / 2, client.bottom / 2});
}

namespace {

// The top-level window at a point of the screen, or the desktop.
HWND RootAt(POINT at) {
  const HWND h = WindowFromPoint(at);
  const HWND root = h ? GetAncestor(h, GA_ROOT) : nullptr;
  return root ? root : h;
}

std::wstring Named(HWND h) {
  return h ? ClassOf(h) + L" \"" + TextOf(h) + L"\"" : std::wstring(L"none");
}

}  // namespace

bool ClickAt(HWND control, POINT point) {
  const HWND top = GetAncestor(control, GA_ROOT);
  // Buttons and list boxes hold the mouse while pressed: the press is taken
  // once the control holds it, the release once it lets go. Other controls
  // hold nothing to see: callers wait for what the click does.
  const DWORD thread = GetWindowThreadProcessId(control, nullptr);
  const auto holder = [thread] {
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    return GetGUIThreadInfo(thread, &info) ? info.hwndCapture : nullptr;
  };
  const std::wstring cls = ClassOf(control);
  const bool holds = cls == L"button" || cls == L"listbox";
  for (int attempt = 1;; ++attempt) {
    // Where the control is now: under Wine the window manager can still move
    // a window that has just been shown.
    POINT at = point;
    ClientToScreen(control, &at);
    // Brought to the front first, as a person does: other programs' windows
    // may lie over it, and the click goes to whatever is on top at that
    // point. It must stay there: a window that loses the front while
    // pressed drops the press.
    int steady = 0;
    const bool reachable = WaitFor(
        [&] {
          if (GetForegroundWindow() == top && RootAt(at) == top) return ++steady == 3;
          steady = 0;
          SetWindowPos(top, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
          SetForegroundWindow(top);
          return false;
        },
        kHangMs, 20);
    // The press and the release each carry the point, as a mouse reports
    // its buttons with its position: the display's own pointer events may
    // move the system's cursor in between.
    INPUT press{}, release{};
    for (INPUT* one : {&press, &release}) {
      one->type = INPUT_MOUSE;
      one->mi.dx = Normalized(at.x, GetSystemMetrics(SM_CXSCREEN));
      one->mi.dy = Normalized(at.y, GetSystemMetrics(SM_CYSCREEN));
    }
    press.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_LEFTDOWN;
    release.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_LEFTUP;
    // A press that found another window at the point (the program's had
    // moved or gone from there since) went to that window, which took the
    // front: the program never had it, and a person would click again.
    // So did a press that the control never took while the window moved,
    // or while another program's window took the front from it (one just
    // started is activated by the window manager when it gets to it): once
    // the hang bound has passed, no such press can still be waiting in the
    // program's queue.
    const HWND frontAtPress = GetForegroundWindow();
    const auto elsewhere = [&] {
      const HWND front = GetForegroundWindow();
      return front != top && front == RootAt(at);
    };
    RECT before{}, after{};
    GetWindowRect(control, &before);
    bool taken =
        SendInput(1, &press, sizeof(INPUT)) == 1 &&
        (!holds || (WaitFor([&] { return holder() == control || elsewhere(); }, kHangMs, 1) &&
                    holder() == control));
    GetWindowRect(control, &after);
    const bool missed = holds && !taken &&
                        (elsewhere() || !EqualRect(&before, &after) ||
                         (frontAtPress == top && GetForegroundWindow() != top));
    if (!taken) {
      GUITHREADINFO info{};
      info.cbSize = sizeof(info);
      GetGUIThreadInfo(thread, &info);
      Print(L"the press on " + Named(control) + L" was not taken: the front was " +
            Named(frontAtPress) + L" at the press and is " + Named(GetForegroundWindow()) +
            L" now; at the point is " + Named(WindowFromPoint(at)) + L"; the program's active " +
            Named(info.hwndActive) + L", focus " + Named(info.hwndFocus) + L", capture " +
            Named(info.hwndCapture) + L", flags " + std::to_wstring(info.flags));
    }
    taken = SendInput(1, &release, sizeof(INPUT)) == 1 && taken &&
            (!holds || WaitFor([&] { return holder() != control; }, kHangMs, 1));
    if (missed && attempt < 3) {
      Print(
          L"the press missed the control, which had moved, was covered or lost the front: "
          L"clicked again");
      continue;
    }
    // Answered once the handler the click started has ended, or waits for
    // another process (a sweep): a handler that waits still answers sent
    // messages, and the next input or timer comes only after it.
    DWORD_PTR ignored;
    SendMessageTimeoutW(top, WM_NULL, 0, 0, SMTO_BLOCK, kHangMs, &ignored);
    return reachable && taken;
  }
}

bool ClickLine(HWND list, int line) {
  RECT client{};
  GetClientRect(list, &client);
  const auto height = static_cast<int>(SendMessageW(list, LB_GETITEMHEIGHT, 0, 0));
  const auto top = static_cast<int>(SendMessageW(list, LB_GETTOPINDEX, 0, 0));
  return ClickAt(list, {client.right / 2, (line - top) * height + height / 2});
}

void MoveOver(HWND control, POINT at) {
  ClientToScreen(control, &at);
  INPUT move{};
  move.type = INPUT_MOUSE;
  move.mi.dx = Normalized(at.x, GetSystemMetrics(SM_CXSCREEN));
  move.mi.dy = Normalized(at.y, GetSystemMetrics(SM_CYSCREEN));
  move.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
  SendInput(1, &move, sizeof(INPUT));
}

RunningProgram::RunningProgram(const wchar_t* exe, const wchar_t* caption,
                               const wchar_t* arguments) {
  std::wstring command = L"\"" + Folder() + L"\\" + exe + L"\" " + arguments;
  // No output: what the program starts (a COM server, the shell's handler
  // for an address) would inherit it and could hold the test run's open.
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESTDHANDLES;
  if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process_)) {
    Print(L"could not start " + command + L": error " + std::to_wstring(GetLastError()));
    return;
  }
  HWND found = nullptr;
  if (WaitFor([&] { return (found = FindWindowW(nullptr, caption)) && IsWindowVisible(found); },
              kHangMs)) {
    window = found;
    // The window manager activates a program just started when it gets to
    // it; a press on another window while the front moves here is dropped,
    // so the program is in use only once its window has had the front.
    if (!WaitFor([&] { return GetForegroundWindow() == found; }, kHangMs)) {
      Print(command + L": the window never took the front");
    }
  } else {
    Print(command + L" showed no window \"" + caption + L"\" (exit code " +
          std::to_wstring(ExitCode(0)) + L")");
  }
}

RunningProgram::~RunningProgram() {
  if (!process_.hProcess) return;
  if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT) {
    if (window) PostMessageW(window, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(process_.hProcess, 5000) == WAIT_TIMEOUT) {
      TerminateProcess(process_.hProcess, 1);
    }
  }
  CloseHandle(process_.hThread);
  CloseHandle(process_.hProcess);
}

DWORD RunningProgram::ExitCode(DWORD waitMs) const {
  WaitForSingleObject(process_.hProcess, waitMs);
  DWORD code = STILL_ACTIVE;
  GetExitCodeProcess(process_.hProcess, &code);
  return code;
}

HWND RunningProgram::Focus() const {
  GUITHREADINFO info{};
  info.cbSize = sizeof(info);
  GetGUIThreadInfo(process_.dwThreadId, &info);
  return info.hwndFocus;
}

void RunningProgram::Press(WORD key, HWND target) const {
  // Posted, as the keyboard would, so that the program's message loop sees
  // them; the caller waits for their effect.
  if (!target) target = Focus();
  PostMessageW(target, WM_KEYDOWN, key, 1);
  if (key == VK_SPACE) PostMessageW(target, WM_CHAR, L' ', 1);
  PostMessageW(target, WM_KEYUP, key, 0xC0000001);
}

void RunningProgram::Settle() const {
  DWORD_PTR ignored;
  SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_BLOCK, 2000, &ignored);
}

void RunningProgram::Type(HWND edit, const std::wstring& text) const {
  // Sent rather than posted, so each character is in before this returns.
  SendMessageW(edit, EM_SETSEL, 0, -1);
  for (wchar_t c : text) SendMessageW(edit, WM_CHAR, c, 1);
}

TestShell::TestShell() {
  // Normally started by the Wine session already.
  if (WaitFor([this] { return Find(); }, kHangMs)) return;
  Start();
  WaitFor([this] { return Find(); }, kHangMs);
}

void TestShell::Start() {
  // No output of this process's own: under Wine it would hold open the
  // output of the test run (CTest's pipe) for as long as the shell lives.
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESTDHANDLES;
  PROCESS_INFORMATION process{};
  std::wstring command = L"\"" + Path() + L"\"";
  if (CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                     &startup, &process)) {
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
  }
}

std::map<DWORD, std::wstring> Processes() {
  std::map<DWORD, std::wstring> running;
  const HANDLE all = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof(entry);
  for (BOOL more = Process32FirstW(all, &entry); more; more = Process32NextW(all, &entry)) {
    running[entry.th32ProcessID] = entry.szExeFile;
  }
  CloseHandle(all);
  return running;
}

namespace {
void Kill(DWORD id) {
  if (HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id)) {
    TerminateProcess(process, 1);
    WaitForSingleObject(process, 5000);
    CloseHandle(process);
  }
}
}  // namespace

bool TestShell::Restart() {
  DWORD shellId = 0;
  GetWindowThreadProcessId(control_, &shellId);
  Kill(shellId);
  // Windows' service control manager forgets the class registrations of a
  // server that died; Wine's rpcss keeps them and hands the dead one out. It
  // is ended too, so that the new server's registration is the one found.
  for (const auto& [id, exe] : Processes()) {
    if (_wcsicmp(exe.c_str(), L"rpcss.exe") == 0) Kill(id);
  }
  opened_.clear();
  control_ = nullptr;
  Start();
  return WaitFor([this] { return Find(); }, kHangMs);
}

TestShell::~TestShell() {
  for (HWND h : opened_) {
    if (IsWindow(h)) SendMessageTimeoutW(h, WM_CLOSE, 0, 0, SMTO_NORMAL, kHangMs, nullptr);
  }
}

std::wstring TestShell::Path() {
  return Folder() + L"\\BrowserShell.exe";
}

bool TestShell::Find() {
  return (control_ = FindWindowW(L"BrowserShellControl", nullptr)) != nullptr;
}

// A shell that hangs fails the test that asked it, saying so, instead of
// holding the whole run until CTest ends it.
LRESULT TestShell::Ask(UINT message, WPARAM wp, LPARAM lp) const {
  DWORD_PTR answer = 0;
  if (!SendMessageTimeoutW(control_, message, wp, lp, SMTO_NORMAL, kHangMs, &answer)) {
    Print(L"the test shell did not answer in " + std::to_wstring(kHangMs / 1000) + L" s");
    return -1;
  }
  return static_cast<LRESULT>(answer);
}

long TestShell::Count(Counted what) const {
  return static_cast<long>(Ask(WM_APP, what, 0));
}

HWND TestShell::Open(const std::wstring& kind, const std::wstring& title, const std::wstring& url) {
  std::wstring command = kind + L"\t" + title + L"\t" + url;
  COPYDATASTRUCT data{0, static_cast<DWORD>(command.size() * sizeof(wchar_t)), command.data()};
  const LRESULT answer = Ask(WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data));
  const auto h = answer == -1 ? nullptr : reinterpret_cast<HWND>(answer);
  opened_.push_back(h);
  return h;
}

std::vector<std::wstring> FileLines(const std::wstring& path) {
  std::vector<std::wstring> lines;
  const HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return lines;
  std::string bytes;
  char chunk[4096];
  DWORD got = 0;
  while (ReadFile(file, chunk, sizeof(chunk), &got, nullptr) && got > 0) bytes.append(chunk, got);
  CloseHandle(file);
  size_t start = 0;
  for (size_t end; (end = bytes.find('\n', start)) != std::string::npos; start = end + 1) {
    const int length = static_cast<int>(end - start);
    std::wstring line(static_cast<size_t>(length), L'\0');
    line.resize(static_cast<size_t>(
        MultiByteToWideChar(CP_UTF8, 0, bytes.data() + start, length, line.data(), length)));
    lines.push_back(line);
  }
  return lines;
}

std::vector<std::wstring> ListLines(HWND list) {
  std::vector<std::wstring> lines;
  const auto count = SendMessageW(list, LB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    std::wstring line(static_cast<size_t>(SendMessageW(list, LB_GETTEXTLEN, i, 0)) + 1, L'\0');
    line.resize(static_cast<size_t>(
        SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(line.data()))));
    lines.push_back(line);
  }
  return lines;
}

namespace {

// A PNG through the platform's own encoder (WIC), compressed. `bgra` is the
// top-left pixel of rows `stride` bytes apart.
bool SavePng(const std::wstring& path, int width, int height, const BYTE* bgra, UINT stride) {
  using Microsoft::WRL::ComPtr;
  const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  bool ok = false;
  {
    ComPtr<IWICImagingFactory> factory;
    ComPtr<IWICStream> stream;
    ComPtr<IWICBitmapEncoder> encoder;
    ComPtr<IWICBitmapFrameEncode> frame;
    WICPixelFormatGUID format = GUID_WICPixelFormat32bppBGR;
    ok = SUCCEEDED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                    IID_PPV_ARGS(&factory))) &&
         SUCCEEDED(factory->CreateStream(&stream)) &&
         SUCCEEDED(stream->InitializeFromFilename(path.c_str(), GENERIC_WRITE)) &&
         SUCCEEDED(factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, &encoder)) &&
         SUCCEEDED(encoder->Initialize(stream.Get(), WICBitmapEncoderNoCache)) &&
         SUCCEEDED(encoder->CreateNewFrame(&frame, nullptr)) &&
         SUCCEEDED(frame->Initialize(nullptr)) &&
         SUCCEEDED(frame->SetSize(static_cast<UINT>(width), static_cast<UINT>(height))) &&
         SUCCEEDED(frame->SetPixelFormat(&format)) && format == GUID_WICPixelFormat32bppBGR &&
         SUCCEEDED(frame->WritePixels(static_cast<UINT>(height), stride,
                                      stride * static_cast<UINT>(height - 1) + 4 * width,
                                      const_cast<BYTE*>(bgra))) &&
         SUCCEEDED(frame->Commit()) && SUCCEEDED(encoder->Commit());
  }
  if (SUCCEEDED(com)) CoUninitialize();
  return ok;
}

}  // namespace

ScreenImage::ScreenImage() {
  // Copied from the screen, as the display shows it, window manager's frames
  // included: not what a window says it painted.
  width_ = GetSystemMetrics(SM_CXSCREEN);
  height_ = GetSystemMetrics(SM_CYSCREEN);
  pixels_.resize(static_cast<size_t>(width_) * height_);
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), width_, -height_, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  if (HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0)) {
    HGDIOBJ old = SelectObject(memory, bitmap);
    if (BitBlt(memory, 0, 0, width_, height_, screen, 0, 0, SRCCOPY)) {
      GdiFlush();
      std::memcpy(pixels_.data(), bits, pixels_.size() * sizeof(pixels_[0]));
    } else {
      pixels_.clear();
    }
    SelectObject(memory, old);
    DeleteObject(bitmap);
  } else {
    pixels_.clear();
  }
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
}

bool ScreenImage::Save(const std::wstring& path, RECT part) const {
  RECT whole{0, 0, width_, height_};
  if (pixels_.empty() || !IntersectRect(&part, &part, &whole)) return false;
  const auto* first = reinterpret_cast<const BYTE*>(&pixels_[part.top * width_ + part.left]);
  return SavePng(path, part.right - part.left, part.bottom - part.top, first,
                 static_cast<UINT>(width_) * 4);
}

std::vector<DWORD> ScreenImage::Pixels(RECT part) const {
  std::vector<DWORD> pixels;
  RECT whole{0, 0, width_, height_}, inside{};
  if (pixels_.empty() || !IntersectRect(&inside, &part, &whole) || !EqualRect(&inside, &part)) {
    return pixels;
  }
  for (LONG y = part.top; y < part.bottom; ++y) {
    const auto row = pixels_.begin() + y * width_;
    pixels.insert(pixels.end(), row + part.left, row + part.right);
  }
  return pixels;
}

bool RunningProgram::Capture(const std::wstring& path) const {
  // Raised and painted first: what the user sees of it.
  if (!window) return false;
  SetWindowPos(window, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  SetForegroundWindow(window);
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
  Settle();
  Sleep(300);
  RECT rect{};
  return GetWindowRect(window, &rect) && ScreenImage().Save(path, rect);
}

std::map<std::wstring, std::wstring> RegistryTexts(HKEY root, const std::wstring& path) {
  std::map<std::wstring, std::wstring> texts;
  HKEY key = nullptr;
  if (RegOpenKeyExW(root, path.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return texts;
  wchar_t name[256];
  wchar_t data[1024];
  DWORD nameLength = 256, type = 0, size = sizeof(data);
  for (DWORD i = 0; RegEnumValueW(key, i, name, &nameLength, nullptr, &type,
                                  reinterpret_cast<BYTE*>(data), &size) == ERROR_SUCCESS;
       ++i, nameLength = 256, size = sizeof(data)) {
    const size_t units = size / sizeof(wchar_t);
    const bool sound = type == REG_SZ && size % 2 == 0 && units > 0 && data[units - 1] == L'\0' &&
                       std::wstring(data, units - 1).find(L'\0') == std::wstring::npos;
    texts[name] = sound ? std::wstring(data, units - 1) : L"<bad REG_SZ>";
  }
  RegCloseKey(key);
  return texts;
}

}  // namespace driver
