// The README's table of configuration keys is what `ledplayer --help-config`
// prints: a key added, renamed or given another default without regenerating
// the README fails here.

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "platform/config/Settings.h"

namespace led {
namespace {

// The Markdown table that starts with `header`: the header line and every
// table line after it.
std::string TableAt(std::istream& text, const std::string& header) {
    std::string line, table;
    bool inside = false;
    while (std::getline(text, line)) {
        if (!inside && line.rfind(header, 0) != 0) continue;
        if (inside && (line.empty() || line[0] != '|')) break;
        inside = true;
        table += line + "\n";
    }
    return table;
}

TEST(ReadmeConfigTableTest, MatchesHelpConfig) {
    std::ifstream readme(std::string(LEDPLAYER_SOURCE_DIR) + "/README.md");
    ASSERT_TRUE(readme) << "README.md not found";
    std::string generated = OptionsMarkdown();
    std::istringstream generatedLines(generated);
    std::string header;
    std::getline(generatedLines, header);
    ASSERT_FALSE(header.empty());

    std::string documented = TableAt(readme, header);
    ASSERT_FALSE(documented.empty()) << "no table starting with \"" << header << "\" in README.md";
    generatedLines.clear();
    generatedLines.seekg(0);
    EXPECT_EQ(documented, TableAt(generatedLines, header))
        << "regenerate the README's table with `build/bin/ledplayer --help-config`";
}

}  // namespace
}  // namespace led
