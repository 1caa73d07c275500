// Drawing: the board, the blocks, the status line and the maker's mark, all
// copied from the artwork sheets onto the display (slot 0 of cLCD).
//
// The surface manager and the mark are defined here, in this order, so that
// the manager (which starts SDL) is built before the mark decodes its picture.
#include <cstdio>

#include "tombslide.h"

#include "back.h"
#include "block.h"
#include "digit.h"
#include "image.h"

// The window's title and icon are set before the display is opened.
static const int windowPrepared = PrepareWindow();
Class_LCD cLCD(320, 240);
Class_Quib cQuib(270, 229);

// Slots of the four sheets; -1 (no slot) until LoadSheets has run.
ScrIndex scrImage = -1, scrBlock = -1, scrBack = -1, scrDigit = -1;
// The menu sheet's slot and a spare: the game builds no menu and sets neither.
ScrIndex scrMenu = 0, scrMenuBack = 0;

namespace {

const int CELL = 30;
const Sint16 VARIANT_ROWS = 240; // the cleared frame variant lies below the normal one

// Frame variant of the current stage: 1 once the stage has been cleared. Any
// non-zero flag counts as cleared, so a damaged flag cannot point past the
// cleared variant; a stage index outside the progress tables reads nothing.
Sint16 Variant() {
    Sint16 s = currStage;
    return s >= 0 && s < STAGE_COUNT && isClear[s] != 0 ? 1 : 0;
}

// Best count of the current stage; 99 (no best yet) for an index outside the
// progress tables.
Uint8 Best() {
    Sint16 s = currStage;
    return s >= 0 && s < STAGE_COUNT ? bestMove[s] : 99;
}

// Large digit d (the digit sheet's cell (13d, 0)) at (dx, dy). A digit beyond
// 9 names no cell of the sheet, and its place stays as erased.
void PutLargeDigit(int d, Sint16 dx, Sint16 dy) {
    if (d < 0 || d > 9) return;
    cLCD.PutSurface(scrDigit, 0, 13 * d, 0, dx, dy, 13, 13);
}

// Small digit d (the frame sheet's cell (9d, 480)) at (dx, 15).
void PutSmallDigit(int d, Sint16 dx) {
    if (d < 0 || d > 9) return;
    cLCD.PutSurface(scrBlock, 0, 9 * d, 480, dx, 15, 9, 10);
}

// The opaque background sheet in the display's own pixel format: copying it
// (the whole board on a stage's first tick and under the stage-clear banner,
// a strip at every step) is then a plain copy, where from the decoded 24-bit
// picture every pixel was converted again each time, about a third of those
// ticks' cost. The conversion is the one a copy made, so the picture is the
// same. Without a display, or if the conversion fails, it stays as decoded.
void ToDisplayFormat(ScrIndex slot) {
    if (slot < 0 || cLCD.scr[slot] == nullptr || cLCD.scr[0] == nullptr) return;
    // The screen's format by hand rather than SDL_DisplayFormat, which the
    // browser's SDL lacks; for an opaque sheet the two are the same.
    SDL_Surface *converted = SDL_ConvertSurface(cLCD.scr[slot], cLCD.scr[0]->format, SDL_SWSURFACE);
    if (converted == nullptr) return;
    SDL_FreeSurface(cLCD.scr[slot]);
    cLCD.scr[slot] = converted;
}

} // namespace

void LoadSheets() {
    scrImage = cLCD.LoadScreen(iImage, iImage_size);
    scrBlock = cLCD.LoadScreen(iBlock, iBlock_size);
    scrBack = cLCD.LoadScreen(iBack, iBack_size);
    ToDisplayFormat(scrBack);
    scrDigit = cLCD.LoadScreen(iDigit, iDigit_size);
}

// The sprite of block bl at its head cell; the sprite's corner in the image
// sheet depends on the block's kind, its size on the block's record.
void PutPH(Uint8 bl) {
    if (bl >= MAX_BLOCKS) return;
    const _bl &b = BL[bl];
    Sint16 sx, sy;
    switch (b.type) {
    case TYPE_VTRIPLE:
        sx = 0, sy = 0;
        break;
    case TYPE_VPAIR:
        sx = 30, sy = 0;
        break;
    case TYPE_HTRIPLE:
        sx = 30, sy = 60;
        break;
    case TYPE_HPAIR:
        sx = 60, sy = 0;
        break;
    default: // the target block
        sx = 60, sy = 30;
        break;
    }
    cLCD.PutSurface(scrImage, 0, sx, sy, (b.x + 1) * CELL, (b.y + 1) * CELL, b.w * CELL,
                    b.h * CELL);
}

// The whole board: background, every block, then the frame variant of the
// stage over everything so that its shadows fall on the blocks.
void DrawPan() {
    cLCD.CopySurface(scrBack, 0);
    for (Uint8 i = 0; i < mxPH && i < MAX_BLOCKS; i++)
        PutPH(i);
    cLCD.PutSurface(scrBlock, 0, 0, VARIANT_ROWS * Variant(), 0, 0, 320, 240);
}

// Redraws the strip of board that block bl swept in its last step, from its
// last drawn head (ox, oy) to its current one: background, the block, then
// the frame (always the normal variant) over the same rectangle.
void PutBackPH(Uint8 bl) {
    if (bl >= MAX_BLOCKS) return;
    const _bl &b = BL[bl];
    Sint16 left, top;
    Uint16 w, h;
    if (typeBL(bl) == 0) {
        left = CELL * ((b.x < ox ? b.x : ox) + 1);
        top = CELL * (oy + 1);
        w = CELL * (b.w + 1);
        h = CELL * b.h;
    } else {
        left = CELL * (ox + 1);
        top = CELL * ((b.y < oy ? b.y : oy) + 1);
        w = CELL * b.w;
        h = CELL * (b.h + 1);
    }
    cLCD.PutSurface(scrBack, 0, left, top, left, top, w, h);
    PutPH(bl);
    cLCD.PutSurface(scrBlock, 0, left, top, left, top, w, h);
}

// Room number currStage + 1, right-aligned in three places under ROOM.
void DrawRoomNo() {
    printf("\nDrawRoomNo");
    Sint16 v = Variant();
    cLCD.PutSurface(scrBlock, 0, 40, 15 + VARIANT_ROWS * v, 40, 15, 27, 10);
    int n = currStage + 1;
    if (n < 1) return;
    if (n >= 100) PutSmallDigit(n / 100, 40);
    if (n >= 10) PutSmallDigit(n % 100 / 10, 49);
    PutSmallDigit(n % 10, 58);
}

// Best count of the stage, always two digits, under BEST.
void DrawBest() {
    printf("\nDrawBest");
    Sint16 v = Variant();
    cLCD.PutSurface(scrBlock, 0, 186, 12 + VARIANT_ROWS * v, 184, 12, 39, 13);
    int b = Best();
    PutLargeDigit(b / 10, 190, 12);
    PutLargeDigit(b % 10, 203, 12);
}

// Moves made on the stage, always three digits, on the top-right stone. From
// 1000 moves on the hundreds place stays blank.
void DrawScore() {
    printf("\nDrawScore");
    Sint16 v = Variant();
    cLCD.PutSurface(scrBlock, 0, 220, 6 + VARIANT_ROWS * v, 229, 6, 39, 13);
    int m = movePoint;
    if (m < 0) return;
    PutLargeDigit(m / 100, 229, 6);
    PutLargeDigit(m % 100 / 10, 242, 6);
    PutLargeDigit(m % 10, 255, 6);
}

// The end of every frame: the maker's mark over everything, then present.
void DrawScreen() {
    SDL_Surface *display = cLCD.scr[0];
    if (display == nullptr) return;
    cQuib.Put(display);
    SDL_Flip(display);
}
