// settings.h - what the editor keeps between sessions: the user's settings in a small
// key=value text file under $XDG_CONFIG_HOME/ostrel/, and per map (keyed by its real path)
// the last view and the bookmarks, with the list of recent maps, under $XDG_STATE_HOME/ostrel/.
// Every file goes through the safe save; a damaged file is reported, never fatal.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "editor/mouse_tool.h"

// The console's height, cycled by F5.
enum class ConsoleSize : int32_t { Lines, Third, Hidden };

struct Settings {
    int32_t window_width = 640;
    int32_t window_height = 480;
    int32_t zoom = 1;  // 1, 2 or 4
    int32_t brush = 1; // 0..255
    MouseTool tool = MouseTool::Brush;
    bool grid = true;
    ConsoleSize console = ConsoleSize::Lines;
    bool paste_all = false; // "?paste all": pastes write the piece's empty cells too
};

// The text of the settings file, one key=value a line, with a note on top.
std::string settings_format(const Settings& settings);
// Reads a settings text into *out: "" when it is sound, else what is wrong and on which line
// ("line 3: zoom must be 1, 2 or 4, not 3"); *out is then left as it was. Unknown keys are
// damage too, so a misspelt key is not silently lost.
[[nodiscard("a damaged file must be reported")]] std::string
settings_parse(std::string_view text, Settings* out);

// The folders: $XDG_CONFIG_HOME/ostrel (else ~/.config/ostrel) and $XDG_STATE_HOME/ostrel
// (else ~/.local/state/ostrel); "" when neither the variable nor HOME gives an absolute path.
std::string settings_config_dir();
std::string settings_state_dir();

struct SettingsLoad {
    Settings settings;
    std::string problem; // non-empty when the file was damaged (the defaults are used)
};
// Reads the settings file; a missing file gives the defaults without a problem.
SettingsLoad settings_load();
// Writes the settings file; "" or the reason it could not be written.
[[nodiscard("a failed save must be reported")]] std::string settings_save(const Settings& settings);

// Per-map state. Positions are view centres in map pixels (16 per cell).
inline constexpr int kBookmarkCount = 4;
struct MapState {
    bool has_view = false;
    int32_t view_x = 0, view_y = 0, zoom = 1;
    bool bookmark_set[kBookmarkCount] = {};
    int32_t bookmark_x[kBookmarkCount] = {}, bookmark_y[kBookmarkCount] = {};
};

// The real path of a map file (links and "..", resolved), or the path made absolute when the
// file does not exist yet.
std::string settings_real_path(const char* path);
// The state kept for the map at path; nothing set when none is kept (or it is damaged).
MapState map_state_load(const char* path);
[[nodiscard("a failed save must be reported")]] std::string
map_state_save(const char* path, const MapState& state);

// The most recent maps, newest first, at most kRecentMaps real paths.
inline constexpr size_t kRecentMaps = 10;
std::vector<std::string> recent_load();
// Puts the map first in the recent list (removing it further down) and saves the list.
[[nodiscard("a failed save must be reported")]] std::string recent_add(const char* path);
