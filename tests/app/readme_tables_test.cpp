// The README's tables of configuration keys and command codes are what
// `ledplayer --help-config` and `--help-commands` print: a key or command
// added, renamed or changed without regenerating the README fails here.

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "net/Command.h"
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

// The README holds the table `generated` starts with, line for line.
void ExpectDocumented(const std::string& generated, const char* command) {
    std::ifstream readme(std::string(LEDPLAYER_SOURCE_DIR) + "/README.md");
    ASSERT_TRUE(readme) << "README.md not found";
    std::istringstream generatedLines(generated);
    std::string header;
    std::getline(generatedLines, header);
    ASSERT_FALSE(header.empty());

    std::string documented = TableAt(readme, header);
    ASSERT_FALSE(documented.empty()) << "no table starting with \"" << header << "\" in README.md";
    generatedLines.clear();
    generatedLines.seekg(0);
    EXPECT_EQ(documented, TableAt(generatedLines, header))
        << "regenerate the README's table with `build/bin/ledplayer " << command << "`";
}

TEST(ReadmeTablesTest, ConfigurationKeysMatchHelpConfig) {
    ExpectDocumented(OptionsMarkdown(), "--help-config");
}

TEST(ReadmeTablesTest, CommandCodesMatchHelpCommands) {
    ExpectDocumented(CommandsMarkdown(), "--help-commands");
}

}  // namespace
}  // namespace led
