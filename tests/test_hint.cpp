// Undo and the hint, through the real event dispatch and the frame timer's
// tick, checked against the optimal solver of the stage generator.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "assist.h"
#include "joy.h"
#include "solver.h"
#include "tombslide.h"

namespace {

// A fresh stage 0 with the event loop's own flags cleared too.
void ResetState() {
    ResetGameState();
    done = 0;
    AllKeyClear();
    Start();
    frameTimerStale = 0;
}

// The board and count as the player sees them.
struct Snapshot {
    std::vector<int> cells;
    Sint16 moves;
    bool operator==(const Snapshot &o) const { return cells == o.cells && moves == o.moves; }
};
Snapshot Now() {
    Snapshot s;
    for (int i = 0; i < mxPH; i++) {
        s.cells.push_back(BL[i].x);
        s.cells.push_back(BL[i].y);
    }
    s.moves = movePoint;
    return s;
}

// The board in BL as a layout, for the stage generator's solver.
std::vector<uint8_t> Layout() {
    std::vector<uint8_t> cells(36, 0);
    for (int i = 0; i < mxPH; i++) {
        const _bl &b = BL[i];
        int head = BLOCK_KINDS[b.type].head, len = KindLength(b.type);
        for (int j = 0; j < len; j++)
            cells[typeBL((Uint8)i) == 0 ? 6 * b.y + b.x + j : 6 * (b.y + j) + b.x] =
                (uint8_t)(head + j);
    }
    return cells;
}

SDL_Event Mouse(Uint8 type, int x, int y) {
    SDL_Event e = {};
    e.type = type;
    e.button.type = type;
    e.button.x = (Uint16)x;
    e.button.y = (Uint16)y;
    if (type == SDL_MOUSEMOTION) {
        e.motion.x = (Uint16)x;
        e.motion.y = (Uint16)y;
    }
    return e;
}
SDL_Event Joy(Uint8 type, int button) {
    SDL_Event e = {};
    e.type = type;
    e.jbutton.type = type;
    e.jbutton.button = (Uint8)button;
    return e;
}
SDL_Event Key(Uint8 type, SDLKey sym, SDLMod mod = KMOD_NONE) {
    SDL_Event e = {};
    e.type = type;
    e.key.type = type;
    e.key.keysym.sym = sym;
    e.key.keysym.mod = mod;
    return e;
}

int Px(int cell) {
    return 45 + 30 * cell;
}

enum { A_BUTTON = 0, X_BUTTON = 1, B_BUTTON = 2 };

class Assist : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        ASSERT_NE(nullptr, cLCD.scr[0]);
        if (scrImage < 0) LoadSheets();
    }
    void SetUp() override {
        Quietly([] { ResetState(); });
    }
    void TearDown() override {
        Quietly([] { ResetState(); });
    }

    // Runs f with its trace lines (the board's rules print one per cell
    // looked at) kept off the test's output.
    template <typename F> static void Quietly(F f) {
        testing::internal::CaptureStdout();
        f();
        fflush(stdout);
        testing::internal::GetCapturedStdout();
    }
    void Send(const SDL_Event &e) {
        Quietly([&] { HandleEvent(e); });
    }
    void Press(int button) {
        Send(Joy(SDL_JOYBUTTONDOWN, button));
        Send(Joy(SDL_JOYBUTTONUP, button));
    }
    void Tick() {
        Quietly([] { DrawSet(FRAME_PERIOD, nullptr); });
    }
    // Drags the block under cell (fx, fy) toward the pen cell (tx, ty), one
    // motion event per tick, then lifts the pen.
    void Drag(int fx, int fy, int tx, int ty) {
        Send(Mouse(SDL_MOUSEBUTTONDOWN, Px(fx), Px(fy)));
        for (int i = 0; i < 6; i++) {
            Send(Mouse(SDL_MOUSEMOTION, Px(tx), Px(ty)));
            Tick();
        }
        Send(Mouse(SDL_MOUSEBUTTONUP, 0, 0));
    }
    // One hint asked for and ticked to its end, its search and its slide;
    // returns the ticks it took.
    int Hint() {
        Press(A_BUTTON);
        int ticks = 0;
        do {
            Tick();
            ticks++;
        } while ((HintsQueued() > 0 || HintSliding() || HintSearchUnderWay()) && ticks < 200);
        return ticks;
    }
};

// Every stage from its start, by hints alone: exactly its shortest number of
// moves, each hint one move, and the clear records that count as its best.
// The hint's slide is ticked by itself (the whole tick's drawing of every
// stage would only slow this down); the real tick runs it in the next test.
TEST_F(Assist, HintsAloneClearEveryStageInItsShortestNumberOfMoves) {
    for (int s = 0; s < STAGE_COUNT; s++) {
        int shortest = SolveLayout(_STAGE[s].data);
        ASSERT_GT(shortest, 0) << "stage " << s;
        // The count after each hint, checked once the trace is let go.
        std::vector<int> counts;
        Quietly([&] {
            currStage = (Sint16)s;
            Start();
            while (GAME == GAME_PLAYING && (int)counts.size() <= shortest) {
                HandleEvent(Joy(SDL_JOYBUTTONDOWN, A_BUTTON));
                HandleEvent(Joy(SDL_JOYBUTTONUP, A_BUTTON));
                // The search's slices, then the slide's cells.
                for (int ticks = 0; ticks < 200 && GAME == GAME_PLAYING; ticks++) {
                    LockGame();
                    HintTick();
                    UnlockGame();
                    if (!HintSliding() && !HintSearchUnderWay()) break;
                }
                counts.push_back(movePoint);
            }
        });
        ASSERT_EQ(shortest, (int)counts.size()) << "stage " << s;
        for (int i = 0; i < shortest; i++)
            ASSERT_EQ(i + 1, counts[i]) << "stage " << s << ", hint " << i + 1;
        EXPECT_EQ(GAME_CLEARPAUSE, GAME) << "stage " << s;
        EXPECT_EQ(1, isClear[s]);
        EXPECT_EQ(shortest, bestMove[s]) << "stage " << s;
    }
}

// Stage 0 by hints on the real tick: one cell per tick, the step drawn on
// its tick, and the clear's pause and banner follow as after a drag out.
TEST_F(Assist, HintsOnTheRealTickClearStageZeroAndThePauseFollows) {
    Tick();
    Press(A_BUTTON);
    EXPECT_EQ(1, HintsQueued());
    Snapshot before = Now();
    Tick(); // the first cell of the first hint
    Snapshot after = Now();
    int changed = 0;
    for (size_t i = 0; i < before.cells.size(); i++)
        changed += abs(before.cells[i] - after.cells[i]);
    EXPECT_EQ(1, changed);
    EXPECT_EQ(0, moved);
    for (int i = 0; i < 100 && GAME == GAME_PLAYING; i++) {
        if (!HintSliding() && HintsQueued() == 0) Press(A_BUTTON);
        Tick();
    }
    ASSERT_EQ(GAME_CLEARPAUSE, GAME);
    EXPECT_EQ(7, movePoint);
    EXPECT_EQ(7, bestMove[0]);
    EXPECT_EQ(PAUSE_TICKS, pauseCount);
    Tick(); // the banner's tick
    EXPECT_EQ(PAUSE_TICKS - 1, pauseCount);
    // Hints and undo do nothing in the pause.
    Snapshot cleared = Now();
    Press(A_BUTTON);
    Press(B_BUTTON);
    Tick();
    EXPECT_EQ(0, HintsQueued());
    EXPECT_EQ(cleared, Now());
    EXPECT_EQ(GAME_CLEARPAUSE, GAME);
}

// Any mix of drags and hints on the second stage, then undo all the way:
// every earlier board and count comes back in turn, and undo at the start
// does nothing. Along the way the hints agree with the optimal solver from
// wherever the drags left the board.
TEST_F(Assist, UndoReturnsEveryEarlierBoardAndCount) {
    currStage = 1;
    Quietly(Start);
    Tick();
    std::mt19937 random(18);
    std::vector<Snapshot> past;
    int drags = 0, hints = 0;
    for (int round = 0; round < 60; round++) {
        Snapshot before = Now();
        if (round % 7 == 3) {
            int shortest = SolveLayout(Layout().data());
            HintMove m;
            ASSERT_EQ(shortest, FindHint(&m));
            if (shortest == 1) continue; // the drag out would end the stage
            Hint();
            EXPECT_EQ(shortest - 1, SolveLayout(Layout().data()));
            hints++;
        } else {
            int b = (int)(random() % mxPH);
            const _bl &k = BL[b];
            // The pen stays on the board, and the target off the exit
            // opening: no drag here ends the stage.
            int to = (int)(random() % (k.type == TYPE_TARGET ? 5 : 6));
            if (typeBL((Uint8)b) == 0)
                Drag(k.x, k.y, to, k.y);
            else
                Drag(k.x, k.y, k.x, to);
            drags++;
        }
        ASSERT_EQ(GAME_PLAYING, GAME);
        if (movePoint != before.moves) {
            EXPECT_EQ(before.moves + 1, movePoint);
            past.push_back(before);
        } else {
            EXPECT_EQ(before, Now()); // a drag back or a refused one is no move
        }
    }
    ASSERT_GT(past.size(), 20u);
    EXPECT_EQ((int)past.size(), HistoryLength());
    while (!past.empty()) {
        Press(B_BUTTON);
        EXPECT_EQ(past.back(), Now()) << past.size() << " moves left";
        EXPECT_EQ(1, isFirst); // the next tick draws the board whole
        Tick();
        past.pop_back();
    }
    Snapshot start = Now();
    EXPECT_EQ(0, start.moves);
    Press(B_BUTTON);
    EXPECT_EQ(start, Now());
    EXPECT_EQ(0, isFirst);
}

// The history begins afresh with every stage: restart, next, previous, the
// end of the pause, and a resumed board.
TEST_F(Assist, EveryStageStartForgetsTheHistory) {
    void (*starts[])() = {Start, [] { StageNext(); }, [] { StagePrevious(); },
                          [] {
                              GAME = GAME_RESUMING; // the board is kept
                              Start();
                          }};
    for (auto start : starts) {
        currStage = 1;
        Quietly(Start);
        Drag(5, 2, 5, 0); // stage 1's pair at (5, 2) up two cells
        ASSERT_EQ(1, movePoint);
        ASSERT_EQ(1, HistoryLength());
        Press(A_BUTTON); // queued, not yet begun
        Quietly(start);
        EXPECT_EQ(0, HistoryLength());
        EXPECT_EQ(0, HintsQueued());
        Snapshot s = Now();
        Press(B_BUTTON);
        EXPECT_EQ(s, Now());
    }
    // The pause's end, on the timer.
    currStage = 0;
    Quietly(Start);
    for (int i = 0; i < 7; i++)
        Hint();
    ASSERT_EQ(GAME_CLEARPAUSE, GAME);
    for (int i = 0; i < PAUSE_TICKS; i++)
        Tick();
    EXPECT_EQ(1, currStage);
    EXPECT_EQ(0, HistoryLength());
}

// A hint asked while a block is held waits for the pen to lift; while the
// hint slides, a touch on the board takes no block and undo waits too.
TEST_F(Assist, AHintWaitsForTheHeldBlockAndKeepsTheBoardWhileItSlides) {
    Drag(5, 0, 5, 1); // the right-hand triple one cell down: a move to undo
    ASSERT_EQ(1, HistoryLength());
    HintMove m;
    ASSERT_GT(FindHint(&m), 0);
    int from = typeBL(m.block) == 0 ? BL[m.block].x : BL[m.block].y;
    ASSERT_GT(abs(m.to - from), 1) << "a hint of one cell slides for one tick only";
    Send(Mouse(SDL_MOUSEBUTTONDOWN, Px(0), Px(5))); // the bottom triple
    ASSERT_EQ(1, checked);
    Press(A_BUTTON);
    Snapshot held = Now();
    Tick();
    Tick();
    EXPECT_EQ(held, Now());
    EXPECT_FALSE(HintSliding());
    EXPECT_EQ(1, HintsQueued());
    Send(Mouse(SDL_MOUSEBUTTONUP, 0, 0));
    Tick();
    ASSERT_TRUE(HintSliding());
    EXPECT_EQ(0, HintsQueued());
    Send(Mouse(SDL_MOUSEBUTTONDOWN, Px(0), Px(2))); // the target: not taken
    EXPECT_EQ(0, checked);
    Press(B_BUTTON);
    EXPECT_TRUE(HintSliding());
    EXPECT_EQ(1, movePoint);
    int ticks = 1;
    while (HintSliding() && ticks < 10) {
        Tick();
        ticks++;
    }
    EXPECT_EQ(abs(m.to - from), ticks); // one cell per tick
    EXPECT_EQ(2, movePoint);
    EXPECT_EQ(2, HistoryLength());
    EXPECT_EQ(m.to, typeBL(m.block) == 0 ? BL[m.block].x : BL[m.block].y);
}

// A search of several ticks: it gives the whole search's move after the same
// states; a board changed under it (the player makes the very move it would
// hint) gets a move for the board as it stands, never the stale one; undo and
// a restart drop it, and no block moves after.
TEST_F(Assist, ASearchAcrossTicksAnswersTheBoardAsItStands) {
    const int longSearch = 196; // one of the catalogue's longest searches
    // Another stage's search, so that no kept path answers from this board.
    auto forgetPath = [] {
        LayoutBlocks(_STAGE[0].data);
        HintMove other;
        FindHint(&other);
    };
    auto restart = [&] {
        currStage = longSearch;
        Quietly(Start);
        Tick();
    };
    auto tickUntilSlideOrEnd = [&] {
        int ticks = 0;
        while ((HintsQueued() > 0 || HintSearchUnderWay()) && !HintSliding() && ticks < 100) {
            Tick();
            ticks++;
        }
        return ticks;
    };
    restart();
    Snapshot start = Now();
    Press(A_BUTTON);
    ASSERT_GT(tickUntilSlideOrEnd(), 2);
    HintMove sliced = {hintSlide.block, hintSlide.to};
    int states = HintStatesSearched();
    forgetPath();
    restart();
    HintMove whole;
    ASSERT_GT(FindHint(&whole), 1);
    EXPECT_EQ(states, HintStatesSearched());
    EXPECT_EQ(whole.block, sliced.block);
    EXPECT_EQ(whole.to, sliced.to);

    forgetPath();
    restart();
    Press(A_BUTTON);
    Tick();
    ASSERT_TRUE(HintSearchUnderWay());
    const _bl &b = BL[whole.block];
    int fx = b.x, fy = b.y;
    if (typeBL(whole.block) == 0)
        Drag(fx, fy, whole.to, fy);
    else
        Drag(fx, fy, fx, whole.to);
    ASSERT_EQ(1, movePoint);
    ASSERT_EQ(whole.to, typeBL(whole.block) == 0 ? b.x : b.y);
    int shortest = SolveLayout(Layout().data());
    EXPECT_TRUE(HintSearchUnderWay()); // it waited while the block was held
    tickUntilSlideOrEnd();
    while (HintSliding())
        Tick();
    EXPECT_EQ(2, movePoint);
    EXPECT_EQ(shortest - 1, SolveLayout(Layout().data()));

    // Back to the start, then a search under way dropped by undo's press
    // (nothing left to take back) and by a restart.
    for (int i = 0; i < 2; i++) {
        Press(B_BUTTON);
        Tick();
    }
    ASSERT_EQ(start, Now());
    void (*drops[])() = {[] {
                             HandleEvent(Joy(SDL_JOYBUTTONDOWN, B_BUTTON));
                             HandleEvent(Joy(SDL_JOYBUTTONUP, B_BUTTON));
                         },
                         Start};
    for (auto drop : drops) {
        Press(A_BUTTON);
        Tick();
        ASSERT_TRUE(HintSearchUnderWay());
        Quietly(drop);
        for (int i = 0; i < 10; i++)
            Tick();
        EXPECT_FALSE(HintSearchUnderWay());
        EXPECT_FALSE(HintSliding());
        EXPECT_EQ(start, Now());
    }
}

// The keys and buttons: U, Ctrl+Z and B undo, H and A hint, each on its own
// press only; Z alone does nothing.
TEST_F(Assist, KeysAndButtonsActOnTheirOwnPressOnly) {
    Drag(0, 5, 3, 5);
    Drag(0, 2, 0, 2); // no move
    Drag(5, 0, 5, 3);
    Drag(2, 2, 2, 0);
    ASSERT_EQ(3, movePoint);
    Send(Key(SDL_KEYDOWN, SDLK_z));
    Send(Key(SDL_KEYUP, SDLK_z));
    EXPECT_EQ(3, movePoint);
    // B held: another button's press does not undo again.
    Send(Joy(SDL_JOYBUTTONDOWN, B_BUTTON));
    EXPECT_EQ(2, movePoint);
    Send(Joy(SDL_JOYBUTTONDOWN, X_BUTTON));
    EXPECT_EQ(2, movePoint);
    Send(Joy(SDL_JOYBUTTONUP, X_BUTTON));
    Send(Joy(SDL_JOYBUTTONUP, B_BUTTON));
    Send(Key(SDL_KEYDOWN, SDLK_u));
    Send(Key(SDL_KEYUP, SDLK_u));
    EXPECT_EQ(1, movePoint);
    Send(Key(SDL_KEYDOWN, SDLK_z, KMOD_LCTRL));
    Send(Key(SDL_KEYUP, SDLK_z));
    EXPECT_EQ(0, movePoint);
    LayoutBlocks(_STAGE[0].data);
    Snapshot start = Now();
    Quietly(InitStage);
    EXPECT_EQ(start, Now());

    Send(Key(SDL_KEYDOWN, SDLK_h));
    Send(Key(SDL_KEYUP, SDLK_h));
    EXPECT_EQ(1, HintsQueued());
    Send(Joy(SDL_JOYBUTTONDOWN, A_BUTTON));
    Send(Joy(SDL_JOYBUTTONDOWN, X_BUTTON));
    EXPECT_EQ(2, HintsQueued());
    // Undo drops the hints still queued.
    Press(B_BUTTON);
    EXPECT_EQ(0, HintsQueued());
    EXPECT_EQ(0, movePoint);
}

// A search that runs out of room gives no hint and drops the queue, without
// harm; with room again the same board gets its hint. A board without a way
// out gets none either.
TEST_F(Assist, NoHintWhenTheSearchRunsOutOfRoomOrThereIsNoWayOut) {
    currStage = 1; // its positions are the catalogue's most numerous
    Quietly(Start);
    Tick(); // the stage's first tick draws it whole, and begins no hint
    hintStatesMax = 100;
    HintMove m;
    EXPECT_EQ(0, FindHint(&m));
    Press(A_BUTTON);
    Press(A_BUTTON);
    Snapshot s = Now();
    Tick();
    EXPECT_FALSE(HintSliding());
    EXPECT_EQ(0, HintsQueued());
    EXPECT_EQ(s, Now());
    hintStatesMax = HINT_STATES;
    EXPECT_EQ(5, FindHint(&m));

    // Column 3 filled by two vertical triples: the target can never leave.
    const Uint8 jammed[36] = {0, 0, 0, 31, 0, 0, 0, 0, 0, 32, 0, 0, 51, 52, 0, 33, 0, 0,
                              0, 0, 0, 31, 0, 0, 0, 0, 0, 32, 0, 0, 0,  0,  0, 33, 0, 0};
    LayoutBlocks(jammed);
    EXPECT_EQ(0, FindHint(&m));
    // A target with a free way out, and one in the exit opening, are one
    // move from out.
    LayoutBlocks(_STAGE[0].data);
    BL[2].x = 4; // as if it had passed the triple in column 2
    BL[1].y = 3;
    ASSERT_EQ(1, FindHint(&m));
    EXPECT_EQ(2, m.block);
    EXPECT_EQ(6, m.to);
    BL[2].x = 5;
    EXPECT_EQ(1, FindHint(&m));
}

} // namespace
