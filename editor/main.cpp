// main.cpp - the process entry; everything else starts in editor_main.
#include "editor/editor.h"

int main(int argc, char** argv) {
    return editor_main(argc, argv);
}
