// Times the two store phases of one group: inserting N random points with
// ~150-byte records in one transaction, and building the area tree from
// them in a second one.
//
//   area_tree_bench [--variant plain|reuse|store] [--pragma SQL]... [N]...
//
// plain: the layer preparing every statement afresh, no pragmas (the
// reference); reuse: statements kept, no pragmas; store: CreatePoiStore as
// the program uses it. N defaults to 100000 and 1000000.
#include <chrono>
#include <ctime>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "app/AreaTree.h"
#include "sources/AreaRules.h"
#include "gpi/GpiUtil.h"
#include "store/GpiDB.h"
#include "store/SQLiteLibrary.h"

using namespace kestro;

namespace {

using TClock = std::chrono::steady_clock;

double SecondsSince(TClock::time_point start) {
    return std::chrono::duration<double>(TClock::now() - start).count();
}

// Processor time of the process: steadier than the wall clock on a shared machine.
double CpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

// A point record of realistic size: position, name, and a comment record.
Bytes PointRecord(int index, double lat, double lon) {
    Bytes main = GpiDword(static_cast<std::uint32_t>(DegToSemicircles(lat)));
    main += GpiDword(static_cast<std::uint32_t>(DegToSemicircles(lon)));
    main += Bytes("\0\0\1", 3);
    main += GpiLangString("Speed camera no. " + std::to_string(index));
    const Bytes comment = GpiRecord(10, GpiLangString("Fixed camera, both directions; limit 50 km/h. Checked in May 2023 by the club."));
    return GpiRecord(2, main, comment);
}

std::unique_ptr<TSQLiteDatabase> NewStore(const std::string& variant, const std::vector<std::string>& pragmas,
                                         std::uint64_t sourceBytes) {
    std::unique_ptr<TSQLiteDatabase> store;
    if (variant == "store") {
        store = CreatePoiStore(sourceBytes);
    } else {
        store = std::make_unique<TSQLiteDatabase>(std::string());
        store->SetReuseStatements(variant == "reuse");
        store->Execute("CREATE TABLE poi (key INTEGER PRIMARY KEY, data BLOB, alert INTEGER)");
        store->Execute("CREATE VIRTUAL TABLE ridx USING rtree(key, minX, maxX, minY, maxY)");
    }
    for (const std::string& pragma : pragmas) store->Execute(pragma);
    return store;
}

void Run(int count, const std::string& variant, const std::vector<std::string>& pragmas) {
    std::mt19937_64 random(20240501);
    std::uniform_real_distribution<double> lat(35.0, 60.0);
    std::uniform_real_distribution<double> lon(-10.0, 30.0);
    std::vector<double> lats(count), lons(count);
    std::vector<Bytes> records(count);
    double south = 90, west = 180, north = -90, east = -180;
    std::size_t recordBytes = 0;
    for (int i = 0; i < count; ++i) {
        lats[i] = lat(random);
        lons[i] = lon(random);
        records[i] = PointRecord(i, lats[i], lons[i]);
        recordBytes += records[i].size();
        south = std::min(south, lats[i]);
        north = std::max(north, lats[i]);
        west = std::min(west, lons[i]);
        east = std::max(east, lons[i]);
    }

    const double cpuStart = CpuSeconds();
    const auto start = TClock::now();
    // The program sizes the store from the GPX text, about three times the records.
    auto store = NewStore(variant, pragmas, recordBytes * 3);
    store->StartTransaction();
    for (int i = 0; i < count; ++i)
        InsertPoi(*store, records[i], i % 10 == 0, static_cast<float>(lats[i]), static_cast<float>(lons[i]));
    store->CommitTransaction();
    const double insertSeconds = SecondsSince(start);
    const double insertCpu = CpuSeconds() - cpuStart;

    const auto treeStart = TClock::now();
    TAreaStatistics statistics;
    std::uint8_t alert = 0;
    store->StartTransaction();
    const Bytes area = BuildArea(*store, DefaultMaxRegion, statistics, 0, alert, south, west, north, east);
    store->CommitTransaction();
    const double treeSeconds = SecondsSince(treeStart);
    const double treeCpu = CpuSeconds() - cpuStart - insertCpu;
    const auto closeStart = TClock::now();
    store.reset();
    const double closeSeconds = SecondsSince(closeStart);

    std::printf("%-6s N=%-8d wall: insert %7.3f s  tree %7.3f s  close %6.3f s  total %7.3f s  "
                "cpu: insert %7.3f s  tree %7.3f s  (records %.1f MB, area %.1f MB, Regions %d MaxSize %d MaxDeep %d)\n",
                variant.c_str(), count, insertSeconds, treeSeconds, closeSeconds,
                insertSeconds + treeSeconds + closeSeconds, insertCpu, treeCpu, recordBytes / 1e6, area.size() / 1e6,
                statistics.Regions, statistics.MaxSize, statistics.MaxDeep);
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
    std::string variant = "store";
    std::vector<std::string> pragmas;
    std::vector<int> counts;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--variant" && i + 1 < argc)
            variant = argv[++i];
        else if (arg == "--pragma" && i + 1 < argc)
            pragmas.push_back(argv[++i]);
        else
            counts.push_back(std::atoi(arg.c_str()));
    }
    if (counts.empty()) counts = {100000, 1000000};
    try {
        TSQLiteLibrary library;
        for (int count : counts) Run(count, variant, pragmas);
    } catch (const Exception& error) {
        std::fprintf(stderr, "%s: %s\n", error.ClassName(), error.what());
        return 1;
    }
    return 0;
}
