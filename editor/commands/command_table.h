// command_table.h - the console's commands as one table: each row names a command, its
// arguments, its help line and its handler. The parser, the usage lines, "?help", F1's pages
// and the README's command tables are all made from it.
#pragma once
#include <cstdint>

#include <span>
#include <string>
#include <string_view>
#include <vector>

enum class ArgKind : uint8_t {
    number,  // a whole word read with automatic base (0x hex, 0 octal), checked against a range
    word,    // any one word
    keyword, // one of the words the name lists between bars: "on|off", "filled"
    text,    // the argument text, spaces and all; always the row's only argument
};

struct CommandArg {
    std::string_view name; // as the usage writes it: "X1", "<file>", "on|off"
    ArgKind kind = ArgKind::word;
    bool optional = false; // optional arguments come last
    int32_t low = 0, high = 0; // a number's range, both ends allowed
};

// What the parser hands a handler once the arguments have the row's shape.
struct CommandCall {
    const char* line = "";          // the whole line, as typed (undo steps are named by it)
    std::string_view name;          // the row's name: "?region base"
    std::string text;               // the argument text: after the name, outer spaces dropped
    std::vector<std::string> words; // the arguments given, split at spaces and commas
    std::vector<int32_t> numbers;   // per argument given: its value when it is a number
};

using CommandFn = void (*)(const CommandCall& call);

// How a row shows in the help: on its own line, on the line of the row above, or not at all
// (a second spelling).
enum class HelpRole : uint8_t { own, joined, unlisted };

struct CommandRow {
    std::string_view name; // "?rect", or with a sub-command "?region new"
    std::span<const CommandArg> args;
    std::string_view help; // one short line (rows joined to the row above have none)
    CommandFn run;
    HelpRole role = HelpRole::own;
};

// Every command, in the order the help lists them.
std::span<const CommandRow> commands_table();

// The row whose name the line starts with as whole words (the longest such name), or null.
const CommandRow* commands_find(std::string_view line);

// "?rect X1 Y1 X2 Y2 [filled]": the name and its arguments.
std::string command_form(const CommandRow& row);
// "usage: ?rect X1 Y1 X2 Y2 [filled]"; a row without arguments that has sub-commands lists
// them: "usage: ?region [new NAME | rename NAME | ...]".
std::string command_usage(const CommandRow& row);

// One line of the command help: the forms of a row and the rows joined to it, and its effect.
struct CommandHelpLine {
    std::string input; // as the README's first column writes it, without code marks
    std::string_view effect;
};
std::vector<CommandHelpLine> commands_help();

// Prints the usage of the named row in red.
void command_say_usage(std::string_view name);
// Says in red that a number is out of its range: "?rect: X1 is 1200: it must be 0..1023".
void command_say_range(std::string_view name, std::string_view arg, std::string_view typed,
                       int64_t low, int64_t high);

// The handlers, each in the file of its subject.
void command_quit(const CommandCall& call);
void command_go(const CommandCall& call);
void command_new(const CommandCall& call);
void command_recent(const CommandCall& call);
void command_fit(const CommandCall& call);
void command_regions(const CommandCall& call);
void command_paste(const CommandCall& call);
void command_locate(const CommandCall& call);
void command_help(const CommandCall& call);
void command_save(const CommandCall& call);
void command_save_anyway(const CommandCall& call);
void command_tileset(const CommandCall& call);
void command_tileset_none(const CommandCall& call);
void command_settile(const CommandCall& call);
void command_warpto(const CommandCall& call);
void command_insattr(const CommandCall& call);
void command_rmattr(const CommandCall& call);
void command_undo(const CommandCall& call);
void command_redo(const CommandCall& call);
void command_recover(const CommandCall& call);
void command_discard(const CommandCall& call);
void command_rotate(const CommandCall& call);
void command_flip(const CommandCall& call);
void command_fill(const CommandCall& call);
void command_line(const CommandCall& call);
void command_rect(const CommandCall& call);
void command_copyregions(const CommandCall& call);
void command_region_show(const CommandCall& call);
void command_region_new(const CommandCall& call);
void command_region_rename(const CommandCall& call);
void command_region_delete(const CommandCall& call);
void command_region_add(const CommandCall& call);
void command_region_remove(const CommandCall& call);
void command_region_flag(const CommandCall& call);
void command_region_autowarp(const CommandCall& call);
void command_region_autowarp_off(const CommandCall& call);
void command_region_colour(const CommandCall& call);
void command_region_colour_off(const CommandCall& call);
