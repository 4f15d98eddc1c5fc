#pragma once
// The configuration items by name at run time: one row per item of norv_conn_items.h, in its
// order, with accessors that read and write the typed member through a Variant. Used where items
// are chosen by name (the saving statements, the command line's listing) and by the slot and INI
// tables.
#include <cstddef>
#include <span>
#include <string>
#include <string_view>

#include "config/norv_conn.h"
#include "util/variant.h"

namespace config {

struct ItemInfo {
    std::string_view name;
    ItemKind kind;
    // The member's value: text as text, the numeric kinds as integers, booleans as booleans.
    util::Variant (*get)(const NorvConnItems&);
    // Converts and stores: text takes the value's text; Int32 and Byte the rounded number
    // (a Byte outside 0-255 throws DbError 6, overflow); Boolean true for a number other than 0.
    void (*set)(NorvConnItems&, const util::Variant&);
};

// All 334 items, in declaration order.
std::span<const ItemInfo> Items();
// The item of that exact name, or null.
const ItemInfo* FindItem(std::string_view name);
// The item's value as the INI files and the SQL statements write it: text as it stands,
// numbers in decimal, booleans as -1 / 0.
std::string ItemText(const NorvConnItems& items, const ItemInfo& item);
// The kind's name as the documentation and the command line show it ("text", "32-bit", ...).
std::string_view KindName(ItemKind kind);

}  // namespace config
