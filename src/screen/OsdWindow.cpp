#include "screen/OsdWindow.h"

#include <algorithm>

#include "core/Records.h"
#include "screen/CardSenders.h"

namespace led {

int SmallestOriginalTop(const ProgramRecord& program) {
    int top = 99999;
    for (const auto& area : program.areas) top = std::min(top, int(area.originalRect[1]));
    return top;
}

int SendOsdWindowCommand(CardPorts& ports, const ProgramRecord& program, int osdOffsetLine) {
    return SendProgramPair(ports, osdOffsetLine, SmallestOriginalTop(program));
}

}  // namespace led
