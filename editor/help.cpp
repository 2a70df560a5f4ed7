// help.cpp - F1's pages and "?help"'s lines, both from the key table and the command table.
#include "editor/help.h"

#include "console/console.h"
#include "editor/commands/command_table.h"
#include "editor/editor_state.h"
#include "editor/help_table.h"
#include "render/helpviewer.h"

#include <cstdio>
#include <span>
#include <string>
#include <vector>

namespace {

constexpr int kRowsPerPage = 17; // a page fits a 320 x 240 window

void add_pages(const char* title, std::span<const CommandHelpLine> rows, int* page, int pages) {
    char line[HELP_LINE_CHARS + 16];
    for (size_t i = 0; i < rows.size(); ++i) {
        if (i % kRowsPerPage == 0) {
            ++*page;
            std::snprintf(line, sizeof line, "#%%YOstrel%%W - page %d of %d: %%G%s", *page, pages,
                          title);
            helpviewer_add_line(app().help, line);
        }
        std::snprintf(line, sizeof line, "%%G%-28s%%W %.*s", rows[i].input.c_str(),
                      static_cast<int>(rows[i].effect.size()), rows[i].effect.data());
        helpviewer_add_line(app().help, line);
    }
}

int pages_of(size_t rows) {
    return static_cast<int>((rows + kRowsPerPage - 1) / kRowsPerPage);
}

// The key table's rows in the command help's shape, so both print alike.
std::vector<CommandHelpLine> key_lines() {
    std::vector<CommandHelpLine> lines;
    for (const HelpRow& row : kKeyHelp)
        lines.push_back({std::string(row.input), row.effect});
    return lines;
}

} // namespace

void help_fill_viewer() {
    helpviewer_release(app().help);
    const std::vector<CommandHelpLine> keys = key_lines(), commands = commands_help();
    const int pages = pages_of(keys.size()) + pages_of(commands.size());
    int page = 0;
    add_pages("keys and mouse", keys, &page, pages);
    add_pages("console commands", commands, &page, pages);
}

void help_print() {
    auto print = [](const CommandHelpLine& row) {
        console_print(app().console, 1, "  %s: %.*s", row.input.c_str(),
                      static_cast<int>(row.effect.size()), row.effect.data());
    };
    console_print(app().console, 1, "keys and mouse (F1 shows them page by page):");
    for (const CommandHelpLine& row : key_lines())
        print(row);
    console_print(app().console, 1, "commands:");
    for (const CommandHelpLine& row : commands_help())
        print(row);
    console_print(app().console, 1,
                  "the wheel over the console, or Page Up in a console line, scrolls back");
}
