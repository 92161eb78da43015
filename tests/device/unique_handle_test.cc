#include "device/unique_handle.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace korvid {
namespace {

// A kind of handle whose closes are written down; 0 holds nothing.
std::vector<int> closed;
struct LoggedTraits {
  using Type = int;
  static int None() { return 0; }
  static bool Valid(int handle) { return handle != 0; }
  static void Close(int handle) { closed.push_back(handle); }
};
using LoggedHandle = UniqueHandle<LoggedTraits>;

// Every handle is closed exactly once, by its last owner; one given up is
// not closed at all.
TEST(UniqueHandle, EachHandleIsClosedOnceByItsLastOwner) {
  closed.clear();
  {
    LoggedHandle first(1);
    LoggedHandle second(std::move(first));
    EXPECT_FALSE(first);
    EXPECT_EQ(second.get(), 1);
    LoggedHandle third(2);
    third = std::move(second);  // closes 2, takes 1
    EXPECT_EQ(closed, std::vector<int>{2});
    EXPECT_FALSE(second);
    third.reset(3);  // closes 1
    *third.receive() = 4;  // closes 3
    EXPECT_EQ(third.get(), 4);
    EXPECT_EQ(third.release(), 4);
    EXPECT_FALSE(third);
    LoggedHandle empty;
    EXPECT_FALSE(empty);
    LoggedHandle last(5);
  }  // closes 5
  EXPECT_EQ(closed, (std::vector<int>{2, 1, 3, 5}));
}

}  // namespace
}  // namespace korvid
