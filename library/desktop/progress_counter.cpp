#include "vendral/progress_counter.h"

#include <limits>

#include "desktop/progress_bar_layout.h"
#include "vendral/platform_error.h"

namespace vendral {
namespace {

constexpr std::int32_t kErrorDivisionByZero = 11;
constexpr std::int32_t kErrorOverflow = 6;

using internal::RoundHalfEven;

}  // namespace

void ProgressCounter::SetMaxValue(std::int32_t m) {
    maximum_ = m;
    if (m > 10000) {
        SetStepValue(RoundHalfEven(m / 10.0));
    } else if (m > 10) {
        SetStepValue(RoundHalfEven(m / 100.0));
    } else {
        SetStepValue(1);
    }
}

void ProgressCounter::SetStepValue(std::int32_t step) {
    step_ = step;
    counter_ = 0;
}

bool ProgressCounter::Moves(std::int32_t n) const {
    if (n == 0) return false;
    if (step_ == 0) throw PlatformError(kErrorDivisionByZero, "Division by zero");
    // A step of -1 would overflow the remainder of the smallest item number.
    if (step_ == -1) return true;
    return n % step_ == 0;
}

std::int32_t ProgressCounter::Advance() {
    std::int32_t increment = step_ == 1 ? 10 : 1;
    if (counter_ > std::numeric_limits<std::int32_t>::max() - increment)
        throw PlatformError(kErrorOverflow, "Overflow");
    counter_ += increment;
    return counter_;
}

std::optional<std::int32_t> ProgressCounter::Raise(std::int32_t n) {
    if (!Moves(n)) return std::nullopt;
    return Advance();
}

}  // namespace vendral
