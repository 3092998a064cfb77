#include "tools/driver_win.h"

#include <tlhelp32.h>

#include <cstdint>
#include <cstdio>
#include <cwctype>

namespace driver {

std::wstring Folder() {
  std::wstring path(MAX_PATH, L'\0');
  DWORD length;
  while ((length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()))) ==
         path.size()) {
    path.resize(path.size() * 2);
  }
  path.resize(length);
  return path.substr(0, path.find_last_of(L'\\'));
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
  for (HWND h = GetWindow(window, GW_CHILD); window && h; h = GetWindow(h, GW_HWNDNEXT)) {
    if (ClassOf(h) == className && TextOf(h) == text) return h;
  }
  return nullptr;
}

RunningProgram::RunningProgram(const wchar_t* exe, const wchar_t* caption) {
  std::wstring command = L"\"" + Folder() + L"\\" + exe + L"\"";
  // No output: what the program starts (a COM server, the shell's handler
  // for an address) would inherit it and could hold the test run's open.
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESTDHANDLES;
  if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process_)) {
    return;
  }
  HWND found = nullptr;
  if (WaitFor([&] { return (found = FindWindowW(nullptr, caption)) && IsWindowVisible(found); },
              15000)) {
    window = found;
  }
  for (HWND h = GetWindow(window, GW_CHILD); window && h; h = GetWindow(h, GW_HWNDNEXT)) {
    controls.push_back(h);
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
  if (WaitFor([this] { return Find(); }, 10000)) return;
  Start();
  WaitFor([this] { return Find(); }, 10000);
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
  DWORD id = 0;
  GetWindowThreadProcessId(control_, &id);
  Kill(id);
  // Windows' service control manager forgets the class registrations of a
  // server that died; Wine's rpcss keeps them and hands the dead one out. It
  // is ended too, so that the new server's registration is the one found.
  const HANDLE all = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof(entry);
  for (BOOL more = Process32FirstW(all, &entry); more; more = Process32NextW(all, &entry)) {
    if (_wcsicmp(entry.szExeFile, L"rpcss.exe") == 0) Kill(entry.th32ProcessID);
  }
  CloseHandle(all);
  opened_.clear();
  control_ = nullptr;
  Start();
  return WaitFor([this] { return Find(); }, 10000);
}

TestShell::~TestShell() {
  for (HWND h : opened_) {
    if (IsWindow(h)) SendMessageW(h, WM_CLOSE, 0, 0);
  }
}

std::wstring TestShell::Path() {
  return Folder() + L"\\BrowserShell.exe";
}

bool TestShell::Find() {
  return (control_ = FindWindowW(L"BrowserShellControl", nullptr)) != nullptr;
}

HWND TestShell::Open(const std::wstring& kind, const std::wstring& title, const std::wstring& url) {
  std::wstring command = kind + L"\t" + title + L"\t" + url;
  COPYDATASTRUCT data{0, static_cast<DWORD>(command.size() * sizeof(wchar_t)), command.data()};
  const auto h = reinterpret_cast<HWND>(
      SendMessageW(control_, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data)));
  opened_.push_back(h);
  return h;
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

std::uint32_t Crc32(const std::uint8_t* data, size_t size, std::uint32_t crc = 0) {
  crc = ~crc;
  for (size_t i = 0; i < size; ++i) {
    crc ^= data[i];
    for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  return ~crc;
}

void PutBig(std::vector<std::uint8_t>& out, std::uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<std::uint8_t>(v >> shift));
}

void Chunk(std::vector<std::uint8_t>& png, const char* type,
           const std::vector<std::uint8_t>& body) {
  PutBig(png, static_cast<std::uint32_t>(body.size()));
  std::vector<std::uint8_t> typed(type, type + 4);
  typed.insert(typed.end(), body.begin(), body.end());
  png.insert(png.end(), typed.begin(), typed.end());
  PutBig(png, Crc32(typed.data(), typed.size()));
}

// An RGB PNG with stored (uncompressed) deflate blocks: small code, and a
// screenshot of a small window stays small enough.
std::vector<std::uint8_t> EncodePng(int width, int height, const std::vector<std::uint8_t>& bgra) {
  std::vector<std::uint8_t> raw;
  for (int y = 0; y < height; ++y) {
    raw.push_back(0);  // no filter
    for (int x = 0; x < width; ++x) {
      const std::uint8_t* p = &bgra[(static_cast<size_t>(y) * width + x) * 4];
      raw.insert(raw.end(), {p[2], p[1], p[0]});
    }
  }
  std::vector<std::uint8_t> z = {0x78, 0x01};
  for (size_t pos = 0; pos < raw.size() || pos == 0;) {
    const size_t n = std::min<size_t>(65535, raw.size() - pos);
    z.push_back(pos + n == raw.size() ? 1 : 0);
    z.insert(z.end(), {static_cast<std::uint8_t>(n), static_cast<std::uint8_t>(n >> 8),
                       static_cast<std::uint8_t>(~n), static_cast<std::uint8_t>(~n >> 8)});
    z.insert(z.end(), raw.begin() + static_cast<std::ptrdiff_t>(pos),
             raw.begin() + static_cast<std::ptrdiff_t>(pos + n));
    pos += n;
    if (n == 0) break;
  }
  std::uint32_t a = 1, b = 0;
  for (std::uint8_t byte : raw) {
    a = (a + byte) % 65521;
    b = (b + a) % 65521;
  }
  PutBig(z, (b << 16) | a);

  std::vector<std::uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  std::vector<std::uint8_t> header;
  PutBig(header, static_cast<std::uint32_t>(width));
  PutBig(header, static_cast<std::uint32_t>(height));
  header.insert(header.end(), {8, 2, 0, 0, 0});  // 8-bit RGB
  Chunk(png, "IHDR", header);
  Chunk(png, "IDAT", z);
  Chunk(png, "IEND", {});
  return png;
}

}  // namespace

bool RunningProgram::Capture(const std::wstring& path) const {
  // Raised and painted first, then copied from the screen: what the user sees.
  if (!window) return false;
  SetWindowPos(window, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  SetForegroundWindow(window);
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
  Settle();
  Sleep(300);
  RECT rect{};
  if (!GetWindowRect(window, &rect)) return false;
  const int width = rect.right - rect.left, height = rect.bottom - rect.top;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  bool ok = false;
  if (bitmap) {
    HGDIOBJ old = SelectObject(memory, bitmap);
    ok = BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
    GdiFlush();
    std::vector<std::uint8_t> pixels(
        static_cast<const std::uint8_t*>(bits),
        static_cast<const std::uint8_t*>(bits) + static_cast<size_t>(width) * height * 4);
    SelectObject(memory, old);
    DeleteObject(bitmap);
    if (ok) {
      const auto png = EncodePng(width, height, pixels);
      FILE* file = _wfopen(path.c_str(), L"wb");
      ok = file && fwrite(png.data(), 1, png.size(), file) == png.size();
      if (file) fclose(file);
    }
  }
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return ok;
}

}  // namespace driver
