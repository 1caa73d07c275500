// The handheld's screen conversion (handheld/screen): the game's RGB565 rows
// written into the framebuffer formats a device may be in.
#include "../handheld/screen/screen.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

screen_format Format(int bytes, int roff, int rlen, int goff, int glen, int boff, int blen) {
    return screen_format{bytes, {roff, goff, boff}, {rlen, glen, blen}};
}

// The bytes written for some pixels, in hex, one pixel a word.
std::string Bytes(const screen_format &f, std::vector<uint16_t> pixels) {
    screen_conv conv;
    if (!screen_conv_init(&conv, &f)) return "refused";
    std::vector<uint8_t> out(pixels.size() * f.bytes + 1, 0xAA);
    screen_conv_row(&conv, pixels.data(), out.data(), (int)pixels.size());
    std::string s;
    char hex[3];
    for (size_t i = 0; i < out.size(); i++) {
        if (i > 0 && i % f.bytes == 0) s += ' ';
        std::snprintf(hex, sizeof hex, "%02x", out[i]);
        s += hex;
    }
    return s;
}

// The RGB565 value a framebuffer pixel shows: each channel's top bits.
uint16_t Back565(const screen_format &f, const uint8_t *pixel) {
    uint32_t v = 0;
    for (int i = f.bytes - 1; i >= 0; i--)
        v = v << 8 | pixel[i];
    const int bits[3] = {5, 6, 5}, shift[3] = {11, 5, 0};
    uint16_t c565 = 0;
    for (int c = 0; c < 3; c++) {
        uint32_t channel = v >> f.offset[c] & ((1u << f.length[c]) - 1);
        c565 |= (uint16_t)(channel >> (f.length[c] - bits[c]) << shift[c]);
    }
    return c565;
}

TEST(Screen, RowsInTheFramebuffersOwnPixels) {
    // 24 bits packed, red on top (the handheld's own), least significant
    // byte first: black, white, red, green, blue, a grey, and nothing past
    // the row. 32 bits; 16 bits with blue on top; a format it cannot write.
    screen_format rgb24 = Format(3, 16, 8, 8, 8, 0, 8), xrgb = Format(4, 16, 8, 8, 8, 0, 8);
    EXPECT_EQ(Bytes(rgb24, {0x0000, 0xFFFF, 0xF800, 0x07E0, 0x001F, 0x8410}),
              "000000 ffffff 0000ff 00ff00 ff0000 848284 aa");
    EXPECT_EQ(Bytes(xrgb, {0xF800, 0x8410}), "0000ff00 84828400 aa");
    EXPECT_EQ(Bytes(Format(2, 0, 5, 5, 6, 11, 5), {0xF800, 0x001F}), "1f00 00f8 aa");
    EXPECT_EQ(Bytes(Format(3, 20, 8, 8, 8, 0, 8), {0}), "refused") << "red beyond the pixel";

    // Every RGB565 value shows as itself, also in a row that starts off a
    // word and ends inside one.
    std::vector<uint16_t> all(65536);
    for (int i = 0; i < 65536; i++)
        all[i] = (uint16_t)i;
    for (const screen_format &f : {rgb24, xrgb}) {
        screen_conv conv;
        ASSERT_TRUE(screen_conv_init(&conv, &f));
        std::vector<uint8_t> out(all.size() * f.bytes), odd(7 * f.bytes + 1);
        screen_conv_row(&conv, all.data(), out.data(), (int)all.size());
        int wrong = 0;
        for (int i = 0; i < 65536; i++)
            wrong += Back565(f, &out[i * f.bytes]) != i;
        EXPECT_EQ(wrong, 0) << f.bytes << " bytes";
        screen_conv_row(&conv, all.data() + 1000, odd.data() + 1, 7);
        EXPECT_TRUE(std::equal(odd.begin() + 1, odd.end(), out.begin() + 1000 * f.bytes));
    }
}

} // namespace
