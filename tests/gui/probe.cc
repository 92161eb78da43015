// korvid-probe: looks at the windows of the Wine session from outside, for
// the GUI tests. It never clicks or types; input goes through the X server.
//
//   korvid-probe dump        JSON of the desktop's size, the foreground window and
//                            its thread's keyboard focus, and of every top-level
//                            window with its descendants
//   korvid-probe quit HWND   posts WM_QUIT to the thread that owns HWND
//   korvid-probe post HWND MESSAGE WPARAM LPARAM
//                            posts a message; MESSAGE is a number or the
//                            name of a registered message ("TaskbarCreated")
//   korvid-probe names HWND  JSON of the names that accessibility tools read for
//                            HWND's visible descendants: [{"hwnd", "id", "class",
//                            "name", "source"}], source "oleacc" (the system's
//                            accessibility layer) or "standard" (its rules)
//   korvid-probe tray-delete HWND ID
//                            removes the tray icon (HWND, ID) as a shell
//                            restart would
//   korvid-probe usage PID   JSON of what a process holds: its kernel
//                            handles, GDI objects and memory (working set and
//                            committed bytes)
//   korvid-probe dpi [HWND]  JSON of the session's DPI as programs see it: the
//                            system's ("system"), the screen's LOGPIXELSX
//                            ("logPixels") and, with HWND, the window's
//                            ("window")
//   korvid-probe dpi-changed HWND DPI LEFT TOP RIGHT BOTTOM
//                            sends WM_DPICHANGED as Windows does when a window
//                            moves to a monitor of another scale: DPI in both
//                            halves of wParam, lParam the address of the
//                            suggested window rectangle, written into the
//                            window's process
//
// The probe is aware of each monitor's DPI: at any scale it sees the
// windows' real pixels, as the X server and the screenshots do.
//
// Exit status: 0 success, 1 the window does not exist or the post failed,
// 2 bad arguments.
#include <windows.h>
#include <oleacc.h>
#include <psapi.h>
#include <shellapi.h>
#include <winternl.h>

#include <cstdio>
#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

namespace {

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;
// A control whose thread is busy (a modal wait, a sleep) must not stall the dump.
constexpr UINT kTextTimeoutMs = 500;
constexpr int kMaxText = 4096;
constexpr int kMaxClassName = 256;
// A window rebuilds itself at a new DPI within this.
constexpr UINT kDpiChangeTimeoutMs = 20000;
const wchar_t kX11WindowProperty[] = L"__wine_x11_whole_window";
const wchar_t kToolTipClass[] = L"tooltips_class32";

std::string Utf8(const std::wstring& text) {
  if (text.empty()) return {};
  int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size, nullptr, nullptr);
  return out;
}

std::string JsonString(const std::wstring& text) {
  std::string out = "\"";
  for (char c : Utf8(text)) {
    unsigned char u = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (u < 0x20) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", u);
      out += escaped;
    } else {
      out += c;
    }
  }
  return out + "\"";
}

std::string JsonRect(const RECT& r) {
  char buffer[96];
  std::snprintf(buffer, sizeof buffer, "[%ld, %ld, %ld, %ld]", r.left, r.top, r.right - r.left, r.bottom - r.top);
  return buffer;
}

std::string Number(unsigned long long value) { return std::to_string(value); }

unsigned long long HandleNumber(HWND hwnd) { return reinterpret_cast<ULONG_PTR>(hwnd); }

std::wstring ClassName(HWND hwnd) {
  wchar_t name[kMaxClassName] = {};
  GetClassNameW(hwnd, name, kMaxClassName);
  return name;
}

// WM_GETTEXT works across processes; null when the window did not answer.
std::string ControlText(HWND hwnd) {
  std::vector<wchar_t> buffer(kMaxText, L'\0');
  DWORD_PTR copied = 0;
  if (!SendMessageTimeoutW(hwnd, WM_GETTEXT, kMaxText, reinterpret_cast<LPARAM>(buffer.data()),
                           SMTO_ABORTIFHUNG | SMTO_BLOCK, kTextTimeoutMs, &copied)) {
    return "null";
  }
  return JsonString(std::wstring(buffer.data(), copied < kMaxText ? copied : kMaxText - 1));
}

std::string Bool(bool value) { return value ? "true" : "false"; }

void AppendChildren(HWND parent, std::string& out);

// One child window and, nested, its own children.
void AppendChild(HWND hwnd, HWND parent, std::string& out) {
  RECT screen = {};
  GetWindowRect(hwnd, &screen);
  RECT inParent = screen;
  MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&inParent), 2);
  LONG style = GetWindowLongW(hwnd, GWL_STYLE);
  out += "{\"hwnd\": " + Number(HandleNumber(hwnd));
  out += ", \"id\": " + Number(static_cast<unsigned>(GetDlgCtrlID(hwnd)));
  out += ", \"class\": " + JsonString(ClassName(hwnd));
  out += ", \"text\": " + ControlText(hwnd);
  out += ", \"rect\": " + JsonRect(inParent);
  out += ", \"screen\": " + JsonRect(screen);
  out += ", \"visible\": " + Bool(IsWindowVisible(hwnd));
  out += ", \"shown\": " + Bool((style & WS_VISIBLE) != 0);
  out += ", \"enabled\": " + Bool(IsWindowEnabled(hwnd));
  out += ", \"children\": ";
  AppendChildren(hwnd, out);
  out += "}";
}

void AppendChildren(HWND parent, std::string& out) {
  out += "[";
  bool first = true;
  for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    if (!first) out += ", ";
    first = false;
    AppendChild(child, parent, out);
  }
  out += "]";
}

void AppendTopLevel(HWND hwnd, std::string& out) {
  DWORD pid = 0;
  DWORD tid = GetWindowThreadProcessId(hwnd, &pid);
  wchar_t title[kMaxText] = {};
  InternalGetWindowText(hwnd, title, kMaxText);
  RECT window = {};
  GetWindowRect(hwnd, &window);
  RECT client = {};
  GetClientRect(hwnd, &client);
  POINT origin = {0, 0};
  ClientToScreen(hwnd, &origin);
  OffsetRect(&client, origin.x, origin.y);
  out += "{\"hwnd\": " + Number(HandleNumber(hwnd));
  out += ", \"xid\": " + Number(reinterpret_cast<ULONG_PTR>(GetPropW(hwnd, kX11WindowProperty)));
  out += ", \"pid\": " + Number(pid) + ", \"tid\": " + Number(tid);
  out += ", \"title\": " + JsonString(title);
  out += ", \"class\": " + JsonString(ClassName(hwnd));
  // A tool tip's window text is the tip it shows.
  if (ClassName(hwnd) == kToolTipClass) out += ", \"text\": " + ControlText(hwnd);
  out += ", \"rect\": " + JsonRect(window);
  out += ", \"client\": " + JsonRect(client);
  out += ", \"visible\": " + Bool(IsWindowVisible(hwnd));
  out += ", \"enabled\": " + Bool(IsWindowEnabled(hwnd));
  out += ", \"iconic\": " + Bool(IsIconic(hwnd));
  out += ", \"owner\": " + Number(HandleNumber(GetWindow(hwnd, GW_OWNER)));
  out += ", \"style\": " + Number(static_cast<DWORD>(GetWindowLongW(hwnd, GWL_STYLE)));
  out += ", \"exstyle\": " + Number(static_cast<DWORD>(GetWindowLongW(hwnd, GWL_EXSTYLE)));
  out += ", \"children\": ";
  AppendChildren(hwnd, out);
  out += "}";
}

BOOL CALLBACK CollectTopLevel(HWND hwnd, LPARAM list) {
  reinterpret_cast<std::vector<HWND>*>(list)->push_back(hwnd);
  return TRUE;
}

void Write(const std::string& text) {
  std::fwrite(text.data(), 1, text.size(), stdout);
  std::fflush(stdout);
}

int Dump() {
  std::vector<HWND> windows;
  EnumWindows(CollectTopLevel, reinterpret_cast<LPARAM>(&windows));
  RECT desktop = {};
  GetWindowRect(GetDesktopWindow(), &desktop);
  HWND foreground = GetForegroundWindow();
  // The keyboard focus of the thread that owns the foreground window.
  GUITHREADINFO thread = {};
  thread.cbSize = sizeof(thread);
  HWND focus = foreground && GetGUIThreadInfo(GetWindowThreadProcessId(foreground, nullptr), &thread)
                   ? thread.hwndFocus
                   : nullptr;
  std::string out = "{\"foreground\": " + Number(HandleNumber(foreground));
  out += ", \"focus\": " + Number(HandleNumber(focus));
  out += ", \"desktop\": " + JsonRect(desktop) + ", \"windows\": [";
  bool first = true;
  for (HWND hwnd : windows) {
    if (!first) out += ",\n";
    first = false;
    AppendTopLevel(hwnd, out);
  }
  Write(out + "]}\n");
  return kExitOk;
}

bool ParseNumber(const wchar_t* text, unsigned long long& value) {
  wchar_t* end = nullptr;
  value = std::wcstoull(text, &end, 0);
  return end != text && *end == L'\0';
}

// A coordinate: negative on a monitor left of or above the primary one.
bool ParseSigned(const wchar_t* text, LONG& value) {
  wchar_t* end = nullptr;
  value = std::wcstol(text, &end, 10);
  return end != text && *end == L'\0';
}

bool ParseWindow(const wchar_t* text, HWND& hwnd) {
  unsigned long long value = 0;
  if (!ParseNumber(text, value)) return false;
  hwnd = reinterpret_cast<HWND>(static_cast<ULONG_PTR>(value));
  return true;
}

int Post(const wchar_t* handleText, const wchar_t* messageText, const wchar_t* wParamText,
         const wchar_t* lParamText) {
  HWND hwnd = nullptr;
  unsigned long long message = 0, wParam = 0, lParam = 0;
  if (!ParseWindow(handleText, hwnd) || !ParseNumber(wParamText, wParam) || !ParseNumber(lParamText, lParam)) {
    return kExitUsage;
  }
  if (!ParseNumber(messageText, message)) message = RegisterWindowMessageW(messageText);
  if (!IsWindow(hwnd) || message == 0) return kExitFailed;
  return PostMessageW(hwnd, static_cast<UINT>(message), static_cast<WPARAM>(wParam), static_cast<LPARAM>(lParam))
             ? kExitOk
             : kExitFailed;
}

int TrayDelete(const wchar_t* handleText, const wchar_t* idText) {
  NOTIFYICONDATAW icon = {};
  unsigned long long id = 0;
  if (!ParseWindow(handleText, icon.hWnd) || !ParseNumber(idText, id)) return kExitUsage;
  icon.cbSize = sizeof(icon);
  icon.uID = static_cast<UINT>(id);
  // Loaded only here: the dumps, run many times a second, stay light.
  HMODULE shell = LoadLibraryW(L"shell32.dll");
  if (!shell) return kExitFailed;
  using NotifyIcon = BOOL(WINAPI*)(DWORD, NOTIFYICONDATAW*);
  auto notifyIcon = reinterpret_cast<NotifyIcon>(reinterpret_cast<void*>(GetProcAddress(shell, "Shell_NotifyIconW")));
  const bool removed = notifyIcon && notifyIcon(NIM_DELETE, &icon);
  FreeLibrary(shell);
  return removed ? kExitOk : kExitFailed;
}

// A window's text through WM_GETTEXT (which works across processes); empty
// when the window does not answer.
std::wstring WindowText(HWND hwnd) {
  std::vector<wchar_t> buffer(kMaxText, L'\0');
  DWORD_PTR copied = 0;
  if (!SendMessageTimeoutW(hwnd, WM_GETTEXT, kMaxText, reinterpret_cast<LPARAM>(buffer.data()),
                           SMTO_ABORTIFHUNG | SMTO_BLOCK, kTextTimeoutMs, &copied)) {
    return {};
  }
  return std::wstring(buffer.data(), copied < kMaxText ? copied : kMaxText - 1);
}

// The name the system's standard accessible objects give a control: its
// window text, or for an edit field the text of the static label just
// before it. Used where the accessibility layer itself cannot answer
// (Wine's oleacc has no standard objects to hand out).
std::wstring StandardName(HWND hwnd) {
  if (_wcsicmp(ClassName(hwnd).c_str(), L"Edit") == 0) {
    HWND label = GetWindow(hwnd, GW_HWNDPREV);
    return label && _wcsicmp(ClassName(label).c_str(), L"Static") == 0 ? WindowText(label) : std::wstring();
  }
  return WindowText(hwnd);
}

// What a screen reader reads for a window: the name of its client object
// through the system's accessibility layer (oleacc), or the standard name
// where that layer has no answer. "source" tells which.
void AppendAccessible(HWND hwnd, bool& first, std::string& out) {
  IAccessible* accessible = nullptr;
  std::wstring name;
  bool fromLayer = false;
  if (SUCCEEDED(AccessibleObjectFromWindow(hwnd, static_cast<DWORD>(OBJID_CLIENT), IID_IAccessible,
                                           reinterpret_cast<void**>(&accessible))) &&
      accessible) {
    VARIANT self;
    VariantInit(&self);
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    BSTR text = nullptr;
    if (accessible->get_accName(self, &text) == S_OK && text) {
      name.assign(text, SysStringLen(text));
      fromLayer = true;
    }
    SysFreeString(text);
    accessible->Release();
  }
  if (!fromLayer) name = StandardName(hwnd);
  if (!first) out += ", ";
  first = false;
  out += "{\"hwnd\": " + Number(HandleNumber(hwnd)) + ", \"id\": " + Number(static_cast<unsigned>(GetDlgCtrlID(hwnd)));
  out += ", \"class\": " + JsonString(ClassName(hwnd)) + ", \"name\": " + JsonString(name);
  out += std::string(", \"source\": ") + (fromLayer ? "\"oleacc\"" : "\"standard\"") + "}";
}

BOOL CALLBACK CollectVisible(HWND hwnd, LPARAM list) {
  if (IsWindowVisible(hwnd)) reinterpret_cast<std::vector<HWND>*>(list)->push_back(hwnd);
  return TRUE;
}

int Names(const wchar_t* handleText) {
  HWND hwnd = nullptr;
  if (!ParseWindow(handleText, hwnd)) return kExitUsage;
  if (!IsWindow(hwnd)) return kExitFailed;
  CoInitialize(nullptr);
  std::vector<HWND> windows;
  EnumChildWindows(hwnd, CollectVisible, reinterpret_cast<LPARAM>(&windows));
  std::string out = "[";
  bool first = true;
  for (HWND window : windows) AppendAccessible(window, first, out);
  Write(out + "]\n");
  CoUninitialize();
  return kExitOk;
}

// GDI objects of a process. Where the system does not count them (Wine),
// the live entries of the process's GDI handle table, which its PEB names,
// are counted instead (stock objects included).
struct GdiHandleEntry {
  UINT64 object;
  ULONG owner;
  USHORT unique;
  UCHAR type;  // 0: a free entry
  UCHAR flags;
  UINT64 user;
};
constexpr size_t kGdiHandleEntries = 0x10000;
constexpr size_t kPebGdiTableOffset = 0xF8;

unsigned long GdiObjects(HANDLE process) {
  if (const DWORD counted = GetGuiResources(process, GR_GDIOBJECTS)) return counted;
  PROCESS_BASIC_INFORMATION basic = {};
  ULONG length = 0;
  if (NtQueryInformationProcess(process, ProcessBasicInformation, &basic, sizeof basic, &length) != 0) return 0;
  UINT64 table = 0;
  SIZE_T read = 0;
  if (!ReadProcessMemory(process, reinterpret_cast<const char*>(basic.PebBaseAddress) + kPebGdiTableOffset, &table,
                         sizeof table, &read) || table == 0) {
    return 0;
  }
  std::vector<GdiHandleEntry> entries(kGdiHandleEntries);
  if (!ReadProcessMemory(process, reinterpret_cast<const void*>(static_cast<ULONG_PTR>(table)), entries.data(),
                         entries.size() * sizeof(GdiHandleEntry), &read)) {
    return 0;
  }
  unsigned long live = 0;
  for (const GdiHandleEntry& entry : entries) live += entry.type != 0 ? 1 : 0;
  return live;
}

// Kernel handles of a process: the system's count, or where it gives none
// (Wine) the entries of the system's handle list that belong to it.
unsigned long KernelHandles(HANDLE process, DWORD pid) {
  DWORD counted = 0;
  if (GetProcessHandleCount(process, &counted) && counted) return counted;
  struct Entry {
    PVOID object;
    ULONG_PTR processId;
    ULONG_PTR handle;
    ULONG access;
    USHORT backTrace;
    USHORT typeIndex;
    ULONG attributes;
    ULONG reserved;
  };
  // The class is not in the headers' enumeration: the function is called
  // with its number.
  constexpr ULONG kSystemExtendedHandleInformation = 64;
  using QuerySystem = NTSTATUS(NTAPI*)(ULONG, PVOID, ULONG, PULONG);
  const auto query = reinterpret_cast<QuerySystem>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQuerySystemInformation")));
  if (!query) return 0;
  std::vector<char> buffer(1 << 20);
  for (;;) {
    ULONG needed = 0;
    const NTSTATUS status =
        query(kSystemExtendedHandleInformation, buffer.data(), static_cast<ULONG>(buffer.size()), &needed);
    if (status == 0) break;
    if (buffer.size() >= (64u << 20)) return 0;
    buffer.resize(buffer.size() * 2);
  }
  ULONG_PTR count = 0;
  std::memcpy(&count, buffer.data(), sizeof count);
  const auto* entries = reinterpret_cast<const Entry*>(buffer.data() + 2 * sizeof(ULONG_PTR));
  unsigned long mine = 0;
  for (ULONG_PTR i = 0; i < count; ++i) mine += entries[i].processId == pid ? 1 : 0;
  return mine;
}

int Usage(const wchar_t* pidText) {
  unsigned long long pid = 0;
  if (!ParseNumber(pidText, pid)) return kExitUsage;
  HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, static_cast<DWORD>(pid));
  if (!process) return kExitFailed;
  PROCESS_MEMORY_COUNTERS memory = {};
  memory.cb = sizeof memory;
  const bool haveMemory = GetProcessMemoryInfo(process, &memory, sizeof memory);
  std::string out = "{\"handles\": " + Number(KernelHandles(process, static_cast<DWORD>(pid)));
  out += ", \"gdiObjects\": " + Number(GdiObjects(process));
  out += ", \"userObjects\": " + Number(GetGuiResources(process, GR_USEROBJECTS));
  out += ", \"workingSetBytes\": " + Number(haveMemory ? memory.WorkingSetSize : 0);
  out += ", \"committedBytes\": " + Number(haveMemory ? memory.PagefileUsage : 0) + "}\n";
  CloseHandle(process);
  Write(out);
  return kExitOk;
}

int Dpi(const wchar_t* handleText) {
  HWND hwnd = nullptr;
  if (handleText && !ParseWindow(handleText, hwnd)) return kExitUsage;
  if (handleText && !IsWindow(hwnd)) return kExitFailed;
  HDC screen = GetDC(nullptr);
  const int logPixels = GetDeviceCaps(screen, LOGPIXELSX);
  ReleaseDC(nullptr, screen);
  std::string out = "{\"system\": " + Number(GetDpiForSystem()) + ", \"logPixels\": " + Number(logPixels);
  if (hwnd) out += ", \"window\": " + Number(GetDpiForWindow(hwnd));
  Write(out + "}\n");
  return kExitOk;
}

// Memory in another process, released when the value goes.
class RemoteMemory {
 public:
  RemoteMemory(HANDLE process, SIZE_T size)
      : process_(process), address_(VirtualAllocEx(process, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE)) {}
  ~RemoteMemory() {
    if (address_) VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
  }
  RemoteMemory(const RemoteMemory&) = delete;
  RemoteMemory& operator=(const RemoteMemory&) = delete;
  void* address() const { return address_; }

 private:
  HANDLE process_;
  void* address_;
};

// A message whose lParam points at a RECT is not carried between processes
// by the system: the rectangle is written into the window's process and the
// message sent with its address there, as the window's own system would.
int DpiChanged(wchar_t** args) {
  HWND hwnd = nullptr;
  unsigned long long dpi = 0;
  LONG edges[4] = {};
  if (!ParseWindow(args[0], hwnd) || !ParseNumber(args[1], dpi) || dpi == 0 || dpi > 0xFFFF) return kExitUsage;
  for (int i = 0; i < 4; ++i) {
    if (!ParseSigned(args[2 + i], edges[i])) return kExitUsage;
  }
  if (!IsWindow(hwnd)) return kExitFailed;
  const RECT suggested = {edges[0], edges[1], edges[2], edges[3]};
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_WRITE, FALSE, pid);
  if (!process) return kExitFailed;
  int result = kExitFailed;
  {
    RemoteMemory rect(process, sizeof suggested);
    SIZE_T written = 0;
    if (rect.address() && WriteProcessMemory(process, rect.address(), &suggested, sizeof suggested, &written) &&
        written == sizeof suggested) {
      DWORD_PTR answer = 0;
      const WPARAM both = MAKEWPARAM(static_cast<WORD>(dpi), static_cast<WORD>(dpi));
      if (SendMessageTimeoutW(hwnd, WM_DPICHANGED, both, reinterpret_cast<LPARAM>(rect.address()), SMTO_BLOCK,
                              kDpiChangeTimeoutMs, &answer)) {
        result = kExitOk;
      }
    }
  }
  CloseHandle(process);
  return result;
}

int Quit(const wchar_t* handleText) {
  HWND hwnd = nullptr;
  if (!ParseWindow(handleText, hwnd)) return kExitUsage;
  if (!IsWindow(hwnd)) return kExitFailed;
  DWORD tid = GetWindowThreadProcessId(hwnd, nullptr);
  return PostThreadMessageW(tid, WM_QUIT, 0, 0) ? kExitOk : kExitFailed;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  SetProcessDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);
  if (argc == 2 && std::wcscmp(argv[1], L"dump") == 0) return Dump();
  if (argc == 3 && std::wcscmp(argv[1], L"quit") == 0) return Quit(argv[2]);
  if (argc == 3 && std::wcscmp(argv[1], L"names") == 0) return Names(argv[2]);
  if (argc == 6 && std::wcscmp(argv[1], L"post") == 0) return Post(argv[2], argv[3], argv[4], argv[5]);
  if (argc == 4 && std::wcscmp(argv[1], L"tray-delete") == 0) return TrayDelete(argv[2], argv[3]);
  if (argc == 3 && std::wcscmp(argv[1], L"usage") == 0) return Usage(argv[2]);
  if ((argc == 2 || argc == 3) && std::wcscmp(argv[1], L"dpi") == 0) return Dpi(argc == 3 ? argv[2] : nullptr);
  if (argc == 8 && std::wcscmp(argv[1], L"dpi-changed") == 0) return DpiChanged(argv + 2);
  std::fputs("usage: korvid-probe dump | quit HWND | names HWND | post HWND MESSAGE WPARAM LPARAM | "
             "tray-delete HWND ID | usage PID | dpi [HWND] | dpi-changed HWND DPI LEFT TOP RIGHT BOTTOM\n",
             stderr);
  return kExitUsage;
}
