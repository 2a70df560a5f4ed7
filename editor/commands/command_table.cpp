// command_table.cpp - the table of console commands and the parser that runs a line by it:
// whole-name matching, argument counts, words and number ranges checked before a handler runs.
#include "editor/commands/command_table.h"

#include "console/console.h"
#include "editor/commands/commands.h"
#include "editor/editor_state.h"
#include "editor/settings.h"

#include <cerrno>
#include <cstdlib>

namespace {

using enum ArgKind;

constexpr int32_t kCellMax = 1023; // the map's last row and column
constexpr int32_t kWarpMin = -32768, kWarpMax = 32767; // an autowarp's target is 16-bit

constexpr CommandArg kFile[] = {{"<file>", text}};
constexpr CommandArg kFileOptional[] = {{"<file>", text, true}};
constexpr CommandArg kTilesetFile[] = {{"<file.bmp>", text}};
constexpr CommandArg kRecent[] = {{"N", number, true, 1, static_cast<int32_t>(kRecentMaps)}};
constexpr CommandArg kTile[] = {{"<n>", number, false, 0, 255}};
constexpr CommandArg kWarp[] = {{"<x>", number, false, 0, kCellMax},
                                {"<y>", number, false, 0, kCellMax}};
constexpr CommandArg kAttribute[] = {{"KEY=value", text}};
constexpr CommandArg kKey[] = {{"KEY", text}};
constexpr CommandArg kFlip[] = {{"h|v", keyword}};
constexpr CommandArg kFill[] = {{"border", keyword, true}};
constexpr CommandArg kLine[] = {{"X1", number, false, 0, kCellMax},
                                {"Y1", number, false, 0, kCellMax},
                                {"X2", number, false, 0, kCellMax},
                                {"Y2", number, false, 0, kCellMax}};
constexpr CommandArg kRect[] = {{"X1", number, false, 0, kCellMax},
                                {"Y1", number, false, 0, kCellMax},
                                {"X2", number, false, 0, kCellMax},
                                {"Y2", number, false, 0, kCellMax},
                                {"filled", keyword, true}};
constexpr CommandArg kPasteMode[] = {{"all|nonempty", keyword, true}};
constexpr CommandArg kOnOffOptional[] = {{"on|off", keyword, true}};
constexpr CommandArg kOnOff[] = {{"on|off", keyword}};
constexpr CommandArg kRegionsShown[] = {{"all|selected", keyword, true}};
constexpr CommandArg kName[] = {{"NAME", text}};
constexpr CommandArg kAutowarp[] = {{"X", number, false, kWarpMin, kWarpMax},
                                    {"Y", number, false, kWarpMin, kWarpMax},
                                    {"ARENA", word, true}};
constexpr CommandArg kColour[] = {{"RRGGBB", word}};

constexpr HelpRole joined = HelpRole::joined, unlisted = HelpRole::unlisted;

constexpr CommandRow kCommands[] = {
    {"?go", kFile, "open another map (level or Tiled file)", command_go},
    {"?new", {}, "start an empty map", command_new},
    {"?recent", kRecent, "list the last 10 maps; open one of them", command_recent},
    {"?save", kFileOptional, "save to the map's file, or under a new name", command_save},
    {"?save!", kFileOptional, "save also when the read left parts of the file out",
     command_save_anyway},
    {"?tileset", kTilesetFile, "give the map a tileset, or none", command_tileset},
    {"?tileset none", {}, {}, command_tileset_none, joined},
    {"?settile", kTile, "set the brush to tile n (0..255)", command_settile},
    {"?warpto", kWarp, "centre the view on tile (x, y)", command_warpto},
    {"?locate", {}, "show the view's sector and position in tiles", command_locate},
    {"?fit", {}, "show the map's content whole", command_fit},
    {"?insattr", kAttribute, "add or replace, or remove, a map attribute", command_insattr},
    {"?rmattr", kKey, {}, command_rmattr, joined},
    {"?undo", {}, "undo or redo one step", command_undo},
    {"?redo", {}, {}, command_redo, joined},
    {"?recover", {}, "restore, or drop, the unsaved work found at the open", command_recover},
    {"?discard", {}, {}, command_discard, joined},
    {"?rotate", {}, "turn or mirror the clipboard's piece", command_rotate},
    {"?flip", kFlip, {}, command_flip, joined},
    {"?fill", kFill, "fill the selection, or its outline, with the brush", command_fill},
    {"?line", kLine, "draw a line of the brush", command_line},
    {"?rect", kRect, "draw a rectangle of the brush", command_rect},
    {"?paste", kPasteMode, "pastes write every cell, or skip empty ones", command_paste},
    {"?copyregions", kOnOffOptional, "copies carry the selected region's cells",
     command_copyregions},
    {"?help", {}, "this list, in the console", command_help},
    {"?quit", {}, "quit without saving", command_quit},
    {"?exit", {}, {}, command_quit, joined},
    {"?shutdown", {}, {}, command_quit, joined},
    {"?region", {}, "the selected region's facts", command_region_show},
    {"?region new", kName, "create a region and select it", command_region_new},
    {"?region rename", kName, "rename the selected region", command_region_rename},
    {"?region delete", {}, "delete the selected region", command_region_delete},
    {"?region add", {}, "put the selection in, or out of, the region", command_region_add},
    {"?region remove", {}, {}, command_region_remove, joined},
    {"?regions", kRegionsShown, "mark every region's cells, or the selected one",
     command_regions},
    {"?region base", kOnOff, "base flag", command_region_flag},
    {"?region noantiwarp", kOnOff, "region flags", command_region_flag},
    {"?region noweapons", kOnOff, {}, command_region_flag, joined},
    {"?region noflags", kOnOff, {}, command_region_flag, joined},
    {"?region autowarp", kAutowarp, "warp players who enter", command_region_autowarp},
    {"?region autowarp off", {}, "remove the autowarps", command_region_autowarp_off},
    {"?region colour", kColour, "the region's colour", command_region_colour},
    {"?region colour off", {}, {}, command_region_colour_off, joined},
    {"?region color", kColour, {}, command_region_colour, unlisted},
    {"?region color off", {}, {}, command_region_colour_off, unlisted},
};

bool is_blank(char c) {
    return c == ' ' || c == ',';
}

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    return text;
}

std::vector<std::string> words_of(std::string_view text) {
    std::vector<std::string> words;
    size_t at = 0;
    while (at < text.size()) {
        while (at < text.size() && is_blank(text[at]))
            ++at;
        size_t start = at;
        while (at < text.size() && !is_blank(text[at]))
            ++at;
        if (at > start) words.emplace_back(text.substr(start, at - start));
    }
    return words;
}

// True when word is one of the bar-separated choices.
bool is_choice(std::string_view choices, std::string_view word) {
    for (size_t at = 0; at <= choices.size();) {
        size_t bar = choices.find('|', at);
        if (bar == std::string_view::npos) bar = choices.size();
        if (choices.substr(at, bar - at) == word) return true;
        at = bar + 1;
    }
    return false;
}

// Reads a whole word as a number with automatic base; false when it is no number. A number
// too large for 64 bits reads as the nearest limit, which every range refuses.
bool read_whole_number(const std::string& word, int64_t* value) {
    errno = 0;
    char* end = nullptr;
    *value = std::strtoll(word.c_str(), &end, 0);
    return end != word.c_str() && *end == '\0';
}

std::string_view arg_label(std::string_view name) {
    if (name.size() > 2 && name.front() == '<' && name.back() == '>')
        name = name.substr(1, name.size() - 2);
    return name;
}

// Fills call's words and numbers from its text when they have the row's shape; otherwise says
// what is wrong in red and returns false.
bool take_arguments(const CommandRow& row, CommandCall* call) {
    size_t required = 0;
    for (const CommandArg& arg : row.args)
        required += arg.optional ? 0 : 1;
    if (!row.args.empty() && row.args[0].kind == text) {
        if (call->text.empty() && required > 0) {
            command_say_usage(row.name);
            return false;
        }
        if (!call->text.empty()) call->words.push_back(call->text);
        return true;
    }
    call->words = words_of(call->text);
    if (call->words.size() < required || call->words.size() > row.args.size()) {
        command_say_usage(row.name);
        return false;
    }
    call->numbers.assign(call->words.size(), 0);
    for (size_t i = 0; i < call->words.size(); ++i) {
        const CommandArg& arg = row.args[i];
        const std::string& word = call->words[i];
        if (arg.kind == number) {
            int64_t value = 0;
            if (!read_whole_number(word, &value)) {
                command_say_usage(row.name);
                return false;
            }
            if (value < arg.low || value > arg.high) {
                command_say_range(row.name, arg.name, word, arg.low, arg.high);
                return false;
            }
            call->numbers[i] = static_cast<int32_t>(value);
        } else if (arg.kind == keyword && !is_choice(arg.name, word)) {
            command_say_usage(row.name);
            return false;
        }
    }
    return true;
}

} // namespace

std::span<const CommandRow> commands_table() {
    return kCommands;
}

const CommandRow* commands_find(std::string_view line) {
    const CommandRow* found = nullptr;
    for (const CommandRow& row : kCommands) {
        if (line.substr(0, row.name.size()) != row.name) continue;
        if (line.size() > row.name.size() && line[row.name.size()] != ' ') continue;
        if (!found || row.name.size() > found->name.size()) found = &row;
    }
    return found;
}

std::string command_form(const CommandRow& row) {
    std::string form(row.name);
    for (const CommandArg& arg : row.args) {
        form += ' ';
        form += arg.optional ? "[" + std::string(arg.name) + "]" : std::string(arg.name);
    }
    return form;
}

std::string command_usage(const CommandRow& row) {
    std::string subs;
    if (row.args.empty()) {
        const std::string prefix = std::string(row.name) + " ";
        for (const CommandRow& other : kCommands) {
            if (other.role == HelpRole::unlisted || other.name.substr(0, prefix.size()) != prefix)
                continue;
            subs += (subs.empty() ? "" : " | ") + command_form(other).substr(prefix.size());
        }
    }
    if (!subs.empty()) return "usage: " + std::string(row.name) + " [" + subs + "]";
    return "usage: " + command_form(row);
}

std::vector<CommandHelpLine> commands_help() {
    std::vector<CommandHelpLine> lines;
    for (const CommandRow& row : kCommands) {
        if (row.role == HelpRole::own)
            lines.push_back({command_form(row), row.help});
        else if (row.role == HelpRole::joined && !lines.empty())
            lines.back().input += ", " + command_form(row);
    }
    return lines;
}

void command_say_usage(std::string_view name) {
    for (const CommandRow& row : kCommands)
        if (row.name == name) {
            console_print(app().console, kConsoleRed, "%s", command_usage(row).c_str());
            return;
        }
}

void command_say_range(std::string_view name, std::string_view arg, std::string_view typed,
                       int64_t low, int64_t high) {
    std::string_view label = arg_label(arg);
    console_print(app().console, kConsoleRed, "%.*s: %.*s is %.*s: it must be %lld..%lld",
                  static_cast<int>(name.size()), name.data(), static_cast<int>(label.size()),
                  label.data(), static_cast<int>(typed.size() > 32 ? 32 : typed.size()),
                  typed.data(), static_cast<long long>(low), static_cast<long long>(high));
}

void console_command(const char* line) {
    if (!line || line[0] == '\0') return;
    // Typed lines begin with "?"; a line from elsewhere is a note.
    if (line[0] != '?') {
        console_print(app().console, 2, "%s", line);
        return;
    }
    const std::string_view text(line);
    const CommandRow* row = commands_find(text);
    if (!row) {
        std::string_view word = text.substr(0, text.find(' '));
        console_print(app().console, kConsoleRed, "unknown command %.*s: ?help lists the commands",
                      static_cast<int>(word.size() > 64 ? 64 : word.size()), word.data());
        return;
    }
    CommandCall call;
    call.line = line;
    call.name = row->name;
    call.text = trimmed(text.substr(row->name.size()));
    if (take_arguments(*row, &call)) row->run(call);
}
