// editor_guard.cpp - asks once before quitting or opening another map drops unsaved changes.
#include "console/console.h"
#include "core/platform.h"
#include "editor/editor_state.h"
#include "map/model/mapdata.h"

namespace {

constexpr uint32_t kConfirmTicks = 500; // 5 seconds in hundredths

} // namespace

int editor_may_discard_at(int request, uint32_t now_ticks) {
    if (!document_modified(app().doc)) return 1;
    // The tick clock is 31 bits wide; the difference is taken in the same width.
    Editor& e = app();
    uint32_t since = (now_ticks - e.refused_discard_tick) & 0x7FFFFFFFu;
    if (e.refused_discard == request && since < kConfirmTicks) {
        e.refused_discard = 0;
        return 1;
    }
    e.refused_discard = request;
    e.refused_discard_tick = now_ticks;
    // The warning must be seen, also when the console was hidden.
    e.view.console_shown = 1;
    console_print(app().console, 3, "unsaved changes: repeat within 5 seconds to discard them");
    return 0;
}

int editor_may_discard(int request) {
    return editor_may_discard_at(request, get_ticks());
}
