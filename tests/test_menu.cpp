// Menu overlay: the item arithmetic and what MenuOn puts on the display,
// with menu sheets built here whose left half is one colour and whose right
// half gives every item a colour of its own.
#include <gtest/gtest.h>

#include "tombslide.h"

namespace {

const Uint16 MARK = 0xF81F;
const Uint16 NORMAL = 0x4208;

Uint16 Pixel16(SDL_Surface *s, int x, int y) {
    return *(Uint16 *)((Uint8 *)s->pixels + y * s->pitch + x * 2);
}

// Highlight colour of sheet row y: one colour per band of 10 rows.
Uint16 Highlight(int y) {
    return (Uint16)(0x0800 * (1 + y / 10));
}

// A w x h menu sheet in a new slot, which becomes scrMenu.
void MakeSheet(Uint16 w, Uint16 h) {
    Sint8 n = cLCD.AddScreen(w, h, 16);
    ASSERT_GE(n, 0);
    cLCD.FillBox(n, 0, 0, w / 2, h, NORMAL);
    for (int y = 0; y < h; y++)
        cLCD.FillBox(n, w / 2, y, w - w / 2, 1, Highlight(y));
    scrMenu = n;
}

void ClearDisplay() {
    SDL_FillRect(cLCD.scr[0], nullptr, MARK);
}

// Rows of the display column x, from y0 on, that hold a highlight colour:
// returns the first and last such row, or -1, -1.
void HighlightRows(int x, int y0, int y1, int *first, int *last) {
    *first = *last = -1;
    for (int y = y0; y < y1; y++) {
        Uint16 p = Pixel16(cLCD.scr[0], x, y);
        if (p == MARK || p == NORMAL) continue;
        if (*first < 0) *first = y;
        *last = y;
    }
}

// The item shown highlighted by MenuOn(1), from its rows on the display.
int ShownItem(Class_MENU &m, int x, int y, int itemHeight, int height) {
    ClearDisplay();
    m.MenuOn(1);
    int first, last;
    HighlightRows(x, y, y + height, &first, &last);
    if (first < 0) return -1;
    EXPECT_EQ(last - first + 1, itemHeight);
    EXPECT_EQ(Pixel16(cLCD.scr[0], x, first), Highlight(first - y)); // same rows of the sheet
    return (first - y) / itemHeight;
}

} // namespace

TEST(Menu, ThreeItemsOnA200x90SheetAt60And50) {
    MakeSheet(200, 90);
    Class_MENU m(60, 50, 3);
    ClearDisplay();
    isMenu = 0;
    m.MenuOn(0);
    EXPECT_EQ(isMenu, 1);
    // The left half, 100 x 90, at (60, 50), and nothing else.
    int inside = 0, outside = 0;
    for (int y = 0; y < 240; y++)
        for (int x = 0; x < 320; x++) {
            bool in = x >= 60 && x < 160 && y >= 50 && y < 140;
            Uint16 p = Pixel16(cLCD.scr[0], x, y);
            in ? inside += p == NORMAL : outside += p != MARK;
        }
    EXPECT_EQ(inside, 100 * 90);
    EXPECT_EQ(outside, 0);

    // After one step down, item 1: the sheet's rows 30 to 59 of the right
    // half at (60, 80), over the menu.
    m.MenuItemDOWN();
    ClearDisplay();
    m.MenuOn(1);
    EXPECT_EQ(Pixel16(cLCD.scr[0], 60, 79), NORMAL);
    EXPECT_EQ(Pixel16(cLCD.scr[0], 60, 80), Highlight(30));
    EXPECT_EQ(Pixel16(cLCD.scr[0], 159, 109), Highlight(59));
    EXPECT_EQ(Pixel16(cLCD.scr[0], 160, 100), MARK);
    EXPECT_EQ(Pixel16(cLCD.scr[0], 60, 110), NORMAL);

    // MenuOff leaves the pixels and clears only the flag.
    m.MenuOff();
    EXPECT_EQ(isMenu, 0);
    EXPECT_EQ(Pixel16(cLCD.scr[0], 60, 80), Highlight(30));
}

TEST(Menu, ItemsStepDownAndUpWithWrap) {
    MakeSheet(200, 90);
    Class_MENU m(10, 10, 3);
    int down[] = {0, 1, 2, 0, 1};
    for (int expected : down) {
        EXPECT_EQ(ShownItem(m, 10, 10, 30, 90), expected);
        m.MenuItemDOWN();
    }
    // Now at 2; up goes 2, 1, 0, then round to 2.
    int up[] = {2, 1, 0, 2};
    for (int expected : up) {
        EXPECT_EQ(ShownItem(m, 10, 10, 30, 90), expected);
        m.MenuItemUP();
    }

    Class_MENU one(10, 10, 1);
    one.MenuItemDOWN();
    EXPECT_EQ(ShownItem(one, 10, 10, 90, 90), 0);
    one.MenuItemUP();
    EXPECT_EQ(ShownItem(one, 10, 10, 90, 90), 0);
}

TEST(Menu, UnevenSheetsLoseTheRowsAndColumnLeftOver) {
    // 100 rows, 3 items: items of 33 rows; row 99 is never highlighted.
    MakeSheet(200, 100);
    Class_MENU m(0, 0, 3);
    m.MenuItemDOWN();
    m.MenuItemDOWN();
    EXPECT_EQ(ShownItem(m, 0, 0, 33, 100), 2);
    EXPECT_EQ(Pixel16(cLCD.scr[0], 0, 98), Highlight(98));
    EXPECT_EQ(Pixel16(cLCD.scr[0], 0, 99), NORMAL);

    // 201 columns: the menu is 100 wide and the right half starts at 100.
    MakeSheet(201, 30);
    Class_MENU odd(0, 0, 1);
    ClearDisplay();
    odd.MenuOn(1);
    EXPECT_EQ(Pixel16(cLCD.scr[0], 99, 0), Pixel16(cLCD.scr[scrMenu], 100, 0));
    EXPECT_EQ(Pixel16(cLCD.scr[0], 100, 0), MARK);
}

TEST(Menu, NoItemsOrNoSheetDrawNoHighlight) {
    MakeSheet(200, 90);
    Class_MENU none(20, 20, 0); // no division by zero
    none.MenuItemDOWN();
    none.MenuItemUP();
    int first, last;
    ClearDisplay();
    none.MenuOn(1);
    HighlightRows(20, 20, 110, &first, &last);
    EXPECT_EQ(first, -1);
    EXPECT_EQ(Pixel16(cLCD.scr[0], 20, 20), NORMAL); // the menu itself is drawn

    // A menu without a sheet draws nothing but is still flagged as shown.
    scrMenu = -1;
    Class_MENU lost(20, 20, 3);
    ClearDisplay();
    isMenu = 0;
    lost.MenuOn(1);
    EXPECT_EQ(isMenu, 1);
    int drawn = 0;
    for (int y = 0; y < 240; y++)
        for (int x = 0; x < 320; x++)
            drawn += Pixel16(cLCD.scr[0], x, y) != MARK;
    EXPECT_EQ(drawn, 0);
    scrMenu = 0;
}
