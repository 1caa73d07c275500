// The catalogue generator's phases: its options, the plan's totals, each rule a stage is
// held to, the order of play, the report and the files it writes.
#include "curate.h"
#include "model.h"
#include "order.h"
#include "output.h"
#include "plan.h"
#include "report.h"
#include "search.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

typedef std::vector<uint8_t> Grid;

Grid Rows(std::initializer_list<int> codes) {
    Grid g;
    for (int c : codes)
        g.push_back((uint8_t)c);
    EXPECT_EQ(g.size(), 36u);
    return g;
}

// The target on the left of the exit row, a vertical pair across it in column 3 (up two
// cells, or down one or two, frees the row), and a horizontal pair on the bottom row that
// stands in nobody's way.
const Grid BLOCKED = Rows({0, 0, 0, 0,  0, 0, 0, 0, 0, 0, 0, 0, 51, 52, 0, 11, 0, 0,
                           0, 0, 0, 12, 0, 0, 0, 0, 0, 0, 0, 0, 1,  2,  0, 0,  0, 0});

// ---- options ------------------------------------------------------------------------------

int Parse(std::vector<const char *> args, Options *o, std::string *why) {
    args.insert(args.begin(), "stagegen");
    return ParseOptions((int)args.size(), const_cast<char **>(args.data()), o, why);
}

TEST(StagegenOptions, ValuesAreReadAndBadOnesRefusedWithAReason) {
    Options o;
    std::string why;
    ASSERT_EQ(Parse({"--seed", "7", "--threads", "3", "--out", "x.inc"}, &o, &why), 1) << why;
    EXPECT_EQ(o.seed, 7u);
    EXPECT_EQ(o.threads, 3);
    EXPECT_EQ(o.out, "x.inc");
    EXPECT_EQ(o.report, 0);
    const std::vector<std::vector<const char *>> bad = {
        {"--seed", "12x"},
        {"--threads", "0"},
        {"--threads", "-2"},
        {"--pool-rounds", ""},
        {"--islands"},
        {"--colour", "3"},
        {"--min-blocks", "4"},
        {"--max-blocks", "15"},
        {"--min-blocks", "13", "--max-blocks", "12"},
        {"--out", ""},
        {"--seed", "99999999999999999999999"}};
    for (const auto &args : bad) {
        Options b;
        why.clear();
        EXPECT_EQ(Parse(args, &b, &why), 0) << args[0];
        EXPECT_FALSE(why.empty()) << args[0];
    }
}

TEST(StagegenOptions, ReportModeReadsItsInput) {
    Options o;
    std::string why;
    ASSERT_EQ(Parse({"report", "--in", "c.inc"}, &o, &why), 1) << why;
    EXPECT_EQ(o.report, 1);
    EXPECT_EQ(o.in, "c.inc");
}

// ---- the plan -------------------------------------------------------------------------------

TEST(StagegenPlan, QuotaCoversEveryLengthOnceAtLeast) {
    int quota[MAX_MOVES + 1];
    LengthQuota(quota);
    int total = 0;
    for (int m = 0; m <= MAX_MOVES; m++) {
        if (m >= MIN_MOVES) {
            EXPECT_GE(quota[m], 1) << m << " moves";
        } else {
            EXPECT_EQ(quota[m], 0);
        }
        total += quota[m];
    }
    EXPECT_EQ(total, STAGE_COUNT - FIXED_STAGES);
    EXPECT_EQ(quota[MAX_MOVES], 1);
}

TEST(StagegenPlan, TotalsComeOutExactlyWithoutAPool) {
    Options o;
    Pool pool;
    static Catalogue cat;
    cat = Catalogue();
    std::string why;
    ASSERT_EQ(MakePlan(o, pool, &cat, &why), 1) << why;
    EXPECT_EQ(memcmp(cat.stage[0].layout, FIXED_STAGE[0], 36), 0);
    EXPECT_EQ(memcmp(cat.stage[1].layout, FIXED_STAGE[1], 36), 0);
    int blocks[15] = {0}, kinds[KIND_COUNT] = {0}, cols[4] = {0};
    for (int i = 0; i < STAGE_COUNT; i++) {
        const Stage &s = cat.stage[i];
        ASSERT_TRUE(s.planned) << i;
        ASSERT_TRUE(s.blocks >= 5 && s.blocks <= 14) << i;
        blocks[s.blocks]++;
        cols[s.col]++;
        int sum = 0;
        for (int k = 0; k < KIND_COUNT; k++) {
            kinds[k] += s.kinds[k];
            sum += s.kinds[k];
        }
        EXPECT_EQ(sum, s.blocks) << "stage " << i;
        EXPECT_EQ(s.kinds[TYPE_TARGET], 1) << "stage " << i;
        // A target held in column 2 or 3 has its row block, on a small and short board.
        if (s.col == 2) {
            EXPECT_GT(s.kinds[TYPE_HPAIR], 0) << i;
        }
        if (s.col == 3) {
            EXPECT_GT(s.kinds[TYPE_HTRIPLE], 0) << i;
        }
        if (s.col >= 2 && i >= FIXED_STAGES) {
            EXPECT_LE(s.want, ROW_BLOCK_MOVES);
            EXPECT_LE(s.blocks, 10);
        }
        // Bigger boards are meant for longer stages.
        if (i > FIXED_STAGES) {
            EXPECT_GE(s.want, cat.stage[i - 1].want) << i;
            EXPECT_GE(s.blocks, cat.stage[i - 1].blocks) << i;
        }
    }
    for (int b = 0; b < 15; b++)
        EXPECT_EQ(blocks[b], BLOCK_TOTAL[b]) << b << " blocks";
    for (int k = 0; k < KIND_COUNT; k++)
        EXPECT_EQ(kinds[k], KIND_TOTAL[k]) << "kind " << k;
    for (int c = 0; c < 4; c++)
        EXPECT_EQ(cols[c], COLUMN_TOTAL[c]) << "column " << c;
}

// ---- the rules and measures of a stage ---------------------------------------------------------

TEST(StagegenRules, PlacementDistanceCountsBlocksNotOnTheSameCells) {
    Grid a = BLOCKED, b = BLOCKED;
    EXPECT_EQ(PlacementDistance(a.data(), b.data()), 0);
    // The bottom pair one cell right: one block of each has no twin in the other.
    b[30] = 0, b[31] = 1, b[32] = 2;
    EXPECT_EQ(PlacementDistance(a.data(), b.data()), 1);
    // A block more in b: the larger way round counts it.
    b[5] = 11, b[11] = 12;
    EXPECT_EQ(PlacementDistance(a.data(), b.data()), 2);
    EXPECT_EQ(PlacementDistance(b.data(), a.data()), 2);
    // A block of another kind on the same cells is no twin.
    Grid c = BLOCKED;
    c[30] = 21, c[31] = 22, c[32] = 23;
    EXPECT_EQ(PlacementDistance(a.data(), c.data()), 1);
}

TEST(StagegenRules, TakenClustersCoresAndNearPlacementsAreRefused) {
    Taken t;
    Stage s;
    memcpy(s.layout, BLOCKED.data(), 36);
    s.key = "cluster";
    s.coreKey = "core";
    TakeStage(&t, s);
    Grid far = Rows({0, 0, 0, 0, 0,  0, 0,  0, 0, 0, 0,  0, 51, 52, 0, 0, 31, 0,
                     0, 0, 0, 0, 32, 0, 11, 0, 0, 0, 33, 0, 12, 0,  0, 1, 2,  0});
    EXPECT_EQ(DiffersFromTaken(t, "other", "other", far.data()), 1);
    EXPECT_EQ(DiffersFromTaken(t, "cluster", "other", far.data()), 0);
    EXPECT_EQ(DiffersFromTaken(t, "other", "core", far.data()), 0);
    EXPECT_EQ(DiffersFromTaken(t, "other", "other", BLOCKED.data()), 0);
    EXPECT_EQ(TooClose(BLOCKED.data(), far.data()), 0);
}

TEST(StagegenRules, RemovableIdleAndCoreOfABlockedTarget) {
    StageFacts f;
    ASSERT_EQ(MeasureStage(BLOCKED.data(), &f), 1);
    EXPECT_EQ(f.moves, 2);
    EXPECT_EQ(f.removable, 1) << "the bottom pair changes nothing";
    EXPECT_EQ(f.idle, 1) << "and no shortest solution moves it";
    // Up two, down one or down two, then out.
    EXPECT_EQ(f.solutions, 3u);
    EXPECT_EQ(f.firstMoves, 3);
    EXPECT_EQ(f.startIsFarthest, 1);
    uint8_t core[36];
    CorePuzzle(BLOCKED.data(), core);
    Grid want = BLOCKED;
    want[30] = want[31] = 0;
    EXPECT_EQ(memcmp(core, want.data(), 36), 0);
    EXPECT_EQ(f.coreKey, ClusterKeyOf(want.data()));
    EXPECT_NE(f.coreKey, f.clusterKey);
}

TEST(StagegenRules, StartShortOfItsFarthestPositionIsSeen) {
    // The pair already clear of the exit row: one move, though its cluster holds two.
    Grid g = BLOCKED;
    g[15] = 0, g[21] = 0, g[3] = 11, g[9] = 12;
    StageFacts f;
    ASSERT_EQ(MeasureStage(g.data(), &f), 1);
    EXPECT_EQ(f.moves, 1);
    EXPECT_EQ(f.farthestMoves, 2);
    EXPECT_EQ(f.startIsFarthest, 0);
    EXPECT_EQ(f.clusterKey, ClusterKeyOf(BLOCKED.data())) << "one cluster, one name";
}

TEST(StagegenRules, ClusterScoreIsZeroOnlyForTheWantedLengthAndColumn) {
    EXPECT_EQ(ClusterScore(20, 20, 20), 0);
    EXPECT_GT(ClusterScore(21, 21, 20), 0);
    EXPECT_GT(ClusterScore(20, 19, 20), 0);
    EXPECT_GT(ClusterScore(-1, -1, 20), ClusterScore(30, 30, 20));
    EXPECT_LT(ClusterScore(21, 21, 20), ClusterScore(22, 22, 20));
}

TEST(StagegenRules, OnlyARowBlockMayStayRemovable) {
    Stage s;
    s.col = 0;
    EXPECT_EQ(RemovableAllowed(s), 0);
    s.col = 1;
    EXPECT_EQ(RemovableAllowed(s), 0);
    s.col = 2;
    EXPECT_EQ(RemovableAllowed(s), 1);
}

TEST(StagegenOrder, ShortestFirstThenMostSolutionsFirst) {
    static Catalogue cat;
    cat = Catalogue();
    for (int i = 0; i < STAGE_COUNT; i++) {
        cat.stage[i].moves = i < FIXED_STAGES ? 30 - i : 5 + (i * 7) % 40;
        cat.stage[i].solutions = (uint64_t)((i * 13) % 17);
    }
    std::vector<int> order = PlayOrder(cat);
    ASSERT_EQ(order.size(), (size_t)STAGE_COUNT);
    EXPECT_EQ(order[0], 0);
    EXPECT_EQ(order[1], 1);
    std::vector<int> seen(STAGE_COUNT, 0);
    for (int i : order)
        seen[i]++;
    for (int i = 0; i < STAGE_COUNT; i++)
        EXPECT_EQ(seen[i], 1);
    for (int k = FIXED_STAGES + 1; k < STAGE_COUNT; k++) {
        const Stage &a = cat.stage[order[k - 1]], &b = cat.stage[order[k]];
        ASSERT_LE(a.moves, b.moves) << k;
        if (a.moves == b.moves) {
            EXPECT_GE(a.solutions, b.solutions) << k;
        }
    }
}

// ---- the report -------------------------------------------------------------------------------

TEST(StagegenReport, FindsGapsDipsOrderFaultsAndTwins) {
    // Three positions of one cluster: the bottom pair one cell on (placement distance 1),
    // then the column pair slid clear of the exit row as well (1 move).
    Grid moved = BLOCKED;
    moved[30] = 0, moved[31] = 1, moved[32] = 2;
    Grid solved = moved;
    solved[15] = 0, solved[21] = 0, solved[3] = 11, solved[9] = 12;
    std::vector<Grid> cat = {BLOCKED, moved, solved};
    CatalogueReport r;
    MeasureCatalogue(cat, &r);
    ASSERT_EQ(r.facts.size(), 3u);
    EXPECT_EQ(r.longest, 2);
    EXPECT_EQ(r.lastMoves, 1);
    EXPECT_EQ(r.missingLengths.size(), (size_t)(MAX_MOVES - MIN_MOVES + 1));
    EXPECT_TRUE(r.bigDips.empty()) << "2, 2, 1 dips by one move only";
    EXPECT_EQ(r.sharedClusters, 3);
    EXPECT_EQ(r.closePairs, 3) << "distances 1, 2 and 1";
    EXPECT_EQ(r.closeNeighbours, 2);
    EXPECT_EQ(r.nearestDistance[0], 1);
    ASSERT_EQ(r.notFarthest.size(), 1u);
    EXPECT_EQ(r.notFarthest[0], 2);
    // With the exit row free every block of the third is removable; the first two stages
    // count as the given ones.
    EXPECT_EQ(r.removableOthers, 2);
    EXPECT_EQ(r.removableGiven, 2);
    EXPECT_TRUE(r.removableLong.empty());
}

// ---- files ------------------------------------------------------------------------------------

class StagegenFiles : public ::testing::Test {
  protected:
    void SetUp() override {
        char tmpl[] = "/tmp/stagegen-test-XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        dir = tmpl;
    }
    void TearDown() override {
        for (const char *name : {"/c.inc", "/c.inc.tmp", "/ck", "/ck.tmp"})
            remove((dir + name).c_str());
        rmdir(dir.c_str());
    }
    std::string dir;
};

TEST_F(StagegenFiles, CatalogueIsWrittenWholeAndReadBack) {
    static Catalogue cat;
    cat = Catalogue();
    for (int i = 0; i < STAGE_COUNT; i++) {
        Stage &s = cat.stage[i];
        memcpy(s.layout, FIXED_STAGE[i % 2], 36);
        s.moves = i % 2 ? 5 : 7;
        s.done = 1;
    }
    std::vector<int> order;
    for (int i = 0; i < STAGE_COUNT; i++)
        order.push_back(i);
    std::string why;
    ASSERT_EQ(WriteCatalogue(dir + "/c.inc", cat, order, &why), 1) << why;
    std::vector<Grid> back;
    ASSERT_EQ(ReadCatalogue(dir + "/c.inc", &back, &why), 1) << why;
    ASSERT_EQ(back.size(), (size_t)STAGE_COUNT);
    EXPECT_EQ(memcmp(back[1].data(), FIXED_STAGE[1], 36), 0);
    // A stage that does not take the moves it claims is not written, nor is the old file
    // replaced.
    cat.stage[5].moves = 9;
    EXPECT_EQ(WriteCatalogue(dir + "/c.inc", cat, order, &why), 0);
    EXPECT_NE(why.find("stage 5"), std::string::npos) << why;
    EXPECT_EQ(ReadCatalogue(dir + "/c.inc", &back, &why), 1);
    EXPECT_EQ(back.size(), (size_t)STAGE_COUNT);
    EXPECT_NE(access((dir + "/c.inc.tmp").c_str(), F_OK), 0) << "no partial file left";
    // A folder that does not exist cannot be written to, and says so.
    EXPECT_EQ(WriteCatalogue(dir + "/none/c.inc", cat, order, &why), 0);
    EXPECT_FALSE(why.empty());
}

TEST_F(StagegenFiles, CheckpointRoundTripsAndRefusesOtherSettings) {
    Options o;
    o.seed = 5;
    Pool pool;
    pool.round = 17;
    PoolEntry e;
    e.moves = 44;
    memcpy(e.layout, FIXED_STAGE[1], 36);
    pool.entries[std::string((const char *)FIXED_STAGE[0], 36) + 'a'] = e;
    static Catalogue cat;
    cat = Catalogue();
    cat.planned = 1;
    cat.stage[3].done = 1;
    cat.stage[3].moves = 12;
    cat.stage[3].solutions = 40000000000ULL;
    cat.stage[3].key = std::string((const char *)FIXED_STAGE[1], 36);
    cat.stage[3].coreKey = cat.stage[3].key;
    std::string why, path = dir + "/ck";
    ASSERT_EQ(SaveCheckpoint(path, o, pool, cat, 12.5, &why), 1) << why;
    Pool p2;
    static Catalogue c2;
    c2 = Catalogue();
    double elapsed = 0;
    ASSERT_EQ(LoadCheckpoint(path, o, &p2, &c2, &elapsed, &why), 1) << why;
    EXPECT_EQ(p2.round, 17);
    ASSERT_EQ(p2.entries.size(), 1u);
    EXPECT_EQ(p2.entries.begin()->second.moves, 44);
    EXPECT_EQ(c2.planned, 1);
    EXPECT_EQ(c2.stage[3].solutions, 40000000000ULL);
    EXPECT_EQ(c2.stage[3].key, cat.stage[3].key);
    EXPECT_DOUBLE_EQ(elapsed, 12.5);
    Options other = o;
    other.seed = 6;
    EXPECT_EQ(LoadCheckpoint(path, other, &p2, &c2, &elapsed, &why), -1);
    // A damaged file is refused rather than half read.
    FILE *f = fopen(path.c_str(), "a");
    ASSERT_NE(f, nullptr);
    fputs("stage 400 1 2\n", f);
    fclose(f);
    EXPECT_EQ(LoadCheckpoint(path, o, &p2, &c2, &elapsed, &why), -1);
    EXPECT_EQ(LoadCheckpoint(dir + "/missing", o, &p2, &c2, &elapsed, &why), 0);
}

} // namespace
