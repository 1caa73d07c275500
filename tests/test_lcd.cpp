// Surface manager, on the program's static cLCD (320 x 240, built before
// main). Every test starts from a manager built afresh, holding only the
// display and the back buffer, as the program has it at start.
#include <gtest/gtest.h>

#include <new>
#include <string>

#include "tombslide.h"

#include "block.h"
#include "digit.h"

namespace {

const Uint16 MARK = 0xF81F; // never produced by Pattern

Uint16 &At(Uint8 slot, int x, int y) {
    SDL_Surface *s = cLCD.scr[slot];
    return *(Uint16 *)((Uint8 *)s->pixels + y * s->pitch + x * 2);
}
Uint16 Pattern(int x, int y) {
    return (Uint16)((x + 1) | y << 9);
}

// A 16-bit slot whose every pixel names its own position.
Sint8 PatternSlot() {
    Sint8 n = cLCD.AddScreen(320, 64, 16);
    for (int y = 0; y < 64; y++)
        for (int x = 0; x < 320; x++)
            At(n, x, y) = Pattern(x, y);
    return n;
}

// Pixels of the slot that are not MARK; the slot is then filled with MARK.
int Drawn(Uint8 slot) {
    SDL_Surface *s = cLCD.scr[slot];
    int n = 0;
    for (int y = 0; y < s->h; y++)
        for (int x = 0; x < s->w; x++)
            n += At(slot, x, y) != MARK;
    SDL_FillRect(s, nullptr, MARK);
    return n;
}

std::string Printed(void (*f)()) {
    testing::internal::CaptureStdout();
    f();
    return testing::internal::GetCapturedStdout();
}

// Frees the slots the last test took and builds the manager again in place.
class SurfaceManager : public testing::Test {
  protected:
    void SetUp() override {
        testing::internal::CaptureStdout(); // the constructor's progress lines
        cLCD.~Class_LCD();
        new (&cLCD) Class_LCD(320, 240);
        testing::internal::GetCapturedStdout();
        ASSERT_NE(nullptr, cLCD.scr[0]);
        ASSERT_NE(nullptr, cLCD.scr[1]);
        ASSERT_EQ(nullptr, cLCD.scr[2]);
    }
};

} // namespace

TEST_F(SurfaceManager, RGB2Color16Bit) {
    EXPECT_EQ(cLCD.RGB2Color16Bit(255, 255, 255), 0xFFFF);
    EXPECT_EQ(cLCD.RGB2Color16Bit(255, 0, 0), 0xF800);
    EXPECT_EQ(cLCD.RGB2Color16Bit(0, 255, 0), 0x07E0);
    EXPECT_EQ(cLCD.RGB2Color16Bit(0, 0, 255), 0x001F);
    EXPECT_EQ(cLCD.RGB2Color16Bit(128, 128, 128), 0x8410);
    EXPECT_EQ(cLCD.RGB2Color16Bit(7, 3, 7), 0);
}

// The cut is against the display's size whatever the destination, so a
// destination larger than the display shows exactly what it let through.
TEST_F(SurfaceManager, PutSurfaceEdgeCut) {
    Sint8 src = PatternSlot(), big = cLCD.AddScreen(330, 250, 16);
    Drawn(big);
    cLCD.PutSurface(src, big, 50, 5, -10, 7, 30, 4); // 20 columns from sx + 10 at x 0
    EXPECT_EQ(At(big, 0, 7), Pattern(60, 5));
    EXPECT_EQ(At(big, 19, 10), Pattern(79, 8));
    EXPECT_EQ(Drawn(big), 20 * 4);
    cLCD.PutSurface(src, big, 50, 5, -30, 7, 30, 4);
    EXPECT_EQ(Drawn(big), 0);
    cLCD.PutSurface(src, big, 0, 0, 300, 0, 22, 1); // cut to 20
    EXPECT_EQ(At(big, 319, 0), Pattern(19, 0));
    EXPECT_EQ(Drawn(big), 20);
    cLCD.PutSurface(src, big, 0, 0, 300, 0, 21, 1); // not cut: column 320 too
    EXPECT_EQ(At(big, 320, 0), Pattern(20, 0));
    EXPECT_EQ(Drawn(big), 21);
    cLCD.PutSurface(src, big, 0, 0, 320, 0, 10, 1);
    EXPECT_EQ(Drawn(big), 0);
    cLCD.PutSurface(src, big, 0, 0, 0, 230, 1, 12); // bottom: cut to 10
    EXPECT_EQ(Drawn(big), 10);
    cLCD.PutSurface(src, big, 0, 0, 0, 230, 1, 11);
    EXPECT_EQ(Drawn(big), 11);
}

TEST_F(SurfaceManager, CopySurfaceOfThe320x490SheetCopiesItsTop320x240) {
    Sint8 sheet = cLCD.LoadScreen(iBlock, iBlock_size), tall = cLCD.AddScreen(320, 490, 16);
    ASSERT_EQ(cLCD.scr[sheet]->h, 490);
    Drawn(tall);
    cLCD.CopySurface(sheet, tall);
    EXPECT_NE(At(tall, 0, 0), MARK);     // opaque top band
    EXPECT_EQ(At(tall, 120, 120), MARK); // clear window over the board
    int below = 0;
    for (int y = 240; y < 490; y++)
        for (int x = 0; x < 320; x++)
            below += At(tall, x, y) != MARK;
    EXPECT_EQ(below, 0);
}

TEST_F(SurfaceManager, GetBackThenPutBackRestoresTheRegion) {
    Sint8 src = PatternSlot();
    cLCD.PutSurface(src, 0, 0, 0, 0, 0, 320, 64);
    Uint16 corner = At(0, 10, 20), far = At(0, 59, 59);
    cLCD.GetBack(10, 20, 50, 40);
    Drawn(0);
    cLCD.PutBack();
    EXPECT_EQ(At(0, 10, 20), corner);
    EXPECT_EQ(At(0, 59, 59), far);
    EXPECT_EQ(Drawn(0), 50 * 40);
}

// Failed requests print their message; an empty slot draws nothing.
TEST_F(SurfaceManager, FailedLoadsAndEmptySlots) {
    static Sint8 slot;
    static const int junk[4] = {0x12345678, 0x0BADF00D, 42, 7};
    static char missing[] = "/nonexistent/none.png", digits[] = ASSETS_DIR "/digit.png";
    EXPECT_EQ(Printed([] { slot = cLCD.AddScreen(10, 10, 8); }).rfind("Unable to Add Screen: ", 0),
              0u);
    EXPECT_EQ(cLCD.scr[slot], nullptr);
    std::string out = Printed([] { slot = cLCD.LoadScreen(junk, sizeof junk); });
    EXPECT_EQ(out.rfind("Unable to Load Image: ", 0), 0u);
    EXPECT_GT(out.size(), 23u); // SDL's reason follows
    EXPECT_EQ(cLCD.scr[slot], nullptr);
    EXPECT_EQ(cLCD.AddScreen(4, 4, 16), slot + 1); // the failed slot was counted
    Drawn(0);
    cLCD.CopySurface(slot, 0);
    cLCD.PutSurface(slot, 0, 0, 0, 0, 0, 320, 240);
    cLCD.FillBox(slot, 0, 0, 10, 10, 0);
    EXPECT_EQ(Drawn(0), 0);

    EXPECT_EQ(
        Printed([] { slot = cLCD.LoadScreenFile(missing); }).rfind("Unable to Load File: ", 0), 0u);
    EXPECT_EQ(slot, -1);
    Sint8 next = cLCD.AddScreen(4, 4, 16) + 1; // a failed file takes no slot
    slot = cLCD.LoadScreenFile(digits);
    EXPECT_EQ(slot, next);
    EXPECT_EQ(Printed([] { cLCD.LoadScreenFile(slot, missing); }).rfind("Unable to Load File: ", 0),
              0u);
    EXPECT_EQ(cLCD.scr[slot], nullptr);
    SDL_Surface *display = cLCD.scr[0];
    cLCD.LoadScreenFile(0, digits); // the display is never replaced
    EXPECT_EQ(cLCD.scr[0], display);
}

TEST_F(SurfaceManager, FullTableRefusesNewSlotsSilently) {
    Sint8 n;
    while ((n = cLCD.AddScreen(2, 2, 16)) >= 0 && n < 29) {
    }
    ASSERT_EQ(n, 29);
    SDL_Surface *last = cLCD.scr[29];
    EXPECT_EQ(Printed([] {
                  static char digits[] = ASSETS_DIR "/digit.png";
                  EXPECT_EQ(cLCD.AddScreen(2, 2, 16), -1);
                  EXPECT_EQ(cLCD.LoadScreen(iDigit, iDigit_size), -1);
                  EXPECT_EQ(cLCD.LoadScreenFile(digits), -1);
              }),
              "");
    EXPECT_EQ(cLCD.scr[29], last);
}
