#pragma once
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "profile/data_stream.h"
#include "profile/profile_record.h"

namespace korvid {

inline constexpr uint32_t kProfileMagic = 0x01343CB1;
inline constexpr char kProfileListFileName[] = "pfList.dat";
inline constexpr char kProfileFileExtension[] = ".profile";

// <dataRoot>/Orvanta/Korvid/Profiles
std::filesystem::path ProfilesFolder(const std::filesystem::path& dataRoot);
// <profilesFolder>/pfList.dat
std::filesystem::path ProfileListPath(const std::filesystem::path& profilesFolder);

// Appends the profile file format.
void WriteProfile(DataStream& stream, const ProfileRecord& profile);
// Checks the magic and reads the rest. 1 on success; 0 on a wrong magic or
// data that ends early, with `profile` left exactly as it was.
int ReadProfile(DataStream& stream, ProfileRecord& profile);

// 1/0. Writes the file in place (no temporary file).
int SaveProfileFile(const ProfileRecord& profile, const std::filesystem::path& path);
int LoadProfileFile(const std::filesystem::path& path, ProfileRecord& profile);
// LoadProfileFile for a file that must hold one profile and nothing after
// it (what is to be written to the mouse is taken only from a whole file).
int LoadWholeProfileFile(const std::filesystem::path& path, ProfileRecord& profile);
// The list format (count 1, profileIndex, filePath) saved to listPath. 1/0.
int WriteProfileList(const ProfileRecord& profile, const std::filesystem::path& listPath);
// The path stored in the list, or nothing when the list cannot be loaded.
std::optional<std::filesystem::path> ReadProfileListPath(const std::filesystem::path& listPath);

// The profile file path for `name` inside the profiles folder: backslashes and
// slashes in the name make subfolders. Nothing when the name would leave the
// folder ("..", absolute, drive prefix), contains characters that Windows
// refuses or reads as a stream (":*?\"<>|", control characters), names a
// reserved device (CON, NUL, COM1 ...), is empty, or has a part longer than
// 255 units (UTF-16 or UTF-8), the file name's ending included.
std::optional<std::filesystem::path> ProfilePathForName(const std::filesystem::path& profilesFolder,
                                                        std::u16string_view name);

// Whether a profile of this name can be saved: ProfilePathForName accepts it.
bool IsUsableProfileName(std::u16string_view name);

// Why a save failed, in words for the message users read: the system's
// reason, or what is wrong with the profile's name.
struct SaveFailure {
  std::string reason;
};

// The file operations of a save, in order.
enum class SaveStep : uint8_t {
  kClearLeftovers,  // temporary files of an interrupted save are removed
  kWriteProfile,    // the new profile to a temporary file, flushed
  kWriteList,       // the new list to a temporary file, flushed
  kCreateFolders,   // the subfolders of a name with separators
  kKeepOldProfile,  // a second name for the profile file being replaced
  kReplaceProfile,  // the new profile over the target, in one step
  kReplaceList,     // the new list over pfList.dat, in one step
  kClearFolder,     // everything else in the folder is deleted
};
// Called before each step (tests): returning false makes that step fail as
// if the system had refused it (kClearFolder: the tidying is skipped).
using SaveStepHook = std::function<bool(SaveStep)>;

// The save of the current profile, with no gap: the new profile file and
// list are written to temporary files in the folder and flushed, then each
// replaces its target in one step (profile first, list last), and only then
// is everything else in the folder deleted. At every instant pfList.dat names
// a complete profile, the old or the new one. On success the folder holds
// exactly the profile file and pfList.dat, profile.filePath is the profile
// file's path and the result is 1. On any failure the result is 0, the
// folder's previous files are as they were (temporary files of the save
// aside, which the next save clears), filePath is unchanged and `failure`,
// when given, says why.
int SaveProfileToFolder(ProfileRecord& profile, const std::filesystem::path& profilesFolder,
                        SaveFailure* failure = nullptr, const SaveStepHook& hook = {});

// The start-up load: keeps the defaults when the list is missing or unreadable;
// otherwise sets filePath to the listed path and loads that file if it reads
// cleanly. option22 becomes 1 whenever the list was read. A loaded name that
// no file can have (CON, empty, "bad?name", too long) becomes
// "Default Profile"; the settings stay as loaded.
void LoadSavedProfile(const std::filesystem::path& profilesFolder, ProfileRecord& profile);

}  // namespace korvid
