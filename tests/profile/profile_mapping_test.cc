// Profile defaults, the configuration block mapping and the button and key encodings.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "profile/device_image.h"
#include "profile/function_codes.h"
#include "profile/key_codes.h"
#include "profile/profile_record.h"

namespace korvid {
namespace {

ProfileRecord Defaults() {
  ProfileRecord profile;
  InitProfileDefaults(profile);
  return profile;
}

ConfigBlock PackProfile(const ProfileRecord& profile) {
  DeviceImage image{};
  ProfileToImage(profile, image);
  return PackBlock(image);
}

void Put(ConfigBlock& block, size_t offset, std::vector<uint8_t> bytes) {
  for (uint8_t b : bytes) block[offset++] = b;
}

TEST(ProfileDefaults, FillEveryField) {
  const ProfileRecord p = Defaults();
  EXPECT_TRUE(p.filePath.empty());
  EXPECT_EQ(p.name, u"profile");
  EXPECT_EQ(p.option22, 1u);
  EXPECT_EQ(p.blockLength, 1024);
  EXPECT_EQ(p.option21, 1);
  EXPECT_EQ(p.lightSetting0, 15);
  EXPECT_EQ(p.ledFlagBitsA, 12);
  EXPECT_EQ(p.ledFlagBitsB, 1);
  EXPECT_EQ(p.ledBrightness, 100);
  EXPECT_EQ(p.spareColour, (std::array<uint32_t, 3>{0x15C4FD, 0x15C4FD, 0x15C4FD}));
  EXPECT_EQ(p.cpiColour, (std::array<uint32_t, 4>{0x15C4FD, 0x893B37, 0x0606CE, 0x397C1C}));
  EXPECT_EQ(p.option86, 4);
  EXPECT_EQ(p.option50, 2);
  EXPECT_EQ(p.cpi[0], (CpiValue{400, 400}));
  EXPECT_EQ(p.cpi[3], (CpiValue{3200, 3200}));
  EXPECT_EQ(p.liftOffDistance, kLiftOff2mm);
  EXPECT_EQ(p.option89, 1);
  const std::array<ButtonBinding, 6> bindings = {{{0, 0, 1, 0}, {1, 0, 2, 0}, {2, 0, 4, 0},
                                                   {3, 0, 16, 0}, {4, 0, 8, 0}, {5, 9, 0xF1, 0}}};
  EXPECT_EQ(p.buttons, bindings);
}

TEST(ProfileDefaults, ResetKeepsOnlyThePath) {
  ProfileRecord p = Defaults();
  p.filePath = "somewhere/x.profile";
  p.name = u"Mine";
  p.cpi[1] = {50, 50};
  p.buttons[3] = {7, 2, 3, 4};
  ResetToDefaults(p);
  ProfileRecord expected = Defaults();
  expected.filePath = "somewhere/x.profile";
  EXPECT_EQ(p, expected);
  InitProfileDefaults(p);
  EXPECT_TRUE(p.filePath.empty());
}

TEST(ProfileDefaults, DefaultProfileIsProfileZeroNamedDefaultProfile) {
  ProfileRecord p = Defaults();
  p.filePath = "somewhere/x.profile";
  p.profileIndex = 3;
  p.name = u"Mine";
  p.smoothing = 1;
  p.option22 = 0;
  ResetToDefaultProfile(p);
  ProfileRecord expected = Defaults();
  expected.filePath = "somewhere/x.profile";
  expected.name = u"Default Profile";
  EXPECT_EQ(p, expected);
  EXPECT_EQ(p.profileIndex, 0);
  EXPECT_EQ(p.option22, 1u);
}

TEST(BlockMapping, DefaultProfilePacksByteForByte) {
  ConfigBlock expected{};
  Put(expected, 17, {0x00, 0x04});
  Put(expected, 21, {1, 1});
  Put(expected, 23, {0, 0, 0, 0x0D, 0, 0, 0, 0x0D});
  for (size_t i = 0; i < 6; ++i) Put(expected, 201 + 5 * i, {0, 0, 0, 0x0D, 0});
  Put(expected, 37, {0xFD, 0xC4, 0x15, 0x0D, 0x37, 0x3B, 0x89, 0x0D, 0xCE, 0x06, 0x06, 0x0D});
  Put(expected, 196, {0x1C, 0x7C, 0x39, 0x0D});
  Put(expected, 50, {2});
  Put(expected, 86, {4});
  Put(expected, 89, {1});
  Put(expected, 70, {6});
  Put(expected, 52, {0x90, 0x01, 0x90, 0x01});
  Put(expected, 61, {0x20, 0x03, 0x20, 0x03});
  Put(expected, 82, {0x40, 0x06, 0x40, 0x06});
  Put(expected, 92, {0x80, 0x0C, 0x80, 0x0C});
  const uint8_t codes[6][2] = {{0, 1}, {0, 2}, {0, 4}, {0, 0x10}, {0, 8}, {9, 0xF1}};
  for (size_t i = 0; i < 6; ++i) Put(expected, 101 + 7 * i, {codes[i][0], codes[i][1], 0, 0, 0, 0, 0x0F});

  const ConfigBlock block = PackProfile(Defaults());
  for (size_t i = 0; i < block.size(); ++i) EXPECT_EQ(block[i], expected[i]) << "byte " << i;
}

TEST(BlockMapping, BlockLengthIsConstantAndOptionsAreTruncated) {
  ProfileRecord p = Defaults();
  p.blockLength = 77;
  p.option21 = 0x1234;
  p.option22 = 0xABCDEF01;
  p.option69 = 0x1FF;
  p.option72 = 0xC3;
  p.smoothing = 0x101;
  p.cpiLevelDisabled = {255, 7, 0x1FE, 0};
  const ConfigBlock block = PackProfile(p);
  EXPECT_EQ(block[17], 0x00);
  EXPECT_EQ(block[18], 0x04);
  EXPECT_EQ(block[21], 0x34);
  EXPECT_EQ(block[22], 0x01);
  EXPECT_EQ(block[69], 0xFF);
  EXPECT_EQ(block[72], 0xC3);
  EXPECT_EQ(block[73], 0x00);
  EXPECT_EQ(block[87], 0x01);
  EXPECT_EQ(block[51], 255);
  EXPECT_EQ(block[60], 7);
  EXPECT_EQ(block[81], 0xFE);
}

// Every byte the table maps survives block -> profile -> block; ignored bytes go back as zero.
TEST(BlockMapping, BlockToProfileToBlockKeepsMappedBytes) {
  ConfigBlock input{};
  uint32_t seed = 12345;
  for (uint8_t& b : input) {
    seed = seed * 1103515245 + 12345;
    b = static_cast<uint8_t>(seed >> 16);
  }
  const uint8_t types[6] = {0, 1, 2, 9, 255, 2};
  for (size_t i = 0; i < 6; ++i) input[101 + 7 * i] = types[i];

  ProfileRecord profile = Defaults();
  ImageToProfile(UnpackBlock(input), profile);
  const ConfigBlock output = PackProfile(profile);

  ConfigBlock expected{};
  for (size_t offset : {0, 21, 22, 50, 51, 52, 53, 54, 55, 60, 61, 62, 63, 64, 69, 70, 71, 72, 81, 82, 83, 84, 85,
                        86, 87, 88, 89, 91, 92, 93, 94, 95})
    expected[offset] = input[offset];
  Put(expected, 17, {0x00, 0x04});
  for (size_t offset : {23, 27, 37, 41, 45, 196}) expected[offset + 3] = 0x0D;
  for (size_t offset : {37, 41, 45, 196})
    for (size_t k = 0; k < 3; ++k) expected[offset + k] = input[offset + k];
  for (size_t i = 0; i < 6; ++i) expected[201 + 5 * i + 3] = 0x0D;
  for (size_t i = 0; i < 6; ++i) {
    const size_t offset = 101 + 7 * i;
    expected[offset] = input[offset];
    expected[offset + 1] = input[offset + 1];
    if (input[offset] == 2) Put(expected, offset + 2, {input[offset + 2], input[offset + 3]});
    expected[offset + 6] = 0x0F;
  }
  for (size_t i = 0; i < output.size(); ++i) EXPECT_EQ(output[i], expected[i]) << "byte " << i;
}

TEST(BlockMapping, ImageToProfileLeavesUncarriedFieldsAlone) {
  ProfileRecord profile = Defaults();
  profile.filePath = "p";
  profile.name = u"kept";
  profile.blockLength = 5;
  profile.lightSetting0 = 9;
  profile.ledFlagBitsA = 0x40;
  profile.ledBrightness = 25;
  profile.spareColour[1] = 0x123456;
  profile.optionSpare = 77;
  profile.buttons[2].index = 42;
  ProfileRecord expected = profile;
  ImageToProfile(DeviceImage{}, profile);
  // A zero image carries zeros and mouse bindings with code 0 into every mapped field.
  expected.profileIndex = 0;
  expected.option21 = expected.option22 = 0;
  expected.option50 = expected.option86 = expected.option89 = 0;
  expected.liftOffDistance = 0;
  expected.cpiColour = {};
  expected.cpi = {};
  for (ButtonBinding& b : expected.buttons) b.type = b.code = 0;
  EXPECT_EQ(profile, expected);
}

TEST(ScaleColour, BrightnessSteps) {
  struct Case {
    uint8_t brightness;
    uint32_t colour;
    uint32_t expected;
  };
  const Case cases[] = {
      {50, 0x00FFFFFF, 0x00545454},  // 255 * 0.33 = 84.15
      {25, 0x00646464, 0x000D0A0D},  // 100 * 0.13, 100 * 0.1, 100 * 0.13
      {25, 0xFF000000, 0x00000000},
      {100, 0xAB123456, 0x00123456},
      {75, 0xAB123456, 0xAB123456},
      {0, 0x00FFFFFF, 0x00FFFFFF},
  };
  for (const Case& c : cases)
    EXPECT_EQ(ScaleColour(c.brightness, c.colour), c.expected) << int{c.brightness} << " " << std::hex << c.colour;
}

TEST(ScaleColour, AppliedToCpiLedsOnly) {
  ProfileRecord p = Defaults();
  p.ledBrightness = 50;
  p.cpiColour = {0xFFFFFF, 0, 0, 0};
  const ConfigBlock block = PackProfile(p);
  EXPECT_EQ(block[37], 84);
  EXPECT_EQ(block[38], 84);
  EXPECT_EQ(block[39], 84);
  EXPECT_EQ(block[40], 0x0D);
}

struct BindingCase {
  ButtonBinding binding;
  std::array<uint8_t, 7> record;
};

TEST(BlockMapping, BindingRecords) {
  const BindingCase cases[] = {
      {{3, 2, 0x02, 0x0004}, {0x02, 0x02, 0x04, 0x00, 0, 0, 0x0F}},
      {{3, 2, 0x1FF, 0xBEEF}, {0x02, 0xFF, 0xEF, 0xBE, 0, 0, 0x0F}},
      {{3, 0, 0x104, 0x0005}, {0x00, 0x04, 0, 0, 0, 0, 0x0F}},  // extra only for keys
      {{3, 1, 0xFF, 0}, {0x01, 0xFF, 0, 0, 0, 0, 0x0F}},
      {{3, 255, 255, 0}, {0xFF, 0xFF, 0, 0, 0, 0, 0x0F}},
      {{3, 7, 0x33, 9}, {0x07, 0x33, 0x09, 0, 0, 0, 0x0F}},  // another program's type, carried whole
      {{3, 0x102, 0x33, 9}, {0, 0, 0, 0, 0, 0, 0x0F}},  // the whole type is compared
  };
  for (const BindingCase& c : cases) {
    ProfileRecord p = Defaults();
    p.buttons[3] = c.binding;
    const ConfigBlock block = PackProfile(p);
    for (size_t k = 0; k < 7; ++k) EXPECT_EQ(block[122 + k], c.record[k]) << "type " << c.binding.type << " byte " << k;
    for (size_t k = 143; k < 150; ++k) EXPECT_EQ(block[k], 0) << "seventh record byte " << k;
  }
}

TEST(BlockMapping, KeyBindingReadsBackUnchanged) {
  ProfileRecord p = Defaults();
  p.buttons[4] = {4, 2, 0x02, 0x0004};
  ProfileRecord back = Defaults();
  ImageToProfile(UnpackBlock(PackProfile(p)), back);
  EXPECT_EQ(back.buttons[4], p.buttons[4]);
}

struct ReadBindingCase {
  std::array<uint8_t, 7> record;
  ButtonBinding read;  // what a saved Ctrl+Alt+A binding becomes
};

// A record of a type the page does not know is read whole (and written back
// so, above), never left as the binding it replaces; a known type replaces
// it, with the key only for keyboard bindings.
TEST(BlockMapping, ReadBindingOverASavedKeyBinding) {
  const ButtonBinding saved{3, 2, 0x05, 0x0004};
  const ReadBindingCase cases[] = {
      {{0x07, 0xCD, 0x11, 0x22, 0, 0, 0x0F}, {3, 7, 0xCD, 0x2211}},
      {{0x20, 0xCD, 0x11, 0x22, 0, 0, 0x0F}, {3, 0x20, 0xCD, 0x2211}},
      {{0x00, 0x04, 0x11, 0x22, 0, 0, 0x0F}, {3, 0, 0x04, 0}},
      {{0x01, 0xFF, 0x11, 0x22, 0, 0, 0x0F}, {3, 1, 0xFF, 0}},
      {{0x09, 0xF1, 0x11, 0x22, 0, 0, 0x0F}, {3, 9, 0xF1, 0}},
      {{0xFF, 0xFF, 0x11, 0x22, 0, 0, 0x0F}, {3, 255, 0xFF, 0}},
      {{0x02, 0x01, 0x1E, 0x00, 0, 0, 0x0F}, {3, 2, 0x01, 0x001E}},
  };
  for (const ReadBindingCase& c : cases) {
    ConfigBlock block = PackProfile(Defaults());
    Put(block, 122, std::vector<uint8_t>(c.record.begin(), c.record.end()));
    ProfileRecord read = Defaults();
    read.buttons[3] = saved;
    ImageToProfile(UnpackBlock(block), read);
    EXPECT_EQ(read.buttons[3], c.read) << "type " << int{c.record[0]};
  }
  EXPECT_EQ(DecodeFunction(0xCD, 0x20), 2201);
}

struct EncodeCase {
  int id;
  int button;
  uint8_t type;
  int code;
};

TEST(FunctionCodes, Encode) {
  const EncodeCase cases[] = {
      {0, 3, 255, 0xFF},      {-5, 3, 255, 0xFF},     {7000, 3, 255, 0xFF},   {2500, 3, 255, 0xFF},
      {1, 0, 31, 1},          {1, 3, 31, 16},         {1, 4, 31, 8},          {1, 5, 31, 0xF0},
      {1, 6, 31, 0xF2},       {1, 7, 31, 0xFF},       {1, -1, 31, 0xFF},      {1000, 3, 2, -2},
      {1002 + 0x41, 3, 2, 0x41}, {1502, 3, 2, 500},   {1999, 3, 2, 997},      {2002, 3, 9, 0xF0},
      {2004, 3, 9, 0},        {2007, 3, 9, 0xF1},     {2008, 3, 9, 0xF3},     {2050, 3, 9, 0xFF},
      {2100, 3, 0, 0xFF},     {2101, 3, 0, 1},        {2102, 3, 0, 2},        {2103, 3, 0, 4},
      {2104, 3, 0, 8},        {2105, 3, 0, 16},       {2106, 3, 1, 1},        {2107, 3, 1, 0xFF},
      {2108, 3, 1, 2},        {2109, 3, 1, 0xFE},     {2110, 3, 255, 0xFF},   {2201, 3, 32, 0xCD},
      {2207, 3, 32, 0xE2},    {2299, 3, 32, 0xFF},    {2301, 3, 8, 0xF0},     {2306, 3, 8, 3},
      {2309, 3, 8, 0xF3},     {2300, 3, 8, 0xFF},     {2401, 3, 20, 0x41},    {2406, 3, 20, 0x46},
      {2407, 3, 20, 0xFF},    {2700, 3, 24, 0xFF},    {2701, 3, 24, 0x71},    {2711, 3, 24, 0x7B},
      {2712, 3, 24, 0x7D},    {2714, 3, 24, 0x7F},    {2715, 3, 255, 0xFF},   {2805, 3, 12, 0xFF},
      {3002 + 0x41, 3, 255, 0x04}, {3002 + 0x10, 3, 255, 0x10}, {4010, 3, 3, 8}, {5002, 3, 19, 0},
      {6999, 3, 22, 997},
  };
  for (const EncodeCase& c : cases) {
    EXPECT_EQ(EncodeFunctionType(c.id), c.type) << c.id;
    EXPECT_EQ(EncodeFunctionCode(c.id, c.button), c.code) << c.id << " button " << c.button;
  }
}

struct DecodeCase {
  int16_t code;
  uint8_t type;
  int id;
};

TEST(FunctionCodes, Decode) {
  const DecodeCase cases[] = {
      {1, 0, 2101},   {2, 0, 2102},   {4, 0, 2103},   {8, 0, 2104},    {16, 0, 2105},   {3, 0, 2101},
      {1, 1, 2106},   {255, 1, 2107}, {2, 1, 2108},   {254, 1, 2109},  {7, 1, 2101},    {0x41, 2, 1002 + 0x41},
      {-2, 2, 1000},  {500, 2, 1502}, {8, 3, 4010},   {0, 8, 2303},    {4, 8, 2307},    {240, 8, 2301},
      {241, 8, 2308}, {242, 8, 2302}, {243, 8, 2309}, {5, 8, 2101},    {0, 9, 2004},    {2, 9, 2006},
      {240, 9, 2002}, {241, 9, 2007}, {242, 9, 2003}, {243, 9, 2008},  {3, 9, 2101},    {99, 12, 2800},
      {0, 19, 5002},  {65, 20, 2401}, {70, 20, 2406}, {71, 20, 2101},  {3, 22, 6005},   {113, 24, 2701},
      {123, 24, 2711}, {124, 24, 2101}, {125, 24, 2712}, {127, 24, 2714}, {205, 32, 2201}, {183, 32, 2202},
      {182, 32, 2203}, {181, 32, 2204}, {233, 32, 2205}, {234, 32, 2206}, {226, 32, 2207}, {1, 32, 2101},
      {255, 255, 0},  {4, 255, 0},    {1, 31, 2101},  {1, 7, 2101},    {1, 200, 2101},
  };
  for (const DecodeCase& c : cases) EXPECT_EQ(DecodeFunction(c.code, c.type), c.id) << c.code << "/" << int{c.type};
}

TEST(FunctionCodes, EveryListedIdentifierRoundTrips) {
  std::vector<int> ids = {1502, 2002, 2003, 2004, 2005, 2006, 2007, 2008, 2201, 2202, 2203, 2204, 2205, 2206, 2207};
  for (int id = 2101; id <= 2109; ++id) ids.push_back(id);
  for (int id = 2301; id <= 2309; ++id) ids.push_back(id);
  for (int id = 2401; id <= 2406; ++id) ids.push_back(id);
  for (int id = 2701; id <= 2714; ++id) ids.push_back(id);
  for (int vk = 0; vk < 256; ++vk) ids.push_back(kFnKeyBase + vk);
  for (int id : {4002, 4100, 5002, 5200, 6002, 6300}) ids.push_back(id);
  for (int id : ids)
    EXPECT_EQ(DecodeFunction(static_cast<int16_t>(EncodeFunctionCode(id, 3)), EncodeFunctionType(id)), id) << id;
}

struct KeyCase {
  int key;
  int usage;
};

// The keys that are listed one by one (outside the letter, digit, F-key and keypad runs).
constexpr KeyCase kListedKeys[] = {
    {0x08, 0x2A}, {0x09, 0x2B}, {0x0D, 0x28}, {0x13, 0x48}, {0x14, 0x39}, {0x1B, 0x29}, {0x20, 0x2C},
    {0x21, 0x4B}, {0x22, 0x4E}, {0x23, 0x4D}, {0x24, 0x4A}, {0x25, 0x50}, {0x26, 0x52}, {0x27, 0x4F},
    {0x28, 0x51}, {0x2C, 0x46}, {0x2D, 0x49}, {0x2E, 0x4C}, {0x5B, 0xE3}, {0x5C, 0xE7}, {0x5D, 0x65},
    {0x6A, 0x55}, {0x6B, 0x57}, {0x6D, 0x56}, {0x6E, 0x63}, {0x6F, 0x54}, {0x90, 0x53}, {0x91, 0x47},
    {0xA0, 0xE1}, {0xA1, 0xE5}, {0xA2, 0xE0}, {0xA3, 0xE4}, {0xA4, 0xE2}, {0xA5, 0xE6}, {0xAE, 0x81},
    {0xAF, 0x80}, {0xBA, 0x33}, {0xBB, 0x2E}, {0xBC, 0x36}, {0xBD, 0x2D}, {0xBE, 0x37}, {0xBF, 0x38},
    {0xC0, 0x35}, {0xDB, 0x2F}, {0xDC, 0x31}, {0xDD, 0x30}, {0xDE, 0x34},
    // The rest of the keyboard page's keys that have a virtual key.
    {0x0C, 0x9C}, {0x29, 0x77}, {0x2B, 0x74}, {0x2F, 0x75}, {0x6C, 0x85}, {0xAD, 0x7F}, {0xE2, 0x64},
    {0x1C, 0x8A}, {0x1D, 0x8B}, {0xF6, 0x9A}, {0xF7, 0xA3}, {0xF8, 0xA4},
};

std::vector<KeyCase> AllMappedKeys() {
  std::vector<KeyCase> keys(std::begin(kListedKeys), std::end(kListedKeys));
  for (int k = 0x41; k <= 0x5A; ++k) keys.push_back({k, k - 0x3D});
  for (int k = 0x31; k <= 0x39; ++k) keys.push_back({k, k - 0x13});
  for (int k = 0x70; k <= 0x7B; ++k) keys.push_back({k, k - 0x36});
  for (int k = 0x7C; k <= 0x87; ++k) keys.push_back({k, k - 0x14});  // F13 to F24
  for (int k = 0x61; k <= 0x69; ++k) keys.push_back({k, k - 8});
  keys.push_back({0x30, 0x27});
  keys.push_back({0x60, 0x62});
  return keys;
}

TEST(KeyCodes, EveryMappedKeyBothWays) {
  for (const KeyCase& c : AllMappedKeys()) {
    EXPECT_EQ(VirtualKeyToHidUsage(c.key), c.usage) << std::hex << c.key;
    EXPECT_EQ(HidUsageToVirtualKey(c.usage), c.key) << std::hex << c.usage;
  }
}

TEST(KeyCodes, CancelSendsPauseUsage) {
  EXPECT_EQ(VirtualKeyToHidUsage(0x03), 0x48);
  EXPECT_EQ(HidUsageToVirtualKey(0x48), 0x13);
}

TEST(KeyCodes, UnmappedValuesComeBackAsGiven) {
  std::vector<bool> isKey(0x10000), isUsage(0x10000);
  for (const KeyCase& c : AllMappedKeys()) isKey[c.key] = isUsage[c.usage] = true;
  isKey[0x03] = true;
  for (int v = 0; v < 0x10000; ++v) {
    if (!isKey[v]) EXPECT_EQ(VirtualKeyToHidUsage(v), v) << std::hex << v;
    if (!isUsage[v]) EXPECT_EQ(HidUsageToVirtualKey(v), v) << std::hex << v;
  }
  for (int v : {0x10, 0x11, 0x12}) EXPECT_EQ(VirtualKeyToHidUsage(v), v);
}

// F13 is not Copy (usage 0x7C), and usage 0x68 is F13, not keypad 8.
TEST(KeyCodes, FunctionKeysThirteenToTwentyFourHaveTheirOwnUsages) {
  EXPECT_EQ(VirtualKeyToHidUsage(0x7C), 0x68);
  EXPECT_EQ(VirtualKeyToHidUsage(0x87), 0x73);
  EXPECT_EQ(HidUsageToVirtualKey(0x68), 0x7C);
  EXPECT_EQ(HidUsageToVirtualKey(0x73), 0x87);
}

TEST(KeyCodes, OnlyKeysWithAUsageCanBeSent) {
  std::vector<bool> isKey(0x10000);
  for (const KeyCase& c : AllMappedKeys()) isKey[c.key] = true;
  isKey[0x03] = true;
  for (int v = 0; v < 0x10000; ++v) EXPECT_EQ(VirtualKeyHasHidUsage(v), isKey[v]) << std::hex << v;
  // Browser and media keys belong to the consumer page; the generic
  // modifiers and the mouse buttons have no key of their own.
  for (int v : {0x01, 0x10, 0x11, 0x12, 0xA6, 0xA7, 0xA8, 0xB3, 0xFF, 0x10041, -1})
    EXPECT_FALSE(VirtualKeyHasHidUsage(v)) << std::hex << v;
}

TEST(KeyCodes, ArgumentComparedAsSixteenBits) {
  EXPECT_EQ(VirtualKeyToHidUsage(0x10041), 0x04);
  EXPECT_EQ(HidUsageToVirtualKey(0x30004), 0x41);
  EXPECT_EQ(VirtualKeyToHidUsage(0x10010), 0x10010);
  EXPECT_EQ(VirtualKeyToHidUsage(-1), -1);
  EXPECT_EQ(HidUsageToVirtualKey(-0xFFFC), 0x41);  // low 16 bits 0x0004
}

}  // namespace
}  // namespace korvid
