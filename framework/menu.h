// Menu overlay: a vertical menu of items drawn from one sheet, with one item
// highlighted. The sheet's left half is the menu, its right half the same menu
// with every item highlighted.
#ifndef FRAMEWORK_MENU_H
#define FRAMEWORK_MENU_H

#include "SDL.h"

// Number of a surface slot of the surface manager; -1 for a refused request.
typedef Sint8 ScrIndex;

extern Uint8 menuMax;
extern Uint8 _currMenu;
extern Uint8 isMenu;
extern Uint16 _menuX, _menuY, _menuW, _menuH, _itemY, _itemW, _itemH;

// Slot of the menu sheet; the application sets it before building a menu.
extern ScrIndex scrMenu;

class Class_MENU {
  public:
    Class_MENU(Uint16 _x, Uint16 _y, Uint8 _numItem);
    ~Class_MENU();
    void MenuOn(Uint8 set);
    void MenuOff();
    void MenuItemUP();
    void MenuItemDOWN();

  private:
    Uint16 x;
    Uint16 y;
    Uint16 width;
    Uint16 height;
    Uint16 currItem;
    Uint16 itemHeight;
    Uint8 numItem;
    Uint8 itemOn[10];
};

#endif
