#include "render/PagedArea.h"

#include <spdlog/spdlog.h>

#include <random>
#include <set>

#include "platform/config/Settings.h"
#include "platform/display/Display.h"
#include "platform/fs/DeviceFs.h"
#include "platform/image/ImageCodec.h"
#include "render/AreaFrame.h"
#include "render/ItemEffects.h"
#include "render/PictureFile.h"
#include "render/effects/Effects.h"

namespace led {
namespace {

// An item whose pages all fail to load shows nothing; the pause keeps an
// area of missing pages from spinning a core (the table body has no sleeps
// of its own).
constexpr int kNothingShownPauseMs = 20;

class PagedItems {
public:
    PagedItems(const AreaContext& c, PagedKind kind)
        : kind_(kind),
          codec_(c.services.settings.imageMaxPixels),
          random_(std::random_device{}()),
          background_{uint32_t(c.area.backgroundColour)} {}

    // One item; false when the stop flag was seen.
    bool Play(const AreaContext& c, Window& window, const AreaItem& item) {
        bool shown = false;
        for (const std::string& path : item.pageFiles) {
            if (kind_ == PagedKind::PictureText) c.Sleep(1);
            std::optional<Surface> page = Load(c, path);
            if (!page) continue;
            shown = true;
            if (!PlayPage(c, window, item, *page)) return false;
        }
        if (!shown) c.Sleep(kNothingShownPauseMs);
        return !c.StopRequested();
    }

private:
    std::optional<Surface> Load(const AreaContext& c, const std::string& path) {
        ImageResult loaded = LoadBoardImage(codec_, c.services.fs, path, background_);
        if (loaded) return std::move(loaded.picture);
        if (reported_.insert(path).second) spdlog::warn("page {}: {}", path, loaded.Message());
        return std::nullopt;
    }

    bool PlayPage(const AreaContext& c, Window& window, const AreaItem& item, const Surface& page) {
        const int entry = RunItemEntryEffect(c, window, page, item, EffectColumn::Text, random_,
                                             background_, firstPage_);
        if (entry == 5 || entry == 7) firstPage_ = false;  // the continuous pushes
        // The page stays as the effect's last frame left it: no final copy.
        if (c.StopRequested()) return false;

        c.WaitOrStop(int64_t(item.remain) * 1000);
        if (c.StopRequested()) return false;

        // Only the OSD picture-text body takes its pages out; the page is
        // released after the exit effect, which may need it (84 to 108 show it).
        if (kind_ == PagedKind::PictureText && c.layer == Layer::Osd)
            RunItemExitEffect(c, window, page, item, random_, background_);
        return !c.StopRequested();
    }

    PagedKind kind_;
    ImageCodec codec_;
    std::minstd_rand random_;
    Colour background_;
    // Set when the area starts; cleared by the first continuous push, so only
    // the very first page is preceded by a clear.
    bool firstPage_ = true;
    std::set<std::string> reported_;
};

}  // namespace

void RunPagedArea(const AreaContext& c, PagedKind kind) {
    PagedItems items(c, kind);
    const bool osd = c.layer == Layer::Osd;
    const bool table = kind == PagedKind::Table;
    const char* title = table ? (osd ? "OSD table text window" : "table text window")
                              : (osd ? "OSD picture text window" : "picture text window");
    const char* cycleText =
        table ? (osd ? "OSD Table text Area completed" : "Table text Area completed")
              : (osd ? "OSD Pic text Area completed" : "Pic text Area completed");
    PictureLikeBody body{title,
                         cycleText,
                         /*pictureBody=*/false,
                         /*sleepBeforeCycle=*/0,
                         /*sleepBeforeItem=*/table ? 0 : 1,
                         /*sleepAfterCycle=*/table ? 0 : 1,
                         [&items](const AreaContext& ctx, Window& window, const AreaItem& item) {
                             return items.Play(ctx, window, item);
                         }};
    RunPictureLikeArea(c, body);
}

}  // namespace led
