// Board and status drawing: every routine draws onto a display filled with a
// mark colour, and the display is compared pixel for pixel with a picture
// composed here straight from the sheets with SDL, region by region as the
// screen layout places them.
#include <gtest/gtest.h>

#include <initializer_list>
#include <string>

#include "SDL_image.h"
#include "tombslide.h"

#include "quib_data.h"

namespace {

const Uint16 MARK = 0xF81F;

// One copy of a sheet region onto the screen.
struct Copy {
    Sint8 slot;
    int sx, sy, w, h, dx, dy;
};

Uint16 Pixel16(SDL_Surface *s, int x, int y) {
    return *(Uint16 *)((Uint8 *)s->pixels + y * s->pitch + x * 2);
}

// A screen-sized surface in the display's format, filled with the mark
// colour, with the given copies blitted onto it in order.
SDL_Surface *Compose(std::initializer_list<Copy> copies) {
    SDL_PixelFormat *f = cLCD.scr[0]->format;
    SDL_Surface *s =
        SDL_CreateRGBSurface(SDL_SWSURFACE, 320, 240, 16, f->Rmask, f->Gmask, f->Bmask, 0);
    SDL_FillRect(s, nullptr, MARK);
    for (const Copy &c : copies) {
        SDL_Rect src = {(Sint16)c.sx, (Sint16)c.sy, (Uint16)c.w, (Uint16)c.h};
        SDL_Rect dst = {(Sint16)c.dx, (Sint16)c.dy, 0, 0};
        SDL_BlitSurface(cLCD.scr[c.slot], &src, s, &dst);
    }
    return s;
}

// Pixels in which the display differs from the expected picture.
int Diff(SDL_Surface *expected) {
    int n = 0;
    for (int y = 0; y < 240; y++)
        for (int x = 0; x < 320; x++)
            n += Pixel16(cLCD.scr[0], x, y) != Pixel16(expected, x, y);
    return n;
}

// Pixels of the rectangle in which two pictures differ.
int DiffIn(SDL_Surface *a, SDL_Surface *b, int x0, int y0, int w, int h) {
    int n = 0;
    for (int y = y0; y < y0 + h; y++)
        for (int x = x0; x < x0 + w; x++)
            n += Pixel16(a, x, y) != Pixel16(b, x, y);
    return n;
}

void ExpectScreen(std::initializer_list<Copy> copies, const char *what) {
    SDL_Surface *e = Compose(copies);
    EXPECT_EQ(Diff(e), 0) << what;
    SDL_FreeSurface(e);
}

void ClearDisplay() {
    SDL_FillRect(cLCD.scr[0], nullptr, MARK);
}

// Sprite corners in the image sheet by block kind.
Copy Sprite(const _bl &b) {
    int sx = 60, sy = 30; // target block
    if (b.type == TYPE_VTRIPLE) sx = 0, sy = 0;
    if (b.type == TYPE_VPAIR) sx = 30, sy = 0;
    if (b.type == TYPE_HTRIPLE) sx = 30, sy = 60;
    if (b.type == TYPE_HPAIR) sx = 60, sy = 0;
    return {scrImage, sx, sy, 30 * b.w, 30 * b.h, 30 * (b.x + 1), 30 * (b.y + 1)};
}

Copy Frame(int v) {
    return {scrBlock, 0, 240 * v, 320, 240, 0, 0};
}
Copy Small(int d, int dx) {
    return {scrBlock, 9 * d, 480, 9, 10, dx, 15};
}
Copy Large(int d, int dx, int dy) {
    return {scrDigit, 13 * d, 0, 13, 13, dx, dy};
}
Copy RoomErase(int v) {
    return {scrBlock, 40, 15 + 240 * v, 27, 10, 40, 15};
}
Copy BestErase(int v) {
    return {scrBlock, 186, 12 + 240 * v, 39, 13, 184, 12};
}
Copy ScoreErase(int v) {
    return {scrBlock, 220, 6 + 240 * v, 39, 13, 229, 6};
}

void SetBlock(int i, int x, int y, int w, int h, int type) {
    BL[i].x = (Sint8)x;
    BL[i].y = (Sint8)y;
    BL[i].w = (Uint8)w;
    BL[i].h = (Uint8)h;
    BL[i].type = (Uint8)type;
}

class Drawing : public testing::Test {
  protected:
    static void SetUpTestSuite() {
        if (scrImage < 0) LoadSheets();
    }
    void SetUp() override {
        for (int i = 0; i < STAGE_COUNT; i++)
            isClear[i] = 0, bestMove[i] = 99;
        currStage = 0;
        movePoint = 0;
        ClearDisplay();
    }
};

} // namespace

TEST_F(Drawing, LoadSheetsFillsSlotsTwoToFiveInOrder) {
    EXPECT_EQ(scrImage, 2);
    EXPECT_EQ(scrBlock, 3);
    EXPECT_EQ(scrBack, 4);
    EXPECT_EQ(scrDigit, 5);
    const int sizes[4][2] = {{320, 185}, {320, 490}, {320, 240}, {130, 13}};
    for (int i = 0; i < 4; i++) {
        SDL_Surface *s = cLCD.scr[2 + i];
        ASSERT_NE(s, nullptr);
        EXPECT_EQ(s->w, sizes[i][0]);
        EXPECT_EQ(s->h, sizes[i][1]);
    }
}

TEST_F(Drawing, PutPHDrawsEachKindFromItsSpriteAtItsCell) {
    struct {
        int x, y, w, h, type;
    } cases[] = {
        {4, 1, 1, 3, TYPE_VTRIPLE}, {0, 0, 1, 2, TYPE_VPAIR},  {1, 5, 3, 1, TYPE_HTRIPLE},
        {2, 3, 2, 1, TYPE_HPAIR},   {0, 2, 2, 1, TYPE_TARGET}, {3, 2, 2, 1, 9}, // unknown kind
    };
    for (auto &c : cases) {
        ClearDisplay();
        SetBlock(0, c.x, c.y, c.w, c.h, c.type);
        PutPH(0);
        ExpectScreen({Sprite(BL[0])}, ("type " + std::to_string(c.type)).c_str());
    }
    // The sprite fills its rectangle but for a small margin.
    SetBlock(0, 4, 1, 1, 3, TYPE_VTRIPLE);
    ClearDisplay();
    PutPH(0);
    EXPECT_NE(Pixel16(cLCD.scr[0], 165, 105), MARK); // middle of (150, 60) 30 x 90
    EXPECT_EQ(Pixel16(cLCD.scr[0], 149, 105), MARK);
    EXPECT_EQ(Pixel16(cLCD.scr[0], 165, 150), MARK);
}

// A step redraws the strip the block swept: background, block, then the
// frame, always from the normal variant.
TEST_F(Drawing, PutBackPHRedrawsTheSweptStrip) {
    mxPH = 1;
    // Horizontal pair on row 3, x 1 to 2: strip (60, 120) 90 x 30.
    SetBlock(0, 2, 3, 2, 1, TYPE_HPAIR);
    ox = 1, oy = 3;
    PutBackPH(0);
    ExpectScreen({{scrBack, 60, 120, 90, 30, 60, 120},
                  {scrImage, 60, 0, 60, 30, 90, 120},
                  {scrBlock, 60, 120, 90, 30, 60, 120}},
                 "horizontal pair");

    // Vertical triple in column 4, y 3 to 2: strip (150, 90) 30 x 120.
    ClearDisplay();
    SetBlock(0, 4, 2, 1, 3, TYPE_VTRIPLE);
    ox = 4, oy = 3;
    PutBackPH(0);
    ExpectScreen({{scrBack, 150, 90, 30, 120, 150, 90},
                  {scrImage, 0, 0, 30, 90, 150, 90},
                  {scrBlock, 150, 90, 30, 120, 150, 90}},
                 "vertical triple");

    // Target x 4 to 5 on a stage cleared before: strip (150, 90) 90 x 30
    // reaching into the exit opening, the frame taken from the normal variant.
    ClearDisplay();
    isClear[currStage] = 1;
    SetBlock(0, 5, 2, 2, 1, TYPE_TARGET);
    ox = 4, oy = 2;
    PutBackPH(0);
    ExpectScreen({{scrBack, 150, 90, 90, 30, 150, 90},
                  {scrImage, 60, 30, 60, 30, 180, 90},
                  {scrBlock, 150, 90, 90, 30, 150, 90}},
                 "target into the opening");

    // Stepping back the other way gives the same strip.
    ClearDisplay();
    SetBlock(0, 4, 2, 2, 1, TYPE_TARGET);
    ox = 5, oy = 2;
    PutBackPH(0);
    ExpectScreen({{scrBack, 150, 90, 90, 30, 150, 90},
                  {scrImage, 60, 30, 60, 30, 150, 90},
                  {scrBlock, 150, 90, 90, 30, 150, 90}},
                 "target back");
}

TEST_F(Drawing, DrawPanDrawsBackgroundBlocksAndTheStagesFrameVariant) {
    currStage = 0;
    InitStage();
    ASSERT_GT(mxPH, 0);
    for (int flag : {0, 1, 7}) { // 7: a damaged flag counts as cleared
        isClear[0] = (Uint8)flag;
        ClearDisplay();
        DrawPan();
        SDL_Surface *e = Compose({{scrBack, 0, 0, 320, 240, 0, 0}});
        for (int i = 0; i < mxPH; i++) {
            Copy c = Sprite(BL[i]);
            SDL_Rect src = {(Sint16)c.sx, (Sint16)c.sy, (Uint16)c.w, (Uint16)c.h};
            SDL_Rect dst = {(Sint16)c.dx, (Sint16)c.dy, 0, 0};
            SDL_BlitSurface(cLCD.scr[scrImage], &src, e, &dst);
        }
        Copy f = Frame(flag ? 1 : 0);
        SDL_Rect src = {0, (Sint16)f.sy, 320, 240};
        SDL_BlitSurface(cLCD.scr[scrBlock], &src, e, nullptr);
        EXPECT_EQ(Diff(e), 0) << "isClear " << flag;
        SDL_FreeSurface(e);
    }
    // The two variants really differ on screen.
    isClear[0] = 0;
    DrawPan();
    SDL_Surface *normal = Compose({});
    SDL_BlitSurface(cLCD.scr[0], nullptr, normal, nullptr);
    isClear[0] = 1;
    DrawPan();
    EXPECT_GT(DiffIn(normal, cLCD.scr[0], 0, 0, 320, 25), 1000);
    SDL_FreeSurface(normal);
}

TEST_F(Drawing, DrawPanOnTheFirstTickOfTheClearShowsTheTargetInTheOpening) {
    mxPH = 2;
    SetBlock(0, 6, 2, 2, 1, TYPE_TARGET);
    SetBlock(1, 0, 0, 1, 2, TYPE_VPAIR);
    isClear[0] = 1;
    DrawPan();
    ExpectScreen({{scrBack, 0, 0, 320, 240, 0, 0},
                  {scrImage, 60, 30, 60, 30, 210, 90},
                  {scrImage, 30, 0, 30, 60, 30, 30},
                  Frame(1)},
                 "target at (210, 90)");
    // Stage indices outside the progress tables draw the normal variant.
    currStage = 263;
    DrawPan();
    ExpectScreen({{scrBack, 0, 0, 320, 240, 0, 0},
                  {scrImage, 60, 30, 60, 30, 210, 90},
                  {scrImage, 30, 0, 30, 60, 30, 30},
                  Frame(0)},
                 "stage 263");
}

TEST_F(Drawing, DrawRoomNoShowsTheRoomRightAlignedWithoutLeadingZeros) {
    struct {
        int stage;
        std::initializer_list<Copy> copies;
    } cases[] = {
        {0, {RoomErase(0), Small(1, 58)}},
        {9, {RoomErase(0), Small(1, 49), Small(0, 58)}},
        {98, {RoomErase(0), Small(9, 49), Small(9, 58)}},
        {99, {RoomErase(0), Small(1, 40), Small(0, 49), Small(0, 58)}},
        {262, {RoomErase(0), Small(2, 40), Small(6, 49), Small(3, 58)}},
    };
    for (auto &c : cases) {
        currStage = (Sint16)c.stage;
        ClearDisplay();
        testing::internal::CaptureStdout();
        DrawRoomNo();
        EXPECT_EQ(testing::internal::GetCapturedStdout(), "\nDrawRoomNo");
        ExpectScreen(c.copies, ("stage " + std::to_string(c.stage)).c_str());
    }
    // Each of the three places really shows a digit over the erased stone.
    SDL_Surface *erased = Compose({RoomErase(0)});
    for (int dx : {40, 49, 58})
        EXPECT_GT(DiffIn(erased, cLCD.scr[0], dx, 15, 9, 10), 5) << dx;
    SDL_FreeSurface(erased);

    // Back from room 100 to 99: the hundreds place is erased, not left as 1.
    currStage = 99;
    DrawRoomNo();
    currStage = 98;
    DrawRoomNo();
    ExpectScreen({RoomErase(0), Small(9, 49), Small(9, 58)}, "100 then 99");

    // A cleared stage erases from the cleared variant.
    ClearDisplay();
    currStage = 4;
    isClear[4] = 1;
    DrawRoomNo();
    ExpectScreen({RoomErase(1), Small(5, 58)}, "cleared");
}

TEST_F(Drawing, DrawBestShowsTwoDigitsWithALeadingZero) {
    struct {
        int best, clear;
        std::initializer_list<Copy> copies;
    } cases[] = {
        {99, 0, {BestErase(0), Large(9, 190, 12), Large(9, 203, 12)}},
        {7, 1, {BestErase(1), Large(0, 190, 12), Large(7, 203, 12)}},
        {42, 3, {BestErase(1), Large(4, 190, 12), Large(2, 203, 12)}}, // damaged flag
    };
    for (auto &c : cases) {
        currStage = 17;
        bestMove[17] = (Uint8)c.best;
        isClear[17] = (Uint8)c.clear;
        ClearDisplay();
        testing::internal::CaptureStdout();
        DrawBest();
        EXPECT_EQ(testing::internal::GetCapturedStdout(), "\nDrawBest");
        ExpectScreen(c.copies, ("best " + std::to_string(c.best)).c_str());
    }
    // The last stage has its own entry; an index past the table shows 99.
    currStage = 262;
    bestMove[262] = 12;
    ClearDisplay();
    DrawBest();
    ExpectScreen({BestErase(0), Large(1, 190, 12), Large(2, 203, 12)}, "last stage");
    currStage = 300;
    ClearDisplay();
    DrawBest();
    ExpectScreen({BestErase(0), Large(9, 190, 12), Large(9, 203, 12)}, "outside the table");
}

TEST_F(Drawing, DrawScoreShowsThreeDigitsAndBlanksTheHundredsFrom1000On) {
    struct {
        int moves;
        std::initializer_list<Copy> copies;
    } cases[] = {
        {0, {ScoreErase(0), Large(0, 229, 6), Large(0, 242, 6), Large(0, 255, 6)}},
        {42, {ScoreErase(0), Large(0, 229, 6), Large(4, 242, 6), Large(2, 255, 6)}},
        {999, {ScoreErase(0), Large(9, 229, 6), Large(9, 242, 6), Large(9, 255, 6)}},
        {1000, {ScoreErase(0), Large(0, 242, 6), Large(0, 255, 6)}},
        {1234, {ScoreErase(0), Large(3, 242, 6), Large(4, 255, 6)}},
    };
    for (auto &c : cases) {
        movePoint = (Sint16)c.moves;
        ClearDisplay();
        testing::internal::CaptureStdout();
        DrawScore();
        EXPECT_EQ(testing::internal::GetCapturedStdout(), "\nDrawScore");
        ExpectScreen(c.copies, ("moves " + std::to_string(c.moves)).c_str());
    }
    // The erase covers exactly the three digit cells.
    SDL_Surface *erased = Compose({ScoreErase(0)});
    int outside = 0, inside = 0;
    for (int y = 0; y < 240; y++)
        for (int x = 0; x < 320; x++) {
            bool in = x >= 229 && x <= 267 && y >= 6 && y <= 18;
            (in ? inside : outside) += Pixel16(erased, x, y) != MARK;
        }
    EXPECT_EQ(outside, 0);
    EXPECT_EQ(inside, 39 * 13);
    SDL_FreeSurface(erased);
}

TEST_F(Drawing, DrawScreenPutsTheMarkAtTheFootOfTheRightMargin) {
    SDL_Surface *mark = IMG_Load(ASSETS_DIR "/quib.png");
    ASSERT_NE(mark, nullptr);
    DrawScreen();
    SDL_Surface *e = Compose({});
    SDL_Rect at = {270, 229, 0, 0};
    SDL_BlitSurface(mark, nullptr, e, &at);
    EXPECT_EQ(Diff(e), 0);
    int drawn = 0, outside = 0;
    for (int y = 0; y < 240; y++)
        for (int x = 0; x < 320; x++) {
            bool changed = Pixel16(cLCD.scr[0], x, y) != MARK;
            bool in = x >= 270 && y >= 229 && y <= 238;
            (in ? drawn : outside) += changed;
        }
    EXPECT_GT(drawn, 50);
    EXPECT_EQ(outside, 0); // row 239 included
    SDL_FreeSurface(e);
    SDL_FreeSurface(mark);
}

TEST_F(Drawing, AMarkThatCannotBeDecodedDrawsNothing) {
    const int junk[3] = {1, 2, 3};
    Class_Quib bad(0, 0, junk, sizeof junk);
    bad.Put(cLCD.scr[0]);
    Class_Quib none(0, 0, nullptr, 0);
    none.Put(cLCD.scr[0]);
    ExpectScreen({}, "undecodable mark");

    // The same bytes decode when they are the mark's.
    Class_Quib good(100, 100, iQuib, iQuib_size);
    good.Put(cLCD.scr[0]);
    SDL_Surface *mark = IMG_Load(ASSETS_DIR "/quib.png");
    ASSERT_NE(mark, nullptr);
    SDL_Surface *e = Compose({});
    SDL_Rect at = {100, 100, 0, 0};
    SDL_BlitSurface(mark, nullptr, e, &at);
    EXPECT_EQ(Diff(e), 0);
    SDL_FreeSurface(e);
    SDL_FreeSurface(mark);
}
