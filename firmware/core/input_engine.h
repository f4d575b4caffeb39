// The board's inputs as the pin table configures them, sampled by the
// hardware layer and turned into queued input events:
//   digital inputs (code 1)   "D<pin>+" when the contact closes (pin low,
//                             with the pull-up), "D<pin>-" when it opens;
//                             a change counts once it has held kDebounceMs
//   encoders (codes 2, 3)     "E<pin>+" / "E<pin>-" with the step count;
//                             phase A on the pin, phase B on the next pin;
//                             the second kind (code 3, key "e") counts the
//                             other way round; mode m > 0 counts each step
//                             1 + m times while steps follow within 40 ms;
//                             the "B" type (code + 12): two buttons, the pin
//                             one step up, the next pin one step down
//   matrix (codes 5, 6, 4)    rows on the first pin range, driven low in
//                             turn, columns on the second range with
//                             pull-ups; key "B<n>" with n = row x columns +
//                             column + 1; the single pin is key "B0"
//   analog channels           as their settings bytes say (analog_channel.h)
// "XR" asks for the state of every input: a report walks them all,
// queueing as many as the queue takes each turn.
#pragma once

#include <stdint.h>

#include "analog_channel.h"
#include "input_queue.h"
#include "quadrature.h"
#include "wire_format.h"

namespace kxfw {

const uint8_t kDebounceMs = 2;
const uint8_t kMaxEncoders = 27;
const uint8_t kMaxMatrixRows = 8;
const uint8_t kMaxMatrixColumns = 8;
const uint8_t kAccelerationWindowMs = 40;

struct EncoderSlot {
    uint8_t pin;
    bool reversed;     // second kind
    bool buttons;      // the "B" type
    uint8_t mode;      // acceleration
    uint8_t lastStep;  // time of the last step (ms, low 8 bits)
    bool stepped;      // lastStep holds a step
    QuadratureDecoder decoder;
};

class InputEngine {
  public:
    // From the pin table of the upload (54 codes); levels holds each pin's
    // level now (bit set = high), so nothing reads as a change at once.
    void Configure(const uint8_t* pinTable, const uint8_t* levels);
    void ConfigureAnalog(const uint8_t* settings48);
    // The queue and the report are dropped (a new configuration).
    void Clear();

    // Digital inputs, the matrix's single pin and encoder button pins.
    void SampleDigital(uint8_t pin, bool high, uint8_t nowMs);
    void SampleEncoder(uint8_t slot, uint8_t phases, uint8_t nowMs);
    // Column levels of one row (bit c set: column c reads high, open).
    void SampleMatrixRow(uint8_t row, uint8_t columnLevels, uint8_t nowMs);
    void SampleAnalog(uint8_t channel, uint16_t raw);

    void StartReport() { reportAt_ = 0; }
    bool reporting() const { return reportAt_ != kNoReport; }
    // Queues what the report still owes, as far as the queue takes it.
    void ContinueReport();

    InputQueue& queue() { return queue_; }
    uint8_t encoderCount() const { return encoderCount_; }
    const EncoderSlot& encoder(uint8_t slot) const { return encoders_[slot]; }
    bool IsDigitalInput(uint8_t pin) const { return pin < kPinCount && (state_[pin] & kDigital); }
    uint8_t matrixRowPin(uint8_t row) const { return static_cast<uint8_t>(rowFrom_ + row); }
    uint8_t matrixColumnPin(uint8_t column) const {
        return static_cast<uint8_t>(columnFrom_ + column);
    }
    uint8_t matrixRows() const { return rows_; }
    uint8_t matrixColumns() const { return columns_; }
    bool AnalogUsed(uint8_t channel) const { return analog_[channel].used(); }

  private:
    static bool Bit(const uint8_t* bits, uint8_t n) { return (bits[n >> 3] >> (n & 7)) & 1; }
    bool Debounce(uint8_t pin, bool high, uint8_t nowMs);
    void SetStable(uint8_t pin, bool high);
    void AddSteps(uint8_t pin, bool up, uint8_t steps);
    void ConfigureMatrix(const uint8_t* pinTable);
    bool ReportOne(uint16_t at, bool* queued);
    InputEvent DigitalEvent(uint8_t pin, bool high) const;

    static const uint16_t kNoReport = 0xFFFF;
    // A pin's state, one byte each: the loop reads every switch on every
    // pass, and a byte costs less than a bit picked out of a set.
    static const uint8_t kDigital = 1;  // reported as a switch
    static const uint8_t kHigh = 2;     // its stable level
    static const uint8_t kPending = 4;  // another level is waiting out the debounce

    uint8_t matrixPin_ = 0xFF;  // the matrix's single pin (key B0)
    uint8_t state_[kPinCount] = {};
    uint8_t since_[kPinCount] = {};

    EncoderSlot encoders_[kMaxEncoders];
    uint8_t encoderCount_ = 0;

    uint8_t rowFrom_ = 0, rows_ = 0, columnFrom_ = 0, columns_ = 0;
    uint8_t keyStable_[kMaxMatrixRows] = {};
    uint8_t keyPending_[kMaxMatrixRows] = {};
    uint8_t keySince_[kMaxMatrixRows] = {};

    AnalogChannel analog_[kAnalogChannels];
    InputQueue queue_;
    uint16_t reportAt_ = kNoReport;
};

}  // namespace kxfw
