// editor_guard.cpp - asks once before quitting or opening another map drops unsaved changes.
#include "console/console.h"
#include "core/platform.h"
#include "editor/editor_state.h"
#include "map/mapdata.h"

namespace {

constexpr uint32_t kConfirmTicks = 500; // 5 seconds in hundredths

int g_refused_request;  // kind of the last refused request, 0 for none
uint32_t g_refused_at;  // its tick

} // namespace

int editor_may_discard_at(int request, uint32_t now_ticks) {
    if (!mapdata_modified(g_editor.current_map)) return 1;
    // The tick clock is 31 bits wide; the difference is taken in the same width.
    uint32_t since = (now_ticks - g_refused_at) & 0x7FFFFFFFu;
    if (g_refused_request == request && since < kConfirmTicks) {
        g_refused_request = 0;
        return 1;
    }
    g_refused_request = request;
    g_refused_at = now_ticks;
    console_print(3, "unsaved changes: repeat within 5 seconds to discard them");
    return 0;
}

int editor_may_discard(int request) {
    return editor_may_discard_at(request, get_ticks());
}
