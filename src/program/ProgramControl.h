#pragma once
// Starting and stopping the area threads of a layer. The stop is cooperative:
// raise the layer's stop flag, then poll the area exit counter every 100 ms.

#include <cstdint>
#include <memory>

#include "core/LayerState.h"
#include "core/Records.h"

namespace led {

class Player;

// Starts one thread per area of `program` on the layer and returns after
// 51 ms (the launcher may still be starting threads). The program becomes
// the layer's current-program slot.
void StartProgram(Player& player, std::shared_ptr<const ProgramRecord> program, Layer layer);

// 1 when the normal layer's area threads ended, 0 after the 30 s limit. With
// save, the current index is written to "\nand\table\curprog.dat" first.
int StopProgram(Player& player, int32_t areaCount, bool save);
int StopProgramWithoutLimit(Player& player, int32_t areaCount, bool save);
int StopOSDProgram(Player& player, int32_t areaCount);
int StopOSDProgramWithoutLimit(Player& player, int32_t areaCount);

}  // namespace led
