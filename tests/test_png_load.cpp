// The handheld build's PNG loader, run on the desktop: the committed pictures
// must come out pixel for pixel as the desktop's image library decodes them,
// every PNG colour type must come out as 8-bit RGB(A), and broken data must
// fail cleanly.
#include "../handheld/image/png_load.h"
#include "SDL.h"
#include "SDL_image.h"

#include <gtest/gtest.h>
#include <png.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

struct Px {
    Uint8 r, g, b, a;
    bool operator==(const Px &o) const { return r == o.r && g == o.g && b == o.b && a == o.a; }
};

Px At(SDL_Surface *s, int x, int y) {
    const Uint8 *row = (const Uint8 *)s->pixels + y * s->pitch;
    const Uint8 *p = row + x * s->format->BytesPerPixel;
    Uint32 v = 0;
    memcpy(&v, p, s->format->BytesPerPixel); // little-endian host
    Px px{};
    SDL_GetRGBA(v, s->format, &px.r, &px.g, &px.b, &px.a);
    return px;
}

// Writes a PNG into memory with libpng.
struct Encoded {
    std::vector<Uint8> bytes;
};

void Append(png_structp png, png_bytep data, png_size_t n) {
    auto *out = (Encoded *)png_get_io_ptr(png);
    out->bytes.insert(out->bytes.end(), data, data + n);
}

struct PngShape {
    int w, h, depth, type;
    bool interlaced;
    std::vector<png_color> palette;
    std::vector<Uint8> trns;
};

Encoded Encode(const PngShape &shape, const std::vector<Uint8> &raw) {
    Encoded out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        ADD_FAILURE() << "libpng could not write the test picture";
        png_destroy_write_struct(&png, &info);
        return out;
    }
    png_set_write_fn(png, &out, Append, nullptr);
    png_set_IHDR(png, info, shape.w, shape.h, shape.depth, shape.type,
                 shape.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (!shape.palette.empty())
        png_set_PLTE(png, info, shape.palette.data(), (int)shape.palette.size());
    if (!shape.trns.empty())
        png_set_tRNS(png, info, shape.trns.data(), (int)shape.trns.size(), nullptr);
    png_write_info(png, info);
    size_t stride = raw.size() / shape.h;
    std::vector<png_bytep> rows;
    for (int y = 0; y < shape.h; y++)
        rows.push_back((png_bytep)raw.data() + y * stride);
    png_write_image(png, rows.data());
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return out;
}

SDL_Surface *Decode(const std::vector<Uint8> &bytes) {
    return PngLoad_RW(SDL_RWFromConstMem(bytes.data(), (int)bytes.size()), 1);
}

class PngLoad : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_EQ(SDL_Init(0), 0) << SDL_GetError(); }
    void TearDown() override { SDL_Quit(); }
};

// The pictures the game embeds: same size and the same colour and alpha in
// every pixel as the desktop's library gives.
TEST_F(PngLoad, CommittedPicturesMatchTheDesktopDecoder) {
    for (const char *name : {"image.png", "block.png", "back.png", "digit.png", "quib.png"}) {
        SCOPED_TRACE(name);
        std::string path = std::string(ASSETS_DIR) + "/" + name;
        SDL_Surface *ours = PngLoad_RW(SDL_RWFromFile(path.c_str(), "rb"), 1);
        SDL_Surface *theirs = IMG_Load(path.c_str());
        ASSERT_NE(ours, nullptr) << SDL_GetError();
        ASSERT_NE(theirs, nullptr) << IMG_GetError();
        ASSERT_EQ(ours->w, theirs->w);
        ASSERT_EQ(ours->h, theirs->h);
        EXPECT_EQ(ours->format->Amask != 0, theirs->format->Amask != 0);
        int differing = 0;
        for (int y = 0; y < ours->h; y++)
            for (int x = 0; x < ours->w; x++)
                if (!(At(ours, x, y) == At(theirs, x, y))) differing++;
        EXPECT_EQ(differing, 0);
        SDL_FreeSurface(ours);
        SDL_FreeSurface(theirs);
    }
}

// Each colour type the format allows comes out as 8 bits a channel, with the
// values the encoder was given.
TEST_F(PngLoad, EveryColourTypeComesOutAsEightBitRgb) {
    const int w = 5, h = 3;
    struct Case {
        const char *name;
        PngShape shape;
        std::vector<Uint8> raw;
        std::vector<Px> want;
    };
    std::vector<Case> cases;
    { // grey, 8 bits
        Case c{"grey8", {w, h, 8, PNG_COLOR_TYPE_GRAY, false, {}, {}}, {}, {}};
        for (int i = 0; i < w * h; i++) {
            Uint8 g = (Uint8)(i * 17);
            c.raw.push_back(g);
            c.want.push_back({g, g, g, 255});
        }
        cases.push_back(c);
    }
    { // grey, 2 bits a pixel, packed four to a byte
        Case c{"grey2", {4, 2, 2, PNG_COLOR_TYPE_GRAY, false, {}, {}}, {0x1B, 0xE4}, {}};
        for (int v : {0, 1, 2, 3, 3, 2, 1, 0})
            c.want.push_back({Uint8(v * 85), Uint8(v * 85), Uint8(v * 85), 255});
        cases.push_back(c);
    }
    { // grey and alpha
        Case c{"greyalpha", {w, h, 8, PNG_COLOR_TYPE_GRAY_ALPHA, false, {}, {}}, {}, {}};
        for (int i = 0; i < w * h; i++) {
            Uint8 g = (Uint8)(200 - i), a = (Uint8)(i * 10);
            c.raw.insert(c.raw.end(), {g, a});
            c.want.push_back({g, g, g, a});
        }
        cases.push_back(c);
    }
    { // palette with one transparent entry
        Case c{"palette",
               {w,
                h,
                8,
                PNG_COLOR_TYPE_PALETTE,
                false,
                {{10, 20, 30}, {200, 100, 50}, {0, 255, 0}},
                {255, 0}},
               {},
               {}};
        for (int i = 0; i < w * h; i++) {
            Uint8 k = (Uint8)(i % 3);
            c.raw.push_back(k);
            png_color col = c.shape.palette[k];
            c.want.push_back({col.red, col.green, col.blue, Uint8(k == 1 ? 0 : 255)});
        }
        cases.push_back(c);
    }
    { // 16-bit RGB: the high byte of each sample is kept
        Case c{"rgb16", {w, h, 16, PNG_COLOR_TYPE_RGB, false, {}, {}}, {}, {}};
        for (int i = 0; i < w * h; i++) {
            Uint8 r = (Uint8)(i * 7), g = (Uint8)(255 - i), b = (Uint8)(i * 3);
            c.raw.insert(c.raw.end(), {r, 0x80, g, 0x01, b, 0xFF});
            c.want.push_back({r, g, b, 255});
        }
        cases.push_back(c);
    }
    { // RGBA, interlaced
        Case c{"rgba-interlaced", {w, h, 8, PNG_COLOR_TYPE_RGB_ALPHA, true, {}, {}}, {}, {}};
        for (int i = 0; i < w * h; i++) {
            Px p{Uint8(i), Uint8(i * 2), Uint8(i * 3), Uint8(255 - i * 4)};
            c.raw.insert(c.raw.end(), {p.r, p.g, p.b, p.a});
            c.want.push_back(p);
        }
        cases.push_back(c);
    }
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        SDL_Surface *s = Decode(Encode(c.shape, c.raw).bytes);
        ASSERT_NE(s, nullptr) << SDL_GetError();
        ASSERT_EQ(s->w, c.shape.w);
        ASSERT_EQ(s->h, c.shape.h);
        bool alpha = c.shape.type & PNG_COLOR_MASK_ALPHA || !c.shape.trns.empty();
        EXPECT_EQ(s->format->BitsPerPixel, alpha ? 32 : 24);
        for (int y = 0; y < s->h; y++)
            for (int x = 0; x < s->w; x++) {
                Px got = At(s, x, y), want = c.want[size_t(y) * s->w + x];
                EXPECT_TRUE(got == want) << "pixel " << x << "," << y << ": " << int(got.r) << " "
                                         << int(got.g) << " " << int(got.b) << " " << int(got.a);
            }
        // Bytes in memory are R, G, B(, A), as the desktop's library lays them out.
        const Uint8 *first = (const Uint8 *)s->pixels;
        EXPECT_EQ(first[0], c.want[0].r);
        EXPECT_EQ(first[2], c.want[0].b);
        SDL_FreeSurface(s);
    }
}

int closes = 0;
int CountClose(SDL_RWops *rw) {
    closes++;
    SDL_FreeRW(rw);
    return 0;
}
int ReadNothing(SDL_RWops *, void *, int, int) {
    return 0;
}

// Broken input gives no surface, says why, and the source is closed exactly
// when asked.
TEST_F(PngLoad, BrokenDataFailsCleanly) {
    PngShape shape{4, 4, 8, PNG_COLOR_TYPE_RGB, false, {}, {}};
    std::vector<Uint8> png = Encode(shape, std::vector<Uint8>(4 * 4 * 3, 7)).bytes;
    ASSERT_GT(png.size(), 60u);
    std::vector<Uint8> cut(png.begin(), png.end() - 30); // image data cut short
    std::vector<Uint8> notPng(png.size(), 'x');

    for (const auto *bytes : {&cut, &notPng}) {
        SDL_ClearError();
        EXPECT_EQ(Decode(*bytes), nullptr);
        EXPECT_NE(std::string(SDL_GetError()).find("PNG"), std::string::npos) << SDL_GetError();
    }
    EXPECT_EQ(PngLoad_RW(nullptr, 1), nullptr);

    for (int freesrc : {0, 1}) {
        SDL_RWops *rw = SDL_AllocRW();
        ASSERT_NE(rw, nullptr);
        rw->read = ReadNothing;
        rw->close = CountClose;
        closes = 0;
        EXPECT_EQ(PngLoad_RW(rw, freesrc), nullptr);
        EXPECT_EQ(closes, freesrc);
        if (!freesrc) SDL_FreeRW(rw);
    }
}

} // namespace
