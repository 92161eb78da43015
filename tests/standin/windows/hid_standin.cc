// The stand-in hid.dll: the HID class library's calls the program makes,
// answered by the emulated mouse behind the interface files of the mouse
// folder, with the class driver's checks kept strictly (standin_layout.h).
#include <windows.h>
#include <winternl.h>
extern "C" {
#include <hidsdi.h>
#include <hidpi.h>
}

#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include "device/error_codes.h"
#include "emulator/emulated_mouse.h"
#include "emulator/state_files.h"
#include "tests/standin/windows/standin_files_win32.h"

namespace korvid::standin {
namespace {

constexpr uint32_t kPreparsedMagic = 0x4B4F5250;  // "PROK"

// What HidD_GetPreparsedData hands out: which collection it describes.
struct PreparsedData {
  uint32_t magic;
  size_t interfaceIndex;
};

// One opening of an interface's file, as first met through a handle.
struct OpenInterface {
  FileIdentity identity;
  size_t index = 0;
  std::mutex mutex;  // guards the two below
  std::unique_ptr<HidDevice> device;
  std::optional<uint8_t> pendingCommand;
};

// The process's view of the mouse folder. Handles are reused by value after
// CloseHandle, which this library never sees: an entry is valid for the
// handle only while the handle is on the same file.
struct State {
  std::mutex mutex;
  std::wstring folder;
  std::shared_ptr<HidPort> port;
  std::map<HANDLE, std::shared_ptr<OpenInterface>> open;
};

State& TheState() {
  static State state;
  return state;
}

struct Resolved {
  uint32_t error = kErrorSuccess;
  std::wstring folder;
  std::shared_ptr<HidPort> port;
  std::shared_ptr<OpenInterface> entry;
};

// The interface behind `handle`, and whether it is still there: a handle
// whose file was removed (an unplug) or made anew (a replug) is dead.
Resolved Resolve(HANDLE handle) {
  Resolved resolved;
  resolved.folder = MouseFolder();
  if (resolved.folder.empty()) {
    resolved.error = kErrorInvalidFunction;
    return resolved;
  }
  BringInterfacesInLine(resolved.folder);
  const std::optional<FileIdentity> identity = IdentityOfHandle(handle);
  if (!identity) {
    resolved.error = kErrorInvalidHandle;
    return resolved;
  }
  State& state = TheState();
  {
    std::lock_guard lock(state.mutex);
    if (state.folder != resolved.folder || !state.port) {
      state.folder = resolved.folder;
      state.port = emulator::MakeEmulatedPort(std::filesystem::path(resolved.folder));
      state.open.clear();
    }
    resolved.port = state.port;
    auto found = state.open.find(handle);
    if (found != state.open.end() && found->second->identity == *identity) {
      resolved.entry = found->second;
    } else {
      const std::optional<size_t> index = InterfaceOfHandle(resolved.folder, handle);
      if (!index) {
        // Not an interface, or one removed before this handle was first used.
        if (found != state.open.end()) state.open.erase(found);
        resolved.error = kErrorInvalidFunction;
        return resolved;
      }
      auto entry = std::make_shared<OpenInterface>();
      entry->identity = *identity;
      entry->index = *index;
      state.open[handle] = entry;
      resolved.entry = entry;
    }
  }
  const StandinInterface& standin = StandinInterfaces()[resolved.entry->index];
  const std::optional<FileIdentity> current = IdentityOfPath(InterfacePath(resolved.folder, standin));
  if (!current || !(*current == *identity)) resolved.error = kErrorDeviceNotConnected;
  return resolved;
}

// The access the handle was opened with.
ACCESS_MASK GrantedAccess(HANDLE handle) {
  struct {
    ULONG attributes;
    ACCESS_MASK grantedAccess;
    ULONG handleCount;
    ULONG pointerCount;
    ULONG reserved[10];
  } information{};
  ULONG length = 0;
  if (!NT_SUCCESS(::NtQueryObject(handle, ObjectBasicInformation, &information, sizeof information, &length))) {
    return 0;
  }
  return information.grantedAccess;
}

BOOLEAN Answer(uint32_t error) {
  ::SetLastError(error);
  return error == kErrorSuccess ? TRUE : FALSE;
}

BOOLEAN Feature(CallKind kind, HANDLE handle, void* buffer, ULONG length) {
  auto* bytes = static_cast<uint8_t*>(buffer);
  Resolved resolved = Resolve(handle);
  const std::optional<uint8_t> reportId =
      bytes != nullptr && length > 0 ? std::optional<uint8_t>(bytes[0]) : std::nullopt;
  std::optional<uint8_t> command;
  if (kind == CallKind::kSet && bytes != nullptr && length > 1) command = bytes[1];
  uint32_t error = resolved.error;
  FeatureCheck check;
  if (error == kErrorSuccess) {
    const StandinInterface& standin = StandinInterfaces()[resolved.entry->index];
    // The keyboard and pointer collections belong to the system; other
    // handles need the access the request uses.
    const ACCESS_MASK needed = kind == CallKind::kSet ? FILE_WRITE_DATA : FILE_READ_DATA;
    if (!standin.systemFile.empty() || (GrantedAccess(handle) & needed) == 0) error = kErrorAccessDenied;
  }
  if (error == kErrorSuccess) {
    check = CheckFeatureRequest(StandinInterfaces()[resolved.entry->index].collection, LengthModeFromEnvironment(),
                                bytes, length);
    error = check.error;
  }
  if (error == kErrorSuccess) {
    OpenInterface& entry = *resolved.entry;
    std::lock_guard lock(entry.mutex);
    if (kind == CallKind::kGet) command = entry.pendingCommand;
    if (!entry.device) {
      entry.device = resolved.port->Open(StandinInterfaces()[entry.index].emulated->path);
      if (!entry.device) {
        error = resolved.port->LastOpenError();
        if (error == kErrorSuccess) error = kErrorDeviceNotConnected;
      }
    }
    if (entry.device) {
      // The device gets the report's own length, from the front of the buffer.
      std::vector<uint8_t> report(bytes, bytes + check.reportLength);
      if (kind == CallKind::kSet) {
        if (entry.device->SetFeature(report.data(), report.size())) {
          entry.pendingCommand = command;
        } else {
          error = entry.device->LastError();
        }
      } else {
        std::fill(report.begin() + 1, report.end(), 0);
        const int received = entry.device->GetFeature(report.data(), report.size());
        if (received < 0) {
          error = entry.device->LastError();
        } else {
          std::memset(bytes, 0, length);
          std::memcpy(bytes, report.data(), static_cast<size_t>(received));
        }
      }
    }
  }
  if (!resolved.folder.empty()) {
    emulator::AppendStateLine(std::filesystem::path(resolved.folder) / kCallLog,
                              FormatCallLine(kind, length, reportId, command, error));
  }
  return Answer(error);
}

}  // namespace
}  // namespace korvid::standin

using namespace korvid;
using namespace korvid::standin;

extern "C" {

void NTAPI HidD_GetHidGuid(LPGUID hidGuid) {
  if (hidGuid != nullptr) *hidGuid = kHidInterfaceGuid;
}

BOOLEAN NTAPI HidD_GetAttributes(HANDLE device, PHIDD_ATTRIBUTES attributes) {
  if (attributes == nullptr) return Answer(kErrorInvalidParameter);
  Resolved resolved = Resolve(device);
  if (resolved.error != kErrorSuccess) return Answer(resolved.error);
  const emulator::EmulatedInterface& emulated = *StandinInterfaces()[resolved.entry->index].emulated;
  attributes->Size = sizeof *attributes;
  attributes->VendorID = emulated.attributes.vendorId;
  attributes->ProductID = emulated.attributes.productId;
  attributes->VersionNumber = emulated.attributes.versionNumber;
  return Answer(kErrorSuccess);
}

BOOLEAN NTAPI HidD_GetPreparsedData(HANDLE device, PHIDP_PREPARSED_DATA* preparsed) {
  if (preparsed == nullptr) return Answer(kErrorInvalidParameter);
  Resolved resolved = Resolve(device);
  if (resolved.error != kErrorSuccess) return Answer(resolved.error);
  // Freed by HidD_FreePreparsedData, as the system's is.
  auto* data = static_cast<PreparsedData*>(::LocalAlloc(LMEM_FIXED, sizeof(PreparsedData)));
  if (data == nullptr) return Answer(ERROR_NOT_ENOUGH_MEMORY);
  data->magic = kPreparsedMagic;
  data->interfaceIndex = resolved.entry->index;
  *preparsed = reinterpret_cast<PHIDP_PREPARSED_DATA>(data);
  return Answer(kErrorSuccess);
}

BOOLEAN NTAPI HidD_FreePreparsedData(PHIDP_PREPARSED_DATA preparsed) {
  auto* data = reinterpret_cast<PreparsedData*>(preparsed);
  if (data == nullptr || data->magic != kPreparsedMagic) return Answer(kErrorInvalidParameter);
  data->magic = 0;
  ::LocalFree(data);
  return Answer(kErrorSuccess);
}

NTSTATUS NTAPI HidP_GetCaps(PHIDP_PREPARSED_DATA preparsed, PHIDP_CAPS caps) {
  const auto* data = reinterpret_cast<const PreparsedData*>(preparsed);
  if (data == nullptr || caps == nullptr || data->magic != kPreparsedMagic ||
      data->interfaceIndex >= StandinInterfaces().size()) {
    return HIDP_STATUS_INVALID_PREPARSED_DATA;
  }
  const Collection& collection = StandinInterfaces()[data->interfaceIndex].collection;
  *caps = HIDP_CAPS{};
  caps->UsagePage = collection.usagePage;
  caps->Usage = collection.usage;
  caps->InputReportByteLength = collection.inputReportLength;
  caps->OutputReportByteLength = collection.outputReportLength;
  caps->FeatureReportByteLength = collection.FeatureReportLength();
  caps->NumberLinkCollectionNodes = 1;
  caps->NumberFeatureValueCaps = static_cast<USHORT>(collection.featureReports.size());
  caps->NumberFeatureDataIndices = static_cast<USHORT>(collection.featureReports.size());
  return HIDP_STATUS_SUCCESS;
}

BOOLEAN NTAPI HidD_SetFeature(HANDLE device, PVOID buffer, ULONG length) {
  return Feature(CallKind::kSet, device, buffer, length);
}

BOOLEAN NTAPI HidD_GetFeature(HANDLE device, PVOID buffer, ULONG length) {
  return Feature(CallKind::kGet, device, buffer, length);
}

}  // extern "C"
