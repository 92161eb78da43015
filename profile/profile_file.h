#pragma once
#include <filesystem>
#include <optional>
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
// The list format (count 1, profileIndex, filePath) saved to listPath. 1/0.
int WriteProfileList(const ProfileRecord& profile, const std::filesystem::path& listPath);
// The path stored in the list, or nothing when the list cannot be loaded.
std::optional<std::filesystem::path> ReadProfileListPath(const std::filesystem::path& listPath);

// The profile file path for `name` inside the profiles folder: backslashes and
// slashes in the name make subfolders. Nothing when the name would leave the
// folder ("..", absolute, drive prefix), contains characters that Windows
// refuses or reads as a stream (":*?\"<>|", control characters), names a
// reserved device (CON, NUL, COM1 ...), or is empty.
std::optional<std::filesystem::path> ProfilePathForName(const std::filesystem::path& profilesFolder,
                                                        std::u16string_view name);

// The save of the current profile, made safe: the new profile file and list
// are written to temporary files in the folder and flushed, renamed into
// place, and only then is everything else in the folder deleted. On success
// the folder holds exactly the profile file and pfList.dat, profile.filePath
// is the profile file's path and the result is 1. On any failure the result
// is 0, the folder's previous files are as they were and filePath is unchanged.
int SaveProfileToFolder(ProfileRecord& profile, const std::filesystem::path& profilesFolder);

// The start-up load: keeps the defaults when the list is missing or unreadable;
// otherwise sets filePath to the listed path and loads that file if it reads
// cleanly. option22 becomes 1 whenever the list was read.
void LoadSavedProfile(const std::filesystem::path& profilesFolder, ProfileRecord& profile);

}  // namespace korvid
