// snapshot: draws the whole board of one stage through the game's own drawing
// routines (the board, the status line and the maker's mark) and writes the
// display surface as a PNG.
//
//   snapshot ROOM OUT.png [--clear] [--moves N] [--best N] [--scale K] [--at I,X,Y]...
//
// ROOM is the room number the player sees, 1 to 263. --moves N shows N moves
// on the counter. --scale K (1 to 4) enlarges the picture K times, each pixel
// a K x K square. --clear shows the stage-clear screen instead: the golden
// case out in the exit opening, the clear recorded (gold frame, best count)
// and the Stage Clear banner. --best N shows the stage as cleared before with
// a best count of N, as a stage played again after its clear. --at I,X,Y puts
// block I (its index in the stage's table) with its head on cell (X, Y)
// first, as moves would have left it; nothing checks that the board could be
// played there.
//
// The video and audio drivers default to SDL's dummy ones, so it runs without
// a display; an SDL_VIDEODRIVER already set in the environment is kept.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <zlib.h>

#include "tombslide.h"

namespace {

// Runs before the static surface manager opens the display.
__attribute__((constructor(101))) void UseDummyDrivers() {
    setenv("SDL_VIDEODRIVER", "dummy", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
}

void PutU32(std::vector<unsigned char> &out, Uint32 v) {
    out.push_back((unsigned char)(v >> 24));
    out.push_back((unsigned char)(v >> 16));
    out.push_back((unsigned char)(v >> 8));
    out.push_back((unsigned char)v);
}

void PutChunk(std::vector<unsigned char> &out, const char *type,
              const std::vector<unsigned char> &data) {
    PutU32(out, (Uint32)data.size());
    size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    uLong crc = crc32(0L, Z_NULL, 0);
    crc = crc32(crc, &out[start], (uInt)(out.size() - start));
    PutU32(out, (Uint32)crc);
}

// Writes the surface as an 8-bit RGB PNG (filter 0 on every row), every pixel
// repeated k times across and down.
bool SavePNG(SDL_Surface *s, const char *path, int k) {
    if (SDL_MUSTLOCK(s) && SDL_LockSurface(s) < 0) return false;
    std::vector<unsigned char> raw;
    int bpp = s->format->BytesPerPixel;
    for (int y = 0; y < s->h; y++) {
        std::vector<unsigned char> line(1, 0);
        const Uint8 *row = (const Uint8 *)s->pixels + y * s->pitch;
        for (int x = 0; x < s->w; x++) {
            Uint32 p = 0;
            memcpy(&p, row + x * bpp, bpp); // little-endian host: the low bytes hold the pixel
            Uint8 r, g, b;
            SDL_GetRGB(p, s->format, &r, &g, &b);
            for (int i = 0; i < k; i++)
                line.insert(line.end(), {r, g, b});
        }
        for (int i = 0; i < k; i++)
            raw.insert(raw.end(), line.begin(), line.end());
    }
    if (SDL_MUSTLOCK(s)) SDL_UnlockSurface(s);

    uLongf zlen = compressBound((uLong)raw.size());
    std::vector<unsigned char> z(zlen);
    if (compress2(z.data(), &zlen, raw.data(), (uLong)raw.size(), 9) != Z_OK) return false;
    z.resize(zlen);

    std::vector<unsigned char> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<unsigned char> ihdr;
    PutU32(ihdr, (Uint32)(s->w * k));
    PutU32(ihdr, (Uint32)(s->h * k));
    ihdr.insert(ihdr.end(), {8, 2, 0, 0, 0}); // 8 bits, RGB, deflate, filter 0, no interlace
    PutChunk(png, "IHDR", ihdr);
    PutChunk(png, "IDAT", z);
    PutChunk(png, "IEND", {});

    FILE *f = fopen(path, "wb");
    if (!f) return false;
    bool ok = fwrite(png.data(), 1, png.size(), f) == png.size();
    return fclose(f) == 0 && ok;
}

int Usage() {
    fprintf(stderr, "usage: snapshot ROOM OUT.png [--clear] [--moves N] [--best N] [--scale K] "
                    "[--at I,X,Y]...\n"
                    "  ROOM  room number as shown in the game, 1 to 263\n");
    return 2;
}

bool ParseNumber(const char *s, long lo, long hi, long *out) {
    char *end = nullptr;
    long v = strtol(s, &end, 10);
    if (end == s || *end != '\0' || v < lo || v > hi) return false;
    *out = v;
    return true;
}

} // namespace

int main(int argc, char **argv) {
    if (argc < 3) return Usage();
    long room = 0, moves = 0, scale = 1, best = 99;
    bool clear = false;
    std::vector<std::string> places;
    if (!ParseNumber(argv[1], 1, STAGE_COUNT, &room)) return Usage();
    const char *out = argv[2];
    for (int i = 3; i < argc; i++) {
        if (strcmp(argv[i], "--clear") == 0)
            clear = true;
        else if (strcmp(argv[i], "--moves") == 0 && i + 1 < argc &&
                 ParseNumber(argv[i + 1], 0, 32767, &moves))
            i++;
        else if (strcmp(argv[i], "--best") == 0 && i + 1 < argc &&
                 ParseNumber(argv[i + 1], 0, 99, &best))
            i++;
        else if (strcmp(argv[i], "--scale") == 0 && i + 1 < argc &&
                 ParseNumber(argv[i + 1], 1, 4, &scale))
            i++;
        else if (strcmp(argv[i], "--at") == 0 && i + 1 < argc)
            places.push_back(argv[++i]);
        else
            return Usage();
    }
    if (cLCD.scr[0] == nullptr) {
        fprintf(stderr, "snapshot: no display surface\n");
        return 1;
    }

    LoadSheets();
    for (int i = 0; i < STAGE_COUNT; i++)
        bestMove[i] = 99;
    currStage = (Sint16)(room - 1);
    if (best != 99) {
        isClear[currStage] = 1;
        bestMove[currStage] = (Uint8)best;
    }
    movePoint = (Sint16)moves;
    InitStage();
    for (const std::string &p : places) {
        int b = -1, x = -1, y = -1;
        char extra = 0;
        if (sscanf(p.c_str(), "%d,%d,%d%c", &b, &x, &y, &extra) != 3 || b < 0 || b >= mxPH ||
            x < 0 || x > 5 || y < 0 || y > 5)
            return Usage();
        BL[b].x = (Sint8)x;
        BL[b].y = (Sint8)y;
    }

    if (clear) {
        // The target block's exit step leaves it at x = 6, in the opening.
        for (int i = 0; i < mxPH; i++)
            if (BL[i].type == TYPE_TARGET) BL[i].x = 6;
        StageClear();
    }
    DrawPan();
    DrawBest();
    DrawRoomNo();
    DrawScore();
    if (clear) cLCD.PutSurface(scrImage, 0, 0, 90, 0, 110, 320, 95);
    DrawScreen();
    printf("\n");

    if (!SavePNG(cLCD.scr[0], out, (int)scale)) {
        fprintf(stderr, "snapshot: cannot write %s\n", out);
        return 1;
    }
    printf("snapshot: room %ld written to %s\n", room, out);
    return 0;
}
