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

void LayoutBlocks(const Uint8 data[36]) {
    Uint8 n = 0;
    for (int i = 0; i < 36; i++) {
        int type = KindOfHeadCode(data[i]);
        // Continuation codes and unknown bytes never make a block. A sound
        // layout holds at most 18 blocks; the bound keeps any other one from
        // running past the table.
        if (type < 0 || n >= MAX_BLOCKS) continue;
        BL[n].x = (Sint8)(i % 6);
        BL[n].y = (Sint8)(i / 6);
        BL[n].w = BLOCK_KINDS[type].w;
        BL[n].h = BLOCK_KINDS[type].h;
        BL[n].type = (Uint8)type;
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
    // Types beyond the table count as vertical.
    return t < KIND_COUNT ? BLOCK_KINDS[t].axis : (Uint8)AXIS_VERTICAL;
}
