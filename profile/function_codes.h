#pragma once
#include <cstdint>

namespace korvid {

// Function identifiers of the button page (see buttons/button_functions.h).
enum FunctionId : int {
  kFnDisabled = 0,
  kFnKeyboardKey = 1000,  // menu entry that opens key capture
  kFnKeyBase = 1002,      // captured key: kFnKeyBase + virtual-key code
  kFnModifiersOnly = 1502,
  kFnLeftClick = 2101,
  kFnRightClick = 2102,
  kFnMiddleClick = 2103,
  kFnBack = 2104,
  kFnForward = 2105,
  kFnScrollUp = 2106,
  kFnScrollDown = 2107,
};

uint8_t EncodeFunctionType(int functionId);
int EncodeFunctionCode(int functionId, int buttonIndex);
int DecodeFunction(int16_t code, uint8_t type);

}  // namespace korvid
