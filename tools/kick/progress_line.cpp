#include "progress_line.h"

namespace vendral::kick {

void ProgressLine::Show(KickPhase phase, std::int32_t rowsLookedAt) {
    if (!enabled_) return;
    auto now = std::chrono::steady_clock::now();
    if (shown_ && phase == phase_ && now - last_ < std::chrono::milliseconds(100)) return;
    std::fprintf(out_, "\r%s, rows looked at: %d\033[K",
                 phase == KickPhase::Appointments ? "Appointments" : "Tasks", rowsLookedAt);
    std::fflush(out_);
    shown_ = true;
    phase_ = phase;
    last_ = now;
}

void ProgressLine::Clear() {
    if (!shown_) return;
    std::fputs("\r\033[K", out_);
    std::fflush(out_);
    shown_ = false;
}

}  // namespace vendral::kick
