#include "report.h"

#include "model.h"

#include <algorithm>

namespace {

void FindPairs(const std::vector<std::vector<uint8_t>> &layouts, CatalogueReport *r) {
    size_t n = layouts.size();
    r->nearest.assign(n, -1);
    r->nearestDistance.assign(n, 99);
    for (size_t i = 0; i < n; i++)
        for (size_t j = i + 1; j < n; j++) {
            const StageFacts &a = r->facts[i], &b = r->facts[j];
            r->sharedClusters += a.clusterKey == b.clusterKey;
            r->sharedCores += a.coreKey == b.coreKey;
            int d = PlacementDistance(layouts[i].data(), layouts[j].data());
            if (d < r->nearestDistance[i]) r->nearestDistance[i] = d, r->nearest[i] = (int)j;
            if (d < r->nearestDistance[j]) r->nearestDistance[j] = d, r->nearest[j] = (int)i;
            if (d > CLOSE_DISTANCE) continue;
            if (a.moves >= SCARCE_MOVES && b.moves >= SCARCE_MOVES)
                r->closeScarce++;
            else
                r->closePairs++;
            r->closeNeighbours += j == i + 1;
        }
}

void CheckRamp(CatalogueReport *r) {
    std::vector<int> seen(MAX_MOVES + 1, 0);
    size_t n = r->facts.size();
    for (size_t i = 0; i < n; i++) {
        const StageFacts &f = r->facts[i];
        if (f.moves >= 0 && f.moves <= MAX_MOVES) seen[f.moves] = 1;
        r->longest = std::max(r->longest, f.moves);
        if (i == 0) continue;
        const StageFacts &p = r->facts[i - 1];
        if (f.moves < p.moves - 1) r->bigDips.push_back((int)i);
        if (f.moves == p.moves && f.solutions > p.solutions && i >= (size_t)FIXED_STAGES)
            r->orderFaults.push_back((int)i);
    }
    for (int m = MIN_MOVES; m <= MAX_MOVES; m++)
        if (!seen[m]) r->missingLengths.push_back(m);
    r->lastMoves = n ? r->facts.back().moves : 0;
}

void PrintList(FILE *out, const char *what, const std::vector<int> &v, int plus) {
    fprintf(out, "%s: %zu", what, v.size());
    for (size_t k = 0; k < v.size(); k++)
        fprintf(out, k ? ", %d" : " (%d", v[k] + plus);
    fprintf(out, v.empty() ? "\n" : ")\n");
}

} // namespace

void MeasureCatalogue(const std::vector<std::vector<uint8_t>> &layouts, CatalogueReport *r) {
    *r = CatalogueReport();
    r->facts.resize(layouts.size());
    for (size_t i = 0; i < layouts.size(); i++) {
        StageFacts &f = r->facts[i];
        MeasureStage(layouts[i].data(), &f);
        bool given = i < (size_t)FIXED_STAGES;
        if (given) {
            r->removableGiven += f.removable;
        } else {
            r->removableOthers += f.removable;
            if (!f.startIsFarthest) r->notFarthest.push_back((int)i);
        }
        if (f.moves > REMOVABLE_MOVES && f.removable > 0) r->removableLong.push_back((int)i);
        r->idleTotal += f.idle;
    }
    FindPairs(layouts, r);
    CheckRamp(r);
}

void PrintSummary(const CatalogueReport &r, FILE *out) {
    size_t n = r.facts.size();
    fprintf(out, "stages: %zu, longest %d moves, last stage %d moves\n", n, r.longest, r.lastMoves);
    PrintList(out, "lengths from 5 to 51 missing", r.missingLengths, 0);
    PrintList(out, "stages more than one move shorter than the one before", r.bigDips, 1);
    PrintList(out, "stages with more shortest solutions than the one before of their length",
              r.orderFaults, 1);
    int atFarthest = 0;
    for (size_t i = 0; i < n; i++)
        atFarthest += r.facts[i].startIsFarthest;
    fprintf(out, "starting at the farthest position of their cluster: %d of %zu", atFarthest, n);
    fprintf(out, " (the given stages 1 and 2: %s, %s)\n",
            n > 0 && r.facts[0].startIsFarthest ? "yes" : "no",
            n > 1 && r.facts[1].startIsFarthest ? "yes" : "no");
    PrintList(out, "other stages not at their farthest position", r.notFarthest, 1);
    fprintf(out, "removable blocks: %d in the two given stages, %d in all others\n",
            r.removableGiven, r.removableOthers);
    PrintList(out, "stages over 15 moves with a removable block", r.removableLong, 1);
    fprintf(out, "idle blocks: %d\n", r.idleTotal);
    fprintf(out, "pairs sharing a cluster: %d, sharing a core puzzle: %d\n", r.sharedClusters,
            r.sharedCores);
    fprintf(out,
            "pairs within placement distance %d: %d below %d moves, %d both of %d or more, "
            "%d on neighbouring stages\n",
            CLOSE_DISTANCE, r.closePairs, SCARCE_MOVES, r.closeScarce, SCARCE_MOVES,
            r.closeNeighbours);
    int hist[MAX_MOVES + 2] = {0};
    for (const StageFacts &f : r.facts)
        if (f.moves >= 0 && f.moves <= MAX_MOVES) hist[f.moves]++;
    fprintf(out, "stages per length:");
    for (int m = MIN_MOVES; m <= MAX_MOVES; m++)
        fprintf(out, " %d:%d", m, hist[m]);
    fprintf(out, "\n");
}

void PrintReport(const CatalogueReport &r, FILE *out) {
    fprintf(out, "stage moves cluster farthest removable idle first solutions nearest(dist)\n");
    for (size_t i = 0; i < r.facts.size(); i++) {
        const StageFacts &f = r.facts[i];
        fprintf(out, "%5zu %5d %7zu %4s(%2d) %9d %4d %5d %9llu %7d(%d)\n", i + 1, f.moves,
                f.clusterSize, f.startIsFarthest ? "yes" : "no", f.farthestMoves, f.removable,
                f.idle, f.firstMoves, (unsigned long long)f.solutions, r.nearest[i] + 1,
                r.nearestDistance[i]);
    }
    PrintSummary(r, out);
}
