#include "profile/function_codes.h"

#include <array>
#include <span>

#include "profile/key_codes.h"

namespace korvid {
namespace {

struct IdCode {
  int id;
  int code;
};

// How a family of identifiers turns into binding codes and back.
enum class CodeRule {
  kList,         // listed pairs; unlisted identifiers encode as 0xFF
  kOffset,       // code = identifier - offset
  kButtonIndex,  // the code depends on the button, not on the identifier
  kVirtualKey,   // code = HID usage of (identifier - offset)
  kConstant,     // code 0xFF; every code decodes to the family's first identifier
};

struct Family {
  int firstId;
  int lastId;
  uint8_t type;
  CodeRule rule;
  int offset;
  std::span<const IdCode> pairs;
};

constexpr int kUnknownCode = 0xFF;
constexpr uint8_t kUnknownType = 255;
constexpr int kFallbackId = kFnLeftClick;
constexpr uint8_t kDisabledType = 255;

constexpr IdCode kButton5Pairs[] = {{2002, 0xF0}, {2003, 0xF2}, {2004, 0}, {2005, 1},
                                    {2006, 2},    {2007, 0xF1}, {2008, 0xF3}};
constexpr IdCode kMousePairs[] = {{2101, 1}, {2102, 2}, {2103, 4}, {2104, 8}, {2105, 16}};
constexpr IdCode kWheelPairs[] = {{2106, 1}, {2107, 0xFF}, {2108, 2}, {2109, 0xFE}};
constexpr IdCode kMediaPairs[] = {{2201, 0xCD}, {2202, 0xB7}, {2203, 0xB6}, {2204, 0xB5},
                                  {2205, 0xE9}, {2206, 0xEA}, {2207, 0xE2}};
constexpr IdCode kType8Pairs[] = {{2301, 0xF0}, {2302, 0xF2}, {2303, 0}, {2304, 1},   {2305, 2},
                                  {2306, 3},    {2307, 4},    {2308, 0xF1}, {2309, 0xF3}};
constexpr IdCode kType20Pairs[] = {{2401, 0x41}, {2402, 0x42}, {2403, 0x43},
                                   {2404, 0x44}, {2405, 0x45}, {2406, 0x46}};
constexpr IdCode kType24Pairs[] = {{2701, 0x71}, {2702, 0x72}, {2703, 0x73}, {2704, 0x74}, {2705, 0x75},
                                   {2706, 0x76}, {2707, 0x77}, {2708, 0x78}, {2709, 0x79}, {2710, 0x7A},
                                   {2711, 0x7B}, {2712, 0x7D}, {2713, 0x7E}, {2714, 0x7F}};

// Code of identifier 1 by button index.
constexpr std::array<int, 7> kButtonOwnCodes = {1, 2, 4, 16, 8, 0xF0, 0xF2};

constexpr Family kFamilies[] = {
    {1, 1, 31, CodeRule::kButtonIndex, 0, {}},
    {1000, 1999, 2, CodeRule::kOffset, 1002, {}},
    {2000, 2099, 9, CodeRule::kList, 0, kButton5Pairs},
    {2100, 2105, 0, CodeRule::kList, 0, kMousePairs},
    {2106, 2109, 1, CodeRule::kList, 0, kWheelPairs},
    {2200, 2299, 32, CodeRule::kList, 0, kMediaPairs},
    {2300, 2399, 8, CodeRule::kList, 0, kType8Pairs},
    {2400, 2499, 20, CodeRule::kList, 0, kType20Pairs},
    {2700, 2714, 24, CodeRule::kList, 0, kType24Pairs},
    {2800, 2810, 12, CodeRule::kConstant, 0, {}},
    {3000, 3999, 255, CodeRule::kVirtualKey, 3002, {}},
    {4000, 4999, 3, CodeRule::kOffset, 4002, {}},
    {5000, 5999, 19, CodeRule::kOffset, 5002, {}},
    {6000, 6999, 22, CodeRule::kOffset, 6002, {}},
};

const Family* FamilyOfId(int functionId) {
  for (const Family& family : kFamilies)
    if (functionId >= family.firstId && functionId <= family.lastId) return &family;
  return nullptr;
}

}  // namespace

uint8_t EncodeFunctionType(int functionId) {
  const Family* family = FamilyOfId(functionId);
  return family ? family->type : kUnknownType;
}

int EncodeFunctionCode(int functionId, int buttonIndex) {
  const Family* family = FamilyOfId(functionId);
  if (!family) return kUnknownCode;
  switch (family->rule) {
    case CodeRule::kList:
      for (const IdCode& pair : family->pairs)
        if (pair.id == functionId) return pair.code;
      return kUnknownCode;
    case CodeRule::kOffset:
      return functionId - family->offset;
    case CodeRule::kButtonIndex:
      if (buttonIndex < 0 || buttonIndex >= static_cast<int>(kButtonOwnCodes.size())) return kUnknownCode;
      return kButtonOwnCodes[static_cast<size_t>(buttonIndex)];
    case CodeRule::kVirtualKey:
      return VirtualKeyToHidUsage(functionId - family->offset);
    case CodeRule::kConstant:
      return kUnknownCode;
  }
  return kUnknownCode;
}

int DecodeFunction(int16_t code, uint8_t type) {
  if (type == kDisabledType) return kFnDisabled;
  for (const Family& family : kFamilies) {
    if (family.type != type) continue;
    switch (family.rule) {
      case CodeRule::kList:
        for (const IdCode& pair : family.pairs)
          if (pair.code == code) return pair.id;
        return kFallbackId;
      case CodeRule::kOffset:
        return code + family.offset;
      case CodeRule::kConstant:
        return family.firstId;
      case CodeRule::kButtonIndex:
      case CodeRule::kVirtualKey:
        return kFallbackId;
    }
  }
  return kFallbackId;
}

}  // namespace korvid
