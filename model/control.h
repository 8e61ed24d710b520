// Run control shared between an engine worker and the front end that drives it:
// an atomic halt flag and an optional event-pump hook.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>

namespace gw {

// Owned by the front end. The engine only reads `halt` and calls the hooks.
struct RunControl {
    std::atomic<bool> halt{false};
    // Processes pending window events. Called from inside long operations,
    // at most once every `pumpEvery` yield points.
    std::function<void()> pumpHook;
    // Called when a long operation sees the halt flag and returns early
    // (the window disables its timer there).
    std::function<void()> haltSeenHook;
    std::uint32_t pumpEvery = 64;
};

// A worker's view of the run control. Cheap to call at every yield point:
// without a hook a yield is a counter decrement, and the halt test is one
// relaxed atomic load.
class Yielder {
public:
    Yielder() = default;
    explicit Yielder(RunControl* rc) : rc_(rc) {}

    // One pass of pending window events (throttled by `pumpEvery`).
    void Pump() {
        if (rc_ == nullptr || !rc_->pumpHook) return;
        if (--countdown_ == 0) {
            countdown_ = rc_->pumpEvery == 0 ? 1 : rc_->pumpEvery;
            rc_->pumpHook();
        }
    }

    bool Halted() const { return rc_ != nullptr && rc_->halt.load(std::memory_order_relaxed); }

    // Reports that a long operation saw the halt flag and is returning early.
    void HaltSeen() const {
        if (rc_ != nullptr && rc_->haltSeenHook) rc_->haltSeenHook();
    }

    // Pump, then test the flag; on a halt also report it. True means stop.
    bool PumpAndCheckHalt() {
        Pump();
        if (!Halted()) return false;
        HaltSeen();
        return true;
    }

    RunControl* control() const { return rc_; }

private:
    RunControl* rc_ = nullptr;
    std::uint32_t countdown_ = 1;
};

}  // namespace gw
