// Menu overlay, drawn from sheets made here: the left half one colour, the
// right half a colour per sheet row, so the display tells which rows of the
// sheet a highlight came from.
#include <gtest/gtest.h>

#include "tombslide.h"

namespace {

const Uint16 MARK = 0xF81F, NORMAL = 0x4208;

Uint16 At(int x, int y) {
    SDL_Surface *s = cLCD.scr[0];
    return *(Uint16 *)((Uint8 *)s->pixels + y * s->pitch + x * 2);
}
Uint16 Lit(int row) {
    return (Uint16)(0x20 * (row + 1));
} // never NORMAL or MARK

void MakeSheet(Uint16 w, Uint16 h) {
    scrMenu = cLCD.AddScreen(w, h, 16);
    cLCD.FillBox(scrMenu, 0, 0, w / 2, h, NORMAL);
    for (int y = 0; y < h; y++)
        cLCD.FillBox(scrMenu, w / 2, y, w - w / 2, 1, Lit(y));
}

// MenuOn(1) on a clear display; returns the highlighted sheet rows seen in
// column x of a menu at height y, as first * 1000 + last, or -1.
int LitRows(Class_MENU &m, int x, int y) {
    SDL_FillRect(cLCD.scr[0], nullptr, MARK);
    m.MenuOn(1);
    int first = -1, last = -1;
    for (int r = 0; y + r < 240; r++) {
        Uint16 p = At(x, y + r);
        if (p == MARK || p == NORMAL) continue;
        EXPECT_EQ(p, Lit(r)); // the same row of the sheet's right half
        if (first < 0) first = r;
        last = r;
    }
    return first < 0 ? -1 : first * 1000 + last;
}

} // namespace

TEST(Menu, DrawsTheLeftHalfAndHighlightsOneItem) {
    MakeSheet(200, 90);
    Class_MENU m(60, 50, 3);
    SDL_FillRect(cLCD.scr[0], nullptr, MARK);
    isMenu = 0;
    m.MenuOn(0);
    EXPECT_EQ(isMenu, 1);
    // The left half, 100 x 90, at (60, 50): corners inside and just outside.
    EXPECT_EQ(At(60, 50), NORMAL);
    EXPECT_EQ(At(159, 139), NORMAL);
    for (Uint16 p : {At(59, 50), At(160, 50), At(60, 49), At(60, 140)})
        EXPECT_EQ(p, MARK);
    m.MenuItemDOWN();
    EXPECT_EQ(LitRows(m, 60, 50), 30 * 1000 + 59); // sheet (100, 30) 100 x 30 at (60, 80)
    EXPECT_EQ(At(160, 80), MARK);
    m.MenuOff(); // the pixels stay
    EXPECT_EQ(isMenu, 0);
    EXPECT_EQ(At(60, 80), Lit(30));
}

TEST(Menu, ItemArithmetic) {
    MakeSheet(200, 90);
    Class_MENU m(0, 0, 3);
    for (int item : {0, 1, 2, 0, 1}) {
        EXPECT_EQ(LitRows(m, 0, 0), item * 30 * 1000 + item * 30 + 29);
        m.MenuItemDOWN();
    }
    for (int item : {2, 1, 0, 2}) { // up, round from the first to the last
        EXPECT_EQ(LitRows(m, 0, 0), item * 30 * 1000 + item * 30 + 29);
        m.MenuItemUP();
    }
    Class_MENU one(0, 0, 1);
    one.MenuItemDOWN();
    one.MenuItemUP();
    EXPECT_EQ(LitRows(one, 0, 0), 89);
    Class_MENU none(0, 0, 0); // no items: no highlight, no division by zero
    none.MenuItemDOWN();
    none.MenuItemUP();
    EXPECT_EQ(LitRows(none, 0, 0), -1);
    EXPECT_EQ(At(0, 0), NORMAL);

    MakeSheet(201, 100); // items of 33 rows; row 99 and column 200 belong to none
    Class_MENU odd(0, 0, 3);
    odd.MenuItemUP();
    EXPECT_EQ(LitRows(odd, 0, 0), 66 * 1000 + 98);
    EXPECT_EQ(At(100, 70), MARK);
}
