// The hint's search: a breadth-first search over the positions of the blocks,
// from the board as it stands, one move being a slide of one block by any
// number of cells, as a drag counts. It works on its own copy of the board (a
// bit per cell), never on the board's rules, which print their trace.
//
// A state packs each block's position along its axis into three bits of a
// 64-bit word, block i at bits 3i..3i+2 (20 blocks take 60 bits). The states
// live in fixed tables: the queue in the order found, with the index of the
// state each was reached from, and an open-addressing hash of indices into
// it. The last shortest path found is kept, so that asking again from any
// board on it (the next hint, after the last one was played) needs no search.
//
// The search can run in slices: the queue's head is all it needs to go on,
// so it stops after a given number of positions and resumes from there on the
// next call, in the same tables. The blocks it started from are kept beside
// it, and a slice that finds the board changed begins again from the board as
// it stands: an answer is only ever given for the board in BL.
#include <cstring>

#include "assist.h"

int hintStatesMax = HINT_STATES;

namespace {

const int SLOTS = 2 * HINT_STATES; // hash slots: at most half of them used
const Uint32 NO_PARENT = 0xFFFFFFFF;
const int PATH_MAX = 256; // moves a kept path may hold

// The board as the search sees it.
struct Board {
    int count;
    int target;
    Uint8 horiz[MAX_BLOCKS];
    Uint8 line[MAX_BLOCKS]; // row of a horizontal block, column of a vertical one
    Uint8 len[MAX_BLOCKS];
    Uint8 last[MAX_BLOCKS];        // highest position on the board
    uint64_t cell[MAX_BLOCKS][6];  // bit of the k-th cell of the block's line
    uint64_t cover[MAX_BLOCKS][6]; // cells covered at each position
    uint64_t at[MAX_BLOCKS][6];    // the position's bits in a state
    uint64_t field[MAX_BLOCKS];    // all three bits of the block in a state
    uint64_t exitPath[6];          // cells of the exit row right of the target
};

Board board;
uint64_t stateOf[HINT_STATES];
Uint32 parentOf[HINT_STATES];
Uint32 slotOf[SLOTS]; // index in stateOf plus one; 0 is a free slot
int found;            // states in stateOf
int searched;         // states the last search went through

// The search under way: the next state of the queue to expand, its start,
// and the blocks it was read from.
Uint8 underWay;
int head;
uint64_t startState;
_bl startBL[MAX_BLOCKS];
Uint8 startCount;

// The last shortest path: its states from its start to the first one with a
// free way out, on the board it was found for.
Board pathBoard;
uint64_t path[PATH_MAX + 1];
int pathStates;

uint64_t Bit(int x, int y) {
    return (uint64_t)1 << (6 * y + x);
}

// Reads BL into board and *s. 0 for a board the search cannot take: a kind
// or size it does not know, a block off the board (the target may stand in
// the exit opening), overlapping blocks, or not exactly one target.
int ReadBoard(uint64_t *s) {
    memset(&board, 0, sizeof board);
    board.count = mxPH;
    board.target = -1;
    if (mxPH > MAX_BLOCKS) return 0;
    uint64_t occ = 0, st = 0;
    for (int i = 0; i < mxPH; i++) {
        const _bl &b = BL[i];
        if (b.type >= KIND_COUNT) return 0;
        const BlockKind &k = BLOCK_KINDS[b.type];
        if (b.w != k.w || b.h != k.h) return 0;
        int horiz = k.axis == AXIS_HORIZONTAL;
        int len = KindLength(b.type), pos = horiz ? b.x : b.y, line = horiz ? b.y : b.x;
        int last = BOARD_SIZE - len;
        if (b.type == TYPE_TARGET) {
            if (board.target >= 0) return 0;
            board.target = i;
        }
        if (line < 0 || line >= BOARD_SIZE || pos < 0) return 0;
        // The target in the exit opening covers only its cell on the board.
        if (pos > last && !(b.type == TYPE_TARGET && pos == last + 1)) return 0;
        board.horiz[i] = (Uint8)horiz;
        board.line[i] = (Uint8)line;
        board.len[i] = (Uint8)len;
        board.last[i] = (Uint8)last;
        board.field[i] = (uint64_t)7 << (3 * i);
        for (int p = 0; p < BOARD_SIZE; p++) {
            board.cell[i][p] = horiz ? Bit(p, line) : Bit(line, p);
            board.at[i][p] = (uint64_t)p << (3 * i);
        }
        for (int p = 0; p < BOARD_SIZE; p++)
            for (int j = 0; j < len && p + j < BOARD_SIZE; j++)
                board.cover[i][p] |= board.cell[i][p + j];
        if (occ & board.cover[i][pos]) return 0;
        occ |= board.cover[i][pos];
        st |= board.at[i][pos];
    }
    if (board.target < 0 || !board.horiz[board.target]) return 0;
    for (int p = 0; p < BOARD_SIZE; p++)
        for (int x = p + 2; x < BOARD_SIZE; x++)
            board.exitPath[p] |= board.cell[board.target][x];
    *s = st;
    return 1;
}

int Pos(uint64_t s, int i) {
    return (int)((s >> (3 * i)) & 7);
}

uint64_t Occupied(uint64_t s) {
    uint64_t occ = 0;
    for (int i = 0; i < board.count; i++, s >>= 3)
        occ |= board.cover[i][s & 7];
    return occ;
}

int WayOut(uint64_t s, uint64_t occ) {
    return (occ & board.exitPath[Pos(s, board.target)]) == 0;
}

Uint32 Hash(uint64_t s) {
    Uint32 h = (Uint32)s ^ ((Uint32)(s >> 32) * 0x9E3779B1u);
    return ((h * 0x85EBCA6Bu) >> 14) & (SLOTS - 1);
}

// Adds s, reached from parent, unless it is known. 1 when added, 0 when known,
// -1 when the table is full.
int Add(uint64_t s, Uint32 parent) {
    Uint32 h = Hash(s);
    while (slotOf[h] != 0) {
        if (stateOf[slotOf[h] - 1] == s) return 0;
        h = (h + 1) & (SLOTS - 1);
    }
    if (found >= HINT_STATES || found >= hintStatesMax) return -1;
    stateOf[found] = s;
    parentOf[found] = parent;
    found++;
    slotOf[h] = (Uint32)found;
    return 1;
}

// Begins the breadth-first search from start, which has no way out.
void SearchFrom(uint64_t start) {
    memset(slotOf, 0, sizeof slotOf);
    found = 0;
    head = 0;
    startState = start;
    Add(start, NO_PARENT);
}

// Tries every move of state `from` of the queue. Returns the index of a
// state found with a free way out, -1 when the table filled up, or -2 when
// neither.
int Expand(Uint32 from) {
    uint64_t s = stateOf[from];
    uint64_t occ = Occupied(s);
    uint64_t t = s;
    for (int i = 0; i < board.count; i++, t >>= 3) {
        int p = (int)(t & 7);
        const uint64_t *cell = board.cell[i];
        int len = board.len[i];
        // Most blocks of a crowded board cannot move at all.
        if ((p == 0 || (occ & cell[p - 1])) && (p == board.last[i] || (occ & cell[p + len])))
            continue;
        uint64_t rest = s & ~board.field[i];
        uint64_t others = occ & ~board.cover[i][p];
        // Every stop on the way left (up), then right (down).
        for (int q = p - 1; q >= 0 && !(occ & cell[q]); q--) {
            uint64_t n = rest | board.at[i][q];
            int added = Add(n, from);
            if (added < 0) return -1;
            if (added && WayOut(n, others | board.cover[i][q])) return found - 1;
        }
        for (int q = p + 1; q <= board.last[i] && !(occ & cell[q + len - 1]); q++) {
            uint64_t n = rest | board.at[i][q];
            int added = Add(n, from);
            if (added < 0) return -1;
            if (added && WayOut(n, others | board.cover[i][q])) return found - 1;
        }
    }
    return -2;
}

// Keeps the path from the search's start to state end.
void KeepPath(int end) {
    int n = 0;
    for (Uint32 i = (Uint32)end; i != NO_PARENT; i = parentOf[i])
        n++;
    if (n > PATH_MAX + 1) {
        pathStates = 0;
        return;
    }
    pathStates = n;
    for (Uint32 i = (Uint32)end; i != NO_PARENT; i = parentOf[i])
        path[--n] = stateOf[i];
    pathBoard = board;
}

int SameBoard(const Board &a, const Board &b) {
    if (a.count != b.count || a.target != b.target) return 0;
    for (int i = 0; i < a.count; i++)
        if (a.horiz[i] != b.horiz[i] || a.line[i] != b.line[i] || a.len[i] != b.len[i]) return 0;
    return 1;
}

// Where s stands on the kept path, or -1.
int OnPath(uint64_t s) {
    if (!SameBoard(board, pathBoard)) return -1;
    for (int k = 0; k < pathStates; k++)
        if (path[k] == s) return k;
    return -1;
}

// The move from path state k to the next one, or the drag out from the last.
HintMove MoveAt(int k) {
    HintMove m = {(Uint8)board.target, (Sint8)BOARD_SIZE};
    if (k + 1 >= pathStates) return m;
    for (int i = 0; i < board.count; i++)
        if (Pos(path[k], i) != Pos(path[k + 1], i)) {
            m.block = (Uint8)i;
            m.to = (Sint8)Pos(path[k + 1], i);
        }
    return m;
}

// 1 when BL holds the blocks the search under way started from.
int SameBlocks() {
    if (mxPH != startCount) return 0;
    for (int i = 0; i < startCount; i++) {
        const _bl &a = BL[i], &b = startBL[i];
        if (a.x != b.x || a.y != b.y || a.w != b.w || a.h != b.h || a.type != b.type) return 0;
    }
    return 1;
}

// The answer for the search's start once the search has ended: end is the
// state found with a free way out, or negative for none.
int Answer(int end, HintMove *move) {
    underWay = 0;
    searched = found;
    if (end < 0) return 0;
    KeepPath(end);
    int k = OnPath(startState);
    if (k < 0) return 0;
    *move = MoveAt(k);
    return pathStates - k;
}

} // namespace

int HintSearchBegin(HintMove *move) {
    underWay = 0;
    searched = 0;
    uint64_t s;
    if (!ReadBoard(&s)) return 0;
    if (WayOut(s, Occupied(s))) {
        move->block = (Uint8)board.target;
        move->to = (Sint8)BOARD_SIZE;
        return 1;
    }
    int k = OnPath(s);
    if (k >= 0) {
        *move = MoveAt(k);
        return pathStates - k;
    }
    startCount = mxPH;
    memcpy(startBL, BL, mxPH * sizeof BL[0]);
    SearchFrom(s);
    underWay = 1;
    return -1;
}

int HintSearchStep(int positions, HintMove *move) {
    if (!underWay) return 0;
    if (!SameBlocks()) {
        // The board changed under the search: its answer would be stale.
        int moves = HintSearchBegin(move);
        if (moves >= 0) return moves;
    }
    for (int n = 0; n < positions && head < found; n++) {
        int end = Expand((Uint32)head++);
        if (end != -2) return Answer(end, move);
    }
    if (head < found) return -1;
    return Answer(-1, move); // every position reached, none with a way out
}

Uint8 HintSearchUnderWay() {
    return underWay;
}

void HintSearchAbandon() {
    underWay = 0;
}

int FindHint(HintMove *move) {
    int moves = HintSearchBegin(move);
    while (moves < 0)
        moves = HintSearchStep(HINT_STATES, move);
    return moves;
}

int HintStatesSearched() {
    return searched;
}
