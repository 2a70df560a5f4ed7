// test_exchange.cpp - maps through Tiled and back: the real Tiled re-saves our exports as TMX
// and JSON and the imports are the level file's very bytes; tmxrasterizer draws an export as
// our renderer does; hostile Tiled maps are refused with the place, never a crash.
#include <cstdlib>

#include "cli/lvl_run.h"
#include "map/lvl/builtin_tileset.h"
#include "map/exchange/exchange.h"
#include "map/exchange/exchange_internal.h"
#include "test_util.h"

namespace {

const std::string kMaps = OSTREL_TESTDATA;

bool have(const std::string& command) {
    return std::system(("command -v " + command + " >/dev/null 2>&1").c_str()) == 0;
}
// Tiled exits 0 on some failures, so callers check what it wrote.
void run_quiet(const std::string& command) {
    ASSERT_EQ(std::system(("QT_QPA_PLATFORM=offscreen " + command + " >/dev/null 2>&1").c_str()), 0)
        << command;
}

// A map with what Tiled sorts or drops: attributes out of order, one not UTF-8, a kept chunk,
// regions whose sub-chunks are out of the usual order, repeated, odd or unknown, an empty
// region, an object over another one's square and a filler outside any object.
Bytes odd_map() {
    uint32_t length = 0;
    const uint8_t* tileset = builtin_tileset(&length);
    Bytes warp = {0x10, 0, 0x20, 0};
    Bytes arena = concat({{5, 0, 6, 0}, bytes("pub"), Bytes(13, 0)});
    Bytes chunks = concat(
        {chunk("ATTR", "Zeta=1"), chunk("ATTR", "Alpha=two words"), chunk("ATTR", "Raw=\xe9t\x01"),
         chunk("REGN", concat({chunk("rNAM", "Gate"), chunk("rTIL", Bytes{0x42, 0x23, 0xFC, 0xE3, 0xFE}),
                               chunk("rCOL", Bytes{1, 2, 3, 0}), chunk("rXYZ", "code"),
                               chunk("rAWP", arena), chunk("rBSE", Bytes{}), chunk("rAWP", warp),
                               chunk("rCOL", Bytes{9, 9, 9})})),
         chunk("REGN", concat({chunk("rNAM", "Empty"), chunk("rTIL", Bytes{0xA3, 0xFF})})),
         chunk("ZZZZ", "kept"), chunk("AAAA", Bytes{0, 1, 2})});
    Bytes b = concat({Bytes(tileset, tileset + length), bytes("elvl"), Bytes(8, 0), chunks});
    put_u32(b, length + 4, static_cast<uint32_t>(12 + chunks.size()));
    b[6] = static_cast<uint8_t>(length), b[7] = static_cast<uint8_t>(length >> 8);
    put_u32(b, 2, static_cast<uint32_t>(b.size()));
    append(b, records({{1, 1, 219}, {3, 3, 217}, {4, 2, 5}, {900, 1000, 250}, {1023, 1023, 220},
                       {7, 0, 191}, {8, 0, 255}}));
    return b;
}

class Exchange : public ScratchDir {};

TEST_F(Exchange, MapsComeBackFromTiledByteForByte) {
    // Not skipped: tools/install-deps.sh installs Tiled, so CI always makes the round trip.
    ASSERT_TRUE(have("tiled")) << "Tiled is missing: tools/install-deps.sh installs Debian's 'tiled'";
    write_file("odd.lvl", odd_map());
    std::vector<std::string> maps = {"odd.lvl"};
    if (std::filesystem::is_directory(kMaps))
        for (const auto& entry : std::filesystem::directory_iterator(kMaps))
            if (entry.path().extension() == ".lvl") maps.push_back(entry.path().string());
    if (maps.size() == 1) std::printf("shared test maps not present in %s: only the made-up map\n", kMaps.c_str());
    for (const std::string& map : maps) {
        SCOPED_TRACE(map);
        LvlRun out = lvl_run({"convert", map, "ref.lvl", map, "out.tmx"});
        ASSERT_EQ(out.status, 0) << out.err;
        std::filesystem::remove("t.tmx");
        std::filesystem::remove("t.tmj");
        run_quiet("tiled --export-map tmx out.tmx t.tmx");
        run_quiet("tiled --export-map json out.tmx t.tmj");
        ASSERT_TRUE(std::filesystem::exists("t.tmx") && std::filesystem::exists("t.tmj"));
        LvlRun back = lvl_run({"convert", "t.tmx", "a.lvl", "t.tmj", "b.lvl"});
        ASSERT_EQ(back.status, 0) << back.err;
        Bytes ref = read_file("ref.lvl");
        EXPECT_TRUE(read_file("a.lvl") == ref && read_file("b.lvl") == ref);
    }
}

TEST_F(Exchange, TmxrasterizerDrawsTheExportAsOurRenderer) {
    ASSERT_TRUE(have("tmxrasterizer")) << "tmxrasterizer is missing: tools/install-deps.sh installs Debian's 'tiled'";
    write_file("odd.lvl", odd_map());
    ASSERT_EQ(lvl_run({"convert", "odd.lvl", "odd.tmx"}).status, 0);
    // The whole export, one pixel per cell (full size would be 16384 pixels square).
    run_quiet("tmxrasterizer --tilesize 1 odd.tmx whole.png");
    EXPECT_EQ(read_png("whole.png").width, 1024u);
    // Full size, a corner of it: the same export record cut to 16 x 16 cells.
    MapDataPtr map(parse(read_file("odd.lvl")));
    TiledMap tiled;
    ExchangeImages images;
    ASSERT_EQ(exchange_export(*map, "odd", nullptr, &tiled, &images), "");
    for (TiledLayer& layer : tiled.layers) {
        if (layer.kind != TiledLayer::tiles) continue;
        std::vector<uint8_t> packed, raw;
        ASSERT_TRUE(base64_decode(layer.text, &packed, 1 << 24));
        ASSERT_EQ(inflate_exact(packed, false, 4u << 20, &raw), "");
        std::vector<uint8_t> corner;
        for (size_t y = 0; y < 16; ++y)
            corner.insert(corner.end(), &raw[y * 4096], &raw[y * 4096 + 64]);
        layer.text = base64_encode(zlib_compress(corner));
        layer.width = layer.height = 16;
    }
    tiled.width = tiled.height = 16;
    tiled.layers.resize(1);
    Bytes text = bytes(tmx_format(tiled));
    write_file("corner.tmx", text);
    run_quiet("tmxrasterizer corner.tmx corner.png");
    ASSERT_EQ(lvl_run({"render", "odd.lvl", "ours.png", "--scale", "16", "--area", "0", "0", "16", "16"}).status, 0);
    Picture theirs = read_png("corner.png"), ours = read_png("ours.png");
    ASSERT_EQ(theirs.width, 256u);
    ASSERT_EQ(ours.width, 256u);
    // Cell (4, 2) holds tileset tile 5.
    for (uint32_t y = 32; y < 48; ++y)
        for (uint32_t x = 64; x < 80; ++x)
            ASSERT_EQ(theirs.rgb(x, y), ours.rgb(x, y)) << "pixel " << x << ", " << y;
}

// A 4 x 4 map made in Tiled: CSV cells, one object, one region layer.
std::string small_tmx(const std::string& map_attrs = "width=\"4\" height=\"4\"",
                      const std::string& data = "<data encoding=\"csv\">1,2,0,0,0,0,0,0,0,0,0,0,0,0,0,5</data>",
                      const std::string& extra = "") {
    return "<?xml version=\"1.0\"?>\n<map orientation=\"orthogonal\" " + map_attrs +
           " tilewidth=\"16\" tileheight=\"16\" infinite=\"0\">\n"
           " <tileset firstgid=\"1\" name=\"tiles\" tilewidth=\"16\" tileheight=\"16\" tilecount=\"190\" columns=\"19\">\n"
           "  <image source=\"t.bmp\" width=\"304\" height=\"160\"/>\n </tileset>\n"
           " <tileset firstgid=\"191\" name=\"extra\" tilewidth=\"16\" tileheight=\"16\" tilecount=\"65\" columns=\"13\">\n"
           "  <image source=\"e.bmp\" width=\"208\" height=\"80\"/>\n </tileset>\n"
           " <layer id=\"1\" name=\"tiles\" width=\"4\" height=\"4\">\n  " + data + "\n </layer>\n"
           " <objectgroup id=\"2\" name=\"objects\">\n  <object id=\"1\" gid=\"217\" x=\"16\" y=\"48\" width=\"32\" height=\"32\"/>\n"
           " </objectgroup>\n" + extra + "</map>\n";
}

ExchangeRead read_tmx(const std::string& text) {
    write_file("m.tmx", bytes(text));
    return exchange_read("m.tmx");
}

TEST_F(Exchange, SmallMapFromTiledIsPlacedTopLeft) {
    uint32_t length = 0;
    const uint8_t* tileset = builtin_tileset(&length);
    write_file("t.bmp", Bytes(tileset, tileset + length));
    ExchangeRead read = read_tmx(small_tmx());
    ASSERT_TRUE(read.map) << read.error;
    ASSERT_EQ(read.notes.size(), 1u);
    EXPECT_TRUE(contains(read.notes[0], "placed at the top-left"));
    EXPECT_EQ(mapdata_get_tile(read.map.get(), 1, 0), 2);
    EXPECT_EQ(mapdata_get_tile(read.map.get(), 3, 3), 5);
    EXPECT_EQ(mapdata_get_tile(read.map.get(), 1, 1), 217);
    EXPECT_EQ(mapdata_get_tile(read.map.get(), 2, 2), TILE_FILLER);
    // Tiled's default for a new tileset: a file of its own, named after its image.
    std::filesystem::create_directory("sets");
    write_file("sets/t.tsx", bytes("<?xml version=\"1.0\"?>\n<tileset name=\"t\" tilewidth=\"16\" tileheight=\"16\" "
                                   "tilecount=\"190\" columns=\"19\"><image source=\"../t.bmp\" width=\"304\" height=\"160\"/></tileset>"));
    std::string text = small_tmx();
    size_t from = text.find(" <tileset"), to = text.find("</tileset>") + 10;
    read = read_tmx(text.replace(from, to - from, " <tileset firstgid=\"1\" source=\"sets/t.tsx\"/>"));
    ASSERT_TRUE(read.map) << read.error;
    EXPECT_EQ(mapdata_get_tile(read.map.get(), 3, 3), 5);
}

TEST_F(Exchange, HostileMapsAreRefusedWithThePlace) {
    uint32_t length = 0;
    const uint8_t* tileset = builtin_tileset(&length);
    write_file("t.bmp", Bytes(tileset, tileset + length));
    auto zeros = [](int n) {
        std::string text;
        for (int i = 0; i < n; ++i)
            text += "0,";
        return text;
    };
    auto data = [](const std::string& attrs, const std::string& body) {
        return "<data " + attrs + ">" + body + "</data>";
    };
    auto region = [](const std::string& name, const std::string& props = "") {
        return " <layer id=\"9\" name=\"" + name + "\" width=\"4\" height=\"4\">" + props +
               "<data encoding=\"csv\">0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0</data></layer>\n";
    };
    std::string good = small_tmx();
    const std::pair<std::string, std::string> cases[] = {
        {good.substr(0, good.size() / 2), "m.tmx:6: not a readable XML file"},
        {small_tmx("width=\"4\" height=\"4\"", data("encoding=\"base64\" compression=\"zlib\"", "eJz#")),
         "m.tmx:9: layer 'tiles': the base64 data is damaged"},
        {small_tmx("width=\"4\" height=\"4\"", data("encoding=\"base64\" compression=\"zlib\"", "eJz/////")),
         "m.tmx:9: layer 'tiles': the zlib data is damaged (invalid block type)"},
        {small_tmx("width=\"4\" height=\"4\"", data("encoding=\"csv\"", "1,2,3")), "layer 'tiles' holds 3 cells, not 16"},
        {small_tmx("width=\"4\" height=\"4\"", data("encoding=\"csv\"", zeros(15) + "2147483649")),
         "cell (3, 3): a flipped or rotated tile"},
        {small_tmx("width=\"4\" height=\"4\"", data("encoding=\"csv\"", "999," + zeros(15).substr(0, 29))),
         "cell (0, 0): tile 999 belongs to no tileset"},
        {small_tmx("width=\"2000\" height=\"4\""), "at most 1024 x 1024"},
        {std::string(good).replace(good.find("infinite=\"0\""), 12, "infinite=\"1\""), "m.tmx: an infinite map"},
        {small_tmx("width=\"4\" height=\"4\"", data("encoding=\"csv\"", zeros(15) + "0"), region("Gate") + region("GATE")),
         "m.tmx:16: layer 'GATE' names the same region as the layer at m.tmx:15"},
        {small_tmx("width=\"4\" height=\"4\"", data("encoding=\"csv\"", zeros(15) + "0"),
                   region("Gate", "<properties><property name=\"autowarp\" value=\"1 2 a&#1;b\"/></properties>")),
         "m.tmx:15: the value of property 'autowarp' holds a control character"},
    };
    for (const auto& [text, want] : cases) {
        ExchangeRead read = read_tmx(text);
        EXPECT_FALSE(read.map);
        EXPECT_TRUE(contains(read.error, want)) << "wanted '" << want << "', got '" << read.error << "'";
    }
    // Off the cell grid, and the JSON reader's places.
    std::string off = good;
    off.replace(off.find("x=\"16\""), 6, "x=\"17\"");
    EXPECT_EQ(read_tmx(off).error, "m.tmx:13: object 1 at (17, 48) is not on the 16-pixel cell grid");
    write_file("m.tmj", bytes(R"({"type":"map","width":4,"height":4,"tilewidth":16,"tileheight":16,"infinite":true,"layers":[]})"));
    EXPECT_TRUE(contains(exchange_read("m.tmj").error, "m.tmj: an infinite map"));
    write_file("m.tmj", bytes(R"({"type":"map","width":4,"height":4,"tilewidth":16,"tileheight":16,"layers":[{"type":"tilelayer","name":"tiles","width":4,"height":2,"data":[1,2]}]})"));
    EXPECT_EQ(exchange_read("m.tmj").error, "m.tmj: layers[0]: layer 'tiles' is 4 x 2 cells; the map is 4 x 4");
    write_file("m.tmj", bytes(R"({"type":"map","width":4,)"));
    EXPECT_TRUE(contains(exchange_read("m.tmj").error, "m.tmj: byte 25: not a readable JSON file"));
    EXPECT_TRUE(contains(lvl_run({"convert", "m.tmj", "m.png"}).err, ".lvl (level file), .tmx"));
}

} // namespace
