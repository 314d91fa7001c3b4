// A plain growable array for the mobile's tables: malloc/realloc underneath,
// no exceptions. A failed growth leaves the table as it was and reports false,
// so a hostile description can never leave a table half-grown.
#pragma once

#include <stdint.h>
#include <stdlib.h>
#include <string.h>

template <typename T> struct Table {
    T* data = nullptr;
    uint32_t count = 0;
    uint32_t capacity = 0;

    T& operator[](uint32_t i) { return data[i]; }
    const T& operator[](uint32_t i) const { return data[i]; }
};

// Makes room for at least `wanted` elements without changing `count`.
template <typename T> bool TableReserve(Table<T>& table, uint32_t wanted) {
    if (wanted <= table.capacity)
        return true;
    uint64_t grown = (uint64_t)table.capacity * 2;
    if (grown < wanted)
        grown = wanted;
    if (grown < 8)
        grown = 8;
    if (grown * sizeof(T) > SIZE_MAX / 2)
        return false;
    T* data = (T*)realloc(table.data, (size_t)grown * sizeof(T));
    if (!data)
        return false;
    table.data = data;
    table.capacity = (uint32_t)grown;
    return true;
}

// Grows the table to `count` elements, the new ones all-zero bytes.
template <typename T> bool TableResize(Table<T>& table, uint32_t count) {
    if (count > table.count) {
        if (!TableReserve(table, count))
            return false;
        memset((void*)(table.data + table.count), 0, (size_t)(count - table.count) * sizeof(T));
    }
    table.count = count;
    return true;
}

template <typename T> bool TablePush(Table<T>& table, const T& value) {
    if (table.count == table.capacity && !TableReserve(table, table.count + 1))
        return false;
    table.data[table.count++] = value;
    return true;
}

template <typename T> void TableFree(Table<T>& table) {
    free(table.data);
    table.data = nullptr;
    table.count = table.capacity = 0;
}
