#include "mobile/mobile.h"

void FreeMobile(Mobile& mobile) {
    TableFree(mobile.items);
    for (uint32_t i = 0; i < mobile.shapes.count; i++)
        TableFree(mobile.shapes[i]);
    TableFree(mobile.shapes);
    TableFree(mobile.reachable);
}
