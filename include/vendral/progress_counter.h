/// @file
/// ProgressCounter, the counting mode of the progress bar without any window.
#pragma once

#include <cstdint>
#include <optional>

#include "vendral/export.h"

namespace vendral {

/// The counting mode of the progress bar, without any window: the client says
/// how many items it will process (MaxValue) and reports each item number
/// (Raise); the counter turns that into positions of a bar whose range is 0 to
/// 100 (a position above 100 shows a full bar).
class VENDRAL_API ProgressCounter {
  public:
    /// Stores the maximum and derives the step (which also resets the
    /// counter): m / 10 above 10000, m / 100 from 11 to 10000, else 1; the
    /// divisions are rounded half to even (150 -> 2, 250 -> 2, 350 -> 4).
    void SetMaxValue(std::int32_t m);
    /// The maximum last set (0 at first).
    std::int32_t MaxValue() const { return maximum_; }
    /// Sets the step and starts counting again from 0.
    void SetStepValue(std::int32_t step);
    /// The step: every how many items the bar moves (0 at first).
    std::int32_t StepValue() const { return step_; }
    /// The position last returned (0 after a reset).
    std::int32_t Counter() const { return counter_; }

    /// Whether item @p n moves the bar: not for 0, not off a step boundary.
    /// @throws PlatformError 11 ("Division by zero") for a non-zero @p n while
    ///         the step is 0; nothing changes then.
    bool Moves(std::int32_t n) const;
    /// Advances the counter for an item that moves the bar (10 with a step of
    /// 1, else 1) and returns the new position to show.
    std::int32_t Advance();
    /// Moves and Advance together: the position to show, or nullopt.
    /// @throws PlatformError 11 as Moves().
    std::optional<std::int32_t> Raise(std::int32_t n);

  private:
    std::int32_t step_ = 0;
    std::int32_t maximum_ = 0;
    std::int32_t counter_ = 0;
};

/// The shown value of a position on the bar's fixed range of 0 to 100.
inline int ShownPosition(std::int64_t position) {
    return position < 0 ? 0 : position > 100 ? 100 : static_cast<int>(position);
}

}  // namespace vendral
