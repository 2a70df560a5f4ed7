// editor_lifecycle.cpp - start-up, main loop and shut-down (filled in as the subsystems land).
#include "editor/editor.h"
#include "editor/editor_state.h"

void editor_init() { editor_update_view(); }
void editor_run() { g_editor.running = 0; }
void editor_shutdown() {}
