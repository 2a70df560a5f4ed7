// lvl_run.h - runs ostrel-lvl's command line in the test process and collects its output.
#pragma once
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "cli/lvl_tool.h"

struct LvlRun {
    int status;
    std::string out, err;
};

inline LvlRun lvl_run(std::vector<std::string> args) {
    args.insert(args.begin(), "ostrel-lvl");
    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(a.data());
    char *out = nullptr, *err = nullptr;
    size_t out_size = 0, err_size = 0;
    FILE* o = open_memstream(&out, &out_size);
    FILE* e = open_memstream(&err, &err_size);
    LvlRun run{lvl_main(static_cast<int>(argv.size()), argv.data(), o, e), "", ""};
    std::fclose(o);
    std::fclose(e);
    run.out.assign(out, out_size);
    run.err.assign(err, err_size);
    std::free(out);
    std::free(err);
    return run;
}
