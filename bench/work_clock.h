// Times the work of a benchmark and, in the instruction-count mode (run under
// "valgrind --tool=callgrind --collect-atstart=no"), switches callgrind's
// collection on for exactly that work, so that connecting, opening and setting
// up stay out of the count.
#pragma once

#include <chrono>

#if __has_include(<valgrind/callgrind.h>)
#include <valgrind/callgrind.h>
#define VENDRAL_TOGGLE_COLLECT() CALLGRIND_TOGGLE_COLLECT
#else
#define VENDRAL_TOGGLE_COLLECT() ((void)0)
#endif

namespace vendral::bench {

// Set once by the benchmark's main before any work starts.
inline bool collectInstructions = false;

class WorkClock {
  public:
    WorkClock() : start_(std::chrono::steady_clock::now()) {
        if (collectInstructions) VENDRAL_TOGGLE_COLLECT();
    }
    // The seconds since the start; ends the collection. Called once.
    double Stop() {
        double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
        if (collectInstructions && !stopped_) VENDRAL_TOGGLE_COLLECT();
        stopped_ = true;
        return seconds;
    }
    ~WorkClock() {
        if (!stopped_) Stop();
    }
    WorkClock(const WorkClock&) = delete;
    WorkClock& operator=(const WorkClock&) = delete;

  private:
    std::chrono::steady_clock::time_point start_;
    bool stopped_ = false;
};

}  // namespace vendral::bench
