// The board rules: laying out stages, which block covers a cell, the steps of
// each kind of block, the target's exit and what a clear records.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "tombslide.h"

namespace {

struct Rec {
    int x, y, w, h, type;
};

std::vector<Rec> Table() {
    std::vector<Rec> t;
    for (int i = 0; i < mxPH; i++)
        t.push_back({BL[i].x, BL[i].y, BL[i].w, BL[i].h, BL[i].type});
    return t;
}

bool operator==(const Rec &a, const Rec &b) {
    return a.x == b.x && a.y == b.y && a.w == b.w && a.h == b.h && a.type == b.type;
}

// The state as the program starts, taken while the test program's globals
// are set up, before any test can have changed it (tests run in any order).
struct StartState {
    int game, first, stage, moves, pause, pending, held, progress;
};

StartState TakeStartState() {
    int progress = 0;
    for (int i = 0; i < STAGE_COUNT; i++)
        progress += isClear[i] + bestMove[i];
    int held = checked + ckPH + ckX + ckY + _isBL + ox + oy;
    return {GAME, isFirst, currStage, movePoint, pauseCount, moved, held, progress};
}

const StartState AT_START = TakeStartState();

TEST(GameState, StartsPlayingOnTheFirstStage) {
    EXPECT_EQ(GAME_PLAYING, AT_START.game);
    EXPECT_EQ(1, AT_START.first);
    EXPECT_EQ(0, AT_START.stage);
    EXPECT_EQ(0, AT_START.moves);
    EXPECT_EQ(0, AT_START.pause);
    EXPECT_EQ(0, AT_START.pending);
    EXPECT_EQ(0, AT_START.held);
    EXPECT_EQ(0, AT_START.progress); // nothing cleared, no best counts
}

class Board : public ::testing::Test {
  protected:
    void SetUp() override { ResetGameState(); }
    // Lays out a board given row by row.
    void Lay(std::initializer_list<int> cells) {
        Uint8 data[36] = {};
        int i = 0;
        for (int c : cells)
            data[i++] = (Uint8)c;
        LayoutBlocks(data);
    }
    // Holds block bl by the cell (cx, cy), as a touch-down does.
    void Hold(int bl, int cx, int cy) {
        ckPH = (Uint8)bl;
        ckX = (Sint16)cx;
        ckY = (Sint16)cy;
    }
};

TEST_F(Board, FirstTwoStagesLayOutAsGiven) {
    currStage = 0;
    InitStage();
    std::vector<Rec> s0 = {
        {0, 0, 3, 1, 3}, {5, 0, 1, 3, 1}, {0, 2, 2, 1, 0}, {2, 2, 1, 3, 1}, {0, 5, 3, 1, 3}};
    EXPECT_EQ(Table(), s0);
    EXPECT_EQ(0, memcmp(stage, _STAGE[0].data, 36));

    currStage = 1;
    InitStage();
    std::vector<Rec> s1 = {{0, 0, 1, 2, 2}, {1, 0, 1, 2, 2}, {2, 0, 2, 1, 4}, {2, 1, 1, 2, 2},
                           {3, 1, 1, 2, 2}, {0, 2, 2, 1, 0}, {5, 2, 1, 2, 2}, {2, 3, 2, 1, 4},
                           {4, 3, 1, 2, 2}, {5, 4, 1, 2, 2}, {2, 5, 3, 1, 3}};
    EXPECT_EQ(Table(), s1);
}

TEST_F(Board, RestartLaysOutTheSameTableAgain) {
    currStage = 1;
    InitStage();
    std::vector<Rec> first = Table();
    BL[6].y = 0; // blocks moved about during play
    BL[10].x = 0;
    mxPH = 3;
    InitStage();
    EXPECT_EQ(Table(), first);
}

TEST_F(Board, OnlyHeadCodesMakeBlocks) {
    Lay({2, 12, 22, 23, 32, 33, 52, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
         0, 0,  0,  0,  0,  0,  0,  0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
    EXPECT_EQ(0, mxPH);
    // A damaged layout of nothing but heads cannot run past the table.
    Uint8 heads[36];
    memset(heads, CELL_HPAIR, sizeof heads);
    LayoutBlocks(heads);
    EXPECT_EQ(MAX_BLOCKS, mxPH);
}

TEST_F(Board, AxisFollowsTheKind) {
    Lay({51, 52, 31, 11, 1, 2, 0, 0, 32, 12, 0, 0, 0, 0, 33, 0, 0, 0,
         21, 22, 23, 0,  0, 0, 0, 0, 0,  0,  0, 0, 0, 0, 0,  0, 0, 0});
    ASSERT_EQ(5, mxPH);
    std::vector<int> axes;
    for (int i = 0; i < mxPH; i++)
        axes.push_back(typeBL((Uint8)i));
    // target, vertical triple, vertical pair, horizontal pair, horizontal triple
    EXPECT_EQ(axes, (std::vector<int>{0, 1, 1, 0, 0}));
}

TEST_F(Board, IsBlockFindsTheCoveringBlock) {
    currStage = 0;
    InitStage();
    _isBL = 7;
    EXPECT_EQ(0, isBlock(3, 3));
    EXPECT_EQ(7, _isBL); // unchanged by a miss
    EXPECT_EQ(1, isBlock(2, 4));
    EXPECT_EQ(3, _isBL);
    EXPECT_EQ(1, isBlock(5, 2));
    EXPECT_EQ(1, _isBL);
    // Off the board nothing is found, unless the target stands in the exit.
    EXPECT_EQ(0, isBlock(6, 2));
    EXPECT_EQ(0, isBlock(255, 0));
    BL[2].x = 5;
    EXPECT_EQ(1, isBlock(6, 2));
    EXPECT_EQ(2, _isBL);
    EXPECT_EQ(0, isBlock(7, 2));
}

TEST_F(Board, HorizontalStepsStopAtEdgesAndNeighbours) {
    // Row 3: a pair at x 0, a triple at x 3.
    Lay({0, 0, 0, 0,  0,  0,  0, 0, 0, 0, 0, 0, 51, 52, 0, 0, 0, 0,
         1, 2, 0, 21, 22, 23, 0, 0, 0, 0, 0, 0, 0,  0,  0, 0, 0, 0});
    Hold(1, 0, 3);
    EXPECT_EQ(0, BlockUP()); // left edge
    EXPECT_EQ(1, BlockDOWN());
    EXPECT_EQ(1, BL[1].x);
    EXPECT_EQ(1, ckX);
    EXPECT_EQ(0, BlockDOWN()); // the triple at x 3
    EXPECT_EQ(1, BL[1].x);
    EXPECT_EQ(1, ckX);
    EXPECT_EQ(-1, BlockUP());
    EXPECT_EQ(0, BL[1].x);

    // The triple at the right edge: the step is taken and taken back.
    Hold(2, 5, 3);
    EXPECT_EQ(0, BlockDOWN());
    EXPECT_EQ(3, BL[2].x);
    EXPECT_EQ(5, ckX);
    EXPECT_EQ(-1, BlockUP());
    EXPECT_EQ(0, BlockUP()); // the pair at x 0 fills the cell at 1
    EXPECT_EQ(2, BL[2].x);
}

TEST_F(Board, HorizontalPairAtColumnFourCannotLeave) {
    Lay({0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 51, 52, 0, 0, 0, 0,
         0, 0, 0, 0, 1, 2, 0, 0, 0, 0, 0, 0, 0,  0,  0, 0, 0, 0});
    Hold(1, 5, 3);
    EXPECT_EQ(0, BlockDOWN());
    EXPECT_EQ(4, BL[1].x);
    EXPECT_EQ(5, ckX);
}

TEST_F(Board, VerticalStepsStopAtEdgesAndNeighbours) {
    // Column 4: a triple at y 2 and a pair at y 0 above it.
    Lay({0, 0, 0, 0, 11, 0, 0, 0, 0, 0, 12, 0, 51, 52, 0, 0, 31, 0,
         0, 0, 0, 0, 32, 0, 0, 0, 0, 0, 33, 0, 0,  0,  0, 0, 0,  0});
    Hold(0, 4, 0);
    EXPECT_EQ(0, BlockUP());   // top edge
    EXPECT_EQ(0, BlockDOWN()); // triple below
    Hold(2, 4, 3);
    EXPECT_EQ(1, BlockDOWN());
    EXPECT_EQ(3, BL[2].y);
    EXPECT_EQ(4, ckY);
    EXPECT_EQ(0, BlockDOWN()); // bottom edge: y + h is 6
    EXPECT_EQ(3, BL[2].y);
    EXPECT_EQ(4, ckY);
    EXPECT_EQ(-1, BlockUP());
    EXPECT_EQ(0, BlockUP()); // the pair fills row 1
    EXPECT_EQ(2, BL[2].y);
    EXPECT_EQ(3, ckY);
}

TEST_F(Board, TargetLeavesThroughTheExitAndClears) {
    Lay({0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 51, 52,
         0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,  0});
    currStage = 4;
    movePoint = 3;
    Hold(0, 5, 2);
    EXPECT_EQ(1, BlockDOWN());
    EXPECT_EQ(5, BL[0].x);
    EXPECT_EQ(GAME_PLAYING, GAME);
    EXPECT_EQ(3, movePoint);
    // Held by its outer half, the target goes back onto the board or out.
    Hold(0, 6, 2);
    EXPECT_EQ(-1, MovePH(5, 2));
    EXPECT_EQ(4, BL[0].x);
    EXPECT_EQ(1, MovePH(6, 2));
    EXPECT_EQ(0, MovePH(7, 2)); // the exit step reports no step
    EXPECT_EQ(6, BL[0].x);
    EXPECT_EQ(4, movePoint);
    EXPECT_EQ(GAME_CLEARPAUSE, GAME);
    EXPECT_EQ(100, pauseCount);
    EXPECT_EQ(1, isClear[4]);
    EXPECT_EQ(4, bestMove[4]);
    EXPECT_EQ(0, isClear[3] + isClear[5]);
}

TEST_F(Board, ResumedTargetBeyondTheExitStepsOnWithoutClearing) {
    Lay({0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 51, 52, 0, 0, 0, 0,
         0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,  0,  0, 0, 0, 0});
    BL[0].x = 6; // a board saved during the clear pause
    Hold(0, 7, 2);
    EXPECT_EQ(1, BlockDOWN());
    EXPECT_EQ(7, BL[0].x);
    EXPECT_EQ(GAME_PLAYING, GAME);
    EXPECT_EQ(0, isClear[0]);
    EXPECT_EQ(-1, BlockUP());
    EXPECT_EQ(-1, BlockUP());
    EXPECT_EQ(5, BL[0].x);
    EXPECT_EQ(0, BlockDOWN());
    EXPECT_EQ(GAME_CLEARPAUSE, GAME);
    EXPECT_EQ(1, isClear[0]);
}

TEST_F(Board, ExitAtTheHighestMoveCountKeepsItAndRecordsNoFalseBest) {
    Lay({0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 51, 52,
         0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,  0});
    BL[0].x = 5;
    movePoint = MOVES_MAX;
    Hold(0, 6, 2);
    EXPECT_EQ(0, BlockDOWN());
    EXPECT_EQ(GAME_CLEARPAUSE, GAME);
    EXPECT_EQ(32767, movePoint);
    EXPECT_EQ(1, isClear[0]);
    EXPECT_EQ(99, bestMove[0]);
}

TEST_F(Board, MovePHStepsOnlyAlongTheHeldLine) {
    // Row 3: a pair at x 1, held in its right cell; column 0: a vertical pair.
    Lay({0,  0, 0, 0, 0, 0, 0,  0, 0, 0, 0, 0, 51, 52, 0, 0, 0, 0,
         11, 1, 2, 0, 0, 0, 12, 0, 0, 0, 0, 0, 0,  0,  0, 0, 0, 0});
    ASSERT_EQ(3, mxPH);
    Hold(2, 2, 3);
    EXPECT_EQ(0, MovePH(5, 4)); // diagonal
    EXPECT_EQ(0, MovePH(2, 3)); // the held cell itself
    EXPECT_EQ(1, MovePH(5, 3)); // one step per call
    EXPECT_EQ(2, BL[2].x);
    EXPECT_EQ(3, ckX);
    EXPECT_EQ(1, MovePH(5, 3));
    EXPECT_EQ(1, MovePH(5, 3));
    EXPECT_EQ(4, BL[2].x);
    EXPECT_EQ(5, ckX);
    EXPECT_EQ(0, MovePH(9, 3)); // right edge
    EXPECT_EQ(4, BL[2].x);

    Hold(1, 0, 3);
    EXPECT_EQ(0, MovePH(1, 5)); // off the column
    EXPECT_EQ(1, MovePH(0, 9)); // below the board still pulls down
    EXPECT_EQ(4, BL[1].y);
    EXPECT_EQ(0, MovePH(0, 9));
    EXPECT_EQ(-1, MovePH(0, 0));
    EXPECT_EQ(3, BL[1].y);
}

TEST_F(Board, BestCountKeepsTheFewestMoves) {
    currStage = 7;
    int counts[] = {12, 12, 15, 9, 120};
    int bests[] = {12, 12, 12, 9, 9};
    for (int i = 0; i < 5; i++) {
        movePoint = (Sint16)counts[i];
        StageClear();
        EXPECT_EQ(bests[i], bestMove[7]) << "after a clear in " << counts[i];
    }
    // A clear in 99 or more while the best is still 99 keeps 99.
    currStage = 8;
    movePoint = 140;
    StageClear();
    EXPECT_EQ(99, bestMove[8]);
    EXPECT_EQ(1, isClear[8]);
}

TEST_F(Board, LastStageClearIsRecordedInItsOwnEntry) {
    currStage = STAGE_COUNT - 1;
    InitStage();
    movePoint = 50;
    StageClear();
    EXPECT_EQ(1, isClear[262]);
    EXPECT_EQ(50, bestMove[262]);
    EXPECT_EQ(0, isClear[261]);
    EXPECT_EQ(99, bestMove[261]);
    // An index outside the catalogue records nothing.
    currStage = STAGE_COUNT;
    StageClear();
    EXPECT_EQ(GAME_CLEARPAUSE, GAME);
}

} // namespace
