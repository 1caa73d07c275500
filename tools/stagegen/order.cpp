#include "order.h"

#include <algorithm>

std::vector<int> PlayOrder(const Catalogue &cat) {
    std::vector<int> order;
    for (int i = 0; i < STAGE_COUNT; i++)
        order.push_back(i);
    std::stable_sort(order.begin() + FIXED_STAGES, order.end(), [&cat](int a, int b) {
        const Stage &x = cat.stage[a], &y = cat.stage[b];
        if (x.moves != y.moves) return x.moves < y.moves;
        if (x.solutions != y.solutions) return x.solutions > y.solutions;
        return x.key < y.key;
    });
    return order;
}
