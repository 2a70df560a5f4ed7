// help.cpp - F1's pages and "?help"'s lines, both from the help table.
#include "editor/help.h"

#include "console/console.h"
#include "editor/editor_state.h"
#include "editor/help_table.h"
#include "render/helpviewer.h"

#include <cstdio>
#include <span>

namespace {

constexpr int kRowsPerPage = 17; // a page fits a 320 x 240 window

void add_pages(const char* title, std::span<const HelpRow> rows, int* page, int pages) {
    char line[HELP_LINE_CHARS + 16];
    for (size_t i = 0; i < rows.size(); ++i) {
        if (i % kRowsPerPage == 0) {
            ++*page;
            std::snprintf(line, sizeof line, "#%%YOstrel%%W - page %d of %d: %%G%s", *page, pages,
                          title);
            helpviewer_add_line(app().help, line);
        }
        std::snprintf(line, sizeof line, "%%G%-28.*s%%W %.*s",
                      static_cast<int>(rows[i].input.size()), rows[i].input.data(),
                      static_cast<int>(rows[i].effect.size()), rows[i].effect.data());
        helpviewer_add_line(app().help, line);
    }
}

int pages_of(size_t rows) {
    return static_cast<int>((rows + kRowsPerPage - 1) / kRowsPerPage);
}

} // namespace

void help_fill_viewer() {
    helpviewer_release(app().help);
    const int pages = pages_of(std::size(kKeyHelp)) + pages_of(std::size(kCommandHelp));
    int page = 0;
    add_pages("keys and mouse", kKeyHelp, &page, pages);
    add_pages("console commands", kCommandHelp, &page, pages);
}

void help_print() {
    console_print(app().console, 1, "keys and mouse (F1 shows them page by page):");
    for (const HelpRow& row : kKeyHelp)
        console_print(app().console, 1, "  %.*s: %.*s", static_cast<int>(row.input.size()),
                      row.input.data(), static_cast<int>(row.effect.size()), row.effect.data());
    console_print(app().console, 1, "commands:");
    for (const HelpRow& row : kCommandHelp)
        console_print(app().console, 1, "  %.*s: %.*s", static_cast<int>(row.input.size()),
                      row.input.data(), static_cast<int>(row.effect.size()), row.effect.data());
    console_print(app().console, 1,
                  "the wheel over the console, or Page Up in a console line, scrolls back");
}
