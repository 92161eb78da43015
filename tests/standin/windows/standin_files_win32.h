#pragma once
#include <windows.h>

#include <optional>
#include <string>

#include "tests/standin/windows/standin_layout.h"

// The stand-in's mouse folder seen from Windows: shared by hid.dll,
// setupapi.dll and the plug helper.
namespace korvid::standin {

// GUID_DEVINTERFACE_HID, {4D1E55B2-F16F-11CF-88CB-001111000030}.
extern const GUID kHidInterfaceGuid;

// The mouse folder named by KORVID_HID_STANDIN as a full Windows path (a
// Unix path is translated), without a trailing separator; empty when unset.
std::wstring MouseFolder();
LengthMode LengthModeFromEnvironment();

// The path SetupDi hands out for `entry`, which CreateFileW opens:
// "\\?\" + folder + "\interfaces\" + its file name.
std::wstring InterfacePath(const std::wstring& folder, const StandinInterface& entry);
bool MouseUnplugged(const std::wstring& folder);
// The emulator's plug: creates or removes the `unplugged` file.
bool SetUnplugged(const std::wstring& folder, bool unplugged);

// Creates and removes entries of interfaces/ so that the mouse's exist
// exactly while it is plugged in and the other device's always. A removed
// entry is gone even while a program holds it open, and a new one is a new
// file, so that handles from before an unplug stay dead. False when an entry
// could not be brought in line.
bool BringInterfacesInLine(const std::wstring& folder);

// What tells one opening of an interface's file from another: the file, and
// for a regular file its last write, so that a file made anew on a replug
// differs even where the system reuses the file number.
struct FileIdentity {
  DWORD volume = 0;
  DWORD indexHigh = 0;
  DWORD indexLow = 0;
  FILETIME lastWrite{};
  bool operator==(const FileIdentity& other) const;
};
std::optional<FileIdentity> IdentityOfHandle(HANDLE handle);
std::optional<FileIdentity> IdentityOfPath(const std::wstring& path);

// The entry `handle` is open on: found by the file's final path (for a
// system collection, the file its entry links to). Nothing when the handle
// is not on one of the folder's entries.
std::optional<size_t> InterfaceOfHandle(const std::wstring& folder, HANDLE handle);

std::wstring Widen(const std::string& utf8);
std::string Narrow(const std::wstring& wide);

}  // namespace korvid::standin
