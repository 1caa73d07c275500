// Surface manager: the display in slot 0, the back buffer in slot 1, and the
// sheets and other surfaces in the slots after them, taken in ascending order.
#include "lcd.h"

#include <cstdio>

#include "SDL_image.h"

namespace {

const int SLOT_COUNT = 30;

} // namespace

Class_LCD::Class_LCD(Uint16 w, Uint16 h)
    : _numScr(0), _scrBack(0), backX(0), backY(0), backW(0), backH(0), _screen_max_width(0),
      _screen_max_height(0) {
    for (int i = 0; i < SLOT_COUNT; i++)
        scr[i] = nullptr;

    if (SDL_Init(SDL_INIT_TIMER | SDL_INIT_AUDIO | SDL_INIT_VIDEO | SDL_INIT_JOYSTICK) < 0)
        printf("Unable to init SDL: %s\n", SDL_GetError());

    puts("Default Screen Buffer Init...");
    scr[0] = SDL_SetVideoMode(w, h, 16, SDL_FULLSCREEN);
    if (scr[0] == nullptr) printf("Unable to set 320x240 video: %s\n", SDL_GetError());
    _numScr++; // slot 0 is the display's, even when the mode could not be set
    puts("Success!\n");

    puts("Buffer Screen Init...");
    _scrBack = AddScreen(w, h, 16);
    _screen_max_width = w;
    _screen_max_height = h;
    puts("Success!\n");
}

// Frees every surface the manager made, highest slot first. Slot 0 is the
// display, which SDL owns and releases itself.
Class_LCD::~Class_LCD() {
    for (int i = SLOT_COUNT - 1; i >= 1; i--) {
        SDL_FreeSurface(scr[i]);
        scr[i] = nullptr;
    }
}

Sint8 Class_LCD::AddScreen(Uint16 w, Uint16 h, Uint8 color) {
    if (_numScr >= SLOT_COUNT) return -1;
    Uint8 n = _numScr;
    if (color == 24 || color == 32)
        scr[n] = SDL_CreateRGBSurface(SDL_SWSURFACE, w, h, color, 0x000000FF, 0x0000FF00,
                                      0x00FF0000, 0xFF000000);
    if (color == 16)
        scr[n] = SDL_CreateRGBSurface(SDL_SWSURFACE, w, h, 16, 0xF800, 0x07E0, 0x001F, 0);
    if (scr[n] == nullptr) printf("Unable to Add Screen: %s\n", SDL_GetError());
    _numScr = n + 1;
    return n;
}

// Decodes an image held in memory (size bytes at mem) into the next free slot.
// A failed decode still takes the slot, which stays empty; with every slot
// taken nothing is decoded and the answer is -1.
Sint8 Class_LCD::LoadScreen(const int *mem, int size) {
    if (_numScr >= SLOT_COUNT) return -1;
    SDL_RWops *rw = (mem != nullptr && size > 0) ? SDL_RWFromConstMem(mem, size) : nullptr;
    scr[_numScr] = IMG_Load_RW(rw, 1);
    if (scr[_numScr] == nullptr) printf("Unable to Load Image: %s\n", SDL_GetError());
    return _numScr++;
}

// Decodes an image file into the next free slot; a failed load does not take
// the slot, so the next request reuses it.
Sint8 Class_LCD::LoadScreenFile(char *fileName) {
    if (_numScr >= SLOT_COUNT) return -1;
    scr[_numScr] = IMG_Load(fileName);
    if (scr[_numScr] == nullptr) {
        printf("Unable to Load File: %s\n", SDL_GetError());
        return -1;
    }
    return _numScr++;
}

// Decodes an image file into slot scrNum, freeing the surface it replaces.
// Slot 0, the display, and numbers outside the table are left alone.
void Class_LCD::LoadScreenFile(Uint8 scrNum, char *fileName) {
    if (scrNum == 0 || scrNum >= SLOT_COUNT) return;
    SDL_FreeSurface(scr[scrNum]);
    scr[scrNum] = IMG_Load(fileName);
    if (scr[scrNum] == nullptr) printf("Unable to Load File: %s\n", SDL_GetError());
}

Uint16 Class_LCD::RGB2Color16Bit(Uint8 r, Uint8 g, Uint8 b) {
    return (Uint16)((r >> 3) << 11 | (g >> 2) << 5 | (b >> 3));
}

// Copies the w x h rectangle at (sx, sy) of slot sScr to (dx, dy) of slot
// dScr. The region is first cut against the display's size: whatever lies
// left of or above the origin is dropped, and a region that reaches more than
// one pixel past the right or bottom edge is cut at the edge (a region one
// pixel over is left for SDL's own clipping).
void Class_LCD::PutSurface(Uint8 sScr, Uint8 dScr, Sint16 sx, Sint16 sy, Sint16 dx, Sint16 dy,
                           Uint16 w, Uint16 h) {
    int x = sx, y = sy, tx = dx, ty = dy, cw = w, ch = h;
    if (tx < 0) {
        x -= tx;
        cw += tx;
        tx = 0;
    }
    if (ty < 0) {
        y -= ty;
        ch += ty;
        ty = 0;
    }
    if (tx + cw > _screen_max_width + 1) cw = _screen_max_width - tx;
    if (ty + ch > _screen_max_height + 1) ch = _screen_max_height - ty;
    if (cw <= 0 || ch <= 0) return;
    if (sScr >= SLOT_COUNT || dScr >= SLOT_COUNT) return;
    if (scr[sScr] == nullptr || scr[dScr] == nullptr) return;

    SDL_Rect src = {(Sint16)x, (Sint16)y, (Uint16)cw, (Uint16)ch};
    SDL_Rect dst = {(Sint16)tx, (Sint16)ty, (Uint16)cw, (Uint16)ch};
    SDL_BlitSurface(scr[sScr], &src, scr[dScr], &dst);
}

// Copies the whole of slot sScr to the top-left corner of slot dScr (at most
// the display's size, through the cut of PutSurface). An empty slot copies
// nothing.
void Class_LCD::CopySurface(Uint8 sScr, Uint8 dScr) {
    if (sScr >= SLOT_COUNT || scr[sScr] == nullptr) return;
    PutSurface(sScr, dScr, 0, 0, 0, 0, scr[sScr]->w, scr[sScr]->h);
}

// Fills a rectangle of slot scrNum with the pixel value c, given in the
// slot's own pixel format. An empty slot is left alone.
void Class_LCD::FillBox(Uint8 scrNum, Sint16 x, Sint16 y, Uint16 w, Uint16 h, Uint32 c) {
    if (scrNum >= SLOT_COUNT || scr[scrNum] == nullptr) return;
    SDL_Rect r = {x, y, w, h};
    SDL_FillRect(scr[scrNum], &r, c);
}

// Saves the display region (x, y, w, h) into the top-left corner of the back
// buffer; PutBack puts it back where it came from.
void Class_LCD::GetBack(Uint16 x, Uint16 y, Uint16 w, Uint16 h) {
    PutSurface(0, _scrBack, x, y, 0, 0, w, h);
    backX = x;
    backY = y;
    backW = w;
    backH = h;
}

void Class_LCD::PutBack() {
    PutSurface(_scrBack, 0, 0, 0, backX, backY, backW, backH);
}

// Shows the saved region of the display on the screen. Nothing is done
// before the first GetBack, or for a region that lies off the display (SDL
// would take an all-zero rectangle to mean the whole screen).
void Class_LCD::RestoreBack() {
    SDL_Surface *d = scr[0];
    if (d == nullptr || backW == 0 || backH == 0) return;
    if (backX >= d->w || backY >= d->h) return;
    Sint32 w = backW, h = backH;
    if (backX + w > d->w) w = d->w - backX;
    if (backY + h > d->h) h = d->h - backY;
    SDL_UpdateRect(d, backX, backY, (Uint32)w, (Uint32)h);
}
