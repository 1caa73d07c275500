// savedump: prints a save file as text, one fact a line, as the game reads it
// (the same ReadSave that LoadGame uses, so the layout is written only there):
//
//   size 559             the file's length in bytes
//   read board           board, progress (the board is unusable) or nothing,
//                        then why when not board
//   stage 0              the stage index, 0-based
//   moves 0
//   score 0
//   blocks 5             then one line per block in table order:
//   block 0 0 3 1 3      x y w h type
//   cleared none         the indices of the cleared stages, or none
//   best none            index:count for every stage with a best count
//   extension no         whether the extension record was there
//
// The board lines are printed only when the board was read. Plain C++ without
// the C++ library, so that the handheld's build makes it too.
//   savedump FILE
#include <cstdio>

#include "tombslide.h"

namespace {

void PrintProgress() {
    printf("stage %d\nmoves %d\nscore %u\n", currStage, movePoint, (unsigned)score);
}

void PrintBoard() {
    printf("blocks %d\n", mxPH);
    for (int i = 0; i < mxPH; i++)
        printf("block %d %d %d %d %d\n", BL[i].x, BL[i].y, BL[i].w, BL[i].h, BL[i].type);
}

void PrintTables() {
    int n = 0;
    printf("cleared");
    for (int i = 0; i < STAGE_COUNT; i++)
        if (isClear[i]) printf(" %d", i), n++;
    printf(n ? "\n" : " none\n");
    n = 0;
    printf("best");
    for (int i = 0; i < STAGE_COUNT; i++)
        if (bestMove[i] != 99) printf(" %d:%d", i, bestMove[i]), n++;
    printf(n ? "\n" : " none\n");
}

} // namespace

int main(int argc, char **argv) {
    if (argc != 2) {
        fprintf(stderr, "usage: savedump FILE\n");
        return 2;
    }
    FILE *f = fopen(argv[1], "rb");
    if (!f) {
        perror(argv[1]);
        return 1;
    }
    // Far more than any save; a longer file is read in part and counted whole.
    static Uint8 data[1 << 16];
    const size_t len = fread(data, 1, sizeof data, f);
    size_t size = len;
    while (fgetc(f) != EOF)
        size++;
    fclose(f);

    ResetGameState();
    char why[128] = "";
    bool extended = false;
    const SaveVerdict v = ReadSave(data, (int)len, &extended, why, sizeof why);
    printf("size %zu\n", size);
    static const char *const READ[] = {"nothing", "progress", "board"};
    printf("read %s%s%s\n", READ[v], v == SAVE_ALL ? "" : ": ", why);
    if (v == SAVE_NOTHING) return 0;
    PrintProgress();
    if (v == SAVE_ALL) PrintBoard();
    PrintTables();
    printf("extension %s\n", extended ? "yes" : "no");
    return 0;
}
