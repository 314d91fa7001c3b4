#include "mobile/mobile.h"

void FreeMobile(Mobile& mobile) {
    TableFree(mobile.items);
    for (uint32_t i = 0; i < mobile.shapes.count; i++)
        TableFree(mobile.shapes[i]);
    TableFree(mobile.shapes);
    TableFree(mobile.reachable);
}

bool ReplaceWithReading(Mobile& shown, Mobile& reading) {
    if (!FindItem(reading, 1)) {
        FreeMobile(reading);
        return false;
    }
    FreeMobile(shown);
    shown = reading;
    reading = Mobile{};
    return true;
}
