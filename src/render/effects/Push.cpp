// Push: the window looks through a strip of the old content followed by the
// picture; the strip moves one step per frame, so the old content leaves on
// one side while the picture follows it in. Erasing pushes the picture out
// with the background following.

#include "render/effects/EffectRun.h"
#include "render/effects/Families.h"

namespace led {

void RunPush(EffectRun& run) {
    const int length = run.Width(), height = run.Height();
    const Surface* leaving = &run.Picture();
    if (!run.Erasing()) {
        run.KeepOld();
        leaving = &run.Old();
    }
    const Surface& arriving = run.Source();
    run.Frames(0, length, [&](Canvas& canvas, int, int offset) {
        run.Copy(canvas, *leaving, {offset, 0, length - offset, height}, {0, 0});
        run.Copy(canvas, arriving, {0, 0, offset, height}, {length - offset, 0});
    });
}

}  // namespace led
