// bench_exchange.cpp - export and import of a full map (every cell set, four regions) as TMX and
// JSON, against Tiled itself loading and re-saving the same TMX in the same run (its CPU time,
// as a child process), and the peak memory of an import, measured in a child process so the
// high-water mark is the import's own.
#include <benchmark/benchmark.h>

#include <malloc.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "map/lvl/builtin_tileset.h"
#include "map/exchange/exchange_internal.h"
#include "map/lvl/level.h"
#include "map/model/mapdata.h"

namespace {

std::string g_dir;
MapData* g_map = nullptr;
std::string g_tmx, g_json;
std::vector<uint8_t> g_tileset;

void put(std::vector<uint8_t>* b, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        b->push_back(static_cast<uint8_t>(v >> (8 * i)));
}

// Every cell set (tiles 1..190) and four regions of a quarter each, behind the built-in tileset.
void make_map() {
    char pattern[] = "/tmp/ostrel-bench-exchange-XXXXXX";
    if (!mkdtemp(pattern)) std::abort();
    g_dir = pattern;
    uint32_t length = 0;
    const uint8_t* bitmap = builtin_tileset(&length);
    g_tileset.assign(bitmap, bitmap + length);
    std::vector<uint8_t> chunks;
    for (int r = 0; r < 4; ++r) {
        std::vector<uint8_t> regn = {'r', 'N', 'A', 'M', 1, 0, 0, 0, uint8_t('A' + r), 0, 0, 0};
        // Rows of the top or bottom half: 512 cells from the left or the right, then skips.
        std::vector<uint8_t> til;
        if (r >= 2) til.insert(til.end(), {0xA1, 0xFF});                     // skip 512 rows
        std::vector<uint8_t> row = r % 2 ? std::vector<uint8_t>{0x21, 0xFF, 0x61, 0xFF}
                                         : std::vector<uint8_t>{0x61, 0xFF, 0x21, 0xFF};
        til.insert(til.end(), row.begin(), row.end());
        til.insert(til.end(), {0xE1, 0xFE});                                  // 511 copies
        if (r < 2) til.insert(til.end(), {0xA1, 0xFF});
        regn.insert(regn.end(), {'r', 'T', 'I', 'L'});
        put(&regn, static_cast<uint32_t>(til.size()));
        regn.insert(regn.end(), til.begin(), til.end());
        while (regn.size() % 4) regn.push_back(0);
        chunks.insert(chunks.end(), {'R', 'E', 'G', 'N'});
        put(&chunks, static_cast<uint32_t>(regn.size()));
        chunks.insert(chunks.end(), regn.begin(), regn.end());
    }
    std::vector<uint8_t> file(bitmap, bitmap + length);
    file.insert(file.end(), {'e', 'l', 'v', 'l'});
    put(&file, static_cast<uint32_t>(12 + chunks.size()));
    put(&file, 0);
    file.insert(file.end(), chunks.begin(), chunks.end());
    file[6] = static_cast<uint8_t>(length), file[7] = static_cast<uint8_t>(length >> 8);
    uint32_t records = static_cast<uint32_t>(file.size());
    for (int i = 0; i < 4; ++i)
        file[2 + i] = static_cast<uint8_t>(records >> (8 * i));
    for (uint32_t y = 0; y < 1024; ++y)
        for (uint32_t x = 0; x < 1024; ++x)
            put(&file, x | y << 12 | (1 + (x * 7 + y * 13) % 190) << 24);
    g_map = mapdata_new();
    mapdata_read_bytes(g_map, file, LevelReadOptions{false});
    TiledMap tiled;
    ExchangeImages images;
    if (!exchange_export(*g_map, "full", nullptr, &tiled, &images).empty()) std::abort();
    g_tmx = tmx_format(tiled);
    g_json = tiled_json_format(tiled);
    auto write = [](const std::string& name, const void* data, size_t size) {
        std::ofstream(g_dir + "/" + name, std::ios::binary).write(static_cast<const char*>(data), std::streamsize(size));
    };
    write("full.tmx", g_tmx.data(), g_tmx.size());
    write("full.bmp", images.tiles.data(), images.tiles.size());
    write("full-extra.bmp", images.extra.data(), images.extra.size());
    write("full-region.bmp", images.region.data(), images.region.size());
}

double cpu_seconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

bool image(const std::string&, std::vector<uint8_t>* bytes, std::string*) {
    *bytes = g_tileset;
    return true;
}

ExchangeRead import(bool json) {
    const std::string& text = json ? g_json : g_tmx;
    std::span<const uint8_t> bytes(reinterpret_cast<const uint8_t*>(text.data()), text.size());
    TiledMap tiled;
    std::string error = json ? tiled_json_parse(bytes, "full", &tiled) : tmx_parse(bytes, "full", &tiled);
    if (!error.empty()) std::abort();
    return exchange_import(tiled, "full", image, {});
}

long status_kib(const char* key) {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind(key, 0) == 0) return std::atol(line.c_str() + std::strlen(key));
    return -1;
}

// Peak memory an import adds, in a child that keeps every freed block resident (no trimming,
// no separately mapped blocks), so its resident size after the import is the import's peak.
// Runs first, before any import in this process left free blocks to reuse.
void BM_ImportMemory(benchmark::State& state) {
    for (auto _ : state) {
        int fds[2];
        if (pipe(fds) != 0) std::abort();
        pid_t child = fork();
        if (child == 0) {
            mallopt(M_MMAP_THRESHOLD, 1 << 30);
            mallopt(M_TRIM_THRESHOLD, 1 << 30);
            long before = status_kib("VmRSS:");
            ExchangeRead read = import(state.range(0) != 0);
            long peak = status_kib("VmRSS:") - before;
            if (write(fds[1], &peak, sizeof peak) != sizeof peak) _exit(1);
            _exit(read.map ? 0 : 1);
        }
        long peak = -1;
        if (read(fds[0], &peak, sizeof peak) != sizeof peak) peak = -1;
        waitpid(child, nullptr, 0);
        close(fds[0]);
        close(fds[1]);
        state.counters["import_peak_MiB"] = double(peak) / 1024;
    }
}
BENCHMARK(BM_ImportMemory)->Arg(0)->Arg(1)->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_ExportTmx(benchmark::State& state) {
    for (auto _ : state) {
        double t0 = cpu_seconds();
        TiledMap tiled;
        ExchangeImages images;
        (void)exchange_export(*g_map, "full", nullptr, &tiled, &images);
        std::string text = state.range(0) ? tiled_json_format(tiled) : tmx_format(tiled);
        benchmark::DoNotOptimize(text.data());
        state.SetIterationTime(cpu_seconds() - t0);
    }
}
BENCHMARK(BM_ExportTmx)->Arg(0)->Arg(1)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);


void BM_ImportTmx(benchmark::State& state) {
    for (auto _ : state) {
        double t0 = cpu_seconds();
        ExchangeRead read = import(state.range(0) != 0);
        if (!read.map) std::abort();
        state.SetIterationTime(cpu_seconds() - t0);
    }
}
BENCHMARK(BM_ImportTmx)->Arg(0)->Arg(1)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

// Tiled's own load and re-save of the same TMX: CPU time of the child process.
void BM_TiledLoadSave(benchmark::State& state) {
    if (std::system("command -v tiled >/dev/null 2>&1") != 0) {
        state.SkipWithError("Tiled is not installed (Debian package 'tiled')");
        return;
    }
    std::string command = "QT_QPA_PLATFORM=offscreen tiled --export-map tmx " + g_dir + "/full.tmx " + g_dir +
                          "/resaved.tmx >/dev/null 2>&1";
    for (auto _ : state) {
        rusage before{}, after{};
        getrusage(RUSAGE_CHILDREN, &before);
        if (std::system(command.c_str()) != 0) std::abort();
        getrusage(RUSAGE_CHILDREN, &after);
        auto secs = [](const timeval& t) { return double(t.tv_sec) + double(t.tv_usec) * 1e-6; };
        state.SetIterationTime(secs(after.ru_utime) + secs(after.ru_stime) - secs(before.ru_utime) -
                               secs(before.ru_stime));
    }
}
BENCHMARK(BM_TiledLoadSave)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);


class BudgetReporter : public benchmark::ConsoleReporter {
  public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            times[run.benchmark_name()] = run.GetAdjustedRealTime();
            for (const auto& [name, counter] : run.counters)
                counters[run.benchmark_name() + " " + name] = counter.value;
        }
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> times, counters;
};

void check(const std::string& what, double value, double limit, const char* unit) {
    std::printf("%-48s %10.3f %-4s (budget %.3f) %s\n", what.c_str(), value, unit, limit,
                value <= limit ? "ok" : "OVER BUDGET");
}

} // namespace

int main(int argc, char** argv) {
    make_map();
    std::FILE* quiet = std::freopen("/dev/null", "w", stderr);
    benchmark::Initialize(&argc, argv);
    BudgetReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    if (!quiet) return 1;
    auto& t = reporter.times;
    auto& c = reporter.counters;
    std::printf("\nBudgets (CPU time of one run; Tiled as a child process on the same TMX):\n");
    const char* names[] = {"TMX", "JSON"};
    double tiled = t.count("BM_TiledLoadSave/iterations:3/manual_time") ? t["BM_TiledLoadSave/iterations:3/manual_time"] : 0;
    for (int json = 0; json < 2; ++json) {
        std::string arg = "/" + std::to_string(json) + "/iterations:5/manual_time";
        double ex = t["BM_ExportTmx" + arg], im = t["BM_ImportTmx" + arg];
        check(std::string("export full map as ") + names[json] + " (s)", ex / 1000, 0.2, "s");
        check(std::string("import full map from ") + names[json] + " (s)", im / 1000, 0.2, "s");
        if (tiled > 0) {
            check(std::string("export ") + names[json] + " / Tiled load and save", ex / tiled, 0.25, "x");
            check(std::string("import ") + names[json] + " / Tiled load and save", im / tiled, 0.25, "x");
        }
        std::string mem = "BM_ImportMemory/" + std::to_string(json) + "/iterations:1 import_peak_MiB";
        if (c.count(mem)) check(std::string("import memory, ") + names[json] + " (MiB)", c[mem], 64, "MiB");
    }
    if (tiled > 0) std::printf("%-48s %10.3f s\n", "Tiled load and re-save of the TMX (CPU)", tiled / 1000);
    mapdata_free(g_map);
    std::filesystem::remove_all(g_dir);
    return 0;
}
