// Game flow: Start, StageNext, StagePrevious and the frame timer's tick, driven
// one tick at a time (no timer runs here).
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "tombslide.h"

namespace {

typedef std::vector<Uint16> Pixels;

// The display's pixels (16 bits each), row by row.
Pixels Display() {
    SDL_Surface *s = cLCD.scr[0];
    Pixels p;
    for (int y = 0; y < s->h; y++) {
        const Uint16 *row = (const Uint16 *)((const Uint8 *)s->pixels + y * s->pitch);
        p.insert(p.end(), row, row + s->w);
    }
    return p;
}

// How many pixels of rows top..bottom-1 differ between two pictures.
int Differ(const Pixels &a, const Pixels &b, int top, int bottom) {
    int n = 0;
    for (int i = top * 320; i < bottom * 320; i++)
        n += a[i] != b[i];
    return n;
}

void Blank() {
    SDL_FillRect(cLCD.scr[0], nullptr, 0);
}

class Flow : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        ASSERT_NE(nullptr, cLCD.scr[0]);
        if (scrImage < 0) LoadSheets();
        ASSERT_EQ(16, cLCD.scr[0]->format->BitsPerPixel);
    }
    void SetUp() override {
        ResetGameState();
        Start();
        frameTimerStale = 0;
    }
    // One tick; returns what it printed.
    std::string Tick() {
        testing::internal::CaptureStdout();
        EXPECT_EQ(FRAME_PERIOD, DrawSet(FRAME_PERIOD, nullptr));
        fflush(stdout);
        return testing::internal::GetCapturedStdout();
    }
    std::string Run(void (*f)()) {
        testing::internal::CaptureStdout();
        f();
        fflush(stdout);
        return testing::internal::GetCapturedStdout();
    }
};

const char *const STATUS = "\nDrawBest\nDrawRoomNo\nDrawScore";

TEST_F(Flow, StartLaysOutTheStageAndTheFirstTickDrawsIt) {
    currStage = 1;
    movePoint = 17;
    isFirst = 0;
    EXPECT_EQ("\nStart\nInitStage", Run(Start));
    EXPECT_EQ(11, mxPH);
    EXPECT_EQ(0, movePoint);
    EXPECT_EQ(GAME_PLAYING, GAME);
    EXPECT_EQ(1, isFirst);
    EXPECT_EQ(1, frameTimerStale);

    Blank();
    Pixels blank = Display();
    EXPECT_EQ(STATUS, Tick());
    EXPECT_EQ(0, isFirst);
    // The whole board is drawn: most of the board area changed.
    EXPECT_GT(Differ(blank, Display(), 30, 210), 320 * 150);
    // Later ticks redraw only the status line.
    Blank();
    EXPECT_EQ(STATUS, Tick());
    EXPECT_LT(Differ(blank, Display(), 30, 210), 320 * 10);
}

TEST_F(Flow, ResumingKeepsTheLoadedBoardAndCount) {
    // As LoadGame leaves a board: stage 4, a block moved, 12 moves.
    currStage = 4;
    GAME = GAME_RESUMING;
    BL[0].x = 1;
    movePoint = 12;
    const Uint8 count = mxPH;
    EXPECT_EQ("\nStart", Run(Start));
    EXPECT_EQ(GAME_PLAYING, GAME);
    EXPECT_EQ(1, BL[0].x);
    EXPECT_EQ(12, movePoint);
    EXPECT_EQ(count, mxPH);
    EXPECT_EQ(1, ox); // block 0 as it stood
}

TEST_F(Flow, StartReleasesTheHeldBlockAndDropsAPendingStep) {
    checked = 1;
    ckPH = 3;
    _isBL = 3;
    moved = 1;
    BL[0].x = 2; // block 0 before the restart
    Start();
    EXPECT_EQ(0, checked + ckPH + _isBL);
    EXPECT_EQ(0, moved);
    EXPECT_EQ(2, ox); // block 0 as the table stood before this start
    EXPECT_EQ(0, BL[0].x);
}

TEST_F(Flow, StageNextAndPreviousStopAtTheEnds) {
    EXPECT_EQ(0, StagePrevious());
    EXPECT_EQ(0, currStage);
    EXPECT_EQ(0, frameTimerStale); // nothing started
    currStage = 261;
    EXPECT_EQ(1, StageNext());
    EXPECT_EQ(262, currStage);
    EXPECT_EQ(1, frameTimerStale);
    frameTimerStale = 0;
    BL[0].x = 3;
    EXPECT_EQ(0, StageNext());
    EXPECT_EQ(262, currStage);
    EXPECT_EQ(3, BL[0].x); // the board untouched
    EXPECT_EQ(0, frameTimerStale);
    EXPECT_EQ(1, StagePrevious());
    EXPECT_EQ(261, currStage);
}

TEST_F(Flow, TickDrawsAPendingStepAndClearsTheHandshake) {
    Tick();
    // The bottom triple of stage 0 (block 4) stepped right by the main thread.
    ckPH = 4;
    ox = BL[4].x;
    oy = BL[4].y;
    BL[4].x = 1;
    moved = 1;
    Blank();
    Pixels blank = Display();
    Tick();
    EXPECT_EQ(0, moved);
    EXPECT_EQ(1, ox);
    EXPECT_EQ(5, oy);
    // Only the strip of row 5 was redrawn (cells 0 to 3, rows 180..209).
    EXPECT_GT(Differ(blank, Display(), 180, 210), 30 * 100);
    EXPECT_EQ(0, Differ(blank, Display(), 30, 180));
}

TEST_F(Flow, ThePauseShowsTheBannerAndEndsAfter100Ticks) {
    currStage = 3;
    Start();
    Tick();
    movePoint = 6;
    StageClear();
    ASSERT_EQ(GAME_CLEARPAUSE, GAME);
    EXPECT_EQ(1, isClear[3]);
    EXPECT_EQ(6, bestMove[3]);

    // What the first tick must show: board, status line, banner.
    testing::internal::CaptureStdout();
    DrawPan();
    DrawBest();
    DrawRoomNo();
    DrawScore();
    testing::internal::GetCapturedStdout();
    Pixels board = Display();
    cLCD.PutSurface(scrImage, 0, 0, 90, 0, 110, 320, 95);
    Pixels expected = Display();
    Blank();

    EXPECT_EQ(STATUS, Tick());
    Pixels shown = Display();
    EXPECT_EQ(0, Differ(expected, shown, 30, 205));
    EXPECT_GT(Differ(board, shown, 110, 205), 320 * 30); // the banner is there
    for (int t = 2; t < 100; t++) {
        ASSERT_EQ("", Tick()) << t;
        ASSERT_EQ(GAME_CLEARPAUSE, GAME);
        ASSERT_EQ(3, currStage);
    }
    // The 100th tick starts the next stage and draws its status line.
    EXPECT_EQ(std::string("\nStart\nInitStage") + STATUS, Tick());
    EXPECT_EQ(GAME_PLAYING, GAME);
    EXPECT_EQ(4, currStage);
    EXPECT_EQ(0, movePoint);
    EXPECT_EQ(1, isFirst);
    // The running timer goes on: nothing is left for the main thread.
    EXPECT_EQ(0, frameTimerStale);
}

TEST_F(Flow, TheLastStagesPauseNeverEndsByItself) {
    currStage = 262;
    Start();
    Tick();
    movePoint = 30;
    StageClear();
    EXPECT_EQ(1, isClear[262]);
    EXPECT_EQ(30, bestMove[262]);
    for (int t = 1; t <= 300; t++)
        Tick();
    EXPECT_EQ(GAME_CLEARPAUSE, GAME);
    EXPECT_EQ(262, currStage);
    EXPECT_EQ(-200, pauseCount);
    // The count wraps round as a 16-bit value and goes on.
    pauseCount = -32768;
    Tick();
    EXPECT_EQ(32767, pauseCount);
    EXPECT_EQ(GAME_CLEARPAUSE, GAME);
}

TEST_F(Flow, AfterTheStopATickDrawsNothingAndEndsItsTimer) {
    StopFrameTimer();
    isFirst = 1;
    Blank();
    Pixels blank = Display();
    testing::internal::CaptureStdout();
    EXPECT_EQ(0u, DrawSet(FRAME_PERIOD, nullptr));
    fflush(stdout);
    EXPECT_EQ("", testing::internal::GetCapturedStdout());
    EXPECT_EQ(0, Differ(blank, Display(), 0, 240));
    EXPECT_EQ(1, isFirst);
    frameTimerOff = 0; // for the tests after this one
}

} // namespace
