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
// The board lines are printed only when the board was read. With --stage,
// the blocks and block lines of a stage's fresh board, as the game lays it
// out (ROOM as the player sees it, 1 to 263): what a save of it holds. Plain
// C++ without the C++ library, so that the handheld's build makes it too.
//   savedump FILE
//   savedump --stage ROOM
#include <cstdio>
#include <cstdlib>
#include <cstring>

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

// Prints the fresh board of room (1-based), as InitStage lays it out.
int PrintStage(const char *room) {
    char *end = nullptr;
    long n = strtol(room, &end, 10);
    if (end == room || *end != '\0' || n < 1 || n > STAGE_COUNT) {
        fprintf(stderr, "savedump: no room %s (1 to %d)\n", room, STAGE_COUNT);
        return 2;
    }
    LayoutBlocks(_STAGE[n - 1].data);
    PrintBoard();
    return 0;
}

} // namespace

int main(int argc, char **argv) {
    if (argc == 3 && strcmp(argv[1], "--stage") == 0) return PrintStage(argv[2]);
    if (argc != 2) {
        fprintf(stderr, "usage: savedump FILE | savedump --stage ROOM\n");
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
