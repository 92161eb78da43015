#include "tests/standin/windows/standin_files_win32.h"

#include <cwctype>
#include <vector>

#include "emulator/emulated_mouse.h"

namespace korvid::standin {

const GUID kHidInterfaceGuid = {0x4d1e55b2, 0xf16f, 0x11cf, {0x88, 0xcb, 0x00, 0x11, 0x11, 0x00, 0x00, 0x30}};

namespace {

constexpr wchar_t kLongPathPrefix[] = LR"(\\?\)";
constexpr DWORD kShellTimeoutMs = 10000;
constexpr DWORD kShellPollMs = 5;

// Wine's own exports for the two path forms (kernel32), found at run time.
using UnixToDos = WCHAR*(CDECL*)(LPCSTR);
using DosToUnix = char*(CDECL*)(LPCWSTR);

template <typename Function>
Function WineExport(const char* name) {
  HMODULE kernel = ::GetModuleHandleW(L"kernel32.dll");
  return kernel == nullptr ? nullptr : reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(kernel, name)));
}

std::wstring WithoutPrefix(std::wstring path) {
  const std::wstring prefix = kLongPathPrefix;
  if (path.compare(0, prefix.size(), prefix) == 0) path.erase(0, prefix.size());
  return path;
}

bool SameText(const std::wstring& a, const std::wstring& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (std::towlower(a[i]) != std::towlower(b[i])) return false;
  }
  return true;
}

bool EndsWith(const std::wstring& text, const std::wstring& end) {
  return text.size() >= end.size() && SameText(text.substr(text.size() - end.size()), end);
}

std::wstring EnvironmentValue(const char* name) {
  const std::wstring wideName = Widen(name);
  const DWORD size = ::GetEnvironmentVariableW(wideName.c_str(), nullptr, 0);
  if (size == 0) return {};
  std::wstring value(size, L'\0');
  const DWORD length = ::GetEnvironmentVariableW(wideName.c_str(), value.data(), size);
  value.resize(length < size ? length : 0);
  return value;
}

std::wstring FullPath(const std::wstring& path) {
  const DWORD size = ::GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
  if (size == 0) return path;
  std::wstring full(size, L'\0');
  const DWORD length = ::GetFullPathNameW(path.c_str(), size, full.data(), nullptr);
  full.resize(length < size ? length : 0);
  return full;
}

std::wstring InterfacesFolder(const std::wstring& folder) { return folder + L"\\" + Widen(kInterfacesFolder); }

bool Exists(const std::wstring& path) { return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::string UnixPath(const std::wstring& path) {
  auto toUnix = WineExport<DosToUnix>("wine_get_unix_file_name");
  if (toUnix == nullptr) return {};
  char* unix = toUnix(path.c_str());
  if (unix == nullptr) return {};
  std::string result = unix;
  ::HeapFree(::GetProcessHeap(), 0, unix);
  return result;
}

// A symbolic link, and a removal that no open handle holds up, are Unix
// operations under Wine: run through /bin/sh, whose exit status Wine does
// not pass on (the caller checks the result).
void RunShell(const std::string& script) {
  std::wstring command = L"/bin/sh -c \"" + Widen(script) + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr,
                        &startup, &process)) {
    return;
  }
  ::WaitForSingleObject(process.hProcess, kShellTimeoutMs);
  ::CloseHandle(process.hThread);
  ::CloseHandle(process.hProcess);
}

std::string Quoted(const std::string& text) { return "'" + text + "'"; }

}  // namespace

std::wstring Widen(const std::string& utf8) {
  if (utf8.empty()) return {};
  const int size = ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(size > 0 ? size : 0), L'\0');
  if (size > 0) ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), size);
  return wide;
}

std::string Narrow(const std::wstring& wide) {
  if (wide.empty()) return {};
  const int size =
      ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<size_t>(size > 0 ? size : 0), '\0');
  if (size > 0) {
    ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), utf8.data(), size, nullptr, nullptr);
  }
  return utf8;
}

std::wstring MouseFolder() {
  std::wstring value = EnvironmentValue(kFolderVariable);
  if (value.empty()) return {};
  if (value[0] == L'/') {
    auto toDos = WineExport<UnixToDos>("wine_get_dos_file_name");
    if (toDos == nullptr) return {};
    WCHAR* dos = toDos(Narrow(value).c_str());
    if (dos == nullptr) return {};
    value = dos;
    ::HeapFree(::GetProcessHeap(), 0, dos);
  }
  value = WithoutPrefix(FullPath(WithoutPrefix(value)));
  while (value.size() > 3 && (value.back() == L'\\' || value.back() == L'/')) value.pop_back();
  return value;
}

LengthMode LengthModeFromEnvironment() { return LengthModeFromText(Narrow(EnvironmentValue(kLengthVariable))); }

std::wstring InterfacePath(const std::wstring& folder, const StandinInterface& entry) {
  return kLongPathPrefix + InterfacesFolder(folder) + L"\\" + Widen(entry.fileName);
}

bool MouseUnplugged(const std::wstring& folder) {
  return Exists(folder + L"\\" + Widen(emulator::kUnpluggedFile));
}

bool SetUnplugged(const std::wstring& folder, bool unplugged) {
  const std::wstring plug = folder + L"\\" + Widen(emulator::kUnpluggedFile);
  if (!unplugged) return ::DeleteFileW(plug.c_str()) || ::GetLastError() == ERROR_FILE_NOT_FOUND;
  ::CreateDirectoryW(folder.c_str(), nullptr);
  HANDLE file = ::CreateFileW(plug.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  ::CloseHandle(file);
  return true;
}

bool BringInterfacesInLine(const std::wstring& folder) {
  if (folder.empty()) return false;
  const std::wstring interfaces = InterfacesFolder(folder);
  ::CreateDirectoryW(folder.c_str(), nullptr);
  ::CreateDirectoryW(interfaces.c_str(), nullptr);
  const bool plugged = !MouseUnplugged(folder);
  std::string script;
  for (const StandinInterface& entry : StandinInterfaces()) {
    const std::wstring path = InterfacePath(folder, entry);
    const bool wanted = plugged || !entry.emulated->isMouse;
    if (wanted == Exists(path)) continue;
    if (!wanted) {
      script += "rm -f " + Quoted(entry.fileName) + "; ";
    } else if (!entry.systemFile.empty()) {
      script += "ln -sfn " + Quoted(entry.systemFile) + " " + Quoted(entry.fileName) + "; ";
    } else {
      HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
      if (file != INVALID_HANDLE_VALUE) ::CloseHandle(file);
    }
  }
  if (!script.empty()) {
    const std::string unixFolder = UnixPath(interfaces);
    if (unixFolder.empty()) return false;
    RunShell("cd " + Quoted(unixFolder) + " && " + script);
  }
  // The shell's process handle is signalled when Wine has started it, not
  // when it ends: wait for its work.
  for (DWORD waited = 0;; waited += kShellPollMs) {
    bool inLine = true;
    for (const StandinInterface& entry : StandinInterfaces()) {
      if (Exists(InterfacePath(folder, entry)) != (plugged || !entry.emulated->isMouse)) inLine = false;
    }
    if (inLine) return true;
    if (waited >= kShellTimeoutMs) return false;
    ::Sleep(kShellPollMs);
  }
}

bool FileIdentity::operator==(const FileIdentity& other) const {
  return volume == other.volume && indexHigh == other.indexHigh && indexLow == other.indexLow &&
         lastWrite.dwLowDateTime == other.lastWrite.dwLowDateTime &&
         lastWrite.dwHighDateTime == other.lastWrite.dwHighDateTime;
}

std::optional<FileIdentity> IdentityOfHandle(HANDLE handle) {
  BY_HANDLE_FILE_INFORMATION information{};
  if (!::GetFileInformationByHandle(handle, &information)) return std::nullopt;
  FileIdentity identity;
  identity.volume = information.dwVolumeSerialNumber;
  identity.indexHigh = information.nFileIndexHigh;
  identity.indexLow = information.nFileIndexLow;
  // System files keep their number; their times are the system's business.
  if (information.nNumberOfLinks != 0 && !(information.dwFileAttributes & FILE_ATTRIBUTE_READONLY)) {
    identity.lastWrite = information.ftLastWriteTime;
  }
  return identity;
}

std::optional<FileIdentity> IdentityOfPath(const std::wstring& path) {
  HANDLE handle = ::CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return std::nullopt;
  std::optional<FileIdentity> identity = IdentityOfHandle(handle);
  ::CloseHandle(handle);
  return identity;
}

std::optional<size_t> InterfaceOfHandle(const std::wstring& folder, HANDLE handle) {
  std::vector<wchar_t> buffer(MAX_PATH);
  DWORD length = ::GetFinalPathNameByHandleW(handle, buffer.data(), static_cast<DWORD>(buffer.size()),
                                             FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
  if (length >= buffer.size()) {
    buffer.resize(length + 1);
    length = ::GetFinalPathNameByHandleW(handle, buffer.data(), static_cast<DWORD>(buffer.size()),
                                         FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
  }
  if (length == 0 || length >= buffer.size()) return std::nullopt;
  const std::wstring finalPath = WithoutPrefix(std::wstring(buffer.data(), length));
  const std::vector<StandinInterface>& entries = StandinInterfaces();
  for (size_t index = 0; index < entries.size(); ++index) {
    const StandinInterface& entry = entries[index];
    if (entry.systemFile.empty()) {
      if (SameText(finalPath, WithoutPrefix(InterfacePath(folder, entry)))) return index;
    } else {
      std::wstring target = Widen(entry.systemFile);
      for (wchar_t& c : target) {
        if (c == L'/') c = L'\\';
      }
      if (EndsWith(finalPath, target)) return index;
    }
  }
  return std::nullopt;
}

}  // namespace korvid::standin
