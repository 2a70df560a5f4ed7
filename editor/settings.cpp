// settings.cpp - the settings file, per-map state and the recent list: their folders, their
// text and reading them back, bounded and forgiving.
#include "editor/settings.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <span>

#include "core/platform.h"
#include "core/safe_save.h"

namespace {

// Files we read here are a few hundred bytes; anything far larger is not ours.
constexpr size_t kMaxFileBytes = 64 * 1024;

std::string_view trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t' || s.front() == '\r'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

// Calls line(number, key, value) for each key=value line; comment (#) and blank lines are
// skipped. Returns the first problem: a line without "=", or what line() said.
template <typename Line> std::string each_line(std::string_view text, Line&& line) {
    int number = 0;
    while (!text.empty()) {
        size_t end = text.find('\n');
        std::string_view raw = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        ++number;
        std::string_view s = trim(raw);
        if (s.empty() || s[0] == '#') continue;
        size_t eq = s.find('=');
        std::string problem = eq == std::string_view::npos
                                  ? std::string("no key=value")
                                  : line(trim(s.substr(0, eq)), trim(s.substr(eq + 1)));
        if (!problem.empty()) return "line " + std::to_string(number) + ": " + problem;
    }
    return "";
}

bool read_int(std::string_view text, int32_t low, int32_t high, int32_t* out) {
    int32_t value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc{} || end != text.data() + text.size() || value < low || value > high)
        return false;
    *out = value;
    return true;
}

// "x y" or "x y zoom" of a state file.
bool read_ints(std::string_view text, int32_t* values, int count) {
    for (int i = 0; i < count; ++i) {
        text = trim(text);
        size_t space = text.find(' ');
        if (!read_int(text.substr(0, space), -100000, 100000, &values[i])) return false;
        text.remove_prefix(space == std::string_view::npos ? text.size() : space);
    }
    return trim(text).empty();
}

constexpr std::string_view kConsoleNames[] = {"lines", "third", "hidden"};

// The folder from an XDG variable, else HOME and the fallback; relative paths do not count.
std::string xdg_dir(const char* variable, const char* fallback) {
    const char* value = std::getenv(variable);
    if (value && value[0] == '/') return std::string(value) + "/ostrel";
    const char* home = std::getenv("HOME");
    if (home && home[0] == '/') return std::string(home) + "/" + fallback + "/ostrel";
    return "";
}

// Creates the folder and its parents (private to the user, as the XDG rules ask).
bool make_folders(const std::string& path) {
    for (size_t at = 1; at <= path.size(); ++at) {
        if (at < path.size() && path[at] != '/') continue;
        std::string part = path.substr(0, at);
        if (::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) return false;
    }
    return true;
}

// The file's text, at most kMaxFileBytes; false when it cannot be read (a missing file too).
bool read_text(const std::string& path, std::string* out, std::string* problem) {
    int error = 0;
    MappedFile* file = mapped_file_open(path.c_str(), &error);
    if (!file) {
        if (error != ENOENT && error != FILE_EMPTY) *problem = file_error_text(error);
        if (error == FILE_EMPTY) out->clear();
        return error == FILE_EMPTY;
    }
    bool fits = file->length <= kMaxFileBytes;
    if (fits)
        out->assign(reinterpret_cast<const char*>(file->data), file->length);
    else
        *problem = "larger than " + std::to_string(kMaxFileBytes / 1024) + " KiB";
    mapped_file_close(file);
    return fits;
}

std::string write_text(const std::string& folder, const std::string& name,
                       const std::string& text) {
    if (folder.empty()) return "no folder for it: neither XDG variable nor HOME is set";
    if (!make_folders(folder)) return folder + ": " + std::strerror(errno);
    std::string path = folder + "/" + name;
    int error = safe_save_file(
        path.c_str(),
        std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size()));
    return error == 0 ? std::string() : path + ": " + file_error_text(error);
}

// FNV-1a over the path: the name of its state file (the path itself is kept inside).
std::string state_file_name(const std::string& real_path) {
    uint64_t h = 14695981039346656037ull;
    for (unsigned char c : real_path)
        h = (h ^ c) * 1099511628211ull;
    char name[32];
    std::snprintf(name, sizeof name, "map-%016llx", static_cast<unsigned long long>(h));
    return name;
}

} // namespace

std::string settings_format(const Settings& s) {
    std::string t = "# Ostrel settings, written on quitting; one key = value a line.\n";
    auto put = [&t](const char* key, std::string_view value) {
        t.append(key).append(" = ").append(value).append("\n");
    };
    put("window_width", std::to_string(s.window_width));
    put("window_height", std::to_string(s.window_height));
    put("zoom", std::to_string(s.zoom));
    put("brush", std::to_string(s.brush));
    put("tool", mouse_tool_name(s.tool));
    put("grid", s.grid ? "on" : "off");
    put("console", kConsoleNames[static_cast<int32_t>(s.console)]);
    put("paste", s.paste_all ? "all" : "nonempty");
    return t;
}

std::string settings_parse(std::string_view text, Settings* out) {
    Settings s = *out;
    std::string problem = each_line(text, [&s](std::string_view key, std::string_view v) -> std::string {
        auto on_off = [&v](bool* flag, const char* what) -> std::string {
            if (v != "on" && v != "off") return std::string(what) + " must be on or off";
            *flag = v == "on";
            return "";
        };
        std::string value(v);
        if (key == "window_width")
            return read_int(v, 320, 16384, &s.window_width) ? "" : "window_width must be 320 to 16384, not " + value;
        if (key == "window_height")
            return read_int(v, 240, 16384, &s.window_height) ? "" : "window_height must be 240 to 16384, not " + value;
        if (key == "zoom") {
            int32_t zoom = 0;
            if (!read_int(v, 1, 4, &zoom) || zoom == 3) return "zoom must be 1, 2 or 4, not " + value;
            s.zoom = zoom;
            return "";
        }
        if (key == "brush")
            return read_int(v, 0, 255, &s.brush) ? "" : "brush must be 0 to 255, not " + value;
        if (key == "tool")
            return mouse_tool_named(v, &s.tool) ? "" : "no tool is called " + value;
        if (key == "grid") return on_off(&s.grid, "grid");
        if (key == "paste") {
            if (v != "all" && v != "nonempty") return "paste must be all or nonempty";
            s.paste_all = v == "all";
            return "";
        }
        if (key == "console") {
            for (int32_t i = 0; i < 3; ++i)
                if (v == kConsoleNames[i]) {
                    s.console = static_cast<ConsoleSize>(i);
                    return "";
                }
            return "console must be lines, third or hidden";
        }
        return "unknown key " + std::string(key);
    });
    if (problem.empty()) *out = s;
    return problem;
}

std::string settings_config_dir() {
    return xdg_dir("XDG_CONFIG_HOME", ".config");
}

std::string settings_state_dir() {
    return xdg_dir("XDG_STATE_HOME", ".local/state");
}

SettingsLoad settings_load() {
    SettingsLoad load;
    std::string folder = settings_config_dir();
    if (folder.empty()) return load;
    std::string path = folder + "/settings", text, problem;
    if (read_text(path, &text, &problem)) problem = settings_parse(text, &load.settings);
    if (!problem.empty()) load.problem = path + ": " + problem + "; the defaults are used";
    return load;
}

std::string settings_save(const Settings& settings) {
    return write_text(settings_config_dir(), "settings", settings_format(settings));
}

std::string settings_real_path(const char* path) {
    if (!path || !*path) return "";
    std::unique_ptr<char, decltype(&std::free)> real(::realpath(path, nullptr), &std::free);
    if (real) return real.get();
    if (path[0] == '/') return path;
    char cwd[PATH_MAX];
    return ::getcwd(cwd, sizeof cwd) ? std::string(cwd) + "/" + path : std::string(path);
}

MapState map_state_load(const char* path) {
    MapState state;
    std::string real = settings_real_path(path), folder = settings_state_dir();
    if (real.empty() || folder.empty()) return state;
    std::string text, problem;
    if (!read_text(folder + "/" + state_file_name(real), &text, &problem)) return state;
    MapState read;
    bool ours = false;
    // A damaged state file is as good as none: the map opens on its content.
    problem = each_line(text, [&](std::string_view key, std::string_view value) -> std::string {
        int32_t v[3];
        if (key == "path") {
            ours = value == real;
        } else if (key == "view" && read_ints(value, v, 3) && (v[2] == 1 || v[2] == 2 || v[2] == 4)) {
            read.has_view = true;
            read.view_x = v[0];
            read.view_y = v[1];
            read.zoom = v[2];
        } else if (key.size() == 9 && key.substr(0, 8) == "bookmark" && key[8] >= '0' &&
                   key[8] < '0' + kBookmarkCount && read_ints(value, v, 2)) {
            int slot = key[8] - '0';
            read.bookmark_set[slot] = true;
            read.bookmark_x[slot] = v[0];
            read.bookmark_y[slot] = v[1];
        } else {
            return "bad line";
        }
        return "";
    });
    return problem.empty() && ours ? read : state;
}

std::string map_state_save(const char* path, const MapState& state) {
    std::string real = settings_real_path(path);
    if (real.empty()) return "the map has no file";
    // The path is the key; a newline in it would break the line format.
    if (real.find('\n') != std::string::npos) return "the map's path holds a line break";
    std::string text = "path=" + real + "\n";
    if (state.has_view)
        text += "view=" + std::to_string(state.view_x) + " " + std::to_string(state.view_y) +
                " " + std::to_string(state.zoom) + "\n";
    for (int i = 0; i < kBookmarkCount; ++i)
        if (state.bookmark_set[i])
            text += "bookmark" + std::to_string(i) + "=" + std::to_string(state.bookmark_x[i]) +
                    " " + std::to_string(state.bookmark_y[i]) + "\n";
    return write_text(settings_state_dir(), state_file_name(real), text);
}

std::vector<std::string> recent_load() {
    std::vector<std::string> list;
    std::string folder = settings_state_dir(), text, problem;
    if (folder.empty() || !read_text(folder + "/recent", &text, &problem)) return list;
    std::string_view rest = text;
    while (!rest.empty() && list.size() < kRecentMaps) {
        size_t end = rest.find('\n');
        std::string_view line = rest.substr(0, end);
        rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
        if (!line.empty() && line[0] == '/') list.emplace_back(line);
    }
    return list;
}

std::string recent_add(const char* path) {
    std::string real = settings_real_path(path);
    if (real.empty() || real.find('\n') != std::string::npos) return "";
    std::vector<std::string> list = recent_load();
    std::erase(list, real);
    list.insert(list.begin(), real);
    if (list.size() > kRecentMaps) list.resize(kRecentMaps);
    std::string text;
    for (const std::string& p : list)
        text += p + "\n";
    return write_text(settings_state_dir(), "recent", text);
}
