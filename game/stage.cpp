// The stage catalogue and the layout of a stage into the block table.
#include <cstdio>

#include "tombslide.h"

// 263 layouts in the order of play, written by tools/stagegen.
const _st _STAGE[STAGE_COUNT] = {
#include "stages.inc"
};

Uint8 stage[36];
_bl BL[MAX_BLOCKS];
Uint8 mxPH = 0;

namespace {

struct Kind {
    Uint8 head; // cell code of the head
    Uint8 w, h; // size in cells
    Uint8 type; // value of _bl::type
};

const Kind kKinds[] = {
    {CELL_TARGET, 2, 1, TYPE_TARGET}, {CELL_VTRIPLE, 1, 3, TYPE_VTRIPLE},
    {CELL_VPAIR, 1, 2, TYPE_VPAIR},   {CELL_HTRIPLE, 3, 1, TYPE_HTRIPLE},
    {CELL_HPAIR, 2, 1, TYPE_HPAIR},
};

const Kind *KindOfHead(Uint8 code) {
    for (const Kind &k : kKinds)
        if (k.head == code) return &k;
    return nullptr;
}

} // namespace

void LayoutBlocks(const Uint8 data[36]) {
    Uint8 n = 0;
    for (int i = 0; i < 36; i++) {
        const Kind *k = KindOfHead(data[i]);
        // Continuation codes and unknown bytes never make a block. A sound
        // layout holds at most 18 blocks; the bound keeps any other one from
        // running past the table.
        if (!k || n >= MAX_BLOCKS) continue;
        BL[n].x = (Sint8)(i % 6);
        BL[n].y = (Sint8)(i / 6);
        BL[n].w = k->w;
        BL[n].h = k->h;
        BL[n].type = k->type;
        n++;
    }
    mxPH = n;
}

void InitStage() {
    printf("\nInitStage");
    for (int i = 0; i < 36; i++)
        stage[i] = _STAGE[currStage].data[i];
    LayoutBlocks(stage);
}

Uint8 typeBL(Uint8 bl) {
    Uint8 t = BL[bl].type;
    return (t == TYPE_TARGET || t == TYPE_HTRIPLE || t == TYPE_HPAIR) ? 0 : 1;
}
