// Checks of the five committed pictures in assets/: size, pixel format and the
// transparency that the drawing routines rely on.
#include "SDL.h"
#include "SDL_image.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

struct Px {
    Uint8 r, g, b, a;
};

// A decoded picture, pixels read out through the surface's own format.
struct Picture {
    int w = 0, h = 0, bpp = 0;
    bool hasAlpha = false;
    std::vector<Px> px;
    Px at(int x, int y) const { return px[size_t(y) * w + x]; }
};

Picture Load(const char *name) {
    Picture p;
    std::string path = std::string(ASSETS_DIR) + "/" + name;
    SDL_Surface *s = IMG_Load(path.c_str());
    if (!s) {
        ADD_FAILURE() << "cannot decode " << path << ": " << IMG_GetError();
        return p;
    }
    p.w = s->w;
    p.h = s->h;
    p.bpp = s->format->BitsPerPixel;
    p.hasAlpha = s->format->Amask != 0;
    p.px.resize(size_t(p.w) * p.h);
    SDL_LockSurface(s);
    int bytes = s->format->BytesPerPixel;
    for (int y = 0; y < p.h; y++)
        for (int x = 0; x < p.w; x++) {
            const Uint8 *b = static_cast<const Uint8 *>(s->pixels) + y * s->pitch + x * bytes;
            Uint32 v = 0;
            for (int i = 0; i < bytes; i++)
                v |=
                    Uint32(b[i]) << (SDL_BYTEORDER == SDL_LIL_ENDIAN ? 8 * i : 8 * (bytes - 1 - i));
            Px &o = p.px[size_t(y) * p.w + x];
            SDL_GetRGBA(v, s->format, &o.r, &o.g, &o.b, &o.a);
        }
    SDL_UnlockSurface(s);
    SDL_FreeSurface(s);
    return p;
}

// The PNG header's bit depth, colour type and interlace method.
struct PngHeader {
    int depth = -1, colourType = -1, interlace = -1;
};

PngHeader ReadHeader(const char *name) {
    PngHeader h;
    std::string path = std::string(ASSETS_DIR) + "/" + name;
    FILE *f = std::fopen(path.c_str(), "rb");
    if (!f) return h;
    unsigned char b[29];
    if (std::fread(b, 1, sizeof b, f) == sizeof b && b[1] == 'P' && b[12] == 'I' && b[15] == 'R') {
        h.depth = b[24];
        h.colourType = b[25];
        h.interlace = b[28];
    }
    std::fclose(f);
    return h;
}

int Luma(Px p) {
    return (p.r * 3 + p.g * 6 + p.b) / 10;
}

// Fails on the first pixel of the rectangle whose alpha lies outside lo..hi.
void ExpectAlphaIn(const Picture &p, int x0, int y0, int x1, int y1, int lo, int hi,
                   const char *what) {
    for (int y = y0; y <= y1; y++)
        for (int x = x0; x <= x1; x++) {
            int a = p.at(x, y).a;
            if (a < lo || a > hi) {
                ADD_FAILURE() << what << ": alpha " << a << " at (" << x << "," << y
                              << "), expected " << lo << ".." << hi;
                return;
            }
        }
}

void ExpectTransparent(const Picture &p, int x0, int y0, int x1, int y1, const char *what) {
    ExpectAlphaIn(p, x0, y0, x1, y1, 0, 0, what);
}

void ExpectOpaque(const Picture &p, int x0, int y0, int x1, int y1, const char *what) {
    ExpectAlphaIn(p, x0, y0, x1, y1, 255, 255, what);
}

} // namespace

TEST(Pictures, SizesAndPixelFormats) {
    struct Want {
        const char *file;
        int w, h, colourType;
    };
    const Want want[] = {{"image.png", 320, 185, 6},
                         {"block.png", 320, 490, 6},
                         {"back.png", 320, 240, 2},
                         {"digit.png", 130, 13, 6},
                         {"quib.png", 50, 10, 6}};
    for (const Want &w : want) {
        SCOPED_TRACE(w.file);
        PngHeader h = ReadHeader(w.file);
        EXPECT_EQ(h.depth, 8);
        EXPECT_EQ(h.colourType, w.colourType);
        EXPECT_EQ(h.interlace, 0);
        Picture p = Load(w.file);
        EXPECT_EQ(p.w, w.w);
        EXPECT_EQ(p.h, w.h);
        // The decoder keeps the file's format: 32-bit with alpha, or 24-bit without.
        EXPECT_EQ(p.hasAlpha, w.colourType == 6);
        EXPECT_EQ(p.bpp, w.colourType == 6 ? 32 : 24);
    }
}

TEST(Pictures, FrameCoversAllButBoardOpeningAndMargin) {
    Picture f = Load("block.png");
    ASSERT_EQ(f.h, 490);
    for (int v = 0; v < 2; v++) {
        SCOPED_TRACE(v ? "cleared variant" : "normal variant");
        int o = 240 * v;
        ExpectOpaque(f, 0, o + 0, 268, o + 24, "top band");
        ExpectOpaque(f, 0, o + 0, 26, o + 239, "left band");
        ExpectOpaque(f, 0, o + 211, 269, o + 239, "bottom band");
        ExpectOpaque(f, 212, o + 25, 267, o + 85, "right wall above the opening");
        ExpectOpaque(f, 212, o + 120, 267, o + 210, "right wall below the opening");
        ExpectTransparent(f, 51, o + 52, 200, o + 198, "middle of the board");
        ExpectTransparent(f, 295, o + 0, 319, o + 239, "right of the shadow");
        // The exit opening only darkens what is under it: a shadow from the
        // wall above that thins out towards the middle rows.
        ExpectAlphaIn(f, 212, o + 88, 267, o + 117, 0, 160, "exit opening");
        EXPECT_GT(f.at(240, o + 86).a, 60);
        EXPECT_LT(f.at(240, o + 102).a, 20);
        // The shadow right of the wall fades out.
        EXPECT_GT(f.at(270, o + 50).a, f.at(285, o + 50).a);
        EXPECT_GT(f.at(285, o + 50).a, 0);
    }
}

TEST(Pictures, FrameVariantsShareAlphaAndDifferInColour) {
    Picture f = Load("block.png");
    ASSERT_EQ(f.h, 490);
    int differentColour = 0, badShadow = 0, badGoldShadow = 0;
    for (int y = 0; y < 240; y++)
        for (int x = 0; x < 320; x++) {
            Px n = f.at(x, y), g = f.at(x, y + 240);
            ASSERT_EQ(n.a, g.a) << "alpha differs at (" << x << "," << y << ")";
            if (n.a == 255 && (n.r != g.r || n.g != g.g || n.b != g.b)) differentColour++;
            if (n.a > 0 && n.a < 255) {
                // Shadows: black in the normal variant, near-black grey in the gold one.
                if (n.r != 0 || n.g != 0 || n.b != 0) badShadow++;
                if (g.r != g.g || g.g != g.b || g.r < 1 || g.r > 15) badGoldShadow++;
            }
        }
    EXPECT_EQ(badShadow, 0);
    EXPECT_EQ(badGoldShadow, 0);
    EXPECT_GT(differentColour, 240 * 50);
    // The gold variant is warmer: more red than blue on its stone.
    Px g = f.at(100, 240 + 20);
    EXPECT_GT(g.r, g.b + 40);
}

TEST(Pictures, FrameStatusStonesAndSmallDigits) {
    Picture f = Load("block.png");
    ASSERT_EQ(f.h, 490);
    // The dark seam at x 225..226 that the move-count erase shifts into place.
    for (int v = 0; v < 2; v++) {
        long seam = 0, left = 0, right = 0;
        for (int y = 6 + 240 * v; y <= 18 + 240 * v; y++) {
            seam += Luma(f.at(225, y)) + Luma(f.at(226, y));
            left += Luma(f.at(221, y)) + Luma(f.at(222, y));
            right += Luma(f.at(229, y)) + Luma(f.at(230, y));
        }
        EXPECT_LT(seam * 2, left) << "variant " << v;
        EXPECT_LT(seam * 2, right) << "variant " << v;
    }
    // Small digits: ten translucent glyphs in x 0..89, nothing from x 90 on.
    ExpectTransparent(f, 90, 480, 319, 489, "digit row past the digits");
    for (int d = 0; d < 10; d++) {
        int ink = 0, maxA = 0;
        for (int y = 480; y < 490; y++)
            for (int x = 9 * d; x < 9 * d + 9; x++) {
                maxA = std::max(maxA, int(f.at(x, y).a));
                if (f.at(x, y).a > 0 && Luma(f.at(x, y)) > 150) ink++;
            }
        EXPECT_GE(ink, 8) << "small digit " << d << " has too few light pixels";
        EXPECT_GT(maxA, 128) << "small digit " << d;
        EXPECT_LT(maxA, 255) << "small digit " << d << " is not translucent";
    }
}

TEST(Pictures, ImageSheetSpritesAndBanner) {
    Picture p = Load("image.png");
    ASSERT_EQ(p.w, 320);
    ExpectTransparent(p, 120, 0, 319, 89, "unused top band");
    struct Region {
        int x, y, w, h;
    };
    const Region sprites[] = {
        {0, 0, 30, 90}, {30, 0, 30, 60}, {60, 0, 60, 30}, {60, 30, 60, 30}, {30, 60, 90, 30}};
    for (const Region &r : sprites) {
        SCOPED_TRACE("sprite at " + std::to_string(r.x) + "," + std::to_string(r.y));
        // Opaque body, rounded (transparent) corners, filled to within 3 pixels of each edge.
        EXPECT_EQ(p.at(r.x + r.w / 2, r.y + r.h / 2).a, 255);
        EXPECT_EQ(p.at(r.x, r.y).a, 0);
        EXPECT_EQ(p.at(r.x + r.w - 1, r.y + r.h - 1).a, 0);
        int minX = r.w, maxX = -1, minY = r.h, maxY = -1;
        for (int y = 0; y < r.h; y++)
            for (int x = 0; x < r.w; x++)
                if (p.at(r.x + x, r.y + y).a >= 128) {
                    minX = std::min(minX, x), maxX = std::max(maxX, x);
                    minY = std::min(minY, y), maxY = std::max(maxY, y);
                }
        EXPECT_LE(minX, 3);
        EXPECT_LE(minY, 3);
        EXPECT_GE(maxX, r.w - 4);
        EXPECT_GE(maxY, r.h - 4);
    }
    // The banner: an opaque slab transparent outside its ragged edge.
    EXPECT_EQ(p.at(0, 90).a, 0);
    EXPECT_EQ(p.at(319, 184).a, 0);
    EXPECT_EQ(p.at(160, 95 + 90 / 2).a, 255);
    EXPECT_EQ(p.at(20, 120).a, 255);
}

TEST(Pictures, BackgroundCheckerboardAndCorridor) {
    Picture b = Load("back.png");
    ASSERT_EQ(b.w, 320);
    ASSERT_EQ(b.h, 240);
    // Mean brightness of the middle of a 30x30 cell.
    auto cell = [&b](int cx, int cy) {
        long sum = 0;
        for (int y = 40; y < 50; y++)
            for (int x = 40; x < 50; x++)
                sum += Luma(b.at(cx * 30 + x - 10, cy * 30 + y - 10));
        return int(sum / 100);
    };
    for (int cy = 0; cy < 6; cy++)
        for (int cx = 0; cx < 5; cx++) {
            int here = cell(cx, cy), next = cell(cx + 1, cy);
            if ((cx + cy) % 2 == 0)
                EXPECT_GT(here, next + 8) << "cell " << cx << "," << cy << " should be light";
            else
                EXPECT_LT(here + 8, next) << "cell " << cx << "," << cy << " should be dark";
        }
    // Row 2 runs on in the light shade through the exit opening.
    EXPECT_GT(cell(6, 2), cell(5, 2) + 8);
    EXPECT_GT(cell(7, 2), cell(5, 2) + 8);
    // The margin right of the frame is lighter than the floor of the well.
    long margin = 0, well = 0;
    for (int y = 0; y < 240; y++) {
        margin += Luma(b.at(300, y));
        well += Luma(b.at(20, y < 10 ? 10 : y));
    }
    EXPECT_GT(margin, well);
}

TEST(Pictures, DigitsAndMakersMark) {
    Picture d = Load("digit.png");
    ASSERT_EQ(d.w, 130);
    for (int i = 0; i < 10; i++) {
        int ink = 0;
        for (int y = 0; y < 13; y++)
            for (int x = 13 * i; x < 13 * i + 13; x++) {
                Px p = d.at(x, y);
                ASSERT_LE(p.a, 191) << "(" << x << "," << y << ")";
                if (p.a > 0) {
                    ASSERT_EQ(p.r + p.g + p.b, 0) << "(" << x << "," << y << ") is not black";
                    ink++;
                }
            }
        EXPECT_GE(ink, 20) << "digit " << i;
    }
    Picture m = Load("quib.png");
    ASSERT_EQ(m.w, 50);
    int opaque = 0;
    for (int y = 0; y < 10; y++)
        for (int x = 0; x < 50; x++) {
            Uint8 a = m.at(x, y).a;
            ASSERT_TRUE(a == 0 || a == 255)
                << "alpha " << int(a) << " at (" << x << "," << y << ")";
            opaque += a == 255;
        }
    EXPECT_GT(opaque, 50);
    EXPECT_LT(opaque, 500);
}

// The application icon in every size installed: square RGBA, the corners
// outside the rounded tile clear, the tile itself opaque, and the golden case
// (right of the centre) gold rather than stone.
TEST(Pictures, IconInEverySize) {
    for (int size : {16, 32, 48, 64, 128, 256}) {
        std::string file = "icon-" + std::to_string(size) + ".png";
        SCOPED_TRACE(file);
        PngHeader h = ReadHeader(file.c_str());
        EXPECT_EQ(h.colourType, 6);
        Picture p = Load(file.c_str());
        ASSERT_EQ(p.w, size);
        ASSERT_EQ(p.h, size);
        int last = size - 1;
        ExpectTransparent(p, 0, 0, 0, 0, "top-left corner");
        ExpectTransparent(p, last, last, last, last, "bottom-right corner");
        ExpectOpaque(p, size / 8, size / 2, size / 8, size / 2, "the tile's left edge");
        Px gold = p.at(size * 7 / 10, size / 2);
        EXPECT_EQ(255, gold.a);
        EXPECT_GT(gold.r, gold.b + 60) << "not gold";
    }
}
