// main.cpp - the entry of ostrel-lvl, the headless companion of the editor.
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>

#include "cli/lvl_tool.h"

// The reader's diagnostic log is the standard error stream. Without --verbose that stream is
// pointed at /dev/null, and the tool's own messages go to a copy of where it pointed before.
int main(int argc, char** argv) {
    bool verbose = false;
    for (int i = 1; i < argc; ++i)
        verbose = verbose || std::strcmp(argv[i], "--verbose") == 0;
    const int copy = verbose ? -1 : ::dup(STDERR_FILENO);
    std::FILE* err = copy >= 0 ? ::fdopen(copy, "w") : nullptr;
    if (!err) return lvl_main(argc, argv, stdout, stderr);
    std::setvbuf(err, nullptr, _IONBF, 0);
    const int null = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (null >= 0) {
        ::dup2(null, STDERR_FILENO);
        ::close(null);
    }
    const int status = lvl_main(argc, argv, stdout, err);
    std::fclose(err);
    return status;
}
