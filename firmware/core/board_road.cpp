#include "board_road.h"

namespace kxfw {

RoadAnswer BoardRoad::Take(RoadEvent event, uint8_t indexByte) {
    RoadAnswer answer;
    switch (event) {
        case RoadEvent::Discovery:
            answer.identify = true;
            break;
        case RoadEvent::Ping:
            answer.identify = !configured_;
            break;
        case RoadEvent::InputRequest:
            answer.reportInputs = configured_;
            break;
        case RoadEvent::ConfigUpload:
        case RoadEvent::IdReply:
            // A numbered board takes the upload, a self-configuring board the
            // ID reply; each ignores the other's message.
            if ((event == RoadEvent::ConfigUpload) == selfConfiguring_) {
                answer.wrongKind = true;
                break;
            }
            answer = Configure(indexByte);
            break;
        case RoadEvent::AnalogSettings:
            answer = Settings(RoadPhase::WaitingForAnalogSettings,
                              RoadPhase::WaitingForSevenSegmentSettings, 'n');
            break;
        case RoadEvent::SevenSegmentSettings:
            answer = Settings(RoadPhase::WaitingForSevenSegmentSettings,
                              RoadPhase::WaitingForStepperSettings, 's');
            break;
        case RoadEvent::StepperSettings:
            answer = Settings(RoadPhase::WaitingForStepperSettings, RoadPhase::Running, 'w');
            break;
        case RoadEvent::Other:
            break;
    }
    return answer;
}

// A new configuration starts the road again: what the previous one brought
// no longer holds, and the plugin keeps the outputs off until asked again.
RoadAnswer BoardRoad::Configure(uint8_t indexByte) {
    RoadAnswer answer;
    configured_ = true;
    indexByte_ = indexByte;
    phase_ = RoadPhase::WaitingForAnalogSettings;
    answer.configured = true;
    answer.request = 'a';
    return answer;
}

RoadAnswer BoardRoad::Settings(RoadPhase expected, RoadPhase next, char request) {
    RoadAnswer answer;
    if (phase_ != expected) {
        answer.outOfTurn = true;
        return answer;
    }
    phase_ = next;
    answer.request = request;
    return answer;
}

}  // namespace kxfw
