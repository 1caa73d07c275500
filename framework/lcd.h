// Surface manager: the display and the program's surfaces in one table of 30
// numbered slots. Slot 0 is the display, slot 1 the back buffer.
#ifndef FRAMEWORK_LCD_H
#define FRAMEWORK_LCD_H

#include "SDL.h"
#include "menu.h"

class Class_LCD {
  public:
    SDL_Surface *scr[30];

    Class_LCD(Uint16 w, Uint16 h);
    ~Class_LCD();
    Sint8 AddScreen(Uint16 w, Uint16 h, Uint8 color);
    Sint8 LoadScreen(const int *mem, int size);
    Sint8 LoadScreenFile(char *fileName);
    void LoadScreenFile(Uint8 scrNum, char *fileName);
    Uint16 RGB2Color16Bit(Uint8 r, Uint8 g, Uint8 b);
    void PutSurface(Uint8 sScr, Uint8 dScr, Sint16 sx, Sint16 sy, Sint16 dx, Sint16 dy, Uint16 w,
                    Uint16 h);
    void CopySurface(Uint8 sScr, Uint8 dScr);
    void FillBox(Uint8 scrNum, Sint16 x, Sint16 y, Uint16 w, Uint16 h, Uint32 c);
    void GetBack(Uint16 x, Uint16 y, Uint16 w, Uint16 h);
    void PutBack();
    void RestoreBack();

  private:
    Uint8 _numScr;
    Uint8 _scrBack;
    Uint16 backX, backY, backW, backH;
    Uint16 _screen_max_width, _screen_max_height;
};

// The program's one surface manager (defined by the application).
extern Class_LCD cLCD;

#endif
