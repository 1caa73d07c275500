// The game's board rules and the solver's move generator agree: from positions of every
// kind, the single-cell steps the game allows are exactly the solver's.
#include "gen.h"
#include "solver.h"
#include "tombslide.h"

#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <tuple>
#include <vector>

namespace {

// A step: the block's kind and head cell, and the direction it moves.
typedef std::tuple<int, int, int, int, int> Step;

class Agreement : public ::testing::Test {
  protected:
    // The tests lay out boards and hold blocks; what they change is put back afterwards.
    static auto Changed() { return std::tie(mxPH, ckPH, ckX, ckY, _isBL, movePoint, GAME); }
    void SetUp() override {
        memcpy(savedBL, BL, sizeof BL);
        saved = Changed();
    }
    void TearDown() override {
        memcpy(BL, savedBL, sizeof BL);
        Changed() = saved;
    }

    // Every step the game allows: each block held by its head cell and dragged one cell
    // each way from the laid-out board.
    std::set<Step> GameSteps(const uint8_t g[36]) {
        std::set<Step> steps;
        LayoutBlocks(g);
        int n = mxPH;
        for (int i = 0; i < n; i++)
            for (int dir = -1; dir <= 1; dir += 2) {
                LayoutBlocks(g);
                const _bl before = BL[i];
                ckPH = (Uint8)i;
                ckX = before.x;
                ckY = before.y;
                Sint8 r = dir < 0 ? BlockUP() : BlockDOWN();
                EXPECT_EQ(GAME, GAME_PLAYING) << "no step from a board position clears";
                if (r == 0) {
                    EXPECT_EQ(BL[i].x, before.x);
                    EXPECT_EQ(BL[i].y, before.y);
                    continue;
                }
                EXPECT_EQ(r, dir);
                int dx = BL[i].x - before.x, dy = BL[i].y - before.y;
                EXPECT_EQ(std::abs(dx) + std::abs(dy), 1) << "a step is one cell";
                // The target stepping into the exit opening leaves the solver's board: the
                // solver counts that position as solved instead.
                if (before.type == TYPE_TARGET && BL[i].x + BL[i].w > BOARD_SIZE) {
                    exits++;
                    EXPECT_TRUE(SolverSolved(g)) << "the game lets the target out";
                    continue;
                }
                steps.insert(Step(before.type, before.x, before.y, dx, dy));
            }
        return steps;
    }

    static bool SolverSolved(const uint8_t g[36]) {
        SolverBoard b;
        uint64_t s;
        return ReadLayout(g, &b, &s, nullptr) && IsSolved(&b, s);
    }

    // Every slide of one cell the solver generates.
    static std::set<Step> SolverSteps(const uint8_t g[36]) {
        std::set<Step> steps;
        SolverBoard b;
        uint64_t s;
        EXPECT_EQ(ReadLayout(g, &b, &s, nullptr), 1);
        uint64_t next[80];
        int n = Neighbours(&b, s, next);
        for (int k = 0; k < n; k++) {
            int i = __builtin_ctzll(s ^ next[k]) / 3;
            int from = StatePos(s, i), to = StatePos(next[k], i);
            if (std::abs(to - from) != 1) continue;
            const SolverBlock &k2 = b.block[i];
            int x = k2.horiz ? from : k2.line, y = k2.horiz ? k2.line : from;
            steps.insert(Step(k2.type, x, y, k2.horiz ? to - from : 0, k2.horiz ? 0 : to - from));
        }
        return steps;
    }

    void Compare(const uint8_t g[36], const char *where) {
        std::set<Step> game = GameSteps(g), solver = SolverSteps(g);
        EXPECT_EQ(game, solver) << where;
        compared++;
    }

    // The start and some positions of the cluster of a layout.
    void CompareCluster(const uint8_t g[36], size_t stride, const char *where) {
        SolverBoard b;
        uint64_t s;
        ASSERT_EQ(ReadLayout(g, &b, &s, nullptr), 1) << where;
        std::vector<uint64_t> states;
        ExploreCluster(&b, s, &states);
        for (size_t i = 0; i < states.size(); i += stride) {
            uint8_t p[36];
            WriteLayout(&b, states[i], p);
            Compare(p, where);
        }
    }

    int compared = 0, exits = 0;

  private:
    _bl savedBL[MAX_BLOCKS];
    std::tuple<Uint8, Uint8, Sint16, Sint16, Uint8, Sint16, Uint8> saved;
};

TEST_F(Agreement, StepsAgreeOnRandomBoards) {
    const int mixes[4][KIND_COUNT] = {
        {1, 1, 2, 1, 1}, {1, 2, 4, 1, 3}, {1, 2, 5, 2, 3}, {1, 3, 5, 1, 3}};
    for (int m = 0; m < 4; m++)
        for (int col = 0; col <= 4; col++) {
            Rng r = RandSeed(11, (uint64_t)(m * 5 + col));
            uint8_t g[36];
            ASSERT_EQ(RandomLayout(g, col, mixes[m], &r), 1);
            CompareCluster(g, 37, "random board");
        }
    EXPECT_GT(compared, 100);
    EXPECT_GT(exits, 0) << "some position lets the target out";
}

TEST_F(Agreement, StepsAgreeWithABlockLeftOfTheTargetOnTheExitRow) {
    // Horizontal blocks may stand on the exit row left of the target; neither may pass the
    // other, and verticals cannot cross them.
    const uint8_t g[36] = {11, 0, 1,  2, 0, 31, 12, 0, 0,  0, 0, 32, 21, 22, 23, 51, 52, 33,
                           31, 0, 11, 0, 0, 0,  32, 0, 12, 1, 2, 0,  33, 0,  0,  0,  0,  0};
    CompareCluster(g, 1, "row block");
    EXPECT_GT(compared, 10);
}

TEST_F(Agreement, StepsAgreeOnTheCatalogue) {
    for (int i = 0; i < STAGE_COUNT; i++)
        CompareCluster(_STAGE[i].data, 997, "catalogue stage");
    EXPECT_GE(compared, STAGE_COUNT);
}

} // namespace
