// Start-up, the event dispatch and shutdown: SDL events go through the real
// HandleEvent and EventLoop; the frame timer's tick is called by hand except
// where a test runs the real timer.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "joy.h"
#include "tombslide.h"

namespace {

std::string dir, home;

std::vector<char> ReadFile(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<char>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

SDL_Event Mouse(Uint8 type, int x, int y) {
    SDL_Event e = {};
    e.type = type;
    if (type == SDL_MOUSEMOTION) {
        e.motion.type = type;
        e.motion.x = (Uint16)x;
        e.motion.y = (Uint16)y;
    } else {
        e.button.type = type;
        e.button.button = SDL_BUTTON_LEFT;
        e.button.x = (Uint16)x;
        e.button.y = (Uint16)y;
    }
    return e;
}

SDL_Event Joy(Uint8 type, int button, int which = 0) {
    SDL_Event e = {};
    e.type = type;
    e.jbutton.type = type;
    e.jbutton.which = (Uint8)which;
    e.jbutton.button = (Uint8)button;
    return e;
}

// Board cell centres in screen pixels.
int Px(int cell) {
    return 45 + 30 * cell;
}

class Events : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        char buf[] = "/tmp/tombslide-events-XXXXXX";
        ASSERT_NE(nullptr, mkdtemp(buf));
        dir = buf;
        char cwd[4096];
        ASSERT_NE(nullptr, getcwd(cwd, sizeof cwd));
        home = cwd;
        ASSERT_EQ(0, chdir(dir.c_str()));
        std::vector<char> wavFile = ReadFile(ASSETS_DIR "/drag.wav");
        ASSERT_FALSE(wavFile.empty());
        std::ofstream(dir + "/drag.wav", std::ios::binary).write(wavFile.data(), wavFile.size());
        testing::internal::CaptureStdout();
        int ok = Init();
        fflush(stdout);
        initOutput = new std::string(testing::internal::GetCapturedStdout());
        ASSERT_EQ(1, ok);
    }
    static void TearDownTestSuite() {
        // As Quit does: SDL's threads end before the program's exit handlers
        // (and the unloading of SDL) run.
        Mix_CloseAudio();
        SDL_Quit();
        // Back where the program started: later suites must not run in a
        // removed folder.
        ASSERT_EQ(0, chdir(home.c_str()));
        std::string cmd = "rm -rf '" + dir + "'";
        ASSERT_EQ(0, system(cmd.c_str()));
    }
    void SetUp() override {
        remove("save.dat");
        done = 0;
        ResetGameState();
        AllKeyClear();
        Start();
        Tick();
    }
    static std::string *initOutput;

    // One event through the real dispatch; returns HandleEvent's result.
    Uint8 Send(const SDL_Event &e) { return HandleEvent(e); }
    Uint8 Down(int x, int y) { return Send(Mouse(SDL_MOUSEBUTTONDOWN, x, y)); }
    Uint8 Move(int x, int y) { return Send(Mouse(SDL_MOUSEMOTION, x, y)); }
    Uint8 Up() { return Send(Mouse(SDL_MOUSEBUTTONUP, 0, 0)); }
    Uint8 Press(int b, int which = 0) { return Send(Joy(SDL_JOYBUTTONDOWN, b, which)); }
    Uint8 Release(int b) { return Send(Joy(SDL_JOYBUTTONUP, b)); }
    void Tick() {
        testing::internal::CaptureStdout();
        DrawSet(FRAME_PERIOD, nullptr);
        testing::internal::GetCapturedStdout();
    }
    // Drags the block under cell (fx, fy) to the pen cell (tx, ty), one
    // motion event per tick, then lifts the pen.
    void Drag(int fx, int fy, int tx, int ty) {
        Down(Px(fx), Px(fy));
        for (int i = 0; i < 8; i++) {
            Move(Px(tx), Px(ty));
            Tick();
        }
        Up();
    }
    // Stage 0 cleared in its seven moves, as a player does it.
    void SolveStage0() {
        Drag(0, 5, 3, 5);
        Drag(2, 4, 2, 5);
        Drag(0, 2, 3, 2);
        Drag(2, 3, 2, 2);
        Drag(3, 5, 0, 5);
        Drag(5, 0, 5, 3);
        Down(Px(3), Px(2));
        for (int i = 0; i < 4; i++) {
            Move(Px(9), Px(2));
            Tick();
        }
    }
};

std::string *Events::initOutput = nullptr;

TEST_F(Events, InitSetsUpButtonsSoundAndBests) {
    EXPECT_EQ("\nInit...\nInit Success.", *initOutput);
    EXPECT_NE(nullptr, wav[0]);
    EXPECT_EQ(nullptr, wav[1]);
    EXPECT_EQ(nullptr, wav[2]);
    const int left[4] = {6, 40, 74, 223};
    for (int i = 0; i < 4; i++) {
        EXPECT_EQ(left[i], mRec[i].x);
        EXPECT_EQ(210, mRec[i].y);
        EXPECT_EQ(30, mRec[i].w);
        EXPECT_EQ(30, mRec[i].h);
    }
    EXPECT_EQ(2, scrImage);
    EXPECT_EQ(5, scrDigit);
    EXPECT_NE(nullptr, gameLock);
}

// The committed step sound is the generator's output, in the mixer's format.
TEST(StepSound, IsOursShortAndInTheMixersFormat) {
    std::vector<char> w = ReadFile(ASSETS_DIR "/drag.wav");
    ASSERT_GT(w.size(), 44u);
    auto u16 = [&w](int at) { return (Uint8)w[at] | (Uint8)w[at + 1] << 8; };
    auto u32 = [&](int at) { return (Uint32)u16(at) | (Uint32)u16(at + 2) << 16; };
    EXPECT_EQ(0, memcmp(w.data(), "RIFF", 4));
    EXPECT_EQ(1, u16(20));      // PCM
    EXPECT_EQ(2, u16(22));      // stereo
    EXPECT_EQ(22050u, u32(24)); // Hz
    EXPECT_EQ(16, u16(34));     // bits
    double seconds = u32(40) / (22050.0 * 4);
    EXPECT_GT(seconds, 0.05);
    EXPECT_LT(seconds, 0.5);
    const std::string gen = BINARY_DIR "/tools/soundgen/soundgen";
    if (access(gen.c_str(), X_OK) != 0) GTEST_SKIP() << "soundgen not built";
    const std::string out = "/tmp/tombslide-drag-" + std::to_string(getpid()) + ".wav";
    ASSERT_EQ(0, system((gen + " " + out).c_str()));
    EXPECT_EQ(w, ReadFile(out));
    remove(out.c_str());
}

TEST_F(Events, StartUpWithoutAndWithSaveFile) {
    // Without save.dat: stage 0 laid out afresh.
    testing::internal::CaptureStdout();
    BeginGame();
    fflush(stdout);
    EXPECT_EQ("\nLoadGame\nStart\nInitStage", testing::internal::GetCapturedStdout());
    EXPECT_EQ(GAME_PLAYING, GAME);
    EXPECT_EQ(0, frameTimerStale);

    // A game left with the bottom triple moved over, progress elsewhere.
    Drag(0, 5, 3, 5);
    isClear[1] = 1;
    bestMove[1] = 8;
    EndGame();
    EXPECT_EQ(nullptr, wav[0]); // released after the loop
    std::vector<char> saved = ReadFile("save.dat");
    ASSERT_FALSE(saved.empty());

    // The next run resumes it without laying the stage out.
    ResetGameState();
    testing::internal::CaptureStdout();
    BeginGame();
    fflush(stdout);
    EXPECT_EQ("\nLoadGame\nStart", testing::internal::GetCapturedStdout());
    EXPECT_EQ(0, currStage);
    EXPECT_EQ(1, movePoint);
    EXPECT_EQ(3, BL[4].x);
    EXPECT_EQ(1, isClear[1]);
    EXPECT_EQ(8, bestMove[1]);
    EXPECT_EQ(GAME_PLAYING, GAME);
    wav[0] = Mix_LoadWAV("drag.wav");
    ASSERT_NE(nullptr, wav[0]);
}

TEST_F(Events, OneMovePerDragAndNoneForADragBack) {
    // The bottom triple (block 4, cells 0..2 of row 5) dragged three cells.
    Down(Px(0), Px(5));
    EXPECT_EQ(1, checked);
    EXPECT_EQ(4, ckPH);
    Move(Px(3), Px(5));
    EXPECT_EQ(1, moved);
    EXPECT_EQ(1, BL[4].x);
    Move(Px(3), Px(5)); // dropped: the step waits for the tick
    EXPECT_EQ(1, BL[4].x);
    Tick();
    EXPECT_EQ(0, moved);
    Move(Px(3), Px(5));
    Tick();
    Move(Px(3), Px(5));
    Tick();
    EXPECT_EQ(3, BL[4].x);
    Move(Px(3), Px(5)); // the held cell has reached the pen
    EXPECT_EQ(0, moved);
    Up();
    EXPECT_EQ(1, movePoint);
    EXPECT_EQ(0, checked);

    // There and back again: no move.
    Down(Px(3), Px(5));
    Move(Px(2), Px(5));
    Tick();
    EXPECT_EQ(2, BL[4].x);
    Move(Px(3), Px(5));
    Tick();
    EXPECT_EQ(3, BL[4].x);
    Up();
    EXPECT_EQ(1, movePoint);
}

TEST_F(Events, TheMoveCountStopsAtItsHighest) {
    movePoint = MOVES_MAX - 1;
    Drag(0, 5, 3, 5);
    EXPECT_EQ(32767, movePoint);
    // A real move that finds the count at its highest leaves it there.
    Drag(3, 5, 0, 5);
    EXPECT_EQ(0, BL[4].x);
    EXPECT_EQ(32767, movePoint);
}

// Start-up never blocks on drag.wav: anything but a regular file is refused
// at once. Run apart, so that a game that did block fails instead of hanging.
TEST_F(Events, AFifoNamedDragWavIsRefusedAtOnce) {
    ASSERT_EQ(0, mkfifo("fifo.wav", 0600));
    pid_t child = fork();
    ASSERT_NE(-1, child);
    if (child == 0) _exit(LoadSound("fifo.wav") == nullptr ? 0 : 1);
    int status = -1;
    for (int i = 0; i < 600 && waitpid(child, &status, WNOHANG) == 0; i++)
        usleep(50000); // 30 s at most
    if (waitpid(child, &status, WNOHANG) == 0) {
        kill(child, SIGKILL);
        waitpid(child, &status, 0);
        ADD_FAILURE() << "loading a FIFO as the sound blocked";
    }
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    unlink("fifo.wav");
    // The regular file beside it loads.
    Mix_Chunk *chunk = LoadSound("drag.wav");
    EXPECT_NE(nullptr, chunk);
    Mix_FreeChunk(chunk);
}

TEST_F(Events, PenBeyondTheBoardStillPulls) {
    // Block 4 moved one cell on, then held by its left cell (1, 5).
    Drag(0, 5, 1, 5);
    Down(Px(1), Px(5));
    // A pen far right of the screen counts as a far column, not as a wrap
    // round onto column 0 (which would step the block back left).
    Move(30 + 30 * 256, Px(5));
    EXPECT_EQ(1, moved);
    EXPECT_EQ(2, BL[4].x);
    Tick();
    Move(300, Px(5)); // right of the board: column 9
    Tick();
    EXPECT_EQ(3, BL[4].x);
    Up();
}

TEST_F(Events, RestartInTheMiddleOfADrag) {
    Down(Px(0), Px(5));
    Move(Px(2), Px(5));
    EXPECT_EQ(1, moved);
    EXPECT_EQ(1, Press(8)); // I: restart, the step still pending
    Release(8);
    EXPECT_EQ(0, checked);
    EXPECT_EQ(0, moved);
    EXPECT_EQ(0, BL[4].x);
    Move(Px(3), Px(5));
    EXPECT_EQ(0, moved);
    EXPECT_EQ(0, BL[4].x);
    Up();
    EXPECT_EQ(0, movePoint);
}

TEST_F(Events, TouchDownDrawsAStepStillPending) {
    Down(Px(0), Px(5));
    Move(Px(1), Px(5));
    ASSERT_EQ(1, moved);
    Up();
    EXPECT_EQ(1, movePoint);
    // Before the tick, the pen touches the right vertical triple (block 1).
    Down(Px(5), Px(1));
    EXPECT_EQ(0, moved); // the pending step was drawn for block 4
    EXPECT_EQ(1, ckPH);
    EXPECT_EQ(5, ox);
    EXPECT_EQ(0, oy);
    Move(Px(5), Px(3));
    EXPECT_EQ(1, moved);
    EXPECT_EQ(1, BL[1].y);
    Tick();
    EXPECT_EQ(1, oy);
}

TEST_F(Events, ButtonHitAreasAndTheRestartCorner) {
    currStage = 3;
    Start();
    EXPECT_EQ(1, Down(36, 239)); // previous, last column and row
    EXPECT_EQ(2, currStage);
    Up();
    EXPECT_EQ(0, Down(37, 220)); // between previous and restart
    EXPECT_EQ(2, currStage);
    EXPECT_EQ(0, checked);
    Up();
    EXPECT_EQ(1, Down(74, 210)); // next, first column and row
    EXPECT_EQ(3, currStage);
    Up();
    EXPECT_EQ(1, Down(104, 239));
    EXPECT_EQ(4, currStage);
    Up();
    EXPECT_EQ(0, Down(105, 239));
    EXPECT_EQ(0, Down(222, 230));
    EXPECT_EQ(0, Down(254, 230));
    EXPECT_EQ(0, done);
    EXPECT_EQ(1, Down(70, 239)); // restart
    EXPECT_EQ(4, currStage);
    Up();

    // Stage 0: previous does nothing there, the corner restarts.
    currStage = 0;
    Start();
    Drag(0, 5, 1, 5);
    EXPECT_EQ(1, movePoint);
    EXPECT_EQ(1, Down(10, 220));
    EXPECT_EQ(0, currStage);
    EXPECT_EQ(0, movePoint);
    EXPECT_EQ(0, BL[4].x);
    Up();
    EXPECT_EQ(0, Down(30, 220));
    Up();
    // Just above the bar: no button, the block on cell (0, 5) is held.
    EXPECT_EQ(0, Down(36, 209));
    EXPECT_EQ(1, checked);
    EXPECT_EQ(4, ckPH);
    Up();
    // Beside a block in row 0 or column 0, outside the board: nothing.
    EXPECT_EQ(0, Down(29, 45));
    EXPECT_EQ(0, checked);
    EXPECT_EQ(0, Down(45, 29));
    EXPECT_EQ(0, checked);
    // Quit, at its edges.
    EXPECT_EQ(0, Down(253, 210));
    EXPECT_EQ(1, done);
}

TEST_F(Events, AClearAndThePauseTouches) {
    SolveStage0();
    ASSERT_EQ(GAME_CLEARPAUSE, GAME);
    EXPECT_EQ(7, movePoint);
    EXPECT_EQ(1, isClear[0]);
    EXPECT_EQ(7, bestMove[0]);
    Up(); // in the pause the touch-up counts nothing
    EXPECT_EQ(7, movePoint);
    // The next button in the pause: two stages on.
    EXPECT_EQ(1, Down(80, 220));
    EXPECT_EQ(2, currStage);
    EXPECT_EQ(GAME_PLAYING, GAME);
    Up();

    // The previous button in the pause: back to the stage just cleared.
    currStage = 5;
    Start();
    StageClear();
    EXPECT_EQ(1, Down(30, 220));
    EXPECT_EQ(5, currStage);
    EXPECT_EQ(GAME_PLAYING, GAME);
    EXPECT_EQ(0, movePoint);
    Up();

    // A touch on the board: the next stage starts and its block is held.
    StageClear();
    Down(Px(0), Px(0));
    EXPECT_EQ(6, currStage);
    EXPECT_EQ(isBlock(0, 0), checked);
    Up();

    // Quit in the pause moves on first.
    StageClear();
    Down(240, 225);
    EXPECT_EQ(7, currStage);
    EXPECT_EQ(1, done);
}

TEST_F(Events, ThePausesOfTheLastTwoStages) {
    currStage = 261;
    Start();
    StageClear();
    Down(80, 220); // ends the pause on 262; the next button refuses
    EXPECT_EQ(262, currStage);
    EXPECT_EQ(GAME_PLAYING, GAME);
    Up();
    StageClear();
    EXPECT_EQ(0, Down(80, 220));
    EXPECT_EQ(262, currStage);
    EXPECT_EQ(GAME_CLEARPAUSE, GAME);
    EXPECT_EQ(0, Press(5)); // R changes nothing either
    Release(5);
    EXPECT_EQ(0, Press(6)); // Home does nothing in the pause
    Release(6);
    EXPECT_EQ(0, done);
    EXPECT_EQ(1, Down(30, 220)); // previous leaves it
    EXPECT_EQ(261, currStage);
    EXPECT_EQ(GAME_PLAYING, GAME);
}

TEST_F(Events, ButtonFlagsRepeatWhileHeldUntilATouchUp) {
    currStage = 3;
    Start();
    EXPECT_EQ(1, Press(4)); // L
    EXPECT_EQ(2, currStage);
    EXPECT_EQ(1, Press(5)); // R with L held: previous, then next
    EXPECT_EQ(2, currStage);
    EXPECT_EQ(1, Press(7)); // an unknown button repeats both as well
    EXPECT_EQ(2, currStage);
    Up(); // forgets the held buttons
    EXPECT_EQ(0, isLkey + isRkey);
    EXPECT_EQ(0, Press(0)); // A: nothing
    EXPECT_EQ(2, currStage);
    EXPECT_EQ(1, Press(4, 1)); // L on a second pad
    EXPECT_EQ(1, currStage);
    Release(4);
    EXPECT_EQ(0, isLkey);
    EXPECT_EQ(0, Press(6)); // Home while playing: the end
    EXPECT_EQ(1, done);
}

TEST_F(Events, QuitStillHandlesTheEventsQueuedBehindIt) {
    SDL_Event e;
    while (SDL_PollEvent(&e)) {
    }
    e = {};
    e.type = SDL_QUIT;
    ASSERT_EQ(0, SDL_PushEvent(&e));
    SDL_Event touch = Mouse(SDL_MOUSEBUTTONDOWN, Px(0), Px(5));
    SDL_Event move = Mouse(SDL_MOUSEMOTION, Px(1), Px(5));
    SDL_Event next = Mouse(SDL_MOUSEBUTTONDOWN, 80, 220);
    ASSERT_EQ(0, SDL_PushEvent(&touch));
    ASSERT_EQ(0, SDL_PushEvent(&move));
    ASSERT_EQ(0, SDL_PushEvent(&next));
    EventLoop();
    EXPECT_EQ(1, done);
    EXPECT_EQ(1, currStage);    // the touch behind the quit was handled
    EXPECT_NE(nullptr, wav[0]); // the step behind the quit could still play it
    // The next button replaced the frame timer: stop it again.
    ASSERT_NE(nullptr, tmFrame);
    SDL_RemoveTimer(tmFrame);
    tmFrame = nullptr;
    SDL_Delay(2 * FRAME_PERIOD);
}

// Waits, reading the game under its lock, until done() holds; false when it
// still does not after ten seconds, far beyond any tick of a busy machine.
bool TimerDid(bool (*done)()) {
    for (Uint32 end = SDL_GetTicks() + 10000; SDL_GetTicks() < end; SDL_Delay(5)) {
        LockGame();
        bool ok = done();
        UnlockGame();
        if (ok) return true;
    }
    return false;
}

// The real timer ticks on its own thread while events pour in, restarts
// included, which replace the timer each time. Each fresh timer must draw
// its board, and at the end the last step, while the drags go on.
TEST_F(Events, EventsAndTheRealTimerShareTheGame) {
    ReplaceFrameTimer();
    int restarts = 0;
    for (int n = 1; n <= 30; n++) {
        Down(Px(0), Px(5));
        for (int x = 0; x < 4; x++) {
            Move(Px(x), Px(5));
            SDL_Delay(7);
        }
        Up();
        if (n % 5 == 0 && Press(8)) {
            Release(8);
            ReplaceFrameTimer();
            restarts++;
            EXPECT_TRUE(TimerDid([] { return isFirst == 0; })) << "restart " << restarts;
        }
    }
    // Left alone, the timer draws the last step and the board.
    EXPECT_TRUE(TimerDid([] { return isFirst == 0 && moved == 0 && ox == BL[ckPH].x; }));
    SDL_RemoveTimer(tmFrame);
    tmFrame = nullptr;
    SDL_Delay(2 * FRAME_PERIOD);
    EXPECT_EQ(6, restarts);
}

} // namespace

// Desktop keys act as the handheld's buttons, through the same flags.
namespace {

SDL_Event Key(Uint8 type, SDLKey sym) {
    SDL_Event e = {};
    e.type = type;
    e.key.type = type;
    e.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
    e.key.keysym.sym = sym;
    return e;
}

// One key event through the real dispatch.
Uint8 KeyPress(SDLKey k) {
    return HandleEvent(Key(SDL_KEYDOWN, k));
}
Uint8 KeyRelease(SDLKey k) {
    return HandleEvent(Key(SDL_KEYUP, k));
}

TEST_F(Events, KeysEachKeyDoesWhatItsButtonDoes) {
    currStage = 10;
    Start();
    EXPECT_EQ(1, KeyPress(SDLK_LEFT));
    EXPECT_EQ(9, currStage);
    EXPECT_EQ(1, isLkey);
    KeyRelease(SDLK_LEFT);
    EXPECT_EQ(0, isLkey);
    EXPECT_EQ(1, KeyPress(SDLK_PAGEUP));
    KeyRelease(SDLK_PAGEUP);
    EXPECT_EQ(8, currStage);
    EXPECT_EQ(1, KeyPress(SDLK_RIGHT));
    KeyRelease(SDLK_RIGHT);
    EXPECT_EQ(1, KeyPress(SDLK_PAGEDOWN));
    EXPECT_EQ(1, isRkey);
    KeyRelease(SDLK_PAGEDOWN);
    EXPECT_EQ(0, isRkey);
    EXPECT_EQ(10, currStage);

    // Backspace restarts: the block dragged over goes back.
    currStage = 0;
    Start();
    Drag(0, 5, 2, 5);
    ASSERT_EQ(1, movePoint);
    EXPECT_EQ(1, KeyPress(SDLK_BACKSPACE));
    EXPECT_EQ(1, isIKey);
    KeyRelease(SDLK_BACKSPACE);
    EXPECT_EQ(0, isIKey);
    EXPECT_EQ(0, currStage);
    EXPECT_EQ(0, movePoint);
    EXPECT_EQ(0, BL[4].x);

    // Other keys change nothing, and no flag.
    EXPECT_EQ(0, KeyPress(SDLK_a));
    EXPECT_EQ(0, KeyPress(SDLK_UP));
    EXPECT_EQ(0, KeyPress(SDLK_RETURN));
    EXPECT_EQ(0, isAkey + isBkey + isXkey + isYkey + isLkey + isRkey + isHomeKey + isIKey);
    EXPECT_EQ(0, currStage);
    EXPECT_EQ(0, done);

    // Escape is Home: the end while playing.
    EXPECT_EQ(0, KeyPress(SDLK_ESCAPE));
    EXPECT_EQ(1, isHomeKey);
    EXPECT_EQ(1, done);
}

TEST_F(Events, KeysAHeldKeyRepeatsUntilReleasedOrATouchUp) {
    currStage = 5;
    Start();
    KeyPress(SDLK_LEFT); // 4, and L stays held
    KeyPress(SDLK_RIGHT);
    EXPECT_EQ(4, currStage); // previous, then next
    KeyRelease(SDLK_LEFT);
    EXPECT_EQ(0, isLkey);
    KeyPress(SDLK_BACKSPACE); // R is still held: restart, then next
    EXPECT_EQ(5, currStage);
    KeyRelease(SDLK_BACKSPACE);
    // Right and Page Down are one button: either release lets go of it.
    KeyPress(SDLK_PAGEDOWN);
    EXPECT_EQ(6, currStage);
    KeyRelease(SDLK_RIGHT);
    EXPECT_EQ(0, isRkey);
    KeyPress(SDLK_RIGHT);
    EXPECT_EQ(7, currStage);
    Up(); // a touch-up forgets every held button
    EXPECT_EQ(0, isRkey);
    // A key release is a button release: a joystick button held as L is let
    // go by the Left key.
    Press(4);
    EXPECT_EQ(6, currStage);
    KeyRelease(SDLK_LEFT);
    EXPECT_EQ(0, isLkey);
}

TEST_F(Events, KeysInTheStageClearPauseKeysActAsTheButtonsDo) {
    SolveStage0();
    ASSERT_EQ(GAME_CLEARPAUSE, GAME);
    Up();
    // Escape does nothing in the pause, as Home does.
    KeyPress(SDLK_ESCAPE);
    KeyRelease(SDLK_ESCAPE);
    EXPECT_EQ(0, done);
    EXPECT_EQ(GAME_CLEARPAUSE, GAME);
    // Right moves on to the next stage at once.
    EXPECT_EQ(1, KeyPress(SDLK_RIGHT));
    KeyRelease(SDLK_RIGHT);
    EXPECT_EQ(1, currStage);
    EXPECT_EQ(GAME_PLAYING, GAME);

    // Left in the pause ends it on the stage before, as L does.
    StageClear();
    EXPECT_EQ(1, KeyPress(SDLK_LEFT));
    KeyRelease(SDLK_LEFT);
    EXPECT_EQ(0, currStage);
    EXPECT_EQ(GAME_PLAYING, GAME);

    // Backspace in the pause restarts the stage just cleared.
    currStage = 3;
    Start();
    StageClear();
    EXPECT_EQ(1, KeyPress(SDLK_BACKSPACE));
    KeyRelease(SDLK_BACKSPACE);
    EXPECT_EQ(3, currStage);
    EXPECT_EQ(GAME_PLAYING, GAME);
    EXPECT_EQ(0, movePoint);
}

} // namespace
