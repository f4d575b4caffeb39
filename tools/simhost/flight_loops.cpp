// Flight loops on a virtual clock.
//
// An interval is positive seconds, negative frames (-1: the next frame) or 0
// (registered, not called). A callback's result is its next interval, counted
// from that call; a registration or a XPLMSetFlightLoopCallbackInterval
// "relative to now" counts from the moment of the call, so a callback
// registered during a frame is first due relative to that frame.
//
// While the plugin is disabled no loop is called, but every loop keeps its
// schedule: one that fell due meanwhile is simply due on the first frame
// after the plugin is enabled again, as in the simulator, and is called once
// there with the whole time since its last call.
#include <algorithm>
#include <climits>
#include <cmath>
#include <memory>

#include "XPLMProcessing.h"
#include "internal.h"
#include "simhost.h"

namespace simhost {
namespace {

struct LoopRecord {
    FlightLoop loop;
    bool live = true;
    bool scheduled = false;
    bool byFrames = false;
    double dueTime = 0;
    long long dueFrame = 0;
    double lastCallTime = 0;  // or the registration time before the first call
    long long lastCallFrame = 0;
};

struct Clock {
    double now = 0;
    int frames = 0;
    double period = 0.025;
    bool flightTimeRunning = false;
    double lastDispatchTime = 0;
    bool dispatching = false;
    std::vector<std::unique_ptr<LoopRecord>> loops;  // in registration order
};

Clock& State() {
    static Clock clock;
    return clock;
}

const char kFlightTime[] = "sim/time/total_flight_time_sec";
const char kFrameRatePeriod[] = "sim/operation/misc/frame_rate_period";

// A float interval such as 0.025f is a little longer than the decimal it
// stands for, while the clock advances by the exact period; this tolerance
// keeps a 0.025 s callback due on every 0.025 s frame.
double DueTolerance(double interval) {
    return 1e-6 * std::max(1.0, interval);
}

// -2.0 -> 2 frames; fractions round, and at least one frame passes.
long long FramesOf(float interval) {
    double frames = std::min(-static_cast<double>(interval), static_cast<double>(INT_MAX));
    return std::max(1LL, std::llround(frames));
}

void Schedule(LoopRecord& record, float interval, double fromTime, long long fromFrame) {
    record.loop.interval = interval;
    record.scheduled = interval != 0 && !std::isnan(interval);
    if (!record.scheduled) return;
    record.byFrames = interval < 0;
    if (record.byFrames) {
        record.dueFrame = fromFrame + FramesOf(interval);
    } else {
        record.dueTime = fromTime + interval - DueTolerance(interval);
    }
}

bool IsDue(const LoopRecord& record) {
    if (!record.live || !record.scheduled) return false;
    if (record.byFrames) return State().frames >= record.dueFrame;
    return State().now >= record.dueTime;
}

LoopRecord* FindLive(XPLMFlightLoop_f callback, void* refcon) {
    for (auto& record : State().loops) {
        if (record->live && record->loop.callback == callback && record->loop.refcon == refcon)
            return record.get();
    }
    return nullptr;
}

// Drops unregistered loops, but never while a dispatch walks the list.
void RemoveDeadLoops() {
    Clock& clock = State();
    if (clock.dispatching) return;
    auto& loops = clock.loops;
    loops.erase(std::remove_if(loops.begin(), loops.end(), [](const auto& r) { return !r->live; }),
                loops.end());
}

void CallLoop(LoopRecord& record) {
    Clock& clock = State();
    float sinceLastCall = static_cast<float>(clock.now - record.lastCallTime);
    float sinceLastLoop = static_cast<float>(clock.now - clock.lastDispatchTime);
    float next =
        record.loop.callback(sinceLastCall, sinceLastLoop, clock.frames, record.loop.refcon);
    ++record.loop.calls;
    record.lastCallTime = clock.now;
    record.lastCallFrame = clock.frames;
    // A callback that unregistered itself has no next call.
    if (record.live) Schedule(record, next, clock.now, clock.frames);
}

// Calls the loops that are due, from the list as it was when the frame
// began: loops registered meanwhile wait for a later frame. A disabled
// plugin's loops stay due and wait for it.
int DispatchFlightLoops() {
    Clock& clock = State();
    if (!PluginCallable()) {
        clock.lastDispatchTime = clock.now;
        return 0;
    }
    std::vector<LoopRecord*> due;
    for (auto& record : clock.loops) due.push_back(record.get());
    clock.dispatching = true;
    int called = 0;
    for (LoopRecord* record : due) {
        if (!IsDue(*record)) continue;
        CallLoop(*record);
        ++called;
    }
    clock.dispatching = false;
    clock.lastDispatchTime = clock.now;
    RemoveDeadLoops();
    return called;
}

void AdvanceFlightTime() {
    if (State().flightTimeRunning && HasDataRef(kFlightTime) && !IsPluginDataRef(kFlightTime))
        SetValue(kFlightTime, GetValue(kFlightTime) + State().period);
}

}  // namespace

namespace detail {

void ResetFlightLoops() {
    Clock& clock = State();
    for (auto& record : clock.loops) record->live = false;
    RemoveDeadLoops();
    clock.now = 0;
    clock.frames = 0;
    clock.period = 0.025;
    clock.flightTimeRunning = false;
    clock.lastDispatchTime = 0;
}

}  // namespace detail

std::vector<FlightLoop> FlightLoops() {
    std::vector<FlightLoop> loops;
    for (auto& record : State().loops) {
        if (record->live) loops.push_back(record->loop);
    }
    return loops;
}

const FlightLoop* FindFlightLoop(XPLMFlightLoop_f callback) {
    for (auto& record : State().loops) {
        if (record->live && record->loop.callback == callback) return &record->loop;
    }
    return nullptr;
}

void SetFramePeriod(double seconds) {
    if (!(seconds > 0)) return;  // a clock that does not advance would hang RunFor
    State().period = seconds;
    if (HasDataRef(kFrameRatePeriod) && !IsPluginDataRef(kFrameRatePeriod))
        SetValue(kFrameRatePeriod, seconds);
}

double FramePeriod() {
    return State().period;
}

int RunFrame() {
    Clock& clock = State();
    if (clock.dispatching) return 0;  // a callback cannot run a frame inside a frame
    clock.now += clock.period;
    ++clock.frames;
    AdvanceFlightTime();
    int called = DispatchFlightLoops();
    detail::ContinueHeldCommands();
    return called;
}

void RunFrames(int frames) {
    for (int i = 0; i < frames; ++i) RunFrame();
}

void RunFor(double seconds) {
    if (State().dispatching) return;
    const double end = State().now + seconds - 1e-9;
    while (State().now < end) RunFrame();
}

double Now() {
    return State().now;
}

int FrameCount() {
    return State().frames;
}

void SetFlightTimeRunning(bool running) {
    State().flightTimeRunning = running;
}

}  // namespace simhost

using simhost::LoopRecord;

float XPLMGetElapsedTime(void) {
    return static_cast<float>(simhost::Now());
}

int XPLMGetCycleNumber(void) {
    return simhost::FrameCount();
}

// Registering a callback and refcon that are already registered reschedules
// that registration instead of adding a second one that would run twice
// (from inside that callback, the callback's result then wins).
void XPLMRegisterFlightLoopCallback(XPLMFlightLoop_f inFlightLoop, float inInterval,
                                    void* inRefcon) {
    if (inFlightLoop == nullptr) return;
    simhost::Clock& clock = simhost::State();
    LoopRecord* record = simhost::FindLive(inFlightLoop, inRefcon);
    if (record == nullptr) {
        clock.loops.push_back(std::make_unique<LoopRecord>());
        record = clock.loops.back().get();
        record->loop.callback = inFlightLoop;
        record->loop.refcon = inRefcon;
    }
    record->lastCallTime = clock.now;
    record->lastCallFrame = clock.frames;
    simhost::Schedule(*record, inInterval, clock.now, clock.frames);
}

void XPLMUnregisterFlightLoopCallback(XPLMFlightLoop_f inFlightLoop, void* inRefcon) {
    LoopRecord* record = simhost::FindLive(inFlightLoop, inRefcon);
    if (record == nullptr) return;
    record->live = false;
    simhost::RemoveDeadLoops();
}

// Called from inside the callback itself, the callback's result wins, as the
// published API asks callbacks to use their result instead.
void XPLMSetFlightLoopCallbackInterval(XPLMFlightLoop_f inFlightLoop, float inInterval,
                                       int inRelativeToNow, void* inRefcon) {
    LoopRecord* record = simhost::FindLive(inFlightLoop, inRefcon);
    if (record == nullptr) return;
    simhost::Clock& clock = simhost::State();
    if (inRelativeToNow) {
        simhost::Schedule(*record, inInterval, clock.now, clock.frames);
    } else {
        simhost::Schedule(*record, inInterval, record->lastCallTime, record->lastCallFrame);
    }
}
