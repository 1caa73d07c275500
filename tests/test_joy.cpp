// The buttons layer: the button-number table, the flags, opening joysticks,
// and the pen's rectangle test.
#include <gtest/gtest.h>

#include <dlfcn.h>

#include <string>

#include "joy.h"
#include "pen.h"

namespace {

Uint8 *const FLAGS[10] = {&isAkey, &isBkey,    &isXkey, &isYkey,  &isLkey,
                          &isRkey, &isHomeKey, &isIKey, &isIIKey, &isTactKey};

// The flag each button number drives, as an index into FLAGS; -1 for none:
// A, X, B, Y, L, R, Home, -, I, II, six unused numbers, Tact.
const int FLAG_OF[17] = {0, 2, 1, 3, 4, 5, 6, -1, 7, 8, -1, -1, -1, -1, -1, -1, 9};

int Expected(int button) {
    return button < 17 ? FLAG_OF[button] : -1;
}

SDL_Event Button(Uint8 type, int button, int which = 0) {
    SDL_Event e = {};
    e.type = type;
    e.jbutton.type = type;
    e.jbutton.which = (Uint8)which;
    e.jbutton.button = (Uint8)button;
    e.jbutton.state = type == SDL_JOYBUTTONDOWN ? SDL_PRESSED : SDL_RELEASED;
    return e;
}

int SetCount() {
    int n = 0;
    for (Uint8 *f : FLAGS)
        n += *f;
    return n;
}

TEST(Buttons, EachNumberDrivesItsOwnFlagOnEveryJoystick) {
    for (int which = 0; which < 2; which++)
        for (int b = 0; b < 256; b++) {
            AllKeyClear();
            KeyDown(Button(SDL_JOYBUTTONDOWN, b, which));
            int f = Expected(b);
            if (f < 0) {
                ASSERT_EQ(0, SetCount()) << "button " << b;
                continue;
            }
            ASSERT_EQ(1, *FLAGS[f]) << "button " << b;
            ASSERT_EQ(1, SetCount()) << "button " << b;
            KeyUp(Button(SDL_JOYBUTTONUP, b, which));
            ASSERT_EQ(0, SetCount()) << "button " << b;
        }
}

TEST(Buttons, UnknownNumbersLeaveHeldFlagsAlone) {
    AllKeyClear();
    KeyDown(Button(SDL_JOYBUTTONDOWN, 4));
    for (int b : {7, 10, 15, 17, 255}) {
        KeyDown(Button(SDL_JOYBUTTONDOWN, b));
        KeyUp(Button(SDL_JOYBUTTONUP, b));
    }
    EXPECT_EQ(1, isLkey);
    EXPECT_EQ(1, SetCount());
    // A release of a button that is not held leaves its flag at 0.
    KeyUp(Button(SDL_JOYBUTTONUP, 5));
    EXPECT_EQ(0, isRkey);
    for (int b = 0; b < 17; b++)
        KeyDown(Button(SDL_JOYBUTTONDOWN, b));
    EXPECT_EQ(10, SetCount());
    AllKeyClear();
    EXPECT_EQ(0, SetCount());
}

TEST(Pen, AllFourEdgesAreOutside) {
    SDL_Event e = {};
    e.type = SDL_MOUSEBUTTONDOWN;
    auto at = [&e](int x, int y) {
        e.button.x = (Uint16)x;
        e.button.y = (Uint16)y;
        return PenRect(e, 6, 210, 30, 30);
    };
    EXPECT_EQ(1, at(7, 211));
    EXPECT_EQ(1, at(35, 239));
    EXPECT_EQ(0, at(6, 220));
    EXPECT_EQ(0, at(36, 220));
    EXPECT_EQ(0, at(20, 210));
    EXPECT_EQ(0, at(20, 240));
    // A motion event's point lies in the same place.
    SDL_Event m = {};
    m.type = SDL_MOUSEMOTION;
    m.motion.x = 20;
    m.motion.y = 220;
    EXPECT_EQ(1, PenRect(m, 6, 210, 30, 30));
    // Near the top of the 16-bit range the sums must not wrap round.
    e.button.x = 65534;
    e.button.y = 65534;
    EXPECT_EQ(1, PenRect(e, 65530, 65530, 10, 10));
}

// SDL 2's virtual joysticks, reached under the 1.2 layer, stand in for pads.
typedef int (*AttachFn)(int type, int axes, int buttons, int hats);
typedef int (*InitFn)(Uint32 flags);
typedef int (*DetachFn)(int index);
typedef int (*CountFn)();

std::string OpenSticks() {
    testing::internal::CaptureStdout();
    InitStick();
    fflush(stdout);
    return testing::internal::GetCapturedStdout();
}

// Each test opens the joysticks afresh: whatever a test opened or attached is
// closed and detached again afterwards, so the next one starts with none.
class Sticks : public testing::Test {
  protected:
    void TearDown() override {
        for (SDL_Joystick *&j : _joystick) {
            if (j) SDL_JoystickClose(j);
            j = nullptr;
        }
        numJOY = 0;
        SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
        if (!sdl2) return;
        DetachFn detach = (DetachFn)dlsym(sdl2, "SDL_JoystickDetachVirtual");
        CountFn count = (CountFn)dlsym(sdl2, "SDL_NumJoysticks");
        InitFn quit2 = (InitFn)dlsym(sdl2, "SDL_QuitSubSystem");
        while (detach && count && count() > 0 && detach(0) == 0) {
        }
        if (quit2) quit2(SDL_INIT_JOYSTICK);
        sdl2 = nullptr;
    }
    void *sdl2 = nullptr; // SDL 2 underneath, once a test has reached for it
};

TEST_F(Sticks, NoneMeansNoLines) {
    ASSERT_EQ(0, SDL_InitSubSystem(SDL_INIT_JOYSTICK));
    EXPECT_EQ("", OpenSticks());
    EXPECT_EQ(0, numJOY);
}

TEST_F(Sticks, AtMostFiveAreOpened) {
    // Virtual joysticks come from SDL 2, which only the compat layer of
    // SDL 1.2 runs on; the classic library has none.
    if (!dlsym(RTLD_DEFAULT, "SDL12COMPAT_GetWindow")) GTEST_SKIP() << "classic SDL 1.2";
    sdl2 = dlopen("libSDL2-2.0.so.0", RTLD_NOW);
    if (!sdl2) GTEST_SKIP() << "no SDL 2 underneath";
    AttachFn attach = (AttachFn)dlsym(sdl2, "SDL_JoystickAttachVirtual");
    InitFn init2 = (InitFn)dlsym(sdl2, "SDL_InitSubSystem");
    ASSERT_NE(nullptr, attach);
    ASSERT_NE(nullptr, init2);
    ASSERT_EQ(0, SDL_InitSubSystem(SDL_INIT_JOYSTICK));
    SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
    ASSERT_EQ(0, init2(SDL_INIT_JOYSTICK));
    for (int i = 0; i < 7; i++)
        ASSERT_LE(0, attach(1, 2, 17, 1));
    ASSERT_EQ(0, SDL_InitSubSystem(SDL_INIT_JOYSTICK));
    ASSERT_EQ(7, SDL_NumJoysticks());

    std::string lines = OpenSticks();
    EXPECT_EQ(7, numJOY);
    std::string expected;
    for (int i = 0; i < 5; i++) {
        expected += "Joy[" + std::to_string(i) + "] - [2 Axes], [1 Hats], [17 buttons]\n";
        EXPECT_NE(nullptr, _joystick[i]) << i;
    }
    EXPECT_EQ(expected, lines);
}

} // namespace
