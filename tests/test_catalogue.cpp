// The stage catalogue against its invariants, checked with the optimal solver, and the
// solver itself on layouts whose answers are known.
#include "tombslide.h"
#include "curate.h"
#include "gen.h"
#include "report.h"
#include "solver.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <set>
#include <string>
#include <vector>

namespace {

const Uint8 FIRST_STAGE[36] = {21, 22, 23, 0, 0, 31, 0, 0, 0,  0, 0, 32, 51, 52, 31, 0, 0, 33,
                               0,  0,  32, 0, 0, 0,  0, 0, 33, 0, 0, 0,  21, 22, 23, 0, 0, 0};
const Uint8 SECOND_STAGE[36] = {11, 11, 1,  2,  0,  0,  12, 12, 11, 11, 0,  0,
                                51, 52, 12, 12, 0,  11, 0,  0,  1,  2,  11, 12,
                                0,  0,  0,  0,  12, 11, 0,  0,  21, 22, 23, 12};

// Builds a layout from six rows of cell codes.
struct Rows {
    uint8_t cell[36];
};
Rows Layout(std::initializer_list<int> codes) {
    Rows r;
    int i = 0;
    for (int c : codes)
        r.cell[i++] = (uint8_t)c;
    EXPECT_EQ(i, 36);
    return r;
}

// ---- the solver on known layouts -------------------------------------------------------

TEST(Solver, GivenStagesTakeSevenAndFiveMoves) {
    EXPECT_EQ(SolveLayout(FIRST_STAGE), 7);
    EXPECT_EQ(SolveLayout(SECOND_STAGE), 5);
}

TEST(Solver, FreeExitRowTakesOneMoveFromAnyColumn) {
    for (int x = 0; x <= 4; x++) {
        Rows r = Layout({0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                         0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
        r.cell[12 + x] = 51;
        r.cell[13 + x] = 52;
        EXPECT_EQ(SolveLayout(r.cell), 1) << "target at column " << x;
    }
}

TEST(Solver, SlideOfAnyDistanceCountsOnce) {
    // The vertical triple must go three cells down in one slide.
    Rows r = Layout({0, 0, 0, 0, 31, 0, 0, 0, 0, 0, 32, 0, 51, 52, 0, 0, 33, 0,
                     0, 0, 0, 0, 0,  0, 0, 0, 0, 0, 0,  0, 0,  0,  0, 0, 0,  0});
    EXPECT_EQ(SolveLayout(r.cell), 2);
}

TEST(Solver, BlockerBehindBlockerCountsBothSlides) {
    // The pair in column 3 is held above by a pair on row 0 and below by a pair on row 4;
    // either one moves away first, then the pair in column 3: two slides and the drag out.
    Rows r = Layout({0, 0, 0, 1, 2, 0, 0, 0, 0, 11, 0, 0, 51, 52, 0, 12, 0, 0,
                     0, 0, 0, 0, 0, 0, 0, 0, 1, 2,  0, 0, 0,  0,  0, 0,  0, 0});
    EXPECT_EQ(SolveLayout(r.cell), 3);
}

TEST(Solver, JammedColumnCannotBeSolved) {
    // Two vertical triples fill column 3, so the exit row stays blocked for ever.
    Rows r = Layout({0, 0, 0, 31, 0, 0, 0, 0, 0, 32, 0, 0, 51, 52, 0, 33, 0, 0,
                     0, 0, 0, 31, 0, 0, 0, 0, 0, 32, 0, 0, 0,  0,  0, 33, 0, 0});
    EXPECT_EQ(SolveLayout(r.cell), -1);
}

TEST(Solver, MalformedLayoutsAreRefused) {
    SolverBoard b;
    uint64_t s;
    std::string why;
    Rows ok = Layout({0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 51, 52, 0, 0, 0, 0,
                      0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,  0,  0, 0, 0, 0});
    EXPECT_EQ(ReadLayout(ok.cell, &b, &s, &why), 1);
    Rows r = ok;
    r.cell[13] = 0; // target without its second cell
    EXPECT_EQ(ReadLayout(r.cell, &b, &s, &why), 0);
    r = ok;
    r.cell[30] = 22; // continuation without a head
    EXPECT_EQ(ReadLayout(r.cell, &b, &s, &why), 0);
    r = ok;
    r.cell[4] = 21; // horizontal triple running off the right edge
    r.cell[5] = 22;
    EXPECT_EQ(ReadLayout(r.cell, &b, &s, &why), 0);
    r = ok;
    r.cell[33] = 31; // vertical triple running off the bottom
    EXPECT_EQ(ReadLayout(r.cell, &b, &s, &why), 0);
    r = ok;
    r.cell[0] = 51; // a second target
    r.cell[1] = 52;
    EXPECT_EQ(ReadLayout(r.cell, &b, &s, &why), 0);
    r = ok;
    r.cell[7] = 40; // a code that is no cell code
    EXPECT_EQ(ReadLayout(r.cell, &b, &s, &why), 0);
    r = ok;
    r.cell[12] = 0; // no target at all
    r.cell[13] = 0;
    EXPECT_EQ(ReadLayout(r.cell, &b, &s, &why), 0);
    EXPECT_EQ(SolveLayout(r.cell), -1);
}

TEST(Solver, LayoutRoundTripsThroughTheBoard) {
    SolverBoard b;
    uint64_t s;
    ASSERT_EQ(ReadLayout(SECOND_STAGE, &b, &s, nullptr), 1);
    EXPECT_EQ(b.count, 11);
    uint8_t back[36];
    WriteLayout(&b, s, back);
    EXPECT_EQ(memcmp(back, SECOND_STAGE, 36), 0);
}

TEST(Solver, SlidesAreReversibleAndKeepBlocksApart) {
    SolverBoard b;
    uint64_t start;
    ASSERT_EQ(ReadLayout(SECOND_STAGE, &b, &start, nullptr), 1);
    std::vector<uint64_t> states;
    ExploreCluster(&b, start, &states);
    ASSERT_GT(states.size(), 1u);
    uint64_t next[80], back[80];
    for (size_t i = 0; i < states.size(); i += 7) {
        int cells = __builtin_popcountll(Occupancy(&b, states[i]));
        int n = Neighbours(&b, states[i], next);
        for (int k = 0; k < n; k++) {
            EXPECT_EQ(__builtin_popcountll(Occupancy(&b, next[k])), cells) << "blocks overlap";
            int m = Neighbours(&b, next[k], back);
            bool found = false;
            for (int j = 0; j < m; j++)
                found = found || back[j] == states[i];
            EXPECT_TRUE(found) << "a slide that cannot be undone";
        }
    }
}

TEST(Solver, ClusterDistancesAgreeWithDirectSearch) {
    // The generator reads lengths off the distances of a whole cluster; they must match what
    // a search from each position finds.
    SolverBoard b;
    uint64_t start;
    ASSERT_EQ(ReadLayout(FIRST_STAGE, &b, &start, nullptr), 1);
    std::vector<uint64_t> states;
    std::vector<int> dist;
    ExploreCluster(&b, start, &states);
    ClusterDistances(&b, states, &dist);
    ASSERT_EQ(states.size(), dist.size());
    EXPECT_EQ(states[0], start);
    EXPECT_EQ(dist[0] + 1, 7);
    int farthest = 0;
    for (size_t i = 0; i < states.size(); i++) {
        farthest = std::max(farthest, dist[i]);
        if (i % 5 == 0) {
            EXPECT_EQ(SolveState(&b, states[i]), dist[i] + 1) << "state " << i;
        }
    }
    EXPECT_GE(farthest, dist[0]);
}

// ---- generator helpers ----------------------------------------------------------------

TEST(Generator, RandomLayoutsKeepTheirMixAndLeaveTheExitRowToVerticals) {
    const int mixes[3][5] = {{1, 1, 3, 1, 2}, {1, 2, 5, 2, 3}, {1, 0, 6, 1, 4}};
    for (int m = 0; m < 3; m++)
        for (int col = 0; col < 4; col++) {
            Rng r = RandSeed(7, (uint64_t)(m * 4 + col));
            uint8_t g[36];
            ASSERT_EQ(RandomLayout(g, col, mixes[m], &r), 1);
            int kinds[5];
            CountBlocks(g, kinds);
            for (int k = 0; k < 5; k++)
                EXPECT_EQ(kinds[k], mixes[m][k]) << "mix " << m << " kind " << k;
            EXPECT_EQ(TargetColumn(g), col);
            SolverBoard b;
            uint64_t s;
            ASSERT_EQ(ReadLayout(g, &b, &s, nullptr), 1);
            for (int k = 0; k < b.count; k++)
                if (k != b.target && b.block[k].horiz) {
                    EXPECT_NE(b.block[k].line, 2);
                }
        }
}

TEST(Generator, SameSeedSameStreamRepeats) {
    Rng a = RandSeed(1, 5), b = RandSeed(1, 5), c = RandSeed(1, 6), d = RandSeed(2, 5);
    int sameC = 0, sameD = 0;
    for (int i = 0; i < 100; i++) {
        uint64_t x = RandNext(&a);
        EXPECT_EQ(x, RandNext(&b));
        sameC += x == RandNext(&c);
        sameD += x == RandNext(&d);
    }
    EXPECT_EQ(sameC, 0);
    EXPECT_EQ(sameD, 0);
}

TEST(Generator, AllPlacementsOfASetAgreeWithItsClusters) {
    // The pool search scores a block set by distances over all its placements at once; on
    // the placements of one cluster they must be the cluster's own distances.
    SolverBoard b;
    uint64_t start;
    ASSERT_EQ(ReadLayout(SECOND_STAGE, &b, &start, nullptr), 1);
    BlockSet set;
    set.n = b.count;
    for (int i = 0; i < b.count; i++) {
        set.type[i] = b.block[i].type;
        set.line[i] = b.block[i].line;
    }
    SetSpace sp;
    ASSERT_EQ(EvaluateSet(set, &sp, 1000000), 1);
    std::vector<uint64_t> states;
    std::vector<int> dist;
    ExploreCluster(&b, start, &states);
    ClusterDistances(&b, states, &dist);
    EXPECT_GE(sp.states.size(), states.size());
    for (size_t i = 0; i < states.size(); i++) {
        uint32_t v = TableFind(&sp.index, states[i]);
        ASSERT_NE(v, UINT32_MAX) << "a reachable position was not enumerated";
        EXPECT_EQ(sp.dist[v], dist[i]);
    }
    int cells = __builtin_popcountll(Occupancy(&b, start));
    for (uint64_t s : sp.states)
        EXPECT_EQ(__builtin_popcountll(Occupancy(&sp.board, s)), cells) << "blocks overlap";
}

// ---- the committed catalogue ------------------------------------------------------------

TEST(Catalogue, FirstTwoStagesAreTheGivenOnes) {
    EXPECT_EQ(memcmp(_STAGE[0].data, FIRST_STAGE, 36), 0);
    EXPECT_EQ(memcmp(_STAGE[1].data, SECOND_STAGE, 36), 0);
}

TEST(Catalogue, EveryStageIsWellFormedWithItsTargetOnTheExitRow) {
    int columns[6] = {0};
    for (int i = 0; i < STAGE_COUNT; i++) {
        const Uint8 *d = _STAGE[i].data;
        for (int c = 0; c < 36; c++)
            EXPECT_TRUE(IsCellCode(d[c])) << "stage " << i << " cell " << c;
        SolverBoard b;
        uint64_t s;
        std::string why;
        ASSERT_EQ(ReadLayout(d, &b, &s, &why), 1) << "stage " << i << ": " << why;
        const SolverBlock &t = b.block[b.target];
        EXPECT_EQ(t.line, 2) << "stage " << i;
        int tx = StatePos(s, b.target);
        columns[tx]++;
        // Nothing horizontal may sit on the exit row right of the target.
        for (int k = 0; k < b.count; k++)
            if (k != b.target && b.block[k].horiz && b.block[k].line == 2) {
                EXPECT_LT(StatePos(s, k), tx) << "stage " << i;
            }
    }
    EXPECT_EQ(columns[0], 151);
    EXPECT_EQ(columns[1], 100);
    EXPECT_EQ(columns[2], 6);
    EXPECT_EQ(columns[3], 6);
    EXPECT_EQ(columns[4] + columns[5], 0);
}

TEST(Catalogue, BlockCountsAndKindTotalsAreExact) {
    int byCount[21] = {0};
    int kinds[5] = {0};
    for (int i = 0; i < STAGE_COUNT; i++) {
        SolverBoard b;
        uint64_t s;
        ASSERT_EQ(ReadLayout(_STAGE[i].data, &b, &s, nullptr), 1) << "stage " << i;
        byCount[b.count]++;
        for (int k = 0; k < b.count; k++)
            kinds[b.block[k].type]++;
    }
    const int want[15] = {0, 0, 0, 0, 0, 1, 1, 3, 42, 30, 36, 44, 46, 58, 2};
    for (int n = 0; n <= 20; n++)
        EXPECT_EQ(byCount[n], n < 15 ? want[n] : 0) << n << " blocks";
    EXPECT_EQ(kinds[TYPE_TARGET], 263);
    EXPECT_EQ(kinds[TYPE_VTRIPLE], 435);
    EXPECT_EQ(kinds[TYPE_VPAIR], 973);
    EXPECT_EQ(kinds[TYPE_HTRIPLE], 342);
    EXPECT_EQ(kinds[TYPE_HPAIR], 803);
}

TEST(Catalogue, LayoutsAreDistinct) {
    std::set<std::string> seen;
    for (int i = 0; i < STAGE_COUNT; i++)
        EXPECT_TRUE(seen.insert(std::string((const char *)_STAGE[i].data, 36)).second)
            << "stage " << i << " repeats an earlier one";
}

// Optimal lengths, solved once for the tests below.
const int *Lengths() {
    static int moves[STAGE_COUNT];
    static bool done = false;
    if (!done) {
        for (int i = 0; i < STAGE_COUNT; i++)
            moves[i] = SolveLayout(_STAGE[i].data);
        done = true;
    }
    return moves;
}

TEST(Catalogue, EveryStageSolvesInFiveToFiftyOneMoves) {
    const int *moves = Lengths();
    for (int i = 0; i < STAGE_COUNT; i++) {
        EXPECT_GE(moves[i], 5) << "stage " << i;
        EXPECT_LE(moves[i], 51) << "stage " << i;
    }
}

// Every stage measured once for the tests below: cluster, farthest position, removable and
// idle blocks, shortest solutions, nearest neighbour in placement.
const CatalogueReport &Measured() {
    static CatalogueReport r;
    static bool done = false;
    if (!done) {
        std::vector<std::vector<uint8_t>> layouts;
        for (int i = 0; i < STAGE_COUNT; i++)
            layouts.push_back(std::vector<uint8_t>(_STAGE[i].data, _STAGE[i].data + 36));
        MeasureCatalogue(layouts, &r);
        done = true;
    }
    return r;
}

TEST(Catalogue, EveryLengthIsPresentAndTheRampRisesGently) {
    const CatalogueReport &r = Measured();
    const int *moves = Lengths();
    EXPECT_TRUE(r.missingLengths.empty()) << r.missingLengths.size() << " lengths missing";
    EXPECT_EQ(moves[STAGE_COUNT - 1], 51);
    // The two given stages take 7 and 5 moves; from there on no stage is more than one move
    // shorter than the one before.
    for (int i = 2; i < STAGE_COUNT; i++)
        EXPECT_GE(moves[i], moves[i - 1] - 1) << "stage " << i;
    // Within one length, the stages with more shortest solutions come first.
    for (int i = 3; i < STAGE_COUNT; i++)
        if (moves[i] == moves[i - 1]) {
            EXPECT_LE(r.facts[i].solutions, r.facts[i - 1].solutions) << "stage " << i;
        }
}

TEST(Catalogue, StagesStartAtTheFarthestPositionOfTheirCluster) {
    const CatalogueReport &r = Measured();
    for (int i = 2; i < STAGE_COUNT; i++)
        EXPECT_TRUE(r.facts[i].startIsFarthest)
            << "stage " << i << " takes " << r.facts[i].moves << " of " << r.facts[i].farthestMoves;
}

TEST(Catalogue, NoStageRepeatsAnotherInClusterCoreOrPlacement) {
    const CatalogueReport &r = Measured();
    EXPECT_EQ(r.sharedClusters, 0);
    EXPECT_EQ(r.sharedCores, 0);
    // Below 40 moves no two stages lie within two block placements of each other; among
    // the hardest a few may, never side by side.
    EXPECT_EQ(r.closePairs, 0);
    EXPECT_LE(r.closeScarce, 10);
    EXPECT_EQ(r.closeNeighbours, 0);
}

TEST(Catalogue, AlmostEveryBlockMatters) {
    // No stage over 15 moves has a removable block, and the others hold at most 20 in all;
    // the two given stages are as they are.
    const CatalogueReport &r = Measured();
    for (int i = 2; i < STAGE_COUNT; i++)
        if (r.facts[i].moves > 15) {
            EXPECT_EQ(r.facts[i].removable, 0) << "stage " << i;
        }
    EXPECT_LE(r.removableOthers, 20);
}

TEST(Catalogue, SourceCommentsMatchTheStages) {
    // Each line of the generated file states the stage's length and block count.
    FILE *f = fopen(SOURCE_DIR "/game/stages.inc", "r");
    ASSERT_NE(f, nullptr);
    const int *moves = Lengths();
    char line[512];
    int i = 0;
    while (fgets(line, sizeof line, f)) {
        ASSERT_LT(i, STAGE_COUNT);
        const char *c = strstr(line, "// ");
        ASSERT_NE(c, nullptr) << "line " << i + 1;
        int m = -1, n = -1;
        ASSERT_EQ(sscanf(c, "// %d moves, %d blocks", &m, &n), 2) << "line " << i + 1;
        SolverBoard b;
        uint64_t s;
        ASSERT_EQ(ReadLayout(_STAGE[i].data, &b, &s, nullptr), 1);
        EXPECT_EQ(m, moves[i]) << "line " << i + 1;
        EXPECT_EQ(n, b.count) << "line " << i + 1;
        i++;
    }
    fclose(f);
    EXPECT_EQ(i, STAGE_COUNT);
}

} // namespace
