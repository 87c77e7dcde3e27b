#pragma once

namespace feature {

// Sets a busy flag for a scope and clears it on every way out, so a handler that re-enters
// through a nested event loop (a modal dialog) sees it and returns.
struct BusyGuard {
    bool &flag;
    explicit BusyGuard(bool &f) : flag(f) { flag = true; }
    ~BusyGuard() { flag = false; }
    BusyGuard(const BusyGuard &) = delete;
    BusyGuard &operator=(const BusyGuard &) = delete;
};

} // namespace feature
