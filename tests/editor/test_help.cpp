// The key table and the command table's help against the README's key and command tables.
#include "editor/commands/command_table.h"
#include "editor/help_table.h"
#include "editor_fixture.h"

#include <algorithm>
#include <fstream>
#include <set>

namespace {

// The first cell of every table row in the README's part on the editor, without its code
// marks and with its escaped bars put back.
std::set<std::string> readme_first_cells() {
    std::ifstream in(std::string(OSTREL_SOURCE_DIR) + "/README.md");
    std::set<std::string> cells;
    std::string line;
    bool editor_part = false;
    while (std::getline(in, line)) {
        if (line.rfind("## ", 0) == 0) editor_part = line == "## Using the editor";
        if (!editor_part || line.rfind("| ", 0) != 0) continue;
        std::string cell;
        for (size_t i = 2; i < line.size() && line.compare(i, 3, " | ") != 0; ++i) {
            if (line[i] == '\\' && i + 1 < line.size() && line[i + 1] == '|') continue;
            if (line[i] != '`') cell += line[i];
        }
        if (cell != "Input" && cell != "Command") cells.insert(cell);
    }
    return cells;
}

TEST(Help, KeyAndCommandTablesMatchTheReadme) {
    std::set<std::string> help;
    for (const HelpRow& row : kKeyHelp)
        help.emplace(row.input);
    for (const CommandHelpLine& line : commands_help())
        help.insert(line.input);
    const std::set<std::string> readme = readme_first_cells();
    ASSERT_FALSE(readme.empty()) << "README.md not found under " << OSTREL_SOURCE_DIR;
    std::vector<std::string> only_readme, only_help;
    std::set_difference(readme.begin(), readme.end(), help.begin(), help.end(),
                        std::back_inserter(only_readme));
    std::set_difference(help.begin(), help.end(), readme.begin(), readme.end(),
                        std::back_inserter(only_help));
    EXPECT_EQ(only_readme, std::vector<std::string>()) << "in the README, not in the help";
    EXPECT_EQ(only_help, std::vector<std::string>()) << "in the help, not in the README";
}

} // namespace
