// Menu overlay: a vertical menu of items copied from one sheet onto the
// display, with one item highlighted from the sheet's right half.
#include "menu.h"

#include "lcd.h"

Uint8 menuMax = 0;
Uint8 _currMenu = 0;
Uint8 isMenu = 0;
Uint16 _menuX = 0, _menuY = 0, _menuW = 0, _menuH = 0, _itemY = 0, _itemW = 0, _itemH = 0;

namespace {

// The menu sheet, or nothing when scrMenu names no surface.
SDL_Surface *MenuSheet() {
    if (scrMenu < 0 || scrMenu >= 30) return nullptr;
    return cLCD.scr[scrMenu];
}

} // namespace

// Places a menu of _numItem items at (_x, _y) and takes its size from the
// sheet: the menu is the sheet's left half. Without a sheet the menu has no
// size, and a menu of no items has items of no height.
Class_MENU::Class_MENU(Uint16 _x, Uint16 _y, Uint8 _numItem)
    : x(_x), y(_y), width(0), height(0), currItem(0), itemHeight(0), numItem(_numItem) {
    SDL_Surface *sheet = MenuSheet();
    if (sheet != nullptr) {
        height = (Uint16)sheet->h;
        width = (Uint16)(sheet->w / 2);
    }
    itemHeight = _numItem > 0 ? (Uint16)(height / _numItem) : 0;
    for (int i = 0; i < 10; i++)
        itemOn[i] = 0;
}

Class_MENU::~Class_MENU() {}

// Draws the menu on the display and, when set is not 0, the current item in
// its highlighted look over it. Does not present the display.
void Class_MENU::MenuOn(Uint8 set) {
    isMenu = 1;
    cLCD.PutSurface(scrMenu, 0, 0, 0, x, y, width, height);
    if (set != 0) {
        Uint16 t = (Uint16)(currItem * itemHeight);
        cLCD.PutSurface(scrMenu, 0, width, t, x, y + t, width, itemHeight);
    }
}

// Leaves the menu's pixels on the display; only the flag goes.
void Class_MENU::MenuOff() {
    isMenu = 0;
}

// Moves the highlight one item up, from the first item round to the last.
void Class_MENU::MenuItemUP() {
    if (currItem > 0)
        currItem--;
    else if (numItem > 0)
        currItem = numItem - 1;
}

// Moves the highlight one item down, from the last item round to the first.
void Class_MENU::MenuItemDOWN() {
    if ((int)currItem < (int)numItem - 1)
        currItem++;
    else
        currItem = 0;
}
