// fuse_hidraw: a FUSE file system that stands in for the kernel's hidraw
// nodes, for tests only. It serves regular files hidraw0, hidraw1, ... whose
// HID ioctls the emulated mouse kept in a folder answers (its fault script
// and exchange.log work as usual); the test bind-mounts them over /dev in a
// mount namespace of its own.
//
//   fuse_hidraw --mouse DIR [--mode OCTAL] MOUNTPOINT NODE...
//
// NODE is NAME=COLLECTION[+COLLECTION...][@other] (tests/standin/linux/
// hidraw_nodes.h). Every node belongs to root with the given mode (0600 by
// default, as a node without a udev rule); the file system is mounted with
// allow_other and default_permissions, so that the kernel applies the mode
// to every user. Once mounted it prints "ready" on stdout; it unmounts and
// ends on SIGTERM or SIGINT, which it also gets when the process that
// started it ends (a test killed half-way leaves no server behind).
#define FUSE_USE_VERSION 312
#include <fuse.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <iostream>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "emulator/emulated_mouse.h"
#include "emulator/state_files.h"
#include "tests/standin/linux/hidraw_ioctl.h"
#include "tests/standin/linux/hidraw_nodes.h"

namespace korvid::standin {
namespace {

constexpr char kUsage[] = "usage: fuse_hidraw --mouse DIR [--mode OCTAL] MOUNTPOINT NODE...\n";
constexpr mode_t kDefaultMode = 0600;
constexpr char kMountOptions[] = "allow_other,default_permissions,fsname=korvid-hidraw,subtype=hidraw";

struct Server {
  std::filesystem::path mouseFolder;
  mode_t mode = kDefaultMode;
  std::vector<HidrawNode> nodes;
  std::unique_ptr<HidPort> port;
  std::mutex portMutex;  // the port's LastOpenError belongs to the Open before it
};

Server& TheServer() { return *static_cast<Server*>(fuse_get_context()->private_data); }

const HidrawNode* FindNode(const char* path) {
  if (path[0] != '/') return nullptr;
  for (const HidrawNode& node : TheServer().nodes)
    if (node.name == path + 1) return &node;
  return nullptr;
}

bool Present(const HidrawNode& node) {
  return !node.backing.isMouse ||
         !emulator::StateFileExists(TheServer().mouseFolder / emulator::kUnpluggedFile);
}

int GetAttributes(const char* path, struct stat* attributes, fuse_file_info*) {
  *attributes = {};
  if (std::strcmp(path, "/") == 0) {
    attributes->st_mode = S_IFDIR | 0755;
    attributes->st_nlink = 2;
    return 0;
  }
  if (FindNode(path) == nullptr) return -ENOENT;
  // A regular file: FUSE passes ioctls whose size is in the command to one.
  attributes->st_mode = S_IFREG | TheServer().mode;
  attributes->st_nlink = 1;
  return 0;
}

int ReadFolder(const char* path, void* buffer, fuse_fill_dir_t fill, off_t, fuse_file_info*, fuse_readdir_flags) {
  if (std::strcmp(path, "/") != 0) return -ENOTDIR;
  fill(buffer, ".", nullptr, 0, static_cast<fuse_fill_dir_flags>(0));
  fill(buffer, "..", nullptr, 0, static_cast<fuse_fill_dir_flags>(0));
  for (const HidrawNode& node : TheServer().nodes)
    fill(buffer, node.name.c_str(), nullptr, 0, static_cast<fuse_fill_dir_flags>(0));
  return 0;
}

// The kernel's hidraw open fails with ENODEV once the device is gone.
int OpenFile(const char* path, fuse_file_info* info) {
  const HidrawNode* node = FindNode(path);
  if (node == nullptr) return -ENOENT;
  if (!Present(*node)) return -ENODEV;
  Server& server = TheServer();
  auto file = std::make_unique<OpenNode>();
  file->node = node;
  {
    std::lock_guard lock(server.portMutex);
    file->device = server.port->Open(node->backing.path);
    if (!file->device) {
      const uint32_t code = server.port->LastOpenError();
      return -(code != 0 ? ErrnoFromWinError(code) : ENODEV);
    }
  }
  info->direct_io = 1;
  info->nonseekable = 1;
  info->fh = reinterpret_cast<uint64_t>(file.release());
  return 0;
}

int ReleaseFile(const char*, fuse_file_info* info) {
  delete reinterpret_cast<OpenNode*>(info->fh);
  return 0;
}

int Ioctl(const char*, unsigned int command, void*, fuse_file_info* info, unsigned int flags, void* data) {
  if (flags & FUSE_IOCTL_COMPAT) return -ENOSYS;
  OpenNode& file = *reinterpret_cast<OpenNode*>(info->fh);
  return AnswerIoctl(file, command, data, Present(*file.node));
}

fuse_operations Operations() {
  fuse_operations operations{};
  operations.getattr = GetAttributes;
  operations.readdir = ReadFolder;
  operations.open = OpenFile;
  operations.release = ReleaseFile;
  operations.ioctl = Ioctl;
  return operations;
}

int Usage(const std::string& message) {
  std::cerr << "fuse_hidraw: " << message << "\n" << kUsage;
  return 2;
}

// The argument list FUSE parses: the program and the mount options.
struct FuseArguments {
  explicit FuseArguments(const char* program) {
    for (const char* argument : {program, "-o", kMountOptions}) fuse_opt_add_arg(&args, argument);
  }
  ~FuseArguments() { fuse_opt_free_args(&args); }
  FuseArguments(const FuseArguments&) = delete;
  FuseArguments& operator=(const FuseArguments&) = delete;
  fuse_args args = FUSE_ARGS_INIT(0, nullptr);
};

struct FuseDeleter {
  void operator()(fuse* f) const { fuse_destroy(f); }
};

// Undoes a step of the set-up when it goes out of scope.
class Undo {
 public:
  explicit Undo(std::function<void()> undo) : undo_(std::move(undo)) {}
  ~Undo() { undo_(); }
  Undo(const Undo&) = delete;
  Undo& operator=(const Undo&) = delete;

 private:
  std::function<void()> undo_;
};

struct LoopConfigDeleter {
  void operator()(fuse_loop_config* config) const { fuse_loop_cfg_destroy(config); }
};

int Run(int argc, char** argv) {
  const pid_t parent = getppid();
  if (prctl(PR_SET_PDEATHSIG, SIGTERM) != 0 || getppid() != parent) return 1;
  Server server;
  std::string mountPoint;
  for (int i = 1; i < argc; ++i) {
    const std::string argument = argv[i];
    if ((argument == "--mouse" || argument == "--mode") && i + 1 >= argc) return Usage(argument + " needs a value");
    if (argument == "--mouse") {
      server.mouseFolder = argv[++i];
    } else if (argument == "--mode") {
      char* end = nullptr;
      const unsigned long mode = std::strtoul(argv[++i], &end, 8);
      if (*end != '\0' || mode > 0777) return Usage("--mode is an octal permission such as 0600");
      server.mode = static_cast<mode_t>(mode);
    } else if (mountPoint.empty()) {
      mountPoint = argument;
    } else {
      std::string error;
      auto node = ParseNode(argument, error);
      if (!node) return Usage(error);
      server.nodes.push_back(std::move(*node));
    }
  }
  if (server.mouseFolder.empty() || mountPoint.empty() || server.nodes.empty()) return Usage("missing arguments");
  server.port = emulator::MakeEmulatedPort(server.mouseFolder);

  FuseArguments arguments(argv[0]);
  const fuse_operations operations = Operations();
  std::unique_ptr<fuse, FuseDeleter> f(fuse_new(&arguments.args, &operations, sizeof operations, &server));
  if (!f) return Usage("fuse_new failed");
  if (fuse_mount(f.get(), mountPoint.c_str()) != 0) return Usage("cannot mount on " + mountPoint);
  const Undo unmount([&f] { fuse_unmount(f.get()); });
  fuse_session* session = fuse_get_session(f.get());
  if (fuse_set_signal_handlers(session) != 0) return 1;
  const Undo restoreSignals([session] { fuse_remove_signal_handlers(session); });
  std::cout << "ready" << std::endl;
  std::unique_ptr<fuse_loop_config, LoopConfigDeleter> config(fuse_loop_cfg_create());
  // The loop ends with the number of the signal that stopped it, or a
  // negative errno when it failed.
  return fuse_loop_mt(f.get(), config.get()) < 0 ? 1 : 0;
}

}  // namespace
}  // namespace korvid::standin

int main(int argc, char** argv) { return korvid::standin::Run(argc, argv); }
