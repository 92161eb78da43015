// Profile files, the profile list, the safe save and the start-up load.
#include "profile/profile_file.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "profile/folders.h"
#include "profile/text.h"
#include "tests/profile/test_folder.h"

#ifdef __linux__
#include <sys/wait.h>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>
#endif

namespace korvid {
namespace {

namespace fs = std::filesystem;

ProfileRecord Defaults() {
  ProfileRecord profile;
  InitProfileDefaults(profile);
  return profile;
}

std::vector<uint8_t> ProfileBytes(const ProfileRecord& profile) {
  DataStream stream;
  WriteProfile(stream, profile);
  return std::vector<uint8_t>(stream.data(), stream.data() + stream.length());
}

int ReadBytes(const std::vector<uint8_t>& bytes, ProfileRecord& profile) {
  DataStream stream(DataStream::Mode::kReading);
  stream.LoadFromBytes(bytes.data(), bytes.size());
  return ReadProfile(stream, profile);
}

std::vector<uint8_t> U16Text(std::u16string_view text) {
  std::vector<uint8_t> bytes;
  for (char16_t c : text) {
    bytes.push_back(static_cast<uint8_t>(c & 0xFF));
    bytes.push_back(static_cast<uint8_t>(c >> 8));
  }
  return bytes;
}

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteFile(const fs::path& path, const std::string& content) {
  std::ofstream(path, std::ios::binary) << content;
}

void WriteBytes(const fs::path& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// Relative path -> file content, or "<dir>" for a folder.
std::map<std::string, std::string> Snapshot(const fs::path& folder) {
  std::map<std::string, std::string> result;
  for (const fs::directory_entry& entry : fs::recursive_directory_iterator(folder)) {
    const std::string key = entry.path().lexically_relative(folder).generic_string();
    result[key] = entry.is_directory() ? "<dir>" : ReadFile(entry.path());
  }
  return result;
}

ProfileRecord Distinctive() {
  ProfileRecord p = Defaults();
  p.name = u"Zo\u00EB \U0001F5B1";
  p.profileIndex = 3;
  p.option22 = 0xA1B2C3D4;
  p.blockLength = 1024;
  p.lightSetting0 = 11;
  p.ledFlagBitsA = 0x22;
  p.ledFlagBitsB = 0x44;
  p.ledBrightness = 50;
  p.lightSetting3 = 33;
  p.lightSetting4 = 44;
  p.lightSetting5 = 55;
  p.spareColour = {0xFFFFFFFF, 0x80000000, 0};
  p.cpiColour = {0x010203, 0x7FFFFFFF, 0x00FFFFFF, 0xDEADBEEF};
  p.option86 = 86;
  p.option50 = 50;
  p.cpiLevelDisabled = {0, 255, 7, 0x12345678};
  p.cpi = {{{50, 100}, {150, 200}, {16000, 15950}, {65535, 1}}};
  p.option71 = 0x71717171;
  p.option72 = 72;
  p.optionSpare = 0x5A5A5A5A;
  p.option88 = 0x88;
  p.option69 = 0x69696969;
  p.liftOffDistance = kLiftOff3mm;
  p.option21 = 0x2121;
  p.smoothing = 1;
  p.option89 = 89;
  for (size_t i = 0; i < p.buttons.size(); ++i)
    p.buttons[i] = {static_cast<uint8_t>(i), static_cast<uint32_t>(0x100 + i), static_cast<uint32_t>(0xABCD0000 + i),
                    static_cast<uint16_t>(0xE000 + i)};
  return p;
}

TEST(ProfileFileFormat, DefaultProfileBytes) {
  ProfileRecord p = Defaults();
  p.name = kDefaultProfileName;
  const std::vector<uint8_t> bytes = ProfileBytes(p);
  ASSERT_EQ(bytes.size(), 297u);
  EXPECT_EQ(std::vector<uint8_t>(bytes.begin(), bytes.begin() + 8),
            (std::vector<uint8_t>{0xB1, 0x3C, 0x34, 0x01, 15, 0, 0, 0}));
  EXPECT_EQ(std::vector<uint8_t>(bytes.begin() + 8, bytes.begin() + 38), U16Text(u"Default Profile"));
  // option22, profileIndex, the six lighting bytes, then the first colour as text.
  EXPECT_EQ(std::vector<uint8_t>(bytes.begin() + 38, bytes.begin() + 50),
            (std::vector<uint8_t>{1, 0, 0, 0, 0, 15, 12, 1, 100, 1, 1, 1}));
  std::vector<uint8_t> colour = {7, 0, 0, 0};
  for (uint8_t b : U16Text(u"1426685")) colour.push_back(b);
  EXPECT_EQ(std::vector<uint8_t>(bytes.begin() + 50, bytes.begin() + 68), colour);
  EXPECT_EQ(std::vector<uint8_t>(bytes.end() - 11, bytes.end()),
            (std::vector<uint8_t>{0x05, 0x09, 0, 0, 0, 0xF1, 0, 0, 0, 0x00, 0x00}));
}

TEST(ProfileFileFormat, Option88IsSignExtendedAndReadFromTheLowByte) {
  for (const auto& [value, low, high] : {std::tuple<uint8_t, uint8_t, uint8_t>{0x80, 0x80, 0xFF}, {0x7F, 0x7F, 0x00}}) {
    ProfileRecord p = Defaults();
    p.name = kDefaultProfileName;
    p.option88 = value;
    const std::vector<uint8_t> bytes = ProfileBytes(p);
    EXPECT_EQ(bytes[217], low);
    EXPECT_EQ(bytes[218], high);
    ProfileRecord back = Defaults();
    ASSERT_EQ(ReadBytes(bytes, back), 1);
    EXPECT_EQ(back.option88, value);
  }
}

TEST(ProfileFileFormat, EveryStoredFieldRoundTrips) {
  const ProfileRecord written = Distinctive();
  ProfileRecord read = Defaults();
  read.filePath = "kept/path.profile";
  read.blockLength = 9;
  ASSERT_EQ(ReadBytes(ProfileBytes(written), read), 1);
  ProfileRecord expected = written;
  expected.filePath = "kept/path.profile";  // neither is stored
  expected.blockLength = 9;
  EXPECT_EQ(read, expected);
}

TEST(ProfileFileFormat, TruncatedOrWrongMagicChangesNothing) {
  const std::vector<uint8_t> bytes = ProfileBytes(Distinctive());
  const ProfileRecord before = Defaults();
  for (size_t size = 0; size < bytes.size(); ++size) {
    ProfileRecord p = before;
    EXPECT_EQ(ReadBytes(std::vector<uint8_t>(bytes.begin(), bytes.begin() + static_cast<ptrdiff_t>(size)), p), 0)
        << size;
    EXPECT_EQ(p, before) << size;
  }
  std::vector<uint8_t> wrongMagic = bytes;
  wrongMagic[3] = 0x02;
  ProfileRecord p = before;
  EXPECT_EQ(ReadBytes(wrongMagic, p), 0);
  EXPECT_EQ(p, before);
}

TEST(ProfileFileFormat, FileAndListHelpers) {
  testing::TestFolder folder;
  ProfileRecord p = Distinctive();
  p.filePath = folder.path() / "x.profile";
  ASSERT_EQ(SaveProfileFile(p, p.filePath), 1);
  ProfileRecord back = Defaults();
  ASSERT_EQ(LoadProfileFile(p.filePath, back), 1);
  EXPECT_EQ(back.cpiColour, p.cpiColour);
  EXPECT_EQ(LoadProfileFile(folder.path() / "missing.profile", back), 0);

  const fs::path list = folder.path() / "pfList.dat";
  ASSERT_EQ(WriteProfileList(p, list), 1);
  std::u16string pathText;
  ASSERT_TRUE(Utf16FromPath(p.filePath, pathText));
  std::vector<uint8_t> expected = {1, 0, 0, 0, 3, static_cast<uint8_t>(pathText.size()), 0, 0, 0};
  for (uint8_t b : U16Text(pathText)) expected.push_back(b);
  const std::string content = ReadFile(list);
  EXPECT_EQ(std::vector<uint8_t>(content.begin(), content.end()), expected);
  EXPECT_EQ(ReadProfileListPath(list), p.filePath);
  EXPECT_EQ(ReadProfileListPath(folder.path() / "nothing.dat"), std::nullopt);
}

TEST(ProfileFolders, Layout) {
  const fs::path root = "root";
  EXPECT_EQ(ProfilesFolder(root), root / "Orvanta" / "Korvid" / "Profiles");
  EXPECT_EQ(ProfileListPath(root), root / "pfList.dat");
}

struct NameCase {
  std::u16string name;
  std::vector<std::u16string> parts;  // empty: refused
};

TEST(ProfilePathForName, AcceptsPlainNamesAndRefusesHostileOnes) {
  const NameCase cases[] = {
      {u"Default Profile", {u"Default Profile.profile"}},
      {u"a\\b", {u"a", u"b.profile"}},
      {u"a/b\\c", {u"a", u"b", u"c.profile"}},
      {u"v1.2", {u"v1.2.profile"}},
      {u"..x", {u"..x.profile"}},
      {u"CONSOLE", {u"CONSOLE.profile"}},
      {u"COM10", {u"COM10.profile"}},
      {u"~korvid-profile", {u"~korvid-profile.profile"}},
      {u"\u00E9t\u00E9", {u"\u00E9t\u00E9.profile"}},
      {u"", {}},
      {u".", {}},
      {u"..", {}},
      {u"..\\evil", {}},
      {u"../evil", {}},
      {u"a\\..\\..\\evil", {}},
      {u"/abs", {}},
      {u"\\abs", {}},
      {u"\\\\server\\share", {}},
      {u"C:x", {}},
      {u"C:\\x", {}},
      {u"a:b", {}},
      {u"a\\", {}},
      {u"a\\\\b", {}},
      {u"a*b", {}},
      {u"a?b", {}},
      {u"a\"b", {}},
      {u"a<b", {}},
      {u"a>b", {}},
      {u"a|b", {}},
      {u"a\tb", {}},
      {std::u16string(u"a\0b", 3), {}},
      {u"CON", {}},
      {u"con", {}},
      {u"Con.txt", {}},
      {u"NUL .x", {}},
      {u"aux\\b", {}},
      {u"x\\PRN", {}},
      {u"COM1", {}},
      {u"lpt9", {}},
      {u"COM\u00B9", {}},
      {u"a.\\b", {}},
      {u"a \\b", {}},
      {u"pfList.dat\\b", {}},
      {u"PFLIST.DAT\\b", {}},
      {u"~korvid-profile.tmp\\b", {}},
      {u"bad\xD800", {}},
      {u"bad\xDC00x", {}},
  };
  const fs::path folder = "profiles";
  for (const NameCase& c : cases) {
    const std::optional<fs::path> path = ProfilePathForName(folder, c.name);
    const std::string label = ToUtf8(c.name);
    if (c.parts.empty()) {
      EXPECT_FALSE(path.has_value()) << label;
      continue;
    }
    fs::path expected = folder;
    for (const std::u16string& part : c.parts) {
      fs::path p;
      ASSERT_TRUE(PathFromUtf16(part, p));
      expected /= p;
    }
    ASSERT_TRUE(path.has_value()) << label;
    EXPECT_EQ(*path, expected) << label;
  }
}

class SaveProfileTest : public ::testing::Test {
 protected:
  fs::path Folder() const { return root_.path() / "Profiles"; }

  ProfileRecord Named(std::u16string name) {
    ProfileRecord p = Defaults();
    p.name = std::move(name);
    return p;
  }

  // Saves and checks that the folder holds exactly the profile and the list.
  void SaveOk(ProfileRecord& p, const std::string& relative) {
    ASSERT_EQ(SaveProfileToFolder(p, Folder()), 1);
    fs::path expected = Folder();
    for (const fs::path& part : fs::path(relative)) expected /= part;
    EXPECT_EQ(p.filePath, expected);
    std::map<std::string, std::string> files;
    for (const auto& [name, content] : Snapshot(Folder()))
      if (content != "<dir>") files[name] = content;
    ASSERT_EQ(files.size(), 2u);
    EXPECT_EQ(files.count("pfList.dat"), 1u);
    EXPECT_EQ(files.count(relative), 1u);
    EXPECT_EQ(ReadProfileListPath(ProfileListPath(Folder())), expected);
  }

  // A folder holding only the profile "Old", at 800 CPI, which the save
  // tests then save over.
  void SaveOldProfileAlone() {
    fs::remove_all(Folder());
    ProfileRecord old = Named(u"Old");
    old.cpi[0] = {800, 800};
    ASSERT_EQ(SaveProfileToFolder(old, Folder()), 1);
  }

  testing::TestFolder root_;
};

TEST_F(SaveProfileTest, WritesExactlyProfileAndList) {
  ProfileRecord p = Named(kDefaultProfileName);
  p.profileIndex = 2;
  SaveOk(p, "Default Profile.profile");
  ProfileRecord back = Defaults();
  ASSERT_EQ(LoadProfileFile(p.filePath, back), 1);
  EXPECT_EQ(back.name, kDefaultProfileName);
  EXPECT_EQ(ReadFile(ProfileListPath(Folder()))[4], 2);
}

TEST_F(SaveProfileTest, RenameDeletesTheOldFileAndUserFiles) {
  ProfileRecord p = Named(u"First");
  SaveOk(p, "First.profile");
  WriteFile(Folder() / "notes.txt", "user");
  fs::create_directories(Folder() / "sub" / "deeper");
  WriteFile(Folder() / "sub" / "deeper" / "x.profile", "user");
  WriteFile(Folder() / "~korvid-profile.tmp", "stale");
  p.name = u"Second";
  SaveOk(p, "Second.profile");
  EXPECT_EQ(Snapshot(Folder()).size(), 2u);
}

TEST_F(SaveProfileTest, SameNameReplacesTheFile) {
  ProfileRecord p = Named(u"Same");
  SaveOk(p, "Same.profile");
  p.cpi[0] = {1000, 1000};
  SaveOk(p, "Same.profile");
  ProfileRecord back = Defaults();
  ASSERT_EQ(LoadProfileFile(p.filePath, back), 1);
  EXPECT_EQ(back.cpi[0], (CpiValue{1000, 1000}));
}

TEST_F(SaveProfileTest, BackslashMakesASubfolder) {
  ProfileRecord p = Named(u"a\\b");
  SaveOk(p, "a/b.profile");
  EXPECT_TRUE(fs::is_directory(Folder() / "a"));
  // Back to a plain name: the subfolder goes.
  p.name = u"c";
  SaveOk(p, "c.profile");
  EXPECT_FALSE(fs::exists(Folder() / "a"));
  // Into a folder that already holds other things: they go, the folder stays.
  fs::create_directories(Folder() / "a");
  WriteFile(Folder() / "a" / "other.txt", "x");
  p.name = u"a/d";
  SaveOk(p, "a/d.profile");
}

TEST_F(SaveProfileTest, FailedSavesTouchNothing) {
  ProfileRecord p = Named(u"Good");
  SaveOk(p, "Good.profile");
  WriteFile(Folder() / "blocker", "a file in the way");
  fs::create_directories(root_.path() / "evil-neighbour");
  const auto folderBefore = Snapshot(Folder());
  const auto rootBefore = Snapshot(root_.path());
  const fs::path pathBefore = p.filePath;

  for (const std::u16string& name : {u"..\\evil", u"../evil", u"/abs", u"\\abs", u"C:x", u"CON", u"a:b", u"",
                                     u"blocker\\x", u"blocker/x/y", u"pfList.dat\\x", u"..\\evil-neighbour\\x"}) {
    ProfileRecord attempt = p;
    attempt.name = name;
    EXPECT_EQ(SaveProfileToFolder(attempt, Folder()), 0) << ToUtf8(name);
    EXPECT_EQ(attempt.filePath, pathBefore) << ToUtf8(name);
    EXPECT_EQ(Snapshot(Folder()), folderBefore) << ToUtf8(name);
    EXPECT_EQ(Snapshot(root_.path()), rootBefore) << ToUtf8(name);
  }
}

#ifdef __linux__
// Makes a file immutable, so that even root cannot rename or replace it.
class ImmutableFile {
 public:
  explicit ImmutableFile(const fs::path& path) : path_(path) { ok_ = SetFlag(true); }
  ~ImmutableFile() {
    if (ok_) SetFlag(false);
  }
  bool ok() const { return ok_; }

 private:
  bool SetFlag(bool on) {
    const int fd = open(path_.c_str(), O_RDONLY);
    if (fd < 0) return false;
    int flags = 0;
    bool done = ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    if (done) {
      flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
      done = ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    }
    close(fd);
    return done;
  }
  fs::path path_;
  bool ok_ = false;
};

// The list is the last file put in place: when that fails, the profile file
// already renamed into place is taken back and the old one restored.
TEST_F(SaveProfileTest, FailureAtTheListRestoresThePreviousFiles) {
  ProfileRecord p = Named(u"Old");
  SaveOk(p, "Old.profile");
  WriteFile(Folder() / "user.txt", "kept on failure");
  const auto before = Snapshot(Folder());
  ImmutableFile lockedList(ProfileListPath(Folder()));
  if (!lockedList.ok()) GTEST_SKIP() << "the file system does not support immutable files";
  for (const std::u16string& name : {u"Old", u"New", u"sub\\New"}) {
    ProfileRecord attempt = p;
    attempt.name = name;
    attempt.cpi[2] = {7000, 7000};
    EXPECT_EQ(SaveProfileToFolder(attempt, Folder()), 0) << ToUtf8(name);
    EXPECT_EQ(attempt.filePath, p.filePath);
    EXPECT_EQ(Snapshot(Folder()), before) << ToUtf8(name);
  }
}
#endif

// What pfList.dat leads to: the profile the next start would load, or
// nothing when the list names no readable profile.
std::optional<ProfileRecord> ProfileThroughList(const fs::path& folder) {
  const std::optional<fs::path> listed = ReadProfileListPath(ProfileListPath(folder));
  if (!listed) return std::nullopt;
  ProfileRecord loaded = Defaults();
  if (LoadProfileFile(*listed, loaded) != 1) return std::nullopt;
  return loaded;
}

constexpr SaveStep kSaveSteps[] = {SaveStep::kClearLeftovers, SaveStep::kWriteProfile,   SaveStep::kWriteList,
                                   SaveStep::kCreateFolders,  SaveStep::kKeepOldProfile, SaveStep::kReplaceProfile,
                                   SaveStep::kReplaceList,    SaveStep::kClearFolder};

// A save over an existing profile, the same name or another, stopped at
// each of its file operations: pfList.dat always leads to a whole profile,
// the old one when the save failed, and the next save leaves the folder
// clean.
TEST_F(SaveProfileTest, AFailureAtEveryStepKeepsTheOldProfileReadable) {
  for (const std::u16string& newName : {u"Old", u"New", u"sub\\New"}) {
    for (SaveStep failing : kSaveSteps) {
      const std::string label = ToUtf8(newName) + " step " + std::to_string(static_cast<int>(failing));
      ASSERT_NO_FATAL_FAILURE(SaveOldProfileAlone());
      ProfileRecord fresh = Named(newName);
      fresh.cpi[0] = {4000, 4000};
      SaveFailure failure;
      bool reached = false;  // a new name has no old file to keep
      const int saved = SaveProfileToFolder(fresh, Folder(), &failure, [failing, &reached](SaveStep step) {
        reached = reached || step == failing;
        return step != failing;
      });
      const std::optional<ProfileRecord> listed = ProfileThroughList(Folder());
      ASSERT_TRUE(listed.has_value()) << label;
      if (failing == SaveStep::kClearFolder || !reached) {
        EXPECT_EQ(saved, 1) << label << ": tidying the folder is not part of the save";
        EXPECT_EQ(listed->cpi[0].x, 4000) << label;
      } else {
        EXPECT_EQ(saved, 0) << label;
        EXPECT_FALSE(failure.reason.empty()) << label;
        EXPECT_EQ(listed->cpi[0].x, 800) << label;
        EXPECT_EQ(fresh.filePath, fs::path()) << label;
      }
      SaveOk(fresh, newName == u"sub\\New" ? "sub/New.profile" : ToUtf8(newName) + ".profile");
    }
  }
}

TEST_F(SaveProfileTest, AFailedSaveSaysWhy) {
  fs::create_directories(root_.path());
  WriteFile(Folder(), "a file where the folder belongs");
  for (const std::u16string& name : {u"Good", u"CON", u"bad?name"}) {
    ProfileRecord p = Named(name);
    SaveFailure failure;
    EXPECT_EQ(SaveProfileToFolder(p, Folder(), &failure), 0);
    EXPECT_FALSE(failure.reason.empty()) << ToUtf8(name);
  }
  fs::remove(Folder());
  ProfileRecord hostile = Named(u"CON");
  SaveFailure failure;
  EXPECT_EQ(SaveProfileToFolder(hostile, Folder(), &failure), 0);
  EXPECT_EQ(failure.reason, "the profile's name cannot be used as a file name");
}

#ifdef __linux__
// The save killed at each of its file operations (the process ends there,
// nothing is undone): pfList.dat leads to the old profile or the new one,
// and the next save clears what the killed one left.
TEST_F(SaveProfileTest, KilledAtEveryStepLeavesTheOldOrTheNewProfile) {
  for (const std::u16string& newName : {u"Old", u"New", u"sub\\New"}) {
    for (SaveStep killedAt : kSaveSteps) {
      const std::string label = ToUtf8(newName) + " step " + std::to_string(static_cast<int>(killedAt));
      ASSERT_NO_FATAL_FAILURE(SaveOldProfileAlone());
      ProfileRecord fresh = Named(newName);
      fresh.cpi[0] = {4000, 4000};
      const pid_t child = fork();
      if (child == 0) {
        SaveProfileToFolder(fresh, Folder(), nullptr, [killedAt](SaveStep step) {
          if (step == killedAt) _exit(0);
          return true;
        });
        _exit(2);  // the step was not on this save's way
      }
      int status = 0;
      ASSERT_EQ(waitpid(child, &status, 0), child);
      ASSERT_TRUE(WIFEXITED(status)) << label;
      const std::optional<ProfileRecord> listed = ProfileThroughList(Folder());
      ASSERT_TRUE(listed.has_value()) << label;
      EXPECT_TRUE(listed->cpi[0].x == 800 || listed->cpi[0].x == 4000) << label;
      SaveOk(fresh, newName == u"sub\\New" ? "sub/New.profile" : ToUtf8(newName) + ".profile");
    }
  }
}
#endif

class LoadSavedProfileTest : public ::testing::Test {
 protected:
  fs::path ListPath() const { return ProfileListPath(folder_.path()); }

  std::vector<uint8_t> ListBytes(uint32_t count, std::u16string_view path) {
    std::vector<uint8_t> bytes = {1, 0, 0, 0, 0, static_cast<uint8_t>(count), static_cast<uint8_t>(count >> 8),
                                  static_cast<uint8_t>(count >> 16), static_cast<uint8_t>(count >> 24)};
    for (uint8_t b : U16Text(path)) bytes.push_back(b);
    return bytes;
  }

  testing::TestFolder folder_;
};

TEST_F(LoadSavedProfileTest, NoListKeepsDefaults) {
  ProfileRecord p = Defaults();
  p.option22 = 5;
  const ProfileRecord before = p;
  LoadSavedProfile(folder_.path(), p);
  EXPECT_EQ(p, before);
}

TEST_F(LoadSavedProfileTest, SavedProfileComesBack) {
  ProfileRecord saved = Distinctive();
  saved.name = u"Mine";
  ASSERT_EQ(SaveProfileToFolder(saved, folder_.path()), 1);
  ProfileRecord p = Defaults();
  LoadSavedProfile(folder_.path(), p);
  ProfileRecord expected = saved;
  expected.option22 = 1;
  expected.blockLength = p.blockLength;
  EXPECT_EQ(p, expected);
}

TEST_F(LoadSavedProfileTest, MissingOrBrokenProfileFileKeepsDefaultsButTakesThePath) {
  const fs::path target = folder_.path() / "gone.profile";
  std::u16string text;
  ASSERT_TRUE(Utf16FromPath(target, text));
  WriteBytes(ListPath(), ListBytes(static_cast<uint32_t>(text.size()), text));
  for (bool broken : {false, true}) {
    if (broken) WriteBytes(target, {0xB1, 0x3C, 0x34, 0x01, 0xFF});
    ProfileRecord p = Defaults();
    p.option22 = 9;
    LoadSavedProfile(folder_.path(), p);
    ProfileRecord expected = Defaults();
    expected.filePath = target;
    EXPECT_EQ(p, expected) << broken;
  }
}

// A damaged or foreign profile file can hold a name no file can have: it
// loads as "Default Profile" with its settings, so that it can be saved (and
// so applied) again.
TEST_F(LoadSavedProfileTest, AStoredNameNoFileCanHaveLoadsAsDefaultProfile) {
  for (const std::u16string& name : {std::u16string(u"CON"), std::u16string(), std::u16string(u"bad?name"),
                                     std::u16string(300, u'x'), std::u16string(u"..\\escape"), std::u16string(u"nul.txt")}) {
    fs::remove_all(folder_.path());
    fs::create_directories(folder_.path());
    ProfileRecord stored = Distinctive();
    stored.name = name;
    stored.filePath = folder_.path() / "foreign.profile";
    ASSERT_EQ(SaveProfileFile(stored, stored.filePath), 1);
    ASSERT_EQ(WriteProfileList(stored, ListPath()), 1);
    ProfileRecord p = Defaults();
    LoadSavedProfile(folder_.path(), p);
    EXPECT_EQ(p.name, kDefaultProfileName) << ToUtf8(name);
    EXPECT_EQ(p.cpi, stored.cpi) << ToUtf8(name);
    EXPECT_EQ(p.buttons, stored.buttons) << ToUtf8(name);
    ASSERT_EQ(SaveProfileToFolder(p, folder_.path()), 1) << ToUtf8(name);
    EXPECT_EQ(p.filePath, folder_.path() / "Default Profile.profile");
  }
}

TEST_F(LoadSavedProfileTest, HostileListsLoadNothing) {
  std::vector<std::vector<uint8_t>> lists = {
      {},
      {1, 0, 0, 0},
      {1, 0, 0, 0, 0},
      {1, 0, 0, 0, 0, 5, 0},
      ListBytes(100, u"abc"),
      ListBytes(0x7FFFFFFF, u"abc"),
      ListBytes(0, u""),
      ListBytes(0xFFFFFFFF, u"abc"),
      ListBytes(2, u"\xD800x"),
      ListBytes(1, u"\xDC00"),
  };
  for (size_t i = 0; i < lists.size(); ++i) {
    WriteBytes(ListPath(), lists[i]);
    EXPECT_EQ(ReadProfileListPath(ListPath()), std::nullopt) << i;
    ProfileRecord p = Defaults();
    p.option22 = 9;
    const ProfileRecord before = p;
    LoadSavedProfile(folder_.path(), p);
    EXPECT_EQ(p, before) << i;
  }
}

TEST(FolderHelpers, EnsureEmptyAndDelete) {
  testing::TestFolder root;
  EnsureFolderPath(root.path() / "a" / "b" / "file.txt");
  EXPECT_TRUE(fs::is_directory(root.path() / "a" / "b"));
  EXPECT_FALSE(fs::exists(root.path() / "a" / "b" / "file.txt"));
  EnsureFolderPath(root.path() / "c" / "d");
  EXPECT_TRUE(fs::is_directory(root.path() / "c" / "d"));
  WriteFile(root.path() / "a" / "b" / "file.txt", "x");
  EnsureFolderPath(root.path() / "a" / "b" / "file.txt");  // exists: nothing happens
  EXPECT_TRUE(fs::is_regular_file(root.path() / "a" / "b" / "file.txt"));

  WriteFile(root.path() / "a" / "top.txt", "x");
  EmptyFolder(root.path() / "a");
  EXPECT_TRUE(fs::is_directory(root.path() / "a"));
  EXPECT_TRUE(fs::is_empty(root.path() / "a"));
  DeleteFolderTree(root.path() / "c");
  EXPECT_FALSE(fs::exists(root.path() / "c"));
  EmptyFolder(root.path() / "missing");  // no folder, no failure
}

#ifndef _WIN32
TEST(FolderHelpers, EmptyFolderDoesNotFollowLinks) {
  testing::TestFolder root;
  fs::create_directories(root.path() / "outside");
  WriteFile(root.path() / "outside" / "precious", "x");
  fs::create_directories(root.path() / "inside");
  fs::create_directory_symlink(root.path() / "outside", root.path() / "inside" / "link");
  EmptyFolder(root.path() / "inside");
  EXPECT_TRUE(fs::is_empty(root.path() / "inside"));
  EXPECT_TRUE(fs::exists(root.path() / "outside" / "precious"));
}
#endif

}  // namespace
}  // namespace korvid
