// Sets a flag for the length of a scope and clears it however the scope is left, so that
// an exception (a throwing test hook, say) cannot leave it set.
#pragma once

namespace sevalune {

class ScopedFlag {
 public:
  explicit ScopedFlag(bool& flag) : flag_(flag) { flag_ = true; }
  ~ScopedFlag() { flag_ = false; }
  ScopedFlag(const ScopedFlag&) = delete;
  ScopedFlag& operator=(const ScopedFlag&) = delete;

 private:
  bool& flag_;
};

}  // namespace sevalune
