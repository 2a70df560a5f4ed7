// editor.h - program entry, command-line options and the start-up / shut-down sequences.
#pragma once
#include <cstdint>

// The program's entry; returns the exit status (0).
int editor_main(int argc, char** argv);

void editor_init();
void editor_run();
void editor_shutdown();

// True once the process was asked to end (SIGTERM): the loop ends without asking.
bool editor_terminate_requested();

// Milliseconds of the platform clock when editor_main began (for the first-frame figure).
uint32_t editor_start_millis();
