#pragma once
// The OSD window command: before an OSD program starts, the receiving card is
// told where the OSD band begins in the raster and where the program's areas
// begin, so that it overlays the right lines on the screen.

namespace led {

class CardPorts;
struct ProgramRecord;

// The smallest original top among the program's areas (99999 when it has
// none), then SendProgramPair(osdOffsetLine, that top): "*#WL 0020 0004
// LLLLTTTT#*" and 50 ms for the card. The OSD scheduler calls this before each
// OSD program start. Returns SendProgramPair's result.
int SendOsdWindowCommand(CardPorts& ports, const ProgramRecord& program, int osdOffsetLine);

// The top used above, exposed for the scheduler's log and for tests.
int SmallestOriginalTop(const ProgramRecord& program);

}  // namespace led
