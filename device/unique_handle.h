#pragma once
#include <utility>

namespace korvid {

// One system handle with one owner, closed when the owner goes; move-only.
// `Traits` names the kind of handle:
//   using Type = ...;               the raw handle
//   static Type None();             the value that holds nothing
//   static bool Valid(Type handle); whether `handle` is one to close
//   static void Close(Type handle);
// The kinds of each platform: unique_handle_posix.h (file descriptors),
// unique_handle_win32.h (kernel handles); a file with a kind of its own
// (the setup API's device lists) declares its traits beside its use.
template <typename Traits>
class UniqueHandle {
 public:
  using Type = typename Traits::Type;

  UniqueHandle() = default;
  explicit UniqueHandle(Type handle) : handle_(handle) {}
  UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.release()) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    reset(other.release());
    return *this;
  }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  ~UniqueHandle() { reset(); }

  Type get() const { return handle_; }
  explicit operator bool() const { return Traits::Valid(handle_); }
  // Gives the handle up without closing it.
  Type release() { return std::exchange(handle_, Traits::None()); }
  // Closes the handle held, if any, and takes `handle`.
  void reset(Type handle = Traits::None()) {
    if (Traits::Valid(handle_)) Traits::Close(handle_);
    handle_ = handle;
  }
  // Closes the handle held and gives the place for a call that returns a
  // new one through a pointer.
  Type* receive() {
    reset();
    return &handle_;
  }

 private:
  Type handle_ = Traits::None();
};

}  // namespace korvid
