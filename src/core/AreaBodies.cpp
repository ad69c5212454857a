#include "core/AreaBodies.h"

#include <algorithm>
#include <cstdint>

namespace led {

void RunNullArea(const AreaContext& c) {
    static const char* const kText = "NULL Area completed";
    if (!c.area.items.empty()) {
        c.Sleep(200);
        c.StoreCycleCount(1);
        c.SendCycleMessage(reinterpret_cast<uintptr_t>(kText));
        c.Sleep(150);
    } else {
        c.StoreCycleCount(c.state.requiredPlaytimes.load());
        c.SendCycleMessage(reinterpret_cast<uintptr_t>(kText));
        c.Sleep(2);
    }
}

void AreaBodyRegistry::Register(const Row& row) {
    auto same =
        std::find_if(rows_.begin(), rows_.end(), [&](const Row& r) { return r.type == row.type; });
    if (same != rows_.end())
        *same = row;
    else
        rows_.push_back(row);
}

AreaBodyChoice AreaBodyRegistry::Choose(int type, Layer layer) const {
    // Video areas on the normal layer run one step above the other areas.
    const int priority = type == area_type::kVideo && layer == Layer::Normal ? 3 : 4;
    for (const Row& row : rows_) {
        if (row.type != type) continue;
        AreaBody body = layer == Layer::Normal ? row.normal : row.osd;
        if (body) return {body, row.name, priority};
        return {RunNullArea, "null", priority};
    }
    return {RunNullArea, "null", 4};
}

}  // namespace led
