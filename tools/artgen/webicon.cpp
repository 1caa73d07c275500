// The browser page's icons: the application icon at the sizes a web app
// manifest asks for, and a maskable one, whose picture fills the square and
// keeps the icon inside the middle circle that every launcher's mask leaves.
#include "canvas.h"

namespace {

// The icon at 5/8 of a square filled with the tile's own deep brown, so that
// the circle of a maskable icon's safe zone (80 % across) holds its whole
// tile, rounded corners included.
Pic MaskableIcon(int s) {
    Pic p = NewPic(s, s);
    for (int y = 0; y < s; y++)
        for (int x = 0; x < s; x++)
            Over(p, x, y, Rgb8(28, 20, 12), 1.0f);
    int inner = s * 5 / 8;
    BlitOver(p, MakeIcon(inner), (s - inner) / 2, (s - inner) / 2);
    return p;
}

} // namespace

std::vector<NamedPic> MakeWebIcons() {
    return {{"web-icon-192.png", MakeIcon(192)},
            {"web-icon-512.png", MakeIcon(512)},
            {"web-icon-maskable.png", MaskableIcon(512)}};
}
