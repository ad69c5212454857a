#pragma once
// One routine per effect family; the direction comes from the run's recipe.

namespace led {

class EffectRun;

void RunPush(EffectRun& run);
void RunEdgeWipe(EffectRun& run);
void RunSplit(EffectRun& run);
void RunDoors(EffectRun& run);
void RunSlats(EffectRun& run);
void RunComb(EffectRun& run);
void RunCornerBox(EffectRun& run);
void RunProportionalCorner(EffectRun& run);
void RunDiagonal(EffectRun& run);
void RunBox(EffectRun& run);
void RunBoxIn(EffectRun& run);
void RunCross(EffectRun& run);
void RunMask(EffectRun& run);
void RunCornerFlyIn(EffectRun& run);
void RunSweep(EffectRun& run);
void RunZoom(EffectRun& run);
void RunSqueeze(EffectRun& run);
void RunStretchSlide(EffectRun& run);
void RunSmear(EffectRun& run);
void RunDissolve(EffectRun& run);
void RunGridGrowth(EffectRun& run);
void RunSlideInBands(EffectRun& run);
void RunBlockZoom(EffectRun& run);

}  // namespace led
