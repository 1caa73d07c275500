// Board and status drawing. Each routine draws onto a display filled with a
// mark colour; the result is compared pixel for pixel with a picture blitted
// here straight from the sheets, region by region as the layout places them.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <unistd.h>
#include <string>

#include "SDL_image.h"
#include "tombslide.h"

#include "quib_data.h"

namespace {

const Uint16 MARK = 0xF81F;

struct Copy {
    Sint8 slot;
    int sx, sy, w, h, dx, dy;
};
Copy Back(int x, int y, int w, int h) {
    return {scrBack, x, y, w, h, x, y};
}
Copy Frame(int x, int y, int w, int h, int v = 0) {
    return {scrBlock, x, y + 240 * v, w, h, x, y};
}
Copy Sprite(int sx, int sy, const _bl &b) {
    return {scrImage, sx, sy, 30 * b.w, 30 * b.h, 30 * (b.x + 1), 30 * (b.y + 1)};
}
Copy Small(int d, int dx) {
    return {scrBlock, 9 * d, 480, 9, 10, dx, 15};
}
Copy Large(int d, int dx, int dy) {
    return {scrDigit, 13 * d, 0, 13, 13, dx, dy};
}

Uint16 At(SDL_Surface *s, int x, int y) {
    return *(Uint16 *)((Uint8 *)s->pixels + y * s->pitch + x * 2);
}

// Pixels in which the display differs from MARK with the copies blitted on
// it (and with the surface `extra` at (ex, ey), when given).
int Diff(std::initializer_list<Copy> copies, SDL_Surface *extra = nullptr, int ex = 0, int ey = 0) {
    SDL_PixelFormat *f = cLCD.scr[0]->format;
    SDL_Surface *e = SDL_CreateRGBSurface(0, 320, 240, 16, f->Rmask, f->Gmask, f->Bmask, 0);
    SDL_FillRect(e, nullptr, MARK);
    for (const Copy &c : copies) {
        SDL_Rect src = {(Sint16)c.sx, (Sint16)c.sy, (Uint16)c.w, (Uint16)c.h};
        SDL_Rect dst = {(Sint16)c.dx, (Sint16)c.dy, 0, 0};
        SDL_BlitSurface(cLCD.scr[c.slot], &src, e, &dst);
    }
    SDL_Rect at = {(Sint16)ex, (Sint16)ey, 0, 0};
    if (extra) SDL_BlitSurface(extra, nullptr, e, &at);
    int n = 0;
    for (int y = 0; y < 240; y++)
        for (int x = 0; x < 320; x++)
            n += At(cLCD.scr[0], x, y) != At(e, x, y);
    SDL_FreeSurface(e);
    SDL_FillRect(cLCD.scr[0], nullptr, MARK);
    return n;
}

void SetBlock(int i, int x, int y, int w, int h, int type) {
    BL[i] = {(Sint8)x, (Sint8)y, (Uint8)w, (Uint8)h, (Uint8)type, 0};
}

std::string Printed(void (*f)()) {
    testing::internal::CaptureStdout();
    f();
    return testing::internal::GetCapturedStdout();
}

class Drawing : public testing::Test {
  protected:
    static void SetUpTestSuite() { LoadSheets(); }
    void SetUp() override {
        ResetGameState();
        SDL_FillRect(cLCD.scr[0], nullptr, MARK);
    }
};

} // namespace

TEST_F(Drawing, PutPHDrawsEachKindFromItsSprite) {
    ASSERT_EQ(scrImage, 2); // LoadSheets: slots 2 to 5 in order
    ASSERT_EQ(scrDigit, 5);
    struct {
        int x, y, w, h, type, sx, sy;
    } cases[] = {{4, 1, 1, 3, TYPE_VTRIPLE, 0, 0},   {0, 0, 1, 2, TYPE_VPAIR, 30, 0},
                 {1, 5, 3, 1, TYPE_HTRIPLE, 30, 60}, {2, 3, 2, 1, TYPE_HPAIR, 60, 0},
                 {0, 2, 2, 1, TYPE_TARGET, 60, 30},  {3, 2, 2, 1, 9, 60, 30}};
    for (auto &c : cases) {
        SetBlock(0, c.x, c.y, c.w, c.h, c.type);
        PutPH(0);
        EXPECT_EQ(Diff({Sprite(c.sx, c.sy, BL[0])}), 0) << "type " << c.type;
    }
}

// Background, block and the normal frame variant over the swept strip.
TEST_F(Drawing, PutBackPHRedrawsTheSweptStrip) {
    isClear[0] = 1; // a stage cleared before: the strip's frame is still the normal one
    SetBlock(0, 2, 3, 2, 1, TYPE_HPAIR), ox = 1, oy = 3;
    PutBackPH(0);
    EXPECT_EQ(
        Diff({Back(60, 120, 90, 30), {scrImage, 60, 0, 60, 30, 90, 120}, Frame(60, 120, 90, 30)}),
        0);
    SetBlock(0, 4, 2, 1, 3, TYPE_VTRIPLE), ox = 4, oy = 3;
    PutBackPH(0);
    EXPECT_EQ(
        Diff({Back(150, 90, 30, 120), {scrImage, 0, 0, 30, 90, 150, 90}, Frame(150, 90, 30, 120)}),
        0);
    SetBlock(0, 5, 2, 2, 1, TYPE_TARGET), ox = 4, oy = 2;
    PutBackPH(0);
    EXPECT_EQ(
        Diff({Back(150, 90, 90, 30), {scrImage, 60, 30, 60, 30, 180, 90}, Frame(150, 90, 90, 30)}),
        0);
}

TEST_F(Drawing, DrawPanUsesTheStagesFrameVariant) {
    mxPH = 2;
    SetBlock(0, 6, 2, 2, 1, TYPE_TARGET); // out in the exit opening, as after the clear
    SetBlock(1, 0, 0, 1, 2, TYPE_VPAIR);
    for (int flag : {0, 1, 7}) { // 7, from a damaged save, counts as cleared
        isClear[0] = (Uint8)flag;
        DrawPan();
        EXPECT_EQ(Diff({Back(0, 0, 320, 240),
                        {scrImage, 60, 30, 60, 30, 210, 90},
                        {scrImage, 30, 0, 30, 60, 30, 30},
                        Frame(0, 0, 320, 240, flag != 0)}),
                  0)
            << "isClear " << flag;
    }
}

TEST_F(Drawing, StatusNumbers) {
    Copy room = Frame(40, 15, 27, 10), best = {scrBlock, 186, 12, 39, 13, 184, 12},
         score = {scrBlock, 220, 6, 39, 13, 229, 6};
    struct {
        int stage;
        std::initializer_list<Copy> copies;
    } rooms[] = {{0, {room, Small(1, 58)}},
                 {9, {room, Small(1, 49), Small(0, 58)}},
                 {98, {room, Small(9, 49), Small(9, 58)}},
                 {99, {room, Small(1, 40), Small(0, 49), Small(0, 58)}},
                 {262, {room, Small(2, 40), Small(6, 49), Small(3, 58)}}};
    for (auto &c : rooms) {
        currStage = (Sint16)c.stage;
        EXPECT_EQ(Printed(DrawRoomNo), "\nDrawRoomNo");
        EXPECT_EQ(Diff(c.copies), 0) << "stage " << c.stage;
    }
    // Back from 100 to 99: the frame piece drawn again erases the hundreds
    // place. The expected picture is drawn in the same two passes: the
    // classic library's blend of an opaque pixel rounds short of the source,
    // so what lay below still shows in the lowest bit of a few pixels.
    currStage = 99;
    DrawRoomNo();
    currStage = 98;
    DrawRoomNo();
    EXPECT_EQ(
        Diff({room, Small(1, 40), Small(0, 49), Small(0, 58), room, Small(9, 49), Small(9, 58)}),
        0);

    currStage = 17, bestMove[17] = 7, isClear[17] = 1;
    EXPECT_EQ(Printed(DrawBest), "\nDrawBest");
    EXPECT_EQ(Diff({{scrBlock, 186, 252, 39, 13, 184, 12}, Large(0, 190, 12), Large(7, 203, 12)}),
              0);
    currStage = 300; // outside the table: no best
    DrawBest();
    EXPECT_EQ(Diff({best, Large(9, 190, 12), Large(9, 203, 12)}), 0);

    struct {
        int moves;
        std::initializer_list<Copy> copies;
    } scores[] = {{0, {score, Large(0, 229, 6), Large(0, 242, 6), Large(0, 255, 6)}},
                  {42, {score, Large(0, 229, 6), Large(4, 242, 6), Large(2, 255, 6)}},
                  {1234, {score, Large(3, 242, 6), Large(4, 255, 6)}}};
    for (auto &c : scores) {
        movePoint = (Sint16)c.moves;
        EXPECT_EQ(Printed(DrawScore), "\nDrawScore");
        EXPECT_EQ(Diff(c.copies), 0) << "moves " << c.moves;
    }
}

TEST_F(Drawing, DrawScreenAddsTheMarkAndAnUndecodableMarkDrawsNothing) {
    SDL_Surface *mark = IMG_Load(ASSETS_DIR "/quib.png");
    ASSERT_NE(mark, nullptr);
    DrawScreen();
    EXPECT_GT(Diff({}), 50); // something was drawn...
    DrawScreen();
    EXPECT_EQ(Diff({}, mark, 270, 229), 0); // ...the mark at (270, 229), and nothing else
    Class_Quib again(100, 100, iQuib, iQuib_size);
    again.Put(cLCD.scr[0]);
    EXPECT_EQ(Diff({}, mark, 100, 100), 0);
    SDL_FreeSurface(mark);

    const int junk[3] = {1, 2, 3};
    Class_Quib bad(0, 0, junk, sizeof junk);
    bad.Put(cLCD.scr[0]);
    EXPECT_EQ(Diff({}), 0);
}

// The snapshot tool's PNG holds exactly the frame the routines draw here.
TEST_F(Drawing, SnapshotWritesTheDrawnFrame) {
    const std::string tool = BINARY_DIR "/tools/snapshot/snapshot";
    const std::string png = testing::TempDir() + "snapshot_" + std::to_string(getpid()) + ".png";
    if (access(tool.c_str(), X_OK) != 0) GTEST_SKIP() << "snapshot not built";
    ASSERT_EQ(system((TOOL_RUNNER + tool + " 2 " + png + " --moves 42 >/dev/null").c_str()), 0);
    SDL_Surface *shot = IMG_Load(png.c_str());
    ASSERT_NE(shot, nullptr);
    ASSERT_EQ(shot->w, 320);
    ASSERT_EQ(shot->h, 240);
    currStage = 1, movePoint = 42;
    InitStage();
    DrawPan(), DrawBest(), DrawRoomNo(), DrawScore(), DrawScreen();
    int wrong = 0;
    for (int y = 0; y < 240; y++)
        for (int x = 0; x < 320; x++) {
            Uint8 r, g, b, sr, sg, sb;
            SDL_GetRGB(At(cLCD.scr[0], x, y), cLCD.scr[0]->format, &r, &g, &b);
            Uint8 *p = (Uint8 *)shot->pixels + y * shot->pitch + x * shot->format->BytesPerPixel;
            Uint32 v = 0;
            memcpy(&v, p, shot->format->BytesPerPixel);
            SDL_GetRGB(v, shot->format, &sr, &sg, &sb);
            wrong += r != sr || g != sg || b != sb;
        }
    EXPECT_EQ(wrong, 0);
    SDL_FreeSurface(shot);
    remove(png.c_str());
}
