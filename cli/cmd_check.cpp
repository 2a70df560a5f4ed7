// cmd_check.cpp - `ostrel-lvl check`: one line per problem of each file, and an exit status
// a script can act on (0 sound, 1 problems, 2 a file that cannot be read).
#include "cli/lvl_tool.h"
#include "core/text.h"

int lvl_check(const std::vector<std::string>& files, FILE* out, FILE* err) {
    int status = 0;
    for (const std::string& path : files) {
        LvlFile file;
        const std::string shown = text_escaped(path);
        if (!lvl_open(&file, path.c_str())) {
            std::fprintf(err, "ostrel-lvl: %s: %s\n", shown.c_str(), file.error.c_str());
            status = 2;
            continue;
        }
        std::vector<LevelProblem> problems = lvl_problems(file, lvl_regions(file));
        for (const LevelProblem& problem : problems)
            std::fprintf(out, "%s: %s\n", shown.c_str(), text_escaped(lvl_problem_text(problem)).c_str());
        if (!problems.empty() && status == 0) status = 1;
        lvl_close(&file);
    }
    return status;
}
