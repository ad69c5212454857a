#include "render/PictureArea.h"

#include <spdlog/spdlog.h>

#include <random>
#include <set>

#include "platform/config/Settings.h"
#include "platform/display/Display.h"
#include "platform/events/EventLog.h"
#include "platform/fs/DeviceFs.h"
#include "render/AreaDrawing.h"
#include "render/AreaFrame.h"
#include "render/ItemEffects.h"
#include "render/PictureFile.h"
#include "render/effects/Effects.h"

namespace led {
namespace {

// The board loads pictures at their own size and copies them window-sized
// from their top-left corner, never scaled (scaling blurs LED text that is a
// pixel or two off). A picture of another size is placed once on a
// window-sized surface, cut at the window's edges and on the area's
// background where it does not reach (the effect filled the window with it
// first), so that the effect's frames and the final copy agree.
Surface PlaceInWindow(Surface picture, Size window, Colour background) {
    if (picture.GetSize() == window || window.width <= 0 || window.height <= 0) return picture;
    Surface placed = Surface::Uninitialised(window.width, window.height);
    Canvas canvas(placed);
    canvas.FillAll(background);
    canvas.Copy(picture);
    return placed;
}

class PictureItems {
public:
    explicit PictureItems(const AreaContext& c)
        : codec_(c.services.settings.imageMaxPixels),
          random_(std::random_device{}()),
          background_{uint32_t(c.area.backgroundColour)} {}

    // One item; false when the stop flag was seen.
    bool Play(const AreaContext& c, Window& window, const AreaItem& item) {
        ImageResult loaded = LoadPictureFile(codec_, c.services.fs, item.path, background_);
        if (!loaded) {
            // Skipped without remain time; said once per file, not every cycle.
            if (reported_.insert(item.path).second)
                spdlog::warn("picture {}: {}", item.path, loaded.Message());
            return true;
        }
        const Rect frame = window.Frame();
        std::optional<Surface> picture =
            PlaceInWindow(std::move(loaded.picture), {frame.width, frame.height}, background_);
        const int entry = RunItemEntryEffect(c, window, *picture, item, EffectColumn::Picture,
                                             random_, background_);
        if (c.StopRequested()) return false;
        if (entry != 42) DrawPlain(window, &*picture);
        if (c.layer == Layer::Normal) picture.reset();  // the window keeps what it shows

        c.WaitOrStop(int64_t(item.remain) * 1000);
        if (c.StopRequested()) return false;

        if (c.layer == Layer::Osd)
            RunItemExitEffect(c, window, *picture, item, random_, background_);
        return !c.StopRequested();
    }

private:
    ImageCodec codec_;
    std::minstd_rand random_;
    Colour background_;
    std::set<std::string> reported_;
};

}  // namespace

void RunPictureArea(const AreaContext& c) {
    PictureItems items(c);
    const bool osd = c.layer == Layer::Osd;
    PictureLikeBody body{osd ? "OSD picture window" : "picture window",
                         osd ? "OSD PictureArea completed" : "PictureArea completed",
                         /*pictureBody=*/true,
                         /*sleepBeforeCycle=*/1,
                         /*sleepBeforeItem=*/1,
                         /*sleepAfterCycle=*/100,
                         [&items](const AreaContext& ctx, Window& window, const AreaItem& item) {
                             return items.Play(ctx, window, item);
                         }};
    RunPictureLikeArea(c, body);
}

}  // namespace led
