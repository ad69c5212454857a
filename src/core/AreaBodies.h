#pragma once
// Which body plays an area of a given type on a given layer. The subsystems
// that draw areas register their bodies at start-up (the application fills
// the table, as a media player fills its list of outputs); the launcher only
// looks them up, so it knows no renderer.

#include <vector>

#include "core/AreaContext.h"
#include "core/LayerState.h"

namespace led {

using AreaBody = void (*)(const AreaContext&);

struct AreaBodyChoice {
    AreaBody body;
    const char* name;  // for logs and events
    int priority;      // the board's scale: 4 below normal; video runs at 3
};

// The NULL area: the body of every type without one of its own. It reports
// its cycle as an empty area does and ends.
void RunNullArea(const AreaContext& context);

class AreaBodyRegistry {
public:
    struct Row {
        int type;
        const char* name;
        AreaBody normal;  // nullptr: the NULL area on the normal layer
        AreaBody osd;     // nullptr: the NULL area on the OSD layer
    };

    // A later row for the same type replaces the earlier one.
    void Register(const Row& row);
    // The NULL area for any type (or layer) without a registered body.
    AreaBodyChoice Choose(int type, Layer layer) const;

private:
    std::vector<Row> rows_;
};

}  // namespace led
