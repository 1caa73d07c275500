// The game in a browser: its start, one pass of the event loop per animation
// frame with the 100 ms frame tick run from that loop, the pen, keys and
// gamepad buttons the page hands in, the save kept by the page, and the end.
//
// The browser has one thread and must get control back after every frame, so
// nothing here waits: the page's handlers queue the player's input, and each
// pass handles what is queued through the game's own HandleEvent, then runs
// DrawSet when a tick is due. The browser's SDL runs a timer only once, so
// the tick is timed here, from the same clock a fresh timer would start:
// whenever an event starts a stage, the next tick comes one period later.
// Left alone for a while, the game has nothing to do between ticks, so the
// passes then come only when a tick is due (the browser's animation frames
// alone keep a core busier than the game may be when idle); the player's
// next input brings back a pass per frame.
#include <cstdio>

#include <emscripten.h>

#include "joy.h"
#include "tombslide.h"

#define WEB_API extern "C" EMSCRIPTEN_KEEPALIVE

// Before the display is opened (draw.cpp): SDL running, the page's title.
int PrepareWindow() {
    if (SDL_Init(SDL_INIT_TIMER | SDL_INIT_AUDIO | SDL_INIT_VIDEO | SDL_INIT_JOYSTICK) < 0)
        return 0;
    SDL_WM_SetCaption("Tomb Slide", "Tomb Slide");
    return 1;
}

namespace {

// The player's input, queued by the page's handlers for the next pass.
const int QUEUE_SIZE = 256;
SDL_Event queue[QUEUE_SIZE];
int queueHead = 0, queueCount = 0;

double nextTick = 0; // when the next tick is due, on emscripten_get_now's clock
int ticks = 0;       // ticks run so far
bool running = false;

const double IDLE_AFTER = 2000; // ms without input before the passes slow down
double lastInput = 0;
bool everyFrame = true;

void Queue(const SDL_Event &event) {
    if (queueCount == QUEUE_SIZE) return; // a page that stopped drawing: drop
    queue[(queueHead + queueCount) % QUEUE_SIZE] = event;
    queueCount++;
    lastInput = emscripten_get_now();
    if (!everyFrame && running) {
        everyFrame = true;
        emscripten_set_main_loop_timing(EM_TIMING_RAF, 1);
    }
}

// After a pass: left alone, the next pass comes when the next tick is due.
void PlanNextPass(double now) {
    if (now - lastInput < IDLE_AFTER) return;
    everyFrame = false;
    emscripten_set_main_loop_timing(EM_TIMING_SETTIMEOUT, (int)(nextTick - now) + 1);
}

void RestartClock() {
    nextTick = emscripten_get_now() + FRAME_PERIOD;
}

// The game's display coordinates: the page clamps them to the screen.
Uint16 Clamp(int v, int max) {
    return (Uint16)(v < 0 ? 0 : v > max ? max : v);
}

// The page shows the game's picture; left alone, only if it changed.
void Present() {
    EM_ASM({ Module.present($0); }, everyFrame ? 0 : 1);
}

void End() {
    Present();
    running = false;
    emscripten_cancel_main_loop();
    Uint8 saved = EndGame();
    EM_ASM({ Module.gameEnded($0); }, saved);
}

// One pass of the event loop: what the browser's SDL queued (only its quit,
// sent when the page unloads: the pen and keys come from the page), then the
// player's input in order, then the tick if one is due.
void Pass() {
    SDL_Event event;
    bool drew = queueCount > 0; // the input may draw; a tick does
    while (SDL_PollEvent(&event))
        if (event.type == SDL_QUIT && HandleEvent(event)) RestartClock();
    while (queueCount > 0) {
        event = queue[queueHead];
        queueHead = (queueHead + 1) % QUEUE_SIZE;
        queueCount--;
        if (HandleEvent(event)) RestartClock();
    }
    if (done) {
        End();
        return;
    }
    double now = emscripten_get_now();
    if (now >= nextTick) {
        DrawSet(FRAME_PERIOD, nullptr);
        drew = true;
        ticks++;
        // Every 100 ms on average; after the page was hidden no burst of ticks.
        nextTick += FRAME_PERIOD;
        if (nextTick <= now) nextTick = now + FRAME_PERIOD;
    }
    if (drew) Present();
    PlanNextPass(now);
}

// Runs f under the game lock, as the event loop does; a stage it started
// times the next tick afresh.
template <typename F> auto Locked(F f) {
    LockGame();
    auto result = f();
    Uint8 stale = frameTimerStale;
    frameTimerStale = 0;
    UnlockGame();
    if (stale) RestartClock();
    return result;
}

} // namespace

// The pen: kind 0 down, 1 moved, 2 up, at (x, y) on the 320x240 screen.
WEB_API void WebPen(int kind, int x, int y) {
    SDL_Event e = {};
    if (kind == 1) {
        e.type = SDL_MOUSEMOTION;
        e.motion.x = Clamp(x, 319);
        e.motion.y = Clamp(y, 239);
    } else {
        e.type = kind == 0 ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
        e.button.button = SDL_BUTTON_LEFT;
        e.button.x = Clamp(x, 319);
        e.button.y = Clamp(y, 239);
    }
    Queue(e);
}

// A desktop key the game knows, by its place in this list (the page names
// the same keys in the same order), pressed or released; ctrl for Ctrl held.
WEB_API void WebKey(int down, int key, int ctrl) {
    static const SDLKey KEYS[] = {SDLK_LEFT,     SDLK_RIGHT,     SDLK_PAGEUP,
                                  SDLK_PAGEDOWN, SDLK_BACKSPACE, SDLK_ESCAPE,
                                  SDLK_u,        SDLK_z,         SDLK_h};
    if (key < 0 || key >= (int)(sizeof KEYS / sizeof KEYS[0])) return;
    SDL_Event e = {};
    e.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    e.key.keysym.sym = KEYS[key];
    e.key.keysym.mod = ctrl ? KMOD_LCTRL : KMOD_NONE;
    Queue(e);
}

// A gamepad button, by the handheld's button number.
WEB_API void WebButton(int down, int button) {
    SDL_Event e = {};
    e.type = down ? SDL_JOYBUTTONDOWN : SDL_JOYBUTTONUP;
    e.jbutton.button = (Uint8)button;
    Queue(e);
}

// Writes save.dat of the game as it stands, for the page to keep. 1 when it
// was written; 0 also once the game has ended (it saved then).
WEB_API int WebSave() {
    if (!running) return 0;
    return Locked([] { return SaveGame(); });
}

// Offers a save file's bytes to the game's own loader. When the whole of it
// can be used (progress and board), the game goes on from it and 1 is
// returned; otherwise 0, with why the file was refused in why, and the game
// as it was. The game's state is kept in save.dat first, so that a file
// whose progress could be read but not its board puts nothing of itself in.
WEB_API int WebLoadSave(const Uint8 *data, int len, char *why, int whySize) {
    if (!running) return 0;
    return Locked([&] {
        static Uint8 kept[1024];
        int keptLen = 0;
        SaveGame();
        if (FILE *f = fopen("save.dat", "rb")) {
            keptLen = (int)fread(kept, 1, sizeof kept, f);
            fclose(f);
        }
        bool extended;
        why[0] = '\0';
        SaveVerdict v = ReadSave(data, len, &extended, why, (size_t)whySize);
        if (v == SAVE_NOTHING) return 0; // nothing of it was taken
        if (v != SAVE_ALL) {
            // Its progress was taken: the kept game comes back, as resumed.
            char ignored[128];
            ReadSave(kept, keptLen, &extended, ignored, sizeof ignored);
            Start();
            return 0;
        }
        Start(); // the loaded board, as at a start with that save
        SaveGame();
        return 1;
    });
}

// The ticks run so far, the stage being played (its index) and its move
// count, for the page's tests and benchmark.
WEB_API int WebTicks() {
    return ticks;
}
WEB_API int WebStage() {
    return currStage;
}
WEB_API int WebMoves() {
    return movePoint;
}

int main(int, char **) {
    puts("\nmain");
    if (!Init()) {
        EM_ASM({ Module.gameFailed(); });
        return 1;
    }
    // The page unlocks the sound from the player's first touch, click or key.
    EM_ASM({
        Module.audioContext = function() {
            return SDL.audioContext;
        };
    });
    InitStick();
    BeginGame();
    running = true;
    lastInput = emscripten_get_now();
    RestartClock();
    emscripten_set_main_loop(Pass, 0, 0);
    return 0;
}
