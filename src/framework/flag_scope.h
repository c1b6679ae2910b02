#pragma once
// A flag that is set while a scope runs.

namespace framework {

// Sets the flag and clears it when the scope ends, however it ends (a
// handler may throw).
class FlagScope {
public:
    explicit FlagScope(bool& flag) : flag_(flag) { flag_ = true; }
    ~FlagScope() { flag_ = false; }
    FlagScope(const FlagScope&) = delete;
    FlagScope& operator=(const FlagScope&) = delete;

private:
    bool& flag_;
};

} // namespace framework
