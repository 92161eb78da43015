#pragma once
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "device/hid_port.h"
#include "profile/device_image.h"

// The emulated Korvid mouse: our model of the firmware side of the
// configuration protocol. Its state lives in a folder, so that separate
// processes share one mouse:
//   block.bin     the stored 1024-byte block (factory state when missing;
//                 replaced atomically on commit)
//   unplugged     while this file exists the mouse is absent
//   faults        fault script, one fault a line (see emulator/faults.h)
//   exchange.log  one line appended per feature report
//   no-pauses     while this file exists the host's pauses between request
//                 and reply are skipped (quick runs in tests)
namespace korvid::emulator {

// The mouse's vendor and product IDs are the model's (profile/device_model.h).
inline constexpr uint16_t kReleaseNumber = 0x0109;
inline constexpr uint16_t kOtherVendorId = 0x1D57;
inline constexpr uint16_t kOtherProductId = 0xAD03;
// The mouse's collections besides its configuration: keyboard and pointer,
// on the Generic Desktop page.
inline constexpr HidCaps kKeyboardCollection = {0x0001, 0x0006};
inline constexpr HidCaps kPointerCollection = {0x0001, 0x0002};

inline constexpr char kBlockFile[] = "block.bin";
inline constexpr char kUnpluggedFile[] = "unplugged";
inline constexpr char kFaultsFile[] = "faults";
inline constexpr char kExchangeLog[] = "exchange.log";
inline constexpr char kNoPausesFile[] = "no-pauses";

inline constexpr char kFolderVariable[] = "KORVID_EMULATOR";

// The folder named by KORVID_EMULATOR, or empty (one definition per
// platform: environment_posix.cc, environment_win32.cc).
std::filesystem::path FolderFromEnvironment();

// The block of a mouse in factory state: the default profile packed.
ConfigBlock FactoryBlock();

// One HID interface the emulated machine presents.
struct EmulatedInterface {
  std::string path;   // Windows-style device interface path
  HidAttributes attributes;
  HidCaps caps;
  bool isMouse;       // belongs to the Korvid mouse (absent while unplugged)
  bool isConfig;      // the vendor collection that answers feature reports
};

// The interfaces in enumeration order: the mouse's keyboard and mouse
// collections, an unrelated device with the same usage pair, then the
// mouse's vendor collection.
const std::vector<EmulatedInterface>& Interfaces();

// Paths of the mouse's own interfaces (each holds the model's vendor and
// product IDs).
std::vector<std::string> MouseInterfacePaths();

// A port over the emulator folder. `sleeper` replaces the real sleep (tests);
// by default the port really sleeps.
std::unique_ptr<HidPort> MakeEmulatedPort(const std::filesystem::path& folder,
                                          std::function<void(uint32_t)> sleeper = {});

}  // namespace korvid::emulator
