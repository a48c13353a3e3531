// The running row count of prodwell as one line rewritten in place; only on a
// terminal, since redirected output should hold the result alone.
#pragma once

#include <chrono>
#include <cstdint>
#include <cstdio>

#include "kick.h"

namespace vendral::kick {

class ProgressLine {
  public:
    ProgressLine(std::FILE* out, bool enabled) : out_(out), enabled_(enabled) {}
    ~ProgressLine() { Clear(); }
    ProgressLine(const ProgressLine&) = delete;
    ProgressLine& operator=(const ProgressLine&) = delete;

    // Redraws at most ten times a second, and always when the phase changes.
    void Show(KickPhase phase, std::int32_t rowsLookedAt);
    // Removes the line so that the next output starts on a clean line.
    void Clear();

  private:
    std::FILE* out_;
    bool enabled_;
    bool shown_ = false;
    KickPhase phase_ = KickPhase::Appointments;
    std::chrono::steady_clock::time_point last_{};
};

}  // namespace vendral::kick
