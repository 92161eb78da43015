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
#include "korvidctl/console.h"
#include "korvidctl/diag.h"
#include "korvidctl/exit_codes.h"
#include "korvidctl/mouse_session.h"
#include "korvidctl/output.h"
#include "korvidctl/report.h"
#include "korvidctl/save_target.h"
#include "korvidctl/settings.h"
#include "korvidctl/temporary_files.h"

namespace korvidctl {

using namespace korvid;
namespace fs = std::filesystem;

// An argument a thousand screens long is not repeated whole.
constexpr size_t kMaxMessageBytes = 600;

int Fail(int code, const std::string& message) {
  // Messages echo arguments and names: nothing in them reaches the terminal raw.
  std::cerr << "korvidctl: " << TerminalSafe(message, kMaxMessageBytes) << "\n";
  return code;
}

namespace {

constexpr char kUsageLine[] = "usage: korvidctl [--emulator DIR] [--verbose] [--no-lock] COMMAND [ARGS]\n";

constexpr char kOptionsAndExitStatus[] =
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

constexpr char kSetHelp[] =
    "  cpi1..cpi4=N            50 to 16000, rounded to a multiple of 50\n"
    "  level1..level4=on|off   switch a CPI level in or out of use (one stays on)\n"
    "  colour1..colour4=#RRGGBB  LED colour of a CPI level\n"
    "  lift=2mm|3mm            lift-off distance\n"
    "  smoothing=on|off\n"
    "  button3..button5=F      left, right, middle, back, forward, scroll-up,\n"
    "                          scroll-down, disable, or a key with modifiers such as\n"
    "                          ctrl+shift+a, f5, alt+num5, ctrl\n";

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

void Print(const std::string& text) { PrintOutput(text); }

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
  if (profile.profileIndex == 0) return session.Apply(profile);
  // How many onboard slots a mouse has is not known here: a slot other than
  // the first is written only when the mouse itself says it holds that slot,
  // which is where a file saved from it got the number.
  DeviceImage image{};
  ProfileToImage(profile, image);
  uint8_t mouseSlot = 0;
  const int code = session.ChangeBlock([&](ConfigBlock& block) {
    mouseSlot = UnpackBlock(block).profileIndex;
    if (mouseSlot != profile.profileIndex) return false;
    block = PackBlock(image);
    return true;
  });
  if (code != kExitOk || mouseSlot == profile.profileIndex) return code;
  return Fail(kExitBadInput, "'" + argument + "': the profile is for onboard slot " +
                                 std::to_string(profile.profileIndex) + ", but the mouse's profile is in slot " +
                                 std::to_string(mouseSlot) + "; the mouse was not changed");
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

// What a command is given once its words are parsed.
struct CommandCall {
  std::vector<std::string> args;  // the words after the command, "--json" taken out
  bool json = false;
  const fs::path& emulatorFolder;
  bool verbose;
  bool requireLock;
};

// One command: its words, its texts, and what runs it. The dispatch, --help
// and COMMAND --help all come from this table (and so do the README's usage
// and the manual, which print what the program prints).
struct Command {
  const char* name;
  const char* synopsis;  // after "korvidctl "
  const char* summary;   // the line of --help's list; "\n" continues it
  const char* help;      // COMMAND --help, below its usage line
  size_t minArgs;
  size_t maxArgs;        // kAnyNumber: as many as given
  bool takesJson;
  bool needsMouse;       // runs on a MouseSession
  int (*run)(const CommandCall& call, MouseSession* session);
};

constexpr size_t kAnyNumber = static_cast<size_t>(-1);

const Command kCommands[] = {
    {"info", "info", "find the mouse; print its firmware version and interface path",
     "Finds the mouse and prints its firmware version and interface path.\n", 0, 0, false, true,
     [](const CommandCall&, MouseSession* session) { return Info(*session); }},
    {"show", "show [--json]", "read the mouse and print its settings",
     "Reads the mouse and prints its CPI levels, lift-off distance,\n"
     "smoothing and buttons 1 to 5, as text or as JSON.\n",
     0, 0, true, true, [](const CommandCall& call, MouseSession* session) { return Show(*session, call.json); }},
    {"block", "block [PROFILE]", "print the 1024-byte block a profile file (default: the\ndefault profile) packs into, as hex",
     "Prints the 1024-byte configuration block that PROFILE (default:\n"
     "the default profile) packs into, 16 bytes a line. Needs no mouse.\n",
     0, 1, false, false, [](const CommandCall& call, MouseSession*) { return Block(call.args); }},
    {"profile", "profile show PROFILE [--json]", "print the settings stored in a profile file",
     "Prints the settings stored in a profile file.\n", 2, 2, true, false,
     [](const CommandCall& call, MouseSession*) {
       if (call.args[0] != "show") return Fail(kExitBadInput, "usage: korvidctl profile show PROFILE [--json]");
       return ProfileShow(call.args[1], call.json);
     }},
    {"save", "save PROFILE", "read the mouse and save its settings as a profile file",
     "Reads the mouse and saves its settings as a profile file; the\n"
     "profile's name is the file name without its ending. Only a regular file\n"
     "is written, in a folder that exists: a symbolic link is followed and\n"
     "stays a link, an existing file keeps its permissions, and a folder, a\n"
     "device or a FIFO is refused.\n",
     1, 1, false, true, [](const CommandCall& call, MouseSession* session) { return Save(*session, call.args[0]); }},
    {"apply", "apply PROFILE", "write a profile file's settings to the mouse",
     "Writes the settings of a profile file to the mouse, after checking\n"
     "them: every CPI from 50 to 16000 in steps of 50 with Y equal to X, each\n"
     "level on or off and at least one in use, a lift-off distance of 2mm or\n"
     "3mm, smoothing on or off, and nothing in the file after the profile.\n"
     "A profile for an onboard slot other than the first is written only to a\n"
     "mouse whose profile is in that slot.\n",
     1, 1, false, true, [](const CommandCall& call, MouseSession* session) { return Apply(*session, call.args[0]); }},
    {"set", "set KEY=VALUE...", "read the mouse, change settings, write them back", kSetHelp, 1, kAnyNumber, false,
     true, [](const CommandCall& call, MouseSession* session) { return Set(*session, call.args); }},
    {"reset", "reset", "write the default settings to the mouse",
     "Writes the default settings to the mouse (onboard profile 0).\n", 0, 0, false, true,
     [](const CommandCall&, MouseSession* session) { return Reset(*session); }},
    {"diag", "diag", "print what a bug report needs (versions, HID devices,\na timed read of the mouse, the block as hex)",
     "Prints what a bug report needs: the program's version, the system,\n"
     "on Linux whether the udev rule is installed, every HID interface seen\n"
     "with its IDs and usages and whether it was taken,\n"
     "the firmware version, each step of a status query and block read with its\n"
     "result and timing, the block as read (hex) and every report exchanged.\n"
     "Only reads: nothing is written to the mouse.\n",
     0, 0, false, false,
     [](const CommandCall& call, MouseSession*) { return Diag(call.emulatorFolder, call.verbose, call.requireLock); }},
};

// Text set in a column: the first line after `lead`, the others indented to
// the same column.
std::string InColumn(const std::string& lead, const std::string& text) {
  constexpr size_t kColumn = 26;
  std::string out = lead.size() + 2 <= kColumn ? lead + std::string(kColumn - lead.size(), ' ') : lead + "\n" +
                                                                                                   std::string(kColumn, ' ');
  for (char c : text) out += c == '\n' ? "\n" + std::string(kColumn, ' ') : std::string(1, c);
  return out + "\n";
}

std::string UsageText() {
  std::string text = std::string(kUsageLine) + "\nCommands:\n";
  for (const Command& command : kCommands) text += InColumn("  " + std::string(command.synopsis), command.summary);
  return text + "\n" + kOptionsAndExitStatus;
}

std::string CommandHelpText(const Command& command) {
  const std::string usage = std::string("usage: korvidctl ") + command.synopsis + "\n\n";
  // set lists its settings below its usage; the others explain in prose.
  return usage + command.help;
}

const Command* FindCommand(const std::string& name) {
  for (const Command& command : kCommands)
    if (name == command.name) return &command;
  return nullptr;
}

// The words of a call checked against the command's rules.
int CheckWords(const Command& command, const std::vector<std::string>& args) {
  for (const std::string& arg : args)
    if (arg.size() > 1 && arg[0] == '-') return Fail(kExitBadInput, "unknown option '" + arg + "'");
  if (args.size() < command.minArgs)
    return Fail(kExitBadInput, std::string("usage: korvidctl ") + command.synopsis);
  if (command.maxArgs != kAnyNumber && args.size() > command.maxArgs)
    return Fail(kExitBadInput, std::string("too many arguments for '") + command.name + "'");
  return kExitOk;
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
    std::cerr << UsageText();
    return kExitBadInput;
  }
  const std::string name = args[0];
  args.erase(args.begin());
  if (name == "--help" || name == "-h" || name == "help") {
    Print(UsageText());
    return kExitOk;
  }
  const Command* command = FindCommand(name);
  if (!command) return Fail(kExitBadInput, "unknown command '" + name + "' (see korvidctl --help)");
  if (IsHelp(args)) {
    Print(CommandHelpText(*command));
    return kExitOk;
  }
  CommandCall call{args, false, emulatorFolder, verbose, requireLock};
  call.json = TakeJsonFlag(call.args);
  if (call.json && !command->takesJson) return Fail(kExitBadInput, "--json goes with show and profile show");
  if (int code = CheckWords(*command, call.args); code != kExitOk) return code;
  if (!command->needsMouse) return command->run(call, nullptr);
  MouseSession session(emulatorFolder, verbose, requireLock);
  return command->run(call, &session);
}

// The output must have reached its file or pipe: a full disk or a closed
// pipe is a failure of the command.
int CheckOutput(int code) {
  const std::string reason = FinishOutput();
  if (reason.empty()) return code;
  return Fail(kExitOutputFailed, "cannot write the output: " + reason);
}

}  // namespace

int Main(std::vector<std::string> args) {
  PrepareConsoleForUtf8();
  ReportBrokenPipes();
  return CheckOutput(Run(std::move(args)));
}

}  // namespace korvidctl
