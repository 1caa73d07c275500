// stagegen: makes the 263-stage catalogue game/stages.inc, or reports on one.
//
//   stagegen [--seed N] [--out FILE] [--checkpoint FILE] [--threads N] [--pool-rounds N]
//            [--islands N] [--elite N] [--min-blocks N] [--max-blocks N]
//   stagegen report [--in FILE]
//
// The phases, one file each: pool.cpp (hard boards found by an evolutionary search), plan.cpp
// (what every stage is to be), search.cpp (each open stage found), order.cpp (the order of
// play), output.cpp (the catalogue and the checkpoint). The rules a stage is held to are in
// model.cpp, its measures in curate.cpp. Everything is driven by one seed; the checkpoint
// records finished work, so an interrupted run resumes where it stopped and still ends with
// the same catalogue.
#include "model.h"
#include "order.h"
#include "output.h"
#include "plan.h"
#include "pool.h"
#include "report.h"
#include "search.h"

#include <chrono>
#include <cstdio>

namespace {

double Now() {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

int Report(const Options &o) {
    std::vector<std::vector<uint8_t>> layouts;
    std::string why;
    if (!ReadCatalogue(o.in, &layouts, &why)) {
        fprintf(stderr, "stagegen: %s\n", why.c_str());
        return 1;
    }
    for (size_t i = 0; i < layouts.size(); i++) {
        SolverBoard b;
        uint64_t s;
        if (!ReadLayout(layouts[i].data(), &b, &s, &why)) {
            fprintf(stderr, "stagegen: stage %zu: %s\n", i + 1, why.c_str());
            return 1;
        }
    }
    CatalogueReport r;
    MeasureCatalogue(layouts, &r);
    PrintReport(r, stdout);
    return 0;
}

// Saves the checkpoint; a failure to save is reported but does not stop the run.
void Save(const Options &o, const Pool &pool, const Catalogue &cat, double elapsed) {
    std::string why;
    if (!SaveCheckpoint(o.checkpoint, o, pool, cat, elapsed, &why))
        fprintf(stderr, "stagegen: %s\n", why.c_str());
}

int Generate(const Options &o) {
    Pool pool;
    Catalogue cat;
    double before = 0, start = Now();
    std::string why;
    int loaded = LoadCheckpoint(o.checkpoint, o, &pool, &cat, &before, &why);
    if (loaded < 0) {
        fprintf(stderr, "stagegen: %s\n", why.c_str());
        return 2;
    }
    if (loaded) printf("resuming from %s\n", o.checkpoint.c_str());
    auto elapsed = [&]() { return before + Now() - start; };
    if (!cat.planned) {
        double lastSave = Now(), lastReport = 0;
        RunPool(o, &pool, [&](int last) {
            double now = Now();
            if (last || now - lastReport > 10) {
                printf("pool: round %ld/%ld, %zu entries, %d of 40+ moves, %d of 48+, %.0f s\n",
                       pool.round, o.poolRounds, pool.entries.size(), PoolSummary(pool, 40),
                       PoolSummary(pool, 48), elapsed());
                fflush(stdout);
                lastReport = now;
            }
            if (!last && now - lastSave > 20) {
                Save(o, pool, cat, elapsed());
                lastSave = now;
            }
        });
        if (!MakePlan(o, pool, &cat, &why)) {
            fprintf(stderr, "stagegen: %s\n", why.c_str());
            return 3;
        }
        int done = 0;
        for (const Stage &s : cat.stage)
            done += s.done;
        printf("plan: %d stages from the pool, %.0f s\n", done - FIXED_STAGES, elapsed());
        Save(o, pool, cat, elapsed());
    }
    int failed = RunSearch(o, &cat, [&]() {
        int done = 0;
        for (const Stage &s : cat.stage)
            done += s.done;
        printf("search: %d/%d stages, %.0f s\n", done, STAGE_COUNT, elapsed());
        fflush(stdout);
        Save(o, pool, cat, elapsed());
    });
    if (failed) {
        fprintf(stderr, "stagegen: %d stages not found; the catalogue is not written\n", failed);
        return 4;
    }
    if (!WriteCatalogue(o.out, cat, PlayOrder(cat), &why)) {
        fprintf(stderr, "stagegen: %s\n", why.c_str());
        return 1;
    }
    Save(o, pool, cat, elapsed());
    printf("wrote %s: %d stages, %.0f s in all\n", o.out.c_str(), STAGE_COUNT, elapsed());
    return 0;
}

} // namespace

int main(int argc, char **argv) {
    Options o;
    std::string why;
    if (!ParseOptions(argc, argv, &o, &why)) {
        fprintf(stderr,
                "stagegen: %s\n"
                "usage: stagegen [--seed N] [--out FILE] [--checkpoint FILE] [--threads N]\n"
                "                [--pool-rounds N] [--islands N] [--elite N] [--min-blocks N]\n"
                "                [--max-blocks N]\n"
                "       stagegen report [--in FILE]\n",
                why.c_str());
        return 1;
    }
    return o.report ? Report(o) : Generate(o);
}
