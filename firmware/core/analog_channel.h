// One analog channel and the three settings bytes the plugin sends for it
// (the "A" settings reply):
//   byte 0  how the channel reports:
//           0        not used
//           1        as a switch: "A3+" above 60 % of the travel, "A3-"
//                    below 40 % (a key written with + or -)
//           2..50    the reading ("A3 512", thousandths of the travel), sent
//                    when it moved by at least this many thousandths
//           51..127  the reading, sent when it moved by 3 thousandths or more
//                    (101 is a plain key)
//           128..255 a selector of byte 0 - 127 positions (a resistor
//                    ladder): "A3/2" when it stands in position 2 of them
//   byte 1  where the travel begins, in percent of the supply (default 0)
//   byte 2  where it ends, in percent (default 100); a lever that does not
//           reach the rails still gives 0 to 1000
#pragma once

#include <stdint.h>

#include "input_queue.h"

namespace kxfw {

class AnalogChannel {
  public:
    void Configure(const uint8_t settings[3]);
    bool used() const { return how_ != 0; }

    // A 10-bit reading of the channel; true with *event set when it is to be
    // reported (the caller queues it, or calls again when there is no room).
    bool Sample(uint8_t channel, uint16_t raw, InputEvent* event);
    // What the channel shows now, for a report of every input; false before
    // the first reading.
    bool Current(uint8_t channel, InputEvent* event) const;
    // The report was queued: it is what the plugin has now.
    void Sent(const InputEvent& event);

    // A 10-bit reading in thousandths of the travel.
    uint16_t Thousandths(uint16_t raw) const;

  private:
    uint8_t how_ = 0;
    uint16_t from_ = 0;       // the travel's start, as a 10-bit reading
    uint32_t scale_ = 64064;  // thousandths per reading step, x 65536
    uint16_t now_ = 0xFFFF;   // thousandths of the latest reading
    uint16_t sent_ = 0xFFFF;  // value (reading, position, switch 0/1) last reported
    uint8_t seen_ = 0;        // selector: position of the previous reading
};

}  // namespace kxfw
