// test_lvl_outputs.cpp - what ostrel-lvl may write over and how it shows names from a file:
// render outputs are pictures only, names reach the terminal escaped and cut.
#include "cli/lvl_run.h"
#include "test_util.h"

#include <filesystem>


namespace {

namespace fs = std::filesystem;

class LvlOutputs : public ScratchDir {};

// A list of maps must not turn every second map into a picture; a non-PNG under a picture's
// name is replaced only on request; a symlinked picture stays a link.
TEST_F(LvlOutputs, RenderWritesOnlyPictures) {
    const Bytes map = {5, 0, 0, 7};
    write_file("a.lvl", map);
    write_file("b.lvl", map);
    LvlRun run = lvl_run({"render", "a.lvl", "b.lvl"});
    EXPECT_EQ(run.status, 2);
    EXPECT_TRUE(contains(run.err, "'b.lvl' is no picture name")) << run.err;
    EXPECT_EQ(read_file("b.lvl"), map);

    write_file("notes.png", {'h', 'i'});
    run = lvl_run({"render", "a.lvl", "notes.png"});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, "ostrel-lvl: notes.png: not written: the file there is not a PNG picture "
                       "(--force replaces it)\n");
    EXPECT_EQ(read_file("notes.png"), (Bytes{'h', 'i'}));
    EXPECT_EQ(lvl_run({"render", "a.lvl", "notes.png", "--force"}).status, 0);

    fs::create_directory("pics");
    fs::create_symlink("pics/real.png", "link.png");
    for (int i = 0; i < 2; ++i) // a new picture, then one over the old picture
        ASSERT_EQ(lvl_run({"render", "a.lvl", "link.png"}).status, 0);
    EXPECT_TRUE(fs::is_symlink("link.png"));
    EXPECT_EQ(read_file("pics/real.png"), read_file("notes.png"));
    EXPECT_EQ(std::distance(fs::directory_iterator("pics"), fs::directory_iterator()), 1);
}

// Control bytes in names are escaped, so three problems are three lines; a huge name is cut.
TEST_F(LvlOutputs, CheckShowsNamesSafely) {
    // The longest name a chunk can hold: a region of its name alone.
    const std::string long_name(131064, 'n');
    Bytes regions = chunk("REGN", concat({chunk("rNAM", bytes("A\x1b[31m\nB")),
                                          chunk("rTIL", Bytes{0xA3, 0xFF})}));
    append(regions, chunk("REGN", chunk("rNAM", bytes(long_name))));
    append(regions, chunk("ATTR", "K\x9b=1"));
    append(regions, chunk("ATTR", "k\x9b=2"));
    write_file("in.lvl", level_with_chunks(64, regions, {}));
    LvlRun run = lvl_run({"check", "in.lvl"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(std::count(run.out.begin(), run.out.end(), '\n'), 3) << run.out;
    EXPECT_TRUE(contains(run.out, "region 'A\\x1b[31m\\x0aB' has no cells")) << run.out;
    EXPECT_TRUE(contains(run.out, "attribute key 'k\\x9b'")) << run.out;
    EXPECT_TRUE(contains(run.out, "region '" + std::string(64, 'n') + "... (131,064 bytes)'"))
        << run.out.substr(0, 300);
    EXPECT_LT(run.out.size(), 500u);
}

} // namespace
