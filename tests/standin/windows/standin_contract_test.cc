// The stand-in's own contract, through the system's import libraries and
// the DLLs Wine loads beside this test (WINEDLLOVERRIDES=hid,setupapi=n,b):
// the class driver's rules each program meets through it.
#include <windows.h>
#include <setupapi.h>
extern "C" {
#include <hidsdi.h>
#include <hidpi.h>
}

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "profile/device_model.h"
#include "tests/standin/windows/standin_files_win32.h"

namespace korvid::standin {
namespace {

namespace fs = std::filesystem;

constexpr DWORD kReadWrite = GENERIC_READ | GENERIC_WRITE;
const USHORT kMouseVendor = KorvidModel().vendorId;
const USHORT kMouseProduct = KorvidModel().productId;

// "VID_31C5", "PID_2716": an ID as interface paths carry it.
std::wstring PathMark(const wchar_t* prefix, uint16_t id) {
  const std::string digits = UsbIdText(id, HexCase::kUpper);
  return prefix + std::wstring(digits.begin(), digits.end());
}

std::wstring ModuleFolder(HMODULE module) {
  wchar_t path[MAX_PATH] = {};
  ::GetModuleFileNameW(module, path, MAX_PATH);
  return fs::path(path).parent_path().wstring();
}

struct Described {
  std::wstring path;
  HIDD_ATTRIBUTES attributes{};
  HIDP_CAPS caps{};
};

class Standin : public ::testing::Test {
 protected:
  void SetUp() override {
    wchar_t temp[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, temp);
    folder_ = fs::path(temp) / (L"korvid-standin-" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
                                std::to_wstring(::GetTickCount64()));
    fs::create_directories(folder_);
    ::SetEnvironmentVariableW(L"KORVID_HID_STANDIN", folder_.c_str());
    Mode(L"collection");
  }

  void TearDown() override {
    for (HANDLE handle : handles_) ::CloseHandle(handle);
    std::error_code error;
    fs::remove_all(folder_, error);
  }

  void Mode(const wchar_t* mode) { ::SetEnvironmentVariableW(L"KORVID_HID_STANDIN_LENGTH", mode); }

  void Unplugged(bool unplugged) {
    const fs::path plug = folder_ / L"unplugged";
    if (unplugged) {
      std::ofstream(plug).close();
    } else {
      fs::remove(plug);
    }
  }

  // The interface paths SetupDi lists now, as the program asks for them.
  std::vector<std::wstring> Enumerate() {
    std::vector<std::wstring> paths;
    GUID guid;
    ::HidD_GetHidGuid(&guid);
    HDEVINFO set = ::SetupDiGetClassDevsW(&guid, nullptr, nullptr, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
    EXPECT_NE(set, INVALID_HANDLE_VALUE);
    for (DWORD index = 0;; ++index) {
      SP_DEVICE_INTERFACE_DATA data{};
      data.cbSize = sizeof data;
      if (!::SetupDiEnumDeviceInterfaces(set, nullptr, &guid, index, &data)) {
        EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_NO_MORE_ITEMS));
        break;
      }
      DWORD required = 0;
      EXPECT_FALSE(::SetupDiGetDeviceInterfaceDetailW(set, &data, nullptr, 0, &required, nullptr));
      EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
      std::vector<DWORD> storage(required / sizeof(DWORD) + 1);
      auto* detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_W*>(storage.data());
      detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W);
      EXPECT_TRUE(::SetupDiGetDeviceInterfaceDetailW(set, &data, detail, required, nullptr, nullptr));
      paths.push_back(detail->DevicePath);
    }
    EXPECT_TRUE(::SetupDiDestroyDeviceInfoList(set));
    return paths;
  }

  HANDLE Open(const std::wstring& path, DWORD access) {
    HANDLE handle = ::CreateFileW(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                                  nullptr);
    if (handle != INVALID_HANDLE_VALUE) handles_.push_back(handle);
    return handle;
  }

  void Close(HANDLE handle) {
    handles_.erase(std::remove(handles_.begin(), handles_.end(), handle), handles_.end());
    ::CloseHandle(handle);
  }

  // Every interface with what access 0 reads of it.
  std::vector<Described> DescribeAll() {
    std::vector<Described> all;
    for (const std::wstring& path : Enumerate()) {
      Described described;
      described.path = path;
      HANDLE handle = Open(path, 0);
      EXPECT_NE(handle, INVALID_HANDLE_VALUE) << fs::path(path).string();
      if (handle == INVALID_HANDLE_VALUE) continue;
      described.attributes.Size = sizeof described.attributes;
      EXPECT_TRUE(::HidD_GetAttributes(handle, &described.attributes));
      PHIDP_PREPARSED_DATA preparsed = nullptr;
      EXPECT_TRUE(::HidD_GetPreparsedData(handle, &preparsed));
      EXPECT_EQ(::HidP_GetCaps(preparsed, &described.caps), HIDP_STATUS_SUCCESS);
      EXPECT_TRUE(::HidD_FreePreparsedData(preparsed));
      Close(handle);
      all.push_back(described);
    }
    return all;
  }

  std::wstring PathOf(USHORT vendor, USHORT usagePage, USHORT usage) {
    for (const Described& described : DescribeAll()) {
      if (described.attributes.VendorID == vendor && described.caps.UsagePage == usagePage &&
          described.caps.Usage == usage) {
        return described.path;
      }
    }
    ADD_FAILURE() << "no interface " << vendor << " " << usagePage << "/" << usage;
    return {};
  }

  std::wstring ConfigPath() { return PathOf(kMouseVendor, 0xFF01, 0x0002); }

  std::vector<std::string> CallLog() {
    std::ifstream file(folder_ / "hid-calls.log");
    std::vector<std::string> lines;
    for (std::string line; std::getline(file, line);) lines.push_back(line);
    return lines;
  }

  // One feature call; GetLastError's code, 0 on success.
  static DWORD Call(bool set, HANDLE handle, std::vector<uint8_t>& buffer, bool nullBuffer = false) {
    ::SetLastError(0);
    void* data = nullBuffer ? nullptr : buffer.data();
    const ULONG length = static_cast<ULONG>(buffer.size());
    const BOOLEAN ok = set ? ::HidD_SetFeature(handle, data, length) : ::HidD_GetFeature(handle, data, length);
    const DWORD error = ::GetLastError();
    return ok ? 0 : (error == 0 ? 0xFFFFFFFF : error);
  }

  static std::vector<uint8_t> Request(size_t length, uint8_t reportId, uint8_t command) {
    std::vector<uint8_t> buffer(length, 0);
    if (length > 0) buffer[0] = reportId;
    if (length > 1) buffer[1] = command;
    return buffer;
  }

  fs::path folder_;
  std::vector<HANDLE> handles_;
};

TEST_F(Standin, TheDllsBesideTheTestAreTheOnesLoaded) {
  const std::wstring here = ModuleFolder(nullptr);
  for (const wchar_t* dll : {L"hid.dll", L"setupapi.dll"}) {
    HMODULE module = ::GetModuleHandleW(dll);
    ASSERT_NE(module, nullptr);
    EXPECT_EQ(ModuleFolder(module), here) << fs::path(dll).string() << " is not the stand-in";
  }
}

TEST_F(Standin, ListsEachCollectionWithTheClassDriversCaps) {
  const std::vector<Described> all = DescribeAll();
  ASSERT_EQ(all.size(), 4u);
  struct Expected {
    USHORT vendor, product, release, usagePage, usage, inputLength, featureLength;
    bool mouse;
  };
  const Expected expected[] = {{kMouseVendor, kMouseProduct, 0x0109, 0x0001, 0x0006, 9, 0, true},
                               {kMouseVendor, kMouseProduct, 0x0109, 0x0001, 0x0002, 7, 0, true},
                               {0x1D57, 0xAD03, 0x0100, 0xFF01, 0x0002, 0, 65, false},
                               {kMouseVendor, kMouseProduct, 0x0109, 0xFF01, 0x0002, 0, 4097, true}};
  for (size_t i = 0; i < all.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(all[i].attributes.VendorID, expected[i].vendor);
    EXPECT_EQ(all[i].attributes.ProductID, expected[i].product);
    EXPECT_EQ(all[i].attributes.VersionNumber, expected[i].release);
    EXPECT_EQ(all[i].caps.UsagePage, expected[i].usagePage);
    EXPECT_EQ(all[i].caps.Usage, expected[i].usage);
    EXPECT_EQ(all[i].caps.InputReportByteLength, expected[i].inputLength);
    EXPECT_EQ(all[i].caps.FeatureReportByteLength, expected[i].featureLength);
    // The program tells the mouse's notifications by these in the name.
    const std::wstring mouseMark = PathMark(L"VID_", kMouseVendor) + L"&" + PathMark(L"PID_", kMouseProduct);
    EXPECT_EQ(all[i].path.find(mouseMark) != std::wstring::npos, expected[i].mouse);
  }
}

TEST_F(Standin, SetupCallsKeepTheirSizeRules) {
  GUID guid;
  ::HidD_GetHidGuid(&guid);
  HDEVINFO set = ::SetupDiGetClassDevsW(&guid, nullptr, nullptr, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
  SP_DEVICE_INTERFACE_DATA data{};
  data.cbSize = sizeof data - 1;
  EXPECT_FALSE(::SetupDiEnumDeviceInterfaces(set, nullptr, &guid, 0, &data));
  EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_INVALID_USER_BUFFER));
  data.cbSize = sizeof data;
  ASSERT_TRUE(::SetupDiEnumDeviceInterfaces(set, nullptr, &guid, 0, &data));
  std::vector<DWORD> storage(256);
  auto* detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_W*>(storage.data());
  detail->cbSize = 6;
  EXPECT_FALSE(::SetupDiGetDeviceInterfaceDetailW(set, &data, detail, 1024, nullptr, nullptr));
  EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_INVALID_USER_BUFFER));
  detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W);
  EXPECT_FALSE(::SetupDiGetDeviceInterfaceDetailW(set, &data, detail, 12, nullptr, nullptr));
  EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
  EXPECT_FALSE(::SetupDiEnumDeviceInterfaces(set, nullptr, &guid, 4, &data));
  EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_NO_MORE_ITEMS));
  EXPECT_TRUE(::SetupDiDestroyDeviceInfoList(set));
  EXPECT_FALSE(::SetupDiDestroyDeviceInfoList(set));
}

TEST_F(Standin, TheSystemHoldsTheKeyboardAndPointerCollections) {
  for (USHORT usage : {0x0006, 0x0002}) {
    SCOPED_TRACE(usage);
    const std::wstring path = PathOf(kMouseVendor, 0x0001, usage);
    EXPECT_EQ(Open(path, kReadWrite), INVALID_HANDLE_VALUE);
    EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    HANDLE handle = Open(path, 0);
    ASSERT_NE(handle, INVALID_HANDLE_VALUE);
    std::vector<uint8_t> buffer = Request(4097, 0xA1, 0x03);
    EXPECT_EQ(Call(true, handle, buffer), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  }
}

// The class driver's checks of feature requests, in both length modes.
TEST_F(Standin, FeatureRequestsMeetTheClassDriversChecks) {
  struct Case {
    const char* what;
    const wchar_t* mode;
    DWORD access;
    bool set;
    size_t length;
    uint8_t reportId;
    uint8_t command;
    bool nullBuffer;
    DWORD error;
  };
  const Case cases[] = {
      {"the protocol's 64 bytes", L"collection", kReadWrite, true, 64, 0xA1, 0x03, false, ERROR_INVALID_PARAMETER},
      {"the report's own length", L"collection", kReadWrite, true, 1041, 0xA1, 0x03, false, ERROR_INVALID_PARAMETER},
      {"the collection's length", L"collection", kReadWrite, true, 4097, 0xA1, 0x03, false, 0},
      {"longer than the collection's", L"collection", kReadWrite, true, 5000, 0xA1, 0x03, false, 0},
      {"a read one byte short", L"collection", kReadWrite, false, 4096, 0xA1, 0x00, false, ERROR_INVALID_PARAMETER},
      {"a read of the collection's length", L"collection", kReadWrite, false, 4097, 0xA1, 0x00, false, 0},
      {"the long report at its own length", L"collection", kReadWrite, true, 1041, 0xA0, 0x08, false,
       ERROR_INVALID_PARAMETER},
      {"a report the collection lacks", L"collection", kReadWrite, true, 4097, 0xA5, 0x03, false,
       ERROR_INVALID_PARAMETER},
      {"zero length", L"collection", kReadWrite, true, 0, 0, 0, false, ERROR_INVALID_USER_BUFFER},
      {"no buffer", L"collection", kReadWrite, true, 4097, 0xA1, 0x03, true, ERROR_INVALID_PARAMETER},
      {"a request the mouse refuses", L"collection", kReadWrite, true, 4097, 0xA1, 0x55, false, ERROR_GEN_FAILURE},
      {"report mode: 64 bytes", L"report", kReadWrite, true, 64, 0xA1, 0x03, false, ERROR_INVALID_PARAMETER},
      {"report mode: the report's length", L"report", kReadWrite, true, 1041, 0xA1, 0x03, false, 0},
      {"report mode: a read one byte short", L"report", kReadWrite, false, 1040, 0xA1, 0, false,
       ERROR_INVALID_PARAMETER},
      {"report mode: a read of the report's length", L"report", kReadWrite, false, 1041, 0xA1, 0, false, 0},
      {"report mode: the long report", L"report", kReadWrite, true, 1041, 0xA0, 0x08, false, 0},
      {"report mode: the update report short", L"report", kReadWrite, true, 4096, 0xA2, 0, false,
       ERROR_INVALID_PARAMETER},
      {"report mode: a report the collection lacks", L"report", kReadWrite, true, 4097, 0x05, 0x03, false,
       ERROR_INVALID_PARAMETER},
      {"a handle opened with access 0", L"collection", 0, true, 4097, 0xA1, 0x03, false, ERROR_ACCESS_DENIED},
      {"a set on a handle opened to read", L"collection", GENERIC_READ, true, 4097, 0xA1, 0x03, false,
       ERROR_ACCESS_DENIED},
      {"a get on a handle opened to read", L"collection", GENERIC_READ, false, 4097, 0xA1, 0, false, 0},
  };
  const std::wstring path = ConfigPath();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Mode(c.mode);
    HANDLE handle = Open(path, c.access);
    ASSERT_NE(handle, INVALID_HANDLE_VALUE);
    std::vector<uint8_t> buffer = Request(c.length, c.reportId, c.command);
    EXPECT_EQ(Call(c.set, handle, buffer, c.nullBuffer), c.error);
    Close(handle);
  }
}

TEST_F(Standin, AReplyFillsTheFrontOfTheBufferAndZeroesTheRest) {
  HANDLE handle = Open(ConfigPath(), kReadWrite);
  std::vector<uint8_t> request = Request(4097, 0xA1, 0x03);
  ASSERT_EQ(Call(true, handle, request), 0u);
  std::vector<uint8_t> reply(4097, 0xEE);
  reply[0] = 0xA1;
  ASSERT_EQ(Call(false, handle, reply), 0u);
  EXPECT_EQ(reply[1], 0x01);  // ready
  EXPECT_TRUE(std::all_of(reply.begin() + 64, reply.end(), [](uint8_t b) { return b == 0; }));
  const std::vector<std::string> log = CallLog();
  ASSERT_EQ(log.size(), 2u);
  EXPECT_EQ(log[0], "SET len=4097 id=A1 cmd=03 result=ok");
  EXPECT_EQ(log[1], "GET len=4097 id=A1 cmd=03 result=ok");
}

TEST_F(Standin, ARefusedRequestIsOneCallInTheLog) {
  HANDLE handle = Open(ConfigPath(), kReadWrite);
  std::vector<uint8_t> shortRequest = Request(64, 0xA1, 0x03);
  EXPECT_EQ(Call(true, handle, shortRequest), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  EXPECT_EQ(CallLog(), std::vector<std::string>{"SET len=64 id=A1 cmd=03 result=error:87"});
}

TEST_F(Standin, AHandleFromBeforeAnUnplugStaysDead) {
  const std::wstring config = ConfigPath();
  const std::wstring keyboard = PathOf(kMouseVendor, 0x0001, 0x0006);
  HANDLE before = Open(config, kReadWrite);
  HANDLE keyboardBefore = Open(keyboard, 0);
  std::vector<uint8_t> request = Request(4097, 0xA1, 0x03);
  ASSERT_EQ(Call(true, before, request), 0u);

  Unplugged(true);
  EXPECT_EQ(Call(true, before, request), static_cast<DWORD>(ERROR_DEVICE_NOT_CONNECTED));
  HIDD_ATTRIBUTES attributes{};
  attributes.Size = sizeof attributes;
  EXPECT_FALSE(::HidD_GetAttributes(keyboardBefore, &attributes));
  EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_DEVICE_NOT_CONNECTED));
  const std::vector<std::wstring> absent = Enumerate();
  ASSERT_EQ(absent.size(), 1u);
  EXPECT_EQ(absent[0].find(PathMark(L"VID_", kMouseVendor)), std::wstring::npos);
  EXPECT_EQ(Open(config, kReadWrite), INVALID_HANDLE_VALUE);

  Unplugged(false);
  EXPECT_EQ(Enumerate().size(), 4u);
  EXPECT_EQ(Call(true, before, request), static_cast<DWORD>(ERROR_DEVICE_NOT_CONNECTED));
  HANDLE after = Open(config, kReadWrite);
  ASSERT_NE(after, INVALID_HANDLE_VALUE);
  EXPECT_EQ(Call(true, after, request), 0u);
  // A handle value the system hands out again after a close is a new opening.
  Close(after);
  HANDLE again = Open(config, kReadWrite);
  EXPECT_EQ(Call(true, again, request), 0u);
}

}  // namespace
}  // namespace korvid::standin
