// help.h - the help made from the help table: pages for F1 and lines for "?help".
#pragma once

// Replaces the help viewer's pages with the key and command tables.
void help_fill_viewer();
// Prints every row of both tables to the console.
void help_print();
