#include "profile/profile_file.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <functional>
#include <system_error>
#include <vector>

#include "profile/device_model.h"
#include "profile/folders.h"
#include "profile/replace_file.h"
#include "profile/text.h"

namespace korvid {

namespace fs = std::filesystem;

namespace {

constexpr char kProfilesFolderName[] = "Profiles";
constexpr uint32_t kListEntryCount = 1;
// Bytes before the path in the list: the entry count and the profile index.
constexpr uint32_t kListHeaderSize = 5;

// Files the save uses beside the profile and the list. None ends in
// ".profile", so no profile name can produce them, and no name may use them
// as a folder.
constexpr char16_t kTempProfileName[] = u"~korvid-profile.tmp";
constexpr char16_t kTempListName[] = u"~korvid-list.tmp";
constexpr char16_t kBackupProfileName[] = u"~korvid-profile.bak";
// Left by saves of earlier versions; cleared like the others.
constexpr char16_t kBackupListName[] = u"~korvid-list.bak";
constexpr std::array<const char16_t*, 4> kSaveOwnNames = {kTempProfileName, kTempListName, kBackupProfileName,
                                                          kBackupListName};

constexpr char16_t kNameSeparators[] = u"\\/";
constexpr char16_t kForbiddenNameChars[] = u":*?\"<>|";
constexpr char16_t kFirstPrintable = 0x20;
// The longest file or folder name the file systems take: 255 UTF-16 units
// on Windows, 255 bytes on Linux.
constexpr size_t kMaxComponentLength = 255;

constexpr std::array<std::u16string_view, 6> kReservedDeviceNames = {u"CON", u"PRN",    u"AUX",
                                                                     u"NUL", u"CONIN$", u"CONOUT$"};
constexpr std::array<std::u16string_view, 2> kNumberedDeviceNames = {u"COM", u"LPT"};
// The digits that make COM and LPT device names: 1-9 and the superscripts 1-3.
constexpr std::u16string_view kDeviceDigits = u"123456789\u00B9\u00B2\u00B3";

std::u16string Widen(std::string_view ascii) { return std::u16string(ascii.begin(), ascii.end()); }

char16_t AsciiUpper(char16_t c) { return (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - u'a' + u'A') : c; }

bool EqualsIgnoringCase(std::u16string_view a, std::u16string_view b) {
  const auto same = [](char16_t x, char16_t y) { return AsciiUpper(x) == AsciiUpper(y); };
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), same);
}

// Windows opens a device for CON, CON.txt and "CON .txt" alike.
bool IsReservedDeviceName(std::u16string_view component) {
  std::u16string_view stem = component.substr(0, component.find(u'.'));
  while (!stem.empty() && stem.back() == u' ') stem.remove_suffix(1);
  for (std::u16string_view device : kReservedDeviceNames)
    if (EqualsIgnoringCase(stem, device)) return true;
  for (std::u16string_view device : kNumberedDeviceNames)
    if (stem.size() == device.size() + 1 && EqualsIgnoringCase(stem.substr(0, device.size()), device) &&
        kDeviceDigits.find(stem.back()) != std::u16string_view::npos)
      return true;
  return false;
}

bool IsAcceptableComponent(std::u16string_view component, std::u16string_view ending, bool isFolder) {
  if (component.empty() || component == u"." || component == u"..") return false;
  const std::u16string whole = std::u16string(component) + std::u16string(ending);
  if (whole.size() > kMaxComponentLength || ToUtf8(whole).size() > kMaxComponentLength) return false;
  for (char16_t c : component)
    if (c < kFirstPrintable || std::u16string_view(kForbiddenNameChars).find(c) != std::u16string_view::npos)
      return false;
  if (IsReservedDeviceName(component)) return false;
  if (isFolder) {
    // Windows drops trailing dots and spaces, so "a." would be folder "a".
    if (component.back() == u'.' || component.back() == u' ') return false;
    if (EqualsIgnoringCase(component, Widen(kProfileListFileName))) return false;
    for (const char16_t* own : kSaveOwnNames)
      if (EqualsIgnoringCase(component, own)) return false;
  }
  return true;
}

void WriteListStream(DataStream& stream, uint8_t profileIndex, std::u16string_view pathText) {
  stream.WriteU32(kListEntryCount);
  stream.WriteU8(profileIndex);
  stream.WriteString(pathText);
}

bool ReadBinding(DataStream& stream, ButtonBinding& binding) {
  return stream.ReadU8(binding.index) && stream.ReadU32(binding.type) && stream.ReadU32(binding.code) &&
         stream.ReadU16(binding.extra);
}

bool ReadColour(DataStream& stream, uint32_t& colour) {
  int32_t value = 0;
  if (!stream.ReadNumberText(value)) return false;
  colour = static_cast<uint32_t>(value);
  return true;
}

bool ReadAll(DataStream& stream, ProfileRecord& p) {
  uint32_t magic = 0;
  if (!stream.ReadU32(magic) || magic != kProfileMagic) return false;
  if (!stream.ReadString(p.name) || !stream.ReadU32(p.option22) || !stream.ReadU8(p.profileIndex) ||
      !stream.ReadU8(p.lightSetting0) || !stream.ReadU8(p.ledFlagBitsA) || !stream.ReadU8(p.ledFlagBitsB) ||
      !stream.ReadU8(p.ledBrightness) || !stream.ReadU8(p.lightSetting3) || !stream.ReadU8(p.lightSetting4) ||
      !stream.ReadU8(p.lightSetting5))
    return false;
  for (uint32_t& colour : p.spareColour)
    if (!ReadColour(stream, colour)) return false;
  for (uint32_t& colour : p.cpiColour)
    if (!ReadColour(stream, colour)) return false;
  if (!stream.ReadU8(p.option86) || !stream.ReadU8(p.option50)) return false;
  for (size_t i = 0; i < p.cpi.size(); ++i)
    if (!stream.ReadU32(p.cpiLevelDisabled[i]) || !stream.ReadU16(p.cpi[i].x) || !stream.ReadU16(p.cpi[i].y))
      return false;
  uint16_t option88 = 0;
  if (!stream.ReadU32(p.option71) || !stream.ReadU8(p.option72) || !stream.ReadU32(p.optionSpare) ||
      !stream.ReadU16(option88) || !stream.ReadU32(p.option69) || !stream.ReadU8(p.liftOffDistance) ||
      !stream.ReadU16(p.option21) || !stream.ReadU32(p.smoothing) || !stream.ReadU8(p.option89))
    return false;
  p.option88 = static_cast<uint8_t>(option88 & 0xFF);
  for (ButtonBinding& binding : p.buttons)
    if (!ReadBinding(stream, binding)) return false;
  return true;
}

fs::path InFolder(const fs::path& folder, const char16_t* name) {
  fs::path result;
  PathFromUtf16(name, result);
  return folder / result;
}

bool Exists(const fs::path& path, bool& exists) {
  std::error_code ec;
  const fs::file_status status = fs::symlink_status(path, ec);
  if (ec && status.type() != fs::file_type::not_found) return false;
  exists = fs::exists(status);
  return true;
}

// Undo steps of a save, run in reverse order unless the save commits.
class SaveUndo {
 public:
  SaveUndo() = default;
  SaveUndo(const SaveUndo&) = delete;
  SaveUndo& operator=(const SaveUndo&) = delete;
  ~SaveUndo() {
    for (auto it = steps_.rbegin(); it != steps_.rend(); ++it) (*it)();
  }
  void Add(std::function<void()> step) { steps_.push_back(std::move(step)); }
  void Commit() { steps_.clear(); }

 private:
  std::vector<std::function<void()>> steps_;
};

void RemoveQuietly(const fs::path& path) {
  std::error_code ec;
  fs::remove(path, ec);
}

void RemoveTreeQuietly(const fs::path& path) {
  std::error_code ec;
  if (fs::is_directory(fs::symlink_status(path, ec)))
    DeleteFolderTree(path);
  else
    fs::remove(path, ec);
}

// A second name for the file at `path`, so that a save can put the old
// profile back after replacing it: a hard link where the file system has
// them, else a copy.
bool KeepOldFile(const fs::path& path, const fs::path& keep, std::error_code& error) {
  fs::create_hard_link(path, keep, error);
  if (!error) return true;
  fs::copy_file(path, keep, fs::copy_options::overwrite_existing, error);
  return !error;
}

std::error_code LastSystemError() {
  const int code = errno;
  return code != 0 ? std::error_code(code, std::generic_category()) : std::make_error_code(std::errc::io_error);
}

// Creates the folders from `base` down to `folder` one by one, noting each
// one it creates. Every folder on the way must be a real folder: a file or
// a link there fails the save.
bool CreateSubfolders(const fs::path& base, const fs::path& folder, SaveUndo& undo) {
  fs::path current = base;
  for (const fs::path& part : folder.lexically_relative(base)) {
    if (part == ".") continue;
    current /= part;
    std::error_code ec;
    const fs::file_status status = fs::symlink_status(current, ec);
    if (fs::is_directory(status)) continue;
    if (fs::exists(status) || (ec && status.type() != fs::file_type::not_found)) return false;
    if (!fs::create_directory(current, ec) || ec) return false;
    undo.Add([current] { RemoveQuietly(current); });
  }
  return true;
}

bool IsSame(const fs::path& a, const fs::path& b) {
  std::error_code ec;
  const bool same = fs::equivalent(a, b, ec);
  return !ec && same;
}

// Deletes everything in `folder` except the kept files and, recursively, the
// content of kept folders other than what they keep. Links are never followed.
void DeleteAllBut(const fs::path& folder, const std::vector<fs::path>& keptFiles,
                  const std::vector<fs::path>& keptFolders) {
  std::error_code ec;
  std::vector<fs::path> entries;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) entries.push_back(it->path());
  for (const fs::path& entry : entries) {
    const fs::file_status status = fs::symlink_status(entry, ec);
    const bool isLink = !ec && fs::is_symlink(status);
    const auto matches = [&](const std::vector<fs::path>& kept) {
      return !isLink && std::any_of(kept.begin(), kept.end(), [&](const fs::path& k) { return IsSame(entry, k); });
    };
    if (matches(keptFiles)) continue;
    if (matches(keptFolders)) {
      DeleteAllBut(entry, keptFiles, keptFolders);
      continue;
    }
    RemoveTreeQuietly(entry);
  }
}

}  // namespace

fs::path ProfilesFolder(const fs::path& dataRoot) {
  const DeviceModel& model = KorvidModel();
  return dataRoot / model.dataVendorFolder / model.dataProductFolder / kProfilesFolderName;
}

fs::path ProfileListPath(const fs::path& profilesFolder) { return profilesFolder / kProfileListFileName; }

void WriteProfile(DataStream& stream, const ProfileRecord& p) {
  stream.WriteU32(kProfileMagic);
  stream.WriteString(p.name);
  stream.WriteU32(p.option22);
  stream.WriteU8(p.profileIndex);
  stream.WriteU8(p.lightSetting0);
  stream.WriteU8(p.ledFlagBitsA);
  stream.WriteU8(p.ledFlagBitsB);
  stream.WriteU8(p.ledBrightness);
  stream.WriteU8(p.lightSetting3);
  stream.WriteU8(p.lightSetting4);
  stream.WriteU8(p.lightSetting5);
  for (uint32_t colour : p.spareColour) stream.WriteNumberText(static_cast<int32_t>(colour));
  for (uint32_t colour : p.cpiColour) stream.WriteNumberText(static_cast<int32_t>(colour));
  stream.WriteU8(p.option86);
  stream.WriteU8(p.option50);
  for (size_t i = 0; i < p.cpi.size(); ++i) {
    stream.WriteU32(p.cpiLevelDisabled[i]);
    stream.WriteU16(p.cpi[i].x);
    stream.WriteU16(p.cpi[i].y);
  }
  stream.WriteU32(p.option71);
  stream.WriteU8(p.option72);
  stream.WriteU32(p.optionSpare);
  // Stored as a 16-bit value sign-extended from its 8 bits.
  stream.WriteU16(static_cast<uint16_t>(static_cast<int16_t>(static_cast<int8_t>(p.option88))));
  stream.WriteU32(p.option69);
  stream.WriteU8(p.liftOffDistance);
  stream.WriteU16(p.option21);
  stream.WriteU32(p.smoothing);
  stream.WriteU8(p.option89);
  for (const ButtonBinding& binding : p.buttons) {
    stream.WriteU8(binding.index);
    stream.WriteU32(binding.type);
    stream.WriteU32(binding.code);
    stream.WriteU16(binding.extra);
  }
}

int ReadProfile(DataStream& stream, ProfileRecord& profile) {
  ProfileRecord read = profile;
  if (!ReadAll(stream, read)) return 0;
  profile = std::move(read);
  return 1;
}

int SaveProfileFile(const ProfileRecord& profile, const fs::path& path) {
  DataStream stream;
  WriteProfile(stream, profile);
  return stream.SaveToFile(path);
}

int LoadProfileFile(const fs::path& path, ProfileRecord& profile) {
  DataStream stream(DataStream::Mode::kReading);
  if (!stream.LoadFromFile(path)) return 0;
  return ReadProfile(stream, profile);
}

int LoadWholeProfileFile(const fs::path& path, ProfileRecord& profile) {
  DataStream stream(DataStream::Mode::kReading);
  if (!stream.LoadFromFile(path)) return 0;
  ProfileRecord read = profile;
  if (!ReadProfile(stream, read) || stream.position() != stream.length()) return 0;
  profile = std::move(read);
  return 1;
}

int WriteProfileList(const ProfileRecord& profile, const fs::path& listPath) {
  std::u16string pathText;
  if (!Utf16FromPath(profile.filePath, pathText)) return 0;
  DataStream stream;
  WriteListStream(stream, profile.profileIndex, pathText);
  return stream.SaveToFile(listPath);
}

std::optional<fs::path> ReadProfileListPath(const fs::path& listPath) {
  DataStream stream(DataStream::Mode::kReading);
  if (!stream.LoadFromFile(listPath)) return std::nullopt;
  std::u16string pathText;
  if (!stream.Skip(kListHeaderSize) || !stream.ReadString(pathText) || pathText.empty()) return std::nullopt;
  fs::path path;
  if (!PathFromUtf16(pathText, path)) return std::nullopt;
  return path;
}

std::optional<fs::path> ProfilePathForName(const fs::path& profilesFolder, std::u16string_view name) {
  std::vector<std::u16string_view> components;
  for (size_t start = 0;;) {
    const size_t end = name.find_first_of(kNameSeparators, start);
    components.push_back(name.substr(start, end == std::u16string_view::npos ? end : end - start));
    if (end == std::u16string_view::npos) break;
    start = end + 1;
  }
  fs::path result = profilesFolder;
  for (size_t i = 0; i < components.size(); ++i) {
    const bool isLast = i + 1 == components.size();
    const std::u16string ending = isLast ? Widen(kProfileFileExtension) : std::u16string();
    if (!IsAcceptableComponent(components[i], ending, !isLast)) return std::nullopt;
    fs::path part;
    const std::u16string text = std::u16string(components[i]) + ending;
    if (!PathFromUtf16(text, part)) return std::nullopt;
    result /= part;
  }
  return result;
}

int SaveProfileToFolder(ProfileRecord& profile, const fs::path& profilesFolder, SaveFailure* failure,
                        const SaveStepHook& hook) {
  const auto fail = [failure](std::string reason) {
    if (failure) failure->reason = std::move(reason);
    return 0;
  };
  const auto systemFailure = [&fail](const std::error_code& error) { return fail(SystemErrorText(error)); };
  // A step the hook stops fails as a refusal of the system would.
  const auto stopped = [&hook](SaveStep step) { return hook && !hook(step); };
  const std::error_code stoppedError = std::make_error_code(std::errc::operation_canceled);

  std::error_code ec;
  fs::create_directories(profilesFolder, ec);
  std::error_code folderError;
  if (!fs::is_directory(profilesFolder, folderError)) {
    return ec ? systemFailure(ec) : fail("something that is not a folder is in the way of the profiles folder");
  }
  const std::optional<fs::path> target = ProfilePathForName(profilesFolder, profile.name);
  if (!target) return fail("the profile's name cannot be used as a file name");
  std::u16string targetText;
  if (!Utf16FromPath(*target, targetText)) return fail("the profile's name cannot be used as a file name");

  const fs::path listPath = ProfileListPath(profilesFolder);
  const fs::path tempProfile = InFolder(profilesFolder, kTempProfileName);
  const fs::path tempList = InFolder(profilesFolder, kTempListName);
  const fs::path backupProfile = InFolder(profilesFolder, kBackupProfileName);
  // Only this save uses these names; what an interrupted save left is stale.
  if (stopped(SaveStep::kClearLeftovers)) return systemFailure(stoppedError);
  for (const char16_t* own : kSaveOwnNames) RemoveTreeQuietly(InFolder(profilesFolder, own));

  SaveUndo undo;
  undo.Add([tempProfile] { RemoveQuietly(tempProfile); });
  errno = 0;
  if (stopped(SaveStep::kWriteProfile)) return systemFailure(stoppedError);
  if (!SaveProfileFile(profile, tempProfile)) return systemFailure(LastSystemError());
  undo.Add([tempList] { RemoveQuietly(tempList); });
  DataStream listStream;
  WriteListStream(listStream, profile.profileIndex, targetText);
  errno = 0;
  if (stopped(SaveStep::kWriteList)) return systemFailure(stoppedError);
  if (!listStream.SaveToFile(tempList)) return systemFailure(LastSystemError());

  if (stopped(SaveStep::kCreateFolders)) return systemFailure(stoppedError);
  if (!CreateSubfolders(profilesFolder, target->parent_path(), undo))
    return fail("a folder of the profile's name cannot be made there");
  bool targetExisted = false;
  if (!Exists(*target, targetExisted)) return fail("the profile file's place cannot be examined");
  if (targetExisted) {
    if (stopped(SaveStep::kKeepOldProfile)) return systemFailure(stoppedError);
    if (!KeepOldFile(*target, backupProfile, ec)) return systemFailure(ec);
    undo.Add([target = *target, backupProfile] {
      std::error_code ignored;
      ReplaceFileAtomically(backupProfile, target, ignored);
    });
  }
  // From here on the list names a complete profile at every instant: first
  // the old one (the same file replaced in one step, or the old file still
  // there), then the new one.
  if (stopped(SaveStep::kReplaceProfile)) return systemFailure(stoppedError);
  if (!ReplaceFileAtomically(tempProfile, *target, ec)) return systemFailure(ec);
  if (!targetExisted) undo.Add([target = *target] { RemoveQuietly(target); });
  if (stopped(SaveStep::kReplaceList)) return systemFailure(stoppedError);
  if (!ReplaceFileAtomically(tempList, listPath, ec)) return systemFailure(ec);
  undo.Commit();
  profile.filePath = *target;

  // The save is complete; what follows only tidies the folder, and a
  // deletion that fails is left for the next save.
  if (stopped(SaveStep::kClearFolder)) return 1;
  std::vector<fs::path> keptFolders;
  for (fs::path folder = target->parent_path(); folder != profilesFolder && folder.has_relative_path();
       folder = folder.parent_path())
    keptFolders.push_back(folder);
  DeleteAllBut(profilesFolder, {*target, listPath}, keptFolders);
  return 1;
}

bool IsUsableProfileName(std::u16string_view name) {
  return ProfilePathForName(fs::path(u"Profiles"), name).has_value();
}

void LoadSavedProfile(const fs::path& profilesFolder, ProfileRecord& profile) {
  const std::optional<fs::path> path = ReadProfileListPath(ProfileListPath(profilesFolder));
  if (!path) return;
  profile.filePath = *path;
  LoadProfileFile(*path, profile);
  profile.option22 = 1;
  // A damaged or foreign file can hold a name no file can have; under it the
  // profile could never be saved, and so never applied.
  if (!IsUsableProfileName(profile.name)) profile.name = kDefaultProfileName;
}

}  // namespace korvid
