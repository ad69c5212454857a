// The rich text reader and the empty-line normaliser on arbitrary bytes.
// Seeds: tests/fuzz/corpus/rtf, templates as the management tool and word
// processors write them.

#include <cstddef>
#include <cstdint>
#include <string>

#include "storage/RichText.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    led::RichText parsed;
    led::ParseRichText(text, parsed);
    for (const led::TextRun& run : parsed.runs)
        if (run.text.empty()) __builtin_trap();
    led::RichText normalised;
    led::ParseRichText(led::NormaliseEmptyLinesText(text), normalised);
    (void)led::RichTextJson(true, parsed);
    return 0;
}
