// mouse_tool.h - the tools the left button works with, their keys and their names.
#pragma once
#include <cstdint>
#include <string_view>

enum class MouseTool : int32_t { Brush, Eraser, Line, Rect, Fill, Select, Pick };

struct MouseToolInfo {
    MouseTool tool;
    char key;               // chosen by this key (upper case) while the input line is empty
    std::string_view name;  // in the settings file, the status box and the help
    std::string_view label; // in the tool strip: five characters at most, the key in capitals
};

inline constexpr MouseToolInfo kMouseTools[] = {
    {MouseTool::Brush, 'B', "brush", "Brush"}, {MouseTool::Eraser, 'E', "eraser", "Erase"},
    {MouseTool::Line, 'L', "line", "Line"},    {MouseTool::Rect, 'R', "rectangle", "Rect"},
    {MouseTool::Fill, 'F', "fill", "Fill"},    {MouseTool::Select, 'S', "select", "Sel"},
    {MouseTool::Pick, 'I', "pick", "pIck"},
};

inline std::string_view mouse_tool_name(MouseTool tool) {
    return kMouseTools[static_cast<int32_t>(tool)].name;
}
// The tool of a name; false when no tool has it.
inline bool mouse_tool_named(std::string_view name, MouseTool* out) {
    for (const MouseToolInfo& t : kMouseTools)
        if (t.name == name) {
            *out = t.tool;
            return true;
        }
    return false;
}
