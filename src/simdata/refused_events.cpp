#include "simdata/refused_events.h"

#include "base/log.h"

RefusedEvents refusedEvents;

namespace {

constexpr double kReportInterval = 1.0;

}  // namespace

void CountRefusedInputEvent() {
    ++refusedEvents.count;
}

void ReportRefusedInputEvents(double now) {
    if (refusedEvents.count == 0 || now - refusedEvents.lastReport < kReportInterval) return;
    Log("\nIgnored " + Decimal(static_cast<long long>(refusedEvents.count)) +
        " input events from senders that are not the board they name");
    refusedEvents.count = 0;
    refusedEvents.lastReport = now;
}
