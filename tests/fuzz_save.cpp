// The save-file loader under libFuzzer. Each input is written as save.dat in
// the working folder and loaded by the real LoadGame. Whatever it accepts must
// be a board the rules can produce, and must save and load back identically;
// whatever it refuses must leave the board alone and lie whole in save.dat.bad.
//
// A mutator that knows the layout (block records, their count, the extension
// record, the tables) reaches the board checks far sooner than random bytes.
//
// Built with -DFUZZ_SEEDS_MAIN instead, the same file is a program that writes
// a seed corpus of real saves, made by the game's own SaveGame from boards
// the rules produced, into the folder it is given.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "tombslide.h"

#ifndef FUZZ_SEEDS_MAIN

namespace {

const int LONGEST = 534 + 5 * MAX_BLOCKS + 10; // plain layout, 20 blocks, extension

// Everything the save file carries, as the game holds it.
struct Snapshot {
    Uint8 game;
    Sint16 stage, moves;
    Uint32 score;
    Uint8 count;
    _bl blocks[MAX_BLOCKS];
    Uint8 clear[STAGE_COUNT], best[STAGE_COUNT];
};

void Take(Snapshot &s) {
    memset(&s, 0, sizeof s);
    s.game = GAME;
    s.stage = currStage;
    s.moves = movePoint;
    s.score = score;
    s.count = mxPH;
    for (int i = 0; i < mxPH && i < MAX_BLOCKS; i++) {
        s.blocks[i] = BL[i];
        s.blocks[i].moved = 0;
    }
    memcpy(s.clear, isClear, sizeof s.clear);
    memcpy(s.best, bestMove, sizeof s.best);
}

bool SameBoard(const Snapshot &a, const Snapshot &b) {
    return a.count == b.count && memcmp(a.blocks, b.blocks, sizeof a.blocks) == 0;
}

bool Same(const Snapshot &a, const Snapshot &b) {
    return a.game == b.game && a.stage == b.stage && a.moves == b.moves && a.score == b.score &&
           SameBoard(a, b) && memcmp(a.clear, b.clear, sizeof a.clear) == 0 &&
           memcmp(a.best, b.best, sizeof a.best) == 0;
}

void Fail(const char *what) {
    fprintf(stderr, "\nfuzz_save: %s\n", what);
    abort();
}

// Whether the board could have come from play: known kinds of their own
// size, one target on row 2 (on the board, in the exit or beyond it as far as
// the pen reaches), every other block on the 6x6 board, no two overlapping.
bool Playable() {
    static const int W[5] = {2, 1, 1, 3, 2}, H[5] = {1, 3, 2, 1, 1};
    if (mxPH > MAX_BLOCKS) return false;
    int targets = 0;
    bool cell[6][12] = {};
    for (int i = 0; i < mxPH; i++) {
        const _bl &b = BL[i];
        if (b.type > 4 || b.w != W[b.type] || b.h != H[b.type]) return false;
        if (b.x < 0 || b.y < 0 || b.y + b.h > 6) return false;
        if (b.type == TYPE_TARGET) {
            targets++;
            if (b.y != 2 || b.x > 9) return false;
        } else if (b.x + b.w > 6) {
            return false;
        }
        for (int y = b.y; y < b.y + b.h; y++)
            for (int x = b.x; x < b.x + b.w; x++) {
                if (cell[y][x]) return false;
                cell[y][x] = true;
            }
    }
    return targets == 1;
}

bool ProgressSound() {
    if (currStage < 0 || currStage >= STAGE_COUNT || movePoint < 0) return false;
    for (int i = 0; i < STAGE_COUNT; i++)
        if (isClear[i] > 1) return false;
    return true;
}

// Reads up to size bytes of path; returns the count, -1 when it cannot.
long ReadAll(const char *path, Uint8 *buf, long size) {
    int fd = open(path, O_RDONLY);
    if (fd < 0) return -1;
    long got = 0;
    ssize_t r;
    while (got < size && (r = read(fd, buf + got, (size_t)(size - got))) > 0)
        got += r;
    close(fd);
    return got;
}

bool WriteAll(const char *path, const Uint8 *data, size_t size) {
    int fd = open(path, O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0) return false;
    bool ok = size == 0 || write(fd, data, size) == (ssize_t)size;
    return close(fd) == 0 && ok;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    // The game's trace lines would drown libFuzzer's own report.
    if (!freopen("/dev/null", "w", stdout)) Fail("no /dev/null");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    ResetGameState();
    unlink("save.dat");
    unlink("save.dat.bad");
    if (!WriteAll("save.dat", data, size)) Fail("cannot write save.dat");
    Snapshot before, loaded, again;
    Take(before);
    const Uint8 r = LoadGame();
    if (r == 1) {
        if (GAME != GAME_RESUMING) Fail("accepted but not resuming");
        if (!Playable()) Fail("accepted a board the rules cannot produce");
        if (!ProgressSound()) Fail("accepted progress out of range");
        Take(loaded);
        if (!SaveGame()) Fail("cannot save what was loaded");
        static Uint8 first[LONGEST + 1], second[LONGEST + 1];
        long n1 = ReadAll("save.dat", first, sizeof first);
        ResetGameState();
        if (LoadGame() != 1) Fail("refused its own save");
        Take(again);
        if (!Same(loaded, again)) Fail("a save did not load back identically");
        if (!SaveGame()) Fail("cannot save again");
        long n2 = ReadAll("save.dat", second, sizeof second);
        if (n1 < 0 || n1 != n2 || memcmp(first, second, (size_t)n1) != 0)
            Fail("saving the same game twice gave two files");
    } else {
        // Refused: the board stays as it was, and the file lies aside whole.
        Take(loaded);
        if (!SameBoard(before, loaded) || loaded.moves != before.moves || GAME != before.game)
            Fail("a refused file changed the board");
        if (!ProgressSound()) Fail("a refused file left progress out of range");
        if (access("save.dat", F_OK) == 0) Fail("a refused file was left in place");
        static Uint8 kept[LONGEST + 2];
        long n = ReadAll("save.dat.bad", kept, (long)sizeof kept);
        long want = size < sizeof kept ? (long)size : (long)sizeof kept;
        if (n != want || memcmp(kept, data, (size_t)want) != 0)
            Fail("a refused file was not kept whole");
    }
    return 0;
}

// The mutator. Offsets of the layout: 0 stage, 1 moves, 2 block count N, 3..9
// score digits, 10 + 5i block i, then 262 cleared flags, 262 bests, and maybe
// the 10-byte extension record.

extern "C" size_t LLVMFuzzerMutate(uint8_t *data, size_t size, size_t maxSize);

namespace {

Uint32 rng;
Uint32 Next(Uint32 n) {
    rng ^= rng << 13;
    rng ^= rng >> 17;
    rng ^= rng << 5;
    return rng % n;
}

const Uint8 POSITIONS[] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 0xFF, 0x80};

Uint8 RandomField(int field) {
    switch (field) {
    case 0:
    case 1:
        return POSITIONS[Next(sizeof POSITIONS)];
    case 2:
    case 3:
        return (Uint8)Next(5);
    default:
        return (Uint8)Next(7);
    }
}

// A block record as the game might write one: a known kind of its size.
void RandomBlock(uint8_t *r) {
    static const Uint8 W[5] = {2, 1, 1, 3, 2}, H[5] = {1, 3, 2, 1, 1};
    Uint8 type = (Uint8)Next(5);
    r[0] = RandomField(0);
    r[1] = type == TYPE_TARGET && Next(2) ? 2 : RandomField(1);
    r[2] = W[type];
    r[3] = H[type];
    r[4] = type;
}

size_t Insert(uint8_t *data, size_t size, size_t maxSize, size_t at, size_t n) {
    if (size + n > maxSize || at > size) return 0;
    memmove(data + at + n, data + at, size - at);
    return size + n;
}

size_t Erase(uint8_t *data, size_t size, size_t at, size_t n) {
    if (at + n > size) return 0;
    memmove(data + at, data + at + n, size - at - n);
    return size - n;
}

size_t LayoutMutate(uint8_t *data, size_t size, size_t maxSize) {
    if (size < 10) return 0;
    const size_t n = data[2];
    const size_t plain = 534 + 5 * n;
    switch (Next(10)) {
    case 0: // one field of one block record
        if (n == 0) return 0;
        {
            size_t i = Next((Uint32)n), f = Next(5), at = 10 + 5 * i + f;
            if (at >= size) return 0;
            data[at] = RandomField((int)f);
        }
        return size;
    case 1: // one more block
    {
        size_t at = 10 + 5 * Next((Uint32)n + 1);
        size_t s = Insert(data, size, maxSize, at, 5);
        if (s == 0 || n >= 255) return 0;
        RandomBlock(data + at);
        data[2] = (Uint8)(n + 1);
        return s;
    }
    case 2: // one block fewer
    {
        if (n == 0) return 0;
        size_t s = Erase(data, size, 10 + 5 * Next((Uint32)n), 5);
        if (s == 0) return 0;
        data[2] = (Uint8)(n - 1);
        return s;
    }
    case 3: // the extension record, added or taken away
        if (size == plain) {
            size_t s = Insert(data, size, maxSize, size, 10);
            if (s == 0) return 0;
            Uint16 stage = (Uint16)Next(300), moves = (Uint16)(Next(2) ? Next(70000) : data[1]);
            const Uint8 rec[10] = {'T',
                                   'S',
                                   'X',
                                   '1',
                                   (Uint8)stage,
                                   (Uint8)(stage >> 8),
                                   (Uint8)moves,
                                   (Uint8)(moves >> 8),
                                   (Uint8)Next(3),
                                   (Uint8)Next(256)};
            memcpy(data + plain, rec, 10);
            if (Next(4)) data[0] = (Uint8)stage; // usually consistent
            if (Next(4)) data[1] = (Uint8)moves;
            return s;
        }
        if (size == plain + 10) return Erase(data, size, plain, 10);
        return 0;
    case 4: // stage or move count
        data[Next(2)] = (Uint8)Next(256);
        return size;
    case 5: // a cleared flag or a best count
    {
        size_t at = 10 + 5 * n + Next(2 * SAVED_STAGES);
        if (at >= size) return 0;
        data[at] = at < 10 + 5 * n + SAVED_STAGES ? (Uint8)Next(3) : (Uint8)Next(256);
        return size;
    }
    case 6: // a score digit
        data[3 + Next(7)] = Next(8) ? (Uint8)('0' + Next(10)) : (Uint8)Next(256);
        return size;
    case 7: // the count alone
        data[2] = (Uint8)(Next(4) ? n + Next(3) - 1 : Next(256));
        return size;
    case 8: // two block records swapped
    {
        if (n < 2) return 0;
        size_t a = 10 + 5 * Next((Uint32)n), b = 10 + 5 * Next((Uint32)n);
        if (a + 5 > size || b + 5 > size) return 0;
        Uint8 t[5];
        memcpy(t, data + a, 5);
        memcpy(data + a, data + b, 5);
        memcpy(data + b, t, 5);
        return size;
    }
    default: // the length cut or grown by a byte
        if (Next(2)) return size - 1;
        return Insert(data, size, maxSize, size, 1);
    }
}

} // namespace

extern "C" size_t LLVMFuzzerCustomMutator(uint8_t *data, size_t size, size_t maxSize,
                                          unsigned int seed) {
    rng = seed | 1;
    if (Next(5) != 0) {
        size_t s = LayoutMutate(data, size, maxSize);
        if (s > 0) return s;
    }
    return LLVMFuzzerMutate(data, size, maxSize);
}

#else

// Seeds: the game played at random by its own rules, saved by SaveGame.
namespace {

Uint32 rng = 12345;
Uint32 Next(Uint32 n) {
    rng = rng * 1103515245u + 12345u;
    return (rng >> 8) % n;
}

// Random steps of random blocks, as pen drags make them.
void Play(int steps) {
    for (int s = 0; s < steps && GAME == GAME_PLAYING; s++) {
        ckPH = (Uint8)Next(mxPH);
        const _bl &b = BL[ckPH];
        ckX = b.x;
        ckY = b.y;
        Sint8 r = Next(2) ? BlockUP() : BlockDOWN();
        if (r != 0 && Next(3) == 0) CountMove();
    }
}

} // namespace

int main(int argc, char **argv) {
    if (argc != 2 || chdir(argv[1]) != 0) {
        fprintf(stderr, "usage: fuzz_seeds <corpus folder>\n");
        return 1;
    }
    if (!freopen("/dev/null", "w", stdout)) return 1;
    for (int k = 0; k < 40; k++) {
        ResetGameState();
        currStage = (Sint16)(k < 30 ? Next(STAGE_COUNT - 1) : Next(STAGE_COUNT));
        InitStage();
        Play((int)Next(400));
        if (k % 4 == 1) movePoint = (Sint16)Next(MOVES_MAX);
        if (k % 5 == 2) score = Next(10000000);
        for (int i = 0; i < (int)Next(STAGE_COUNT); i++) {
            int at = (int)Next(STAGE_COUNT);
            isClear[at] = 1;
            bestMove[at] = (Uint8)(5 + Next(95));
        }
        if (SaveGame() != 1) return 1;
        char name[32];
        snprintf(name, sizeof name, "seed-%02d", k);
        if (rename("save.dat", name) != 0) return 1;
    }
    return 0;
}

#endif
