// main.cpp - the entry of ostrel-lvl, the headless companion of the editor.
#include <cstdio>

#include "cli/lvl_tool.h"

int main(int argc, char** argv) {
    return lvl_main(argc, argv, stdout, stderr);
}
