// korvidctl: reads, changes and writes the Korvid mouse's configuration
// from the command line.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "emulator/emulated_mouse.h"
#include "profile/device_image.h"
#include "profile/profile_file.h"
#include "profile/replace_file.h"
#include "profile/text.h"
#include "sensor/sensor_rules.h"
#include "tools/korvidctl/console.h"
#include "tools/korvidctl/diag.h"
#include "tools/korvidctl/exit_codes.h"
#include "tools/korvidctl/mouse_session.h"
#include "tools/korvidctl/report.h"
#include "tools/korvidctl/save_target.h"
#include "tools/korvidctl/settings.h"
#include "tools/korvidctl/temporary_files.h"

namespace korvidctl {

using namespace korvid;
namespace fs = std::filesystem;

int Fail(int code, const std::string& message) {
  std::cerr << "korvidctl: " << message << "\n";
  return code;
}

namespace {

constexpr char kUsage[] =
    "usage: korvidctl [--emulator DIR] [--verbose] [--no-lock] COMMAND [ARGS]\n"
    "\n"
    "Commands:\n"
    "  info                    find the mouse; print its firmware version and interface path\n"
    "  show [--json]           read the mouse and print its settings\n"
    "  block [PROFILE]         print the 1024-byte block a profile file (default: the\n"
    "                          default profile) packs into, as hex\n"
    "  profile show PROFILE [--json]\n"
    "                          print the settings stored in a profile file\n"
    "  save PROFILE            read the mouse and save its settings as a profile file\n"
    "  apply PROFILE           write a profile file's settings to the mouse\n"
    "  set KEY=VALUE...        read the mouse, change settings, write them back\n"
    "  reset                   write the default settings to the mouse\n"
    "  diag                    print what a bug report needs (versions, HID devices,\n"
    "                          a timed read of the mouse, the block as hex)\n"
    "\n"
    "Options:\n"
    "  --emulator DIR          use the emulated mouse kept in DIR (also KORVID_EMULATOR=DIR)\n"
    "  --verbose               log every report sent and received, with timing, to stderr\n"
    "  --no-lock               go on when the mouse's lock against other programs cannot\n"
    "                          be made (it stops otherwise)\n"
    "  --help                  this text; COMMAND --help for one command\n"
    "\n"
    "Exit status: 0 success, 2 bad arguments or profile file, 3 no mouse found\n"
    "(also when it goes away during the command), 4 the mouse failed or refused a\n"
    "command or is busy with another program, 5 the output could not be written,\n"
    "6 the mouse is there but this user may not open it.\n";

constexpr char kSetUsage[] =
    "usage: korvidctl set KEY=VALUE...\n"
    "\n"
    "  cpi1..cpi4=N            50 to 16000, rounded to a multiple of 50\n"
    "  level1..level4=on|off   switch a CPI level in or out of use (one stays on)\n"
    "  colour1..colour4=#RRGGBB  LED colour of a CPI level\n"
    "  lift=2mm|3mm            lift-off distance\n"
    "  smoothing=on|off\n"
    "  button3..button5=F      left, right, middle, back, forward, scroll-up,\n"
    "                          scroll-down, disable, or a key with modifiers such as\n"
    "                          ctrl+shift+a, f5, alt+num5, ctrl\n";

struct CommandHelp {
  const char* name;
  const char* text;
};

constexpr CommandHelp kCommandHelp[] = {
    {"info", "usage: korvidctl info\n\nFinds the mouse and prints its firmware version and interface path.\n"},
    {"show", "usage: korvidctl show [--json]\n\nReads the mouse and prints its CPI levels, lift-off distance,\n"
             "smoothing and buttons 1 to 5, as text or as JSON.\n"},
    {"block", "usage: korvidctl block [PROFILE]\n\nPrints the 1024-byte configuration block that PROFILE (default:\n"
              "the default profile) packs into, 16 bytes a line. Needs no mouse.\n"},
    {"profile", "usage: korvidctl profile show PROFILE [--json]\n\nPrints the settings stored in a profile file.\n"},
    {"save", "usage: korvidctl save PROFILE\n\nReads the mouse and saves its settings as a profile file; the\n"
             "profile's name is the file name without its ending. Only a regular file\n"
             "is written, in a folder that exists: a symbolic link is followed and\n"
             "stays a link, an existing file keeps its permissions, and a folder, a\n"
             "device or a FIFO is refused.\n"},
    {"apply", "usage: korvidctl apply PROFILE\n\nWrites the settings of a profile file to the mouse, after checking\n"
              "them: every CPI from 50 to 16000 in steps of 50 with Y equal to X, each\n"
              "level on or off and at least one in use, a lift-off distance of 2mm or\n"
              "3mm, smoothing on or off, and nothing in the file after the profile.\n"},
    {"set", kSetUsage},
    {"reset", "usage: korvidctl reset\n\nWrites the default settings to the mouse (onboard profile 0).\n"},
    {"diag", "usage: korvidctl diag\n\nPrints what a bug report needs: the program's version, the system,\n"
             "on Linux whether the udev rule is installed, every HID interface seen\n"
             "with its IDs and usages and whether it was taken,\n"
             "the firmware version, each step of a status query and block read with its\n"
             "result and timing, the block as read (hex) and every report exchanged.\n"
             "Only reads: nothing is written to the mouse.\n"},
};

fs::path PathFromArgument(const std::string& text) {
  fs::path path;
#ifdef _WIN32
  if (PathFromUtf16(FromUtf8(text), path)) return path;
#endif
  return fs::path(text);
}

bool IsHelp(const std::vector<std::string>& args) {
  for (const std::string& arg : args)
    if (arg == "--help" || arg == "-h") return true;
  return false;
}

// Takes "--json" out of the arguments; true when it was there.
bool TakeJsonFlag(std::vector<std::string>& args) {
  bool json = false;
  std::erase_if(args, [&](const std::string& arg) { return arg == "--json" ? (json = true) : false; });
  return json;
}

int RejectExtra(const std::vector<std::string>& args, size_t allowed, const char* command) {
  if (args.size() > allowed) return Fail(kExitBadInput, std::string("too many arguments for '") + command + "'");
  for (const std::string& arg : args)
    if (arg.size() > 1 && arg[0] == '-') return Fail(kExitBadInput, "unknown option '" + arg + "'");
  return kExitOk;
}

// `whole`: the file must end where the profile does.
int LoadProfileArgument(const std::string& argument, ProfileRecord& profile, bool whole = false) {
  InitProfileDefaults(profile);
  fs::path path = PathFromArgument(argument);
  const int loaded = whole ? LoadWholeProfileFile(path, profile) : LoadProfileFile(path, profile);
  if (loaded != 1)
    return Fail(kExitBadInput, "'" + argument + "' is missing or not a readable Korvid profile file" +
                                   (whole ? " (or holds more than one profile)" : ""));
  profile.filePath = path;
  return kExitOk;
}

void Print(const std::string& text) { std::fwrite(text.data(), 1, text.size(), stdout); }

int Info(MouseSession& session) {
  if (int code = session.Find(); code != kExitOk) return code;
  Print("Firmware:   " + session.firmwareVersion() + "\n");
  Print("Interface:  " + session.link().path + "\n");
  return kExitOk;
}

int Show(MouseSession& session, bool json) {
  ConfigBlock block{};
  if (int code = session.ReadBlock(block); code != kExitOk) return code;
  const DeviceImage image = UnpackBlock(block);
  ProfileRecord profile;
  InitProfileDefaults(profile);
  ImageToProfile(image, profile);
  // The bindings as the block holds them, those of types the profile cannot
  // carry included.
  for (size_t i = 0; i < profile.buttons.size(); ++i) {
    const BindingRecord& record = image.buttons[i];
    profile.buttons[i] = {static_cast<uint8_t>(i), record.type, record.code, record.extra};
  }
  ReportSource source{&profile, session.firmwareVersion(), std::nullopt};
  Print(json ? JsonReport(source) : TextReport(source));
  return kExitOk;
}

int Block(const std::vector<std::string>& args) {
  ProfileRecord profile;
  InitProfileDefaults(profile);
  if (!args.empty())
    if (int code = LoadProfileArgument(args[0], profile); code != kExitOk) return code;
  DeviceImage image{};
  ProfileToImage(profile, image);
  Print(HexDump(PackBlock(image)));
  return kExitOk;
}

int ProfileShow(const std::string& argument, bool json) {
  ProfileRecord profile;
  if (int code = LoadProfileArgument(argument, profile); code != kExitOk) return code;
  ReportSource source{&profile, std::nullopt, profile.name};
  Print(json ? JsonReport(source) : TextReport(source));
  return kExitOk;
}

// Writes next to the target and replaces it in one step, so that the file
// there is the old profile or the new one at every instant. Only a regular
// file (or none) is written, through any symbolic links to it.
int SaveProfileArgument(ProfileRecord& profile, const std::string& argument) {
  fs::path path = PathFromArgument(argument);
  std::u16string stem;
  if (!Utf16FromPath(path.stem(), stem) || stem.empty())
    return Fail(kExitBadInput, "'" + argument + "' does not name a profile file");
  profile.name = stem;
  std::string problem;
  const std::optional<SaveTarget> target = FindSaveTarget(path, problem);
  if (!target) return Fail(kExitBadInput, "cannot write '" + argument + "': " + problem);
  RemoveOrphanedTemporaries(target->file);
  const fs::path temporary = TemporaryPathFor(target->file);
  std::error_code error;
  errno = 0;
  if (SaveProfileFile(profile, temporary) != 1) {
    const int reason = errno;
    fs::remove(temporary, error);
    return Fail(kExitBadInput, "cannot write '" + argument + "'" +
                                   (reason != 0 ? std::string(": ") + std::strerror(reason) : std::string()));
  }
  // The file keeps the permissions it had.
  if (target->permissions) fs::permissions(temporary, *target->permissions, error);
  if (!ReplaceFileAtomically(temporary, target->file, error)) {
    const std::string reason = SystemErrorText(error);
    fs::remove(temporary, error);
    return Fail(kExitBadInput, "cannot write '" + argument + "': " + reason);
  }
  return kExitOk;
}

int Save(MouseSession& session, const std::string& argument) {
  ProfileRecord profile;
  if (int code = session.Read(profile); code != kExitOk) return code;
  return SaveProfileArgument(profile, argument);
}

int Apply(MouseSession& session, const std::string& argument) {
  ProfileRecord profile;
  if (int code = LoadProfileArgument(argument, profile, true); code != kExitOk) return code;
  if (std::optional<std::string> problem = CheckProfileForMouse(profile))
    return Fail(kExitBadInput, "'" + argument + "': " + *problem + "; the mouse was not changed");
  return session.Apply(profile);
}

int Set(MouseSession& session, const std::vector<std::string>& assignments) {
  if (assignments.empty()) return Fail(kExitBadInput, "'set' needs at least one KEY=VALUE");
  std::vector<Change> changes;
  for (const std::string& assignment : assignments) {
    std::string error;
    std::optional<Change> change = ParseAssignment(assignment, error);
    if (!change) return Fail(kExitBadInput, error);
    for (const Change& earlier : changes)
      if (earlier.field == change->field)
        return Fail(kExitBadInput, "'" + change->field + "' is given twice; the mouse was not changed");
    changes.push_back(*change);
  }
  std::string refused;
  const int code = session.ChangeBlock([&](ConfigBlock& block) {
    block = ApplyChanges(block, changes, refused);
    return refused.empty();
  });
  if (code != kExitOk) return code;
  return refused.empty() ? kExitOk : Fail(kExitBadInput, refused);
}

int Reset(MouseSession& session) {
  ProfileRecord profile;
  ResetToDefaultProfile(profile);
  return session.Apply(profile);
}

int Run(std::vector<std::string> args) {
  fs::path emulatorFolder = emulator::FolderFromEnvironment();
  bool verbose = false;
  bool requireLock = true;
  while (!args.empty() &&
         (args[0].rfind("--emulator", 0) == 0 || args[0] == "--verbose" || args[0] == "--no-lock")) {
    if (args[0] == "--verbose") {
      verbose = true;
      args.erase(args.begin());
    } else if (args[0] == "--no-lock") {
      requireLock = false;
      args.erase(args.begin());
    } else if (args[0] == "--emulator") {
      if (args.size() < 2) return Fail(kExitBadInput, "--emulator needs a folder");
      emulatorFolder = PathFromArgument(args[1]);
      args.erase(args.begin(), args.begin() + 2);
    } else if (args[0].rfind("--emulator=", 0) == 0) {
      emulatorFolder = PathFromArgument(args[0].substr(11));
      args.erase(args.begin());
    } else {
      break;
    }
  }
  if (args.empty()) {
    std::cerr << kUsage;
    return kExitBadInput;
  }
  std::string command = args[0];
  args.erase(args.begin());
  if (command == "--help" || command == "-h" || command == "help") {
    Print(kUsage);
    return kExitOk;
  }
  const CommandHelp* help = nullptr;
  for (const CommandHelp& entry : kCommandHelp)
    if (command == entry.name) help = &entry;
  if (!help) return Fail(kExitBadInput, "unknown command '" + command + "' (see korvidctl --help)");
  if (IsHelp(args)) {
    Print(help->text);
    return kExitOk;
  }

  bool json = TakeJsonFlag(args);
  if (json && command != "show" && command != "profile") return Fail(kExitBadInput, "--json goes with show and profile show");
  if (command == "profile") {
    if (args.empty() || args[0] != "show") return Fail(kExitBadInput, "usage: korvidctl profile show PROFILE [--json]");
    args.erase(args.begin());
    if (args.empty()) return Fail(kExitBadInput, "'profile show' needs a profile file");
    if (int code = RejectExtra(args, 1, "profile show"); code != kExitOk) return code;
    return ProfileShow(args[0], json);
  }
  if (command == "block") {
    if (int code = RejectExtra(args, 1, "block"); code != kExitOk) return code;
    return Block(args);
  }
  if (command == "diag") {
    if (int code = RejectExtra(args, 0, "diag"); code != kExitOk) return code;
    return Diag(emulatorFolder, verbose, requireLock);
  }
  MouseSession session(emulatorFolder, verbose, requireLock);
  if (command == "set") {
    for (const std::string& arg : args)
      if (arg.size() > 1 && arg[0] == '-') return Fail(kExitBadInput, "unknown option '" + arg + "'");
    return Set(session, args);
  }
  const bool needsFile = command == "save" || command == "apply";
  if (needsFile && args.empty()) return Fail(kExitBadInput, "'" + command + "' needs a profile file");
  size_t allowed = needsFile ? 1 : 0;
  if (int code = RejectExtra(args, allowed, command.c_str()); code != kExitOk) return code;
  if (command == "info") return Info(session);
  if (command == "show") return Show(session, json);
  if (command == "save") return Save(session, args[0]);
  if (command == "apply") return Apply(session, args[0]);
  return Reset(session);
}

// The output must have reached its file or pipe: a full disk or a closed
// pipe is a failure of the command.
int CheckOutput(int code) {
  errno = 0;
  if (std::fflush(stdout) == 0 && !std::ferror(stdout)) return code;
  const int reason = errno;
  return Fail(kExitOutputFailed, std::string("cannot write the output") +
                                     (reason != 0 ? std::string(": ") + std::strerror(reason) : std::string()));
}

}  // namespace
}  // namespace korvidctl

#ifdef _WIN32
int wmain(int argc, wchar_t** argv) {
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i) {
    std::u16string text(reinterpret_cast<const char16_t*>(argv[i]));
    args.push_back(korvid::ToUtf8(text));
  }
  korvidctl::PrepareConsoleForUtf8();
  korvidctl::ReportBrokenPipes();
  return korvidctl::CheckOutput(korvidctl::Run(std::move(args)));
}
#else
int main(int argc, char** argv) {
  korvidctl::PrepareConsoleForUtf8();
  korvidctl::ReportBrokenPipes();
  return korvidctl::CheckOutput(korvidctl::Run(std::vector<std::string>(argv + 1, argv + argc)));
}
#endif
