// artgen: draws Tomb Slide's five pictures and writes them as PNG files.
//   artgen OUTDIR    writes OUTDIR/image.png, block.png, back.png, digit.png, quib.png
//                    and the application icon OUTDIR/icon-N.png in six sizes,
//                    the handheld game list's preview OUTDIR/caanoo-title.png
//                    and the browser page's OUTDIR/web-icon-*.png
// Every picture is made from fixed shapes and seeded noise, so each run writes
// the same bytes.
#include "canvas.h"

#include <cstdio>
#include <string>

static int Save(const std::string &dir, const char *name, const Pic &p, bool withAlpha) {
    std::string path = dir + "/" + name;
    if (!WritePng(path, p, withAlpha)) {
        std::printf("Unable to write %s\n", path.c_str());
        return 1;
    }
    std::printf("%s %dx%d %s\n", path.c_str(), p.w, p.h, withAlpha ? "RGBA" : "RGB");
    return 0;
}

int main(int argc, char **argv) {
    if (argc != 2) {
        std::printf("usage: artgen OUTDIR\n");
        return 2;
    }
    // Another font would change the lettering and so the bytes of the pictures.
    if (!FontsAreDejaVu()) {
        std::printf("artgen: the DejaVu fonts are missing (Debian package fonts-dejavu-core)\n");
        return 1;
    }
    std::string dir = argv[1];
    int failed = 0;
    failed += Save(dir, "image.png", MakeImageSheet(), true);
    failed += Save(dir, "block.png", MakeFrameSheet(), true);
    failed += Save(dir, "back.png", MakeBackSheet(), false);
    failed += Save(dir, "digit.png", MakeDigitSheet(), true);
    failed += Save(dir, "quib.png", MakeMark(), true);
    for (int size : {16, 32, 48, 64, 128, 256}) {
        std::string name = "icon-" + std::to_string(size) + ".png";
        failed += Save(dir, name.c_str(), MakeIcon(size), true);
    }
    failed += Save(dir, "caanoo-title.png", MakeTitle(), false);
    for (const NamedPic &icon : MakeWebIcons())
        failed += Save(dir, icon.name, icon.pic, true);
    return failed ? 1 : 0;
}
