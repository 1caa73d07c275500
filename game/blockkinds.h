// The block kinds of a layout and the size of the catalogue: the one table that the game,
// its save file, the stage generator and the tests all read. Plain C++, no SDL.
#ifndef GAME_BLOCKKINDS_H
#define GAME_BLOCKKINDS_H

#include <cstdint>

const int STAGE_COUNT = 263; // stage indices 0 to 262
const int BOARD_SIZE = 6;    // cells per row and per column
const int EXIT_ROW = 2;      // the row of the opening in the right edge

// Cell codes of a layout: the head code of each kind; the next cells of a block along its
// axis hold the head code plus their distance from the head.
enum {
    CELL_EMPTY = 0,
    CELL_HPAIR = 1,
    CELL_VPAIR = 11,
    CELL_HTRIPLE = 21,
    CELL_VTRIPLE = 31,
    CELL_TARGET = 51
};

// Block kinds as held in a block's type.
enum { TYPE_TARGET = 0, TYPE_VTRIPLE = 1, TYPE_VPAIR = 2, TYPE_HTRIPLE = 3, TYPE_HPAIR = 4 };
const int KIND_COUNT = 5;

// Axis of a kind: 0 slides along x, 1 along y.
enum { AXIS_HORIZONTAL = 0, AXIS_VERTICAL = 1 };

struct BlockKind {
    uint8_t head; // cell code of the head
    uint8_t w, h; // size in cells
    uint8_t axis;
};

// Indexed by type.
const BlockKind BLOCK_KINDS[KIND_COUNT] = {
    {CELL_TARGET, 2, 1, AXIS_HORIZONTAL}, {CELL_VTRIPLE, 1, 3, AXIS_VERTICAL},
    {CELL_VPAIR, 1, 2, AXIS_VERTICAL},    {CELL_HTRIPLE, 3, 1, AXIS_HORIZONTAL},
    {CELL_HPAIR, 2, 1, AXIS_HORIZONTAL},
};

// Type of the kind whose head code is code, or -1 for any other byte.
inline int KindOfHeadCode(uint8_t code) {
    for (int t = 0; t < KIND_COUNT; t++)
        if (BLOCK_KINDS[t].head == code) return t;
    return -1;
}

// Length of a kind along its axis.
inline int KindLength(int type) {
    const BlockKind &k = BLOCK_KINDS[type];
    return k.w > k.h ? k.w : k.h;
}

// 1 when code is one of the thirteen codes a layout may hold: 0, a head code, or a head
// code plus 1 (or plus 2 for a triple).
inline int IsCellCode(uint8_t code) {
    if (code == CELL_EMPTY) return 1;
    for (int t = 0; t < KIND_COUNT; t++)
        if (code >= BLOCK_KINDS[t].head && code < BLOCK_KINDS[t].head + KindLength(t)) return 1;
    return 0;
}

#endif
