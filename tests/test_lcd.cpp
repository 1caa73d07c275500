// Surface manager: the edge cut of PutSurface, whole-sheet copies, colour
// packing, saving and restoring a display region, failed loads and the limits
// of the slot table. Pixels are read back from the surfaces themselves.
//
// The manager is the program's static cLCD (320x240, built before main). The
// tests take slots as they go; the last test fills the table.
#include <gtest/gtest.h>

#include <string>

#include "SDL_image.h"
#include "tombslide.h"

#include "block.h"
#include "digit.h"

namespace {

const Uint16 MARK = 0xF81F; // magenta, never produced by the source pattern below

Uint16 Pixel16(SDL_Surface *s, int x, int y) {
    return *(Uint16 *)((Uint8 *)s->pixels + y * s->pitch + x * 2);
}

void SetPixel16(SDL_Surface *s, int x, int y, Uint16 v) {
    *(Uint16 *)((Uint8 *)s->pixels + y * s->pitch + x * 2) = v;
}

// A 16-bit slot whose pixel (x, y) holds (x + 1) | y << 9: every pixel names
// its own source position (x < 320, y < 64).
Sint8 PatternSlot() {
    Sint8 n = cLCD.AddScreen(320, 64, 16);
    SDL_Surface *s = cLCD.scr[n];
    for (int y = 0; y < s->h; y++)
        for (int x = 0; x < s->w; x++)
            SetPixel16(s, x, y, (Uint16)((x + 1) | y << 9));
    return n;
}

Uint16 Source(int x, int y) {
    return (Uint16)((x + 1) | y << 9);
}

// Fills a whole slot with the mark colour.
void Clear(Uint8 slot) {
    SDL_Surface *s = cLCD.scr[slot];
    SDL_FillRect(s, nullptr, MARK);
}

// Number of pixels of a 16-bit slot that are not the mark colour.
int Drawn(Uint8 slot) {
    SDL_Surface *s = cLCD.scr[slot];
    int n = 0;
    for (int y = 0; y < s->h; y++)
        for (int x = 0; x < s->w; x++)
            n += Pixel16(s, x, y) != MARK;
    return n;
}

} // namespace

TEST(SurfaceManager, DisplayAndBackBufferAreMadeBeforeMain) {
    SDL_Surface *d = cLCD.scr[0];
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(d->w, 320);
    EXPECT_EQ(d->h, 240);
    EXPECT_EQ(d->format->BitsPerPixel, 16);
    SDL_Surface *b = cLCD.scr[1];
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->w, 320);
    EXPECT_EQ(b->h, 240);
    EXPECT_EQ(b->format->Rmask, 0xF800u);
    EXPECT_EQ(b->format->Gmask, 0x07E0u);
    EXPECT_EQ(b->format->Bmask, 0x001Fu);
    EXPECT_EQ(b->format->Amask, 0u);
}

TEST(SurfaceManager, RGB2Color16BitKeepsTheTopBitsOfEachChannel) {
    EXPECT_EQ(cLCD.RGB2Color16Bit(255, 255, 255), 0xFFFF);
    EXPECT_EQ(cLCD.RGB2Color16Bit(255, 0, 0), 0xF800);
    EXPECT_EQ(cLCD.RGB2Color16Bit(0, 255, 0), 0x07E0);
    EXPECT_EQ(cLCD.RGB2Color16Bit(0, 0, 255), 0x001F);
    EXPECT_EQ(cLCD.RGB2Color16Bit(128, 128, 128), 0x8410);
    EXPECT_EQ(cLCD.RGB2Color16Bit(7, 3, 7), 0);
    // Each channel lands in its own bits: the back buffer's masks agree.
    EXPECT_EQ(cLCD.RGB2Color16Bit(8, 4, 8), 0x0821);
}

// The cut works against the display's size (320 x 240) whatever the
// destination is, so a destination wider and taller than the display shows
// exactly what the cut let through.
TEST(SurfaceManager, PutSurfaceCutsAgainstTheDisplaySize) {
    Sint8 src = PatternSlot();
    Sint8 wide = cLCD.AddScreen(330, 250, 16);
    ASSERT_GE(wide, 0);
    SDL_Surface *w = cLCD.scr[wide];

    // Left cut: dx -10, w 30 draws 20 columns, from sx + 10, at x 0.
    Clear(wide);
    cLCD.PutSurface(src, wide, 50, 5, -10, 7, 30, 4);
    EXPECT_EQ(Drawn(wide), 20 * 4);
    EXPECT_EQ(Pixel16(w, 0, 7), Source(60, 5));
    EXPECT_EQ(Pixel16(w, 19, 10), Source(79, 8));
    EXPECT_EQ(Pixel16(w, 20, 7), MARK);

    // dx -30 with w 30 (or less) leaves nothing to draw.
    Clear(wide);
    cLCD.PutSurface(src, wide, 50, 5, -30, 7, 30, 4);
    cLCD.PutSurface(src, wide, 50, 5, -30, 7, 12, 4);
    EXPECT_EQ(Drawn(wide), 0);

    // Top cut: dy -3, h 5 draws 2 rows, from sy + 3, at y 0.
    Clear(wide);
    cLCD.PutSurface(src, wide, 4, 10, 100, -3, 6, 5);
    EXPECT_EQ(Drawn(wide), 6 * 2);
    EXPECT_EQ(Pixel16(w, 100, 0), Source(4, 13));
    EXPECT_EQ(Pixel16(w, 105, 1), Source(9, 14));

    // Right cut: dx 300, w 22 is cut to 20 columns (x 300 to 319)...
    Clear(wide);
    cLCD.PutSurface(src, wide, 0, 0, 300, 0, 22, 1);
    EXPECT_EQ(Drawn(wide), 20);
    EXPECT_EQ(Pixel16(w, 319, 0), Source(19, 0));
    EXPECT_EQ(Pixel16(w, 320, 0), MARK);
    // ...while w 21 reaches one column past the display and is not cut.
    Clear(wide);
    cLCD.PutSurface(src, wide, 0, 0, 300, 0, 21, 1);
    EXPECT_EQ(Drawn(wide), 21);
    EXPECT_EQ(Pixel16(w, 320, 0), Source(20, 0));
    // dx 320 draws nothing.
    Clear(wide);
    cLCD.PutSurface(src, wide, 0, 0, 320, 0, 10, 1);
    EXPECT_EQ(Drawn(wide), 0);

    // Bottom cut, the same rule: dy 230, h 12 is cut to 10 rows, h 11 is not.
    Clear(wide);
    cLCD.PutSurface(src, wide, 0, 0, 0, 230, 1, 12);
    EXPECT_EQ(Drawn(wide), 10);
    Clear(wide);
    cLCD.PutSurface(src, wide, 0, 0, 0, 230, 1, 11);
    EXPECT_EQ(Drawn(wide), 11);
    EXPECT_EQ(Pixel16(w, 0, 240), Source(0, 10));

    // On the display itself SDL drops the column past the edge.
    Clear(0);
    cLCD.PutSurface(src, 0, 0, 0, 300, 0, 21, 1);
    EXPECT_EQ(Drawn(0), 20);
    EXPECT_EQ(Pixel16(cLCD.scr[0], 319, 0), Source(19, 0));
}

TEST(SurfaceManager, CopySurfaceOfTheFrameSheetCopiesOnlyItsTop320x240) {
    Sint8 sheet = cLCD.LoadScreen(iBlock, iBlock_size);
    ASSERT_GE(sheet, 0);
    ASSERT_NE(cLCD.scr[sheet], nullptr);
    ASSERT_EQ(cLCD.scr[sheet]->h, 490);
    Sint8 tall = cLCD.AddScreen(320, 490, 16);
    Clear(tall);
    cLCD.CopySurface(sheet, tall);
    SDL_Surface *t = cLCD.scr[tall];
    int below = 0, band = 0;
    for (int y = 0; y < 490; y++)
        for (int x = 0; x < 320; x++) {
            if (y >= 240) below += Pixel16(t, x, y) != MARK;
            if (y < 25 && x < 269) band += Pixel16(t, x, y) != MARK;
        }
    EXPECT_EQ(below, 0);                   // the cleared variant and the small digits stay behind
    EXPECT_EQ(band, 25 * 269);             // the opaque top band came across
    EXPECT_EQ(Pixel16(t, 120, 120), MARK); // the window over the board is clear
}

TEST(SurfaceManager, GetBackAndPutBackRestoreTheSavedRegion) {
    Sint8 src = PatternSlot();
    Clear(0);
    cLCD.PutSurface(src, 0, 0, 0, 0, 0, 320, 64);
    cLCD.PutSurface(src, 0, 0, 0, 0, 64, 320, 64);
    SDL_Surface *d = cLCD.scr[0];
    Uint16 before[40][50];
    for (int y = 0; y < 40; y++)
        for (int x = 0; x < 50; x++)
            before[y][x] = Pixel16(d, 10 + x, 20 + y);

    cLCD.GetBack(10, 20, 50, 40);
    Clear(0);
    cLCD.PutBack();
    int wrong = 0;
    for (int y = 0; y < 40; y++)
        for (int x = 0; x < 50; x++)
            wrong += Pixel16(d, 10 + x, 20 + y) != before[y][x];
    EXPECT_EQ(wrong, 0);
    EXPECT_EQ(Drawn(0), 50 * 40); // nothing outside the region came back
    // The region keeps its place: a second PutBack draws the same again.
    cLCD.FillBox(0, 10, 20, 50, 40, MARK);
    cLCD.PutBack();
    EXPECT_EQ(Pixel16(d, 10, 20), before[0][0]);
    EXPECT_EQ(Pixel16(d, 59, 59), before[39][49]);
    cLCD.RestoreBack(); // shows the region; on the dummy driver there is nothing to see
}

TEST(SurfaceManager, FillBoxFillsAndClipsToTheSlot) {
    Sint8 n = cLCD.AddScreen(20, 10, 16);
    Clear(n);
    cLCD.FillBox(n, 15, 8, 10, 10, cLCD.RGB2Color16Bit(0, 255, 0));
    EXPECT_EQ(Drawn(n), 5 * 2);
    EXPECT_EQ(Pixel16(cLCD.scr[n], 19, 9), 0x07E0);
    EXPECT_EQ(Pixel16(cLCD.scr[n], 14, 9), MARK);
}

// A slot left empty by a failed request draws nothing, whichever operation
// reads or writes it.
TEST(SurfaceManager, FailedRequestsReportAndLeaveTheirSlotEmpty) {
    testing::internal::CaptureStdout();
    Sint8 bad = cLCD.AddScreen(10, 10, 8);
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(out.rfind("Unable to Add Screen: ", 0), 0u) << out;
    ASSERT_GE(bad, 2);
    EXPECT_EQ(cLCD.scr[bad], nullptr);
    EXPECT_EQ(cLCD.AddScreen(4, 4, 16), bad + 1); // the failed slot was counted

    const int junk[4] = {0x12345678, 0x0BADF00D, 42, 7};
    testing::internal::CaptureStdout();
    Sint8 img = cLCD.LoadScreen(junk, sizeof junk);
    out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(out.rfind("Unable to Load Image: ", 0), 0u) << out;
    EXPECT_GT(out.size(), std::string("Unable to Load Image: \n").size()); // SDL's reason
    EXPECT_EQ(cLCD.scr[img], nullptr);
    EXPECT_EQ(cLCD.AddScreen(4, 4, 16), img + 1);

    Clear(0);
    cLCD.PutSurface(img, 0, 0, 0, 0, 0, 320, 240);
    cLCD.CopySurface(img, 0);
    cLCD.CopySurface(bad, 0);
    cLCD.FillBox(img, 0, 0, 10, 10, 0);
    EXPECT_EQ(Drawn(0), 0);

    // A missing file is not counted: the next good load takes the same slot.
    char missing[] = "/nonexistent/tombslide/none.png";
    char digits[] = ASSETS_DIR "/digit.png";
    testing::internal::CaptureStdout();
    EXPECT_EQ(cLCD.LoadScreenFile(missing), -1);
    out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(out.rfind("Unable to Load File: ", 0), 0u) << out;
    Sint8 next = cLCD.AddScreen(4, 4, 16);
    Sint8 file = cLCD.LoadScreenFile(digits);
    EXPECT_EQ(file, next + 1);
    ASSERT_NE(cLCD.scr[file], nullptr);
    EXPECT_EQ(cLCD.scr[file]->w, 130);

    // Loading into a given slot replaces its surface, or empties it.
    char frame[] = ASSETS_DIR "/block.png";
    cLCD.LoadScreenFile(file, frame);
    ASSERT_NE(cLCD.scr[file], nullptr);
    EXPECT_EQ(cLCD.scr[file]->h, 490);
    testing::internal::CaptureStdout();
    cLCD.LoadScreenFile(file, missing);
    out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(out.rfind("Unable to Load File: ", 0), 0u) << out;
    EXPECT_EQ(cLCD.scr[file], nullptr);
    // The display is never replaced.
    SDL_Surface *display = cLCD.scr[0];
    cLCD.LoadScreenFile(0, digits);
    EXPECT_EQ(cLCD.scr[0], display);
}

// Fills the table: keep this test last in the file.
TEST(SurfaceManager, ZZFullTableRefusesEveryNewSlotWithMinusOne) {
    Sint8 n = 0;
    while ((n = cLCD.AddScreen(2, 2, 16)) >= 0 && n < 29) {
    }
    ASSERT_EQ(n, 29); // the last slot is still handed out
    SDL_Surface *last = cLCD.scr[29];

    char digits[] = ASSETS_DIR "/digit.png";
    testing::internal::CaptureStdout();
    EXPECT_EQ(cLCD.AddScreen(2, 2, 16), -1);
    EXPECT_EQ(cLCD.LoadScreen(iDigit, iDigit_size), -1);
    EXPECT_EQ(cLCD.LoadScreenFile(digits), -1);
    cLCD.LoadScreenFile(30, digits);
    cLCD.LoadScreenFile(255, digits);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(cLCD.scr[29], last);
    // Copies naming no slot of the table (-1 arrives as 255) draw nothing.
    Clear(0);
    cLCD.PutSurface(255, 0, 0, 0, 0, 0, 10, 10);
    cLCD.PutSurface(29, 30, 0, 0, 0, 0, 2, 2);
    cLCD.CopySurface(30, 0);
    EXPECT_EQ(Drawn(0), 0);
}
