#include "config/item_catalog.h"

#include <cmath>
#include <limits>

#include "config/config_errors.h"
#include "db/error.h"

namespace config {
namespace {

util::Variant ToVariant(const std::string& v) {
    return util::Variant(v);
}
util::Variant ToVariant(std::int32_t v) {
    return util::Variant(static_cast<std::int64_t>(v));
}
util::Variant ToVariant(std::uint8_t v) {
    return util::Variant(static_cast<std::int64_t>(v));
}
util::Variant ToVariant(bool v) {
    return util::Variant(v);
}

// The value rounded as VB's CLng does; an error 6 when it does not fit [low, high].
std::int64_t RoundedWithin(const util::Variant& v, std::int64_t low, std::int64_t high) {
    const double d = v.AsDouble();
    if (!std::isfinite(d) || d < static_cast<double>(low) - 0.5 ||
        d > static_cast<double>(high) + 0.5) {
        throw db::DbError(ConfigError::kOverflow, "Overflow");
    }
    const std::int64_t n = v.AsInt();
    if (n < low || n > high) throw db::DbError(ConfigError::kOverflow, "Overflow");
    return n;
}

void Assign(std::string& m, const util::Variant& v) {
    m = v.AsText();
}
void Assign(std::int32_t& m, const util::Variant& v) {
    m = static_cast<std::int32_t>(RoundedWithin(v, std::numeric_limits<std::int32_t>::min(),
                                                std::numeric_limits<std::int32_t>::max()));
}
void Assign(std::uint8_t& m, const util::Variant& v) {
    m = static_cast<std::uint8_t>(RoundedWithin(v, 0, 255));
}
void Assign(bool& m, const util::Variant& v) {
    m = v.AsBool();
}

#define DATAPATCH_ITEM_ROW(name, kind)                                                        \
    ItemInfo{#name, ItemKind::kind, [](const NorvConnItems& c) { return ToVariant(c.name); }, \
             [](NorvConnItems& c, const util::Variant& v) { Assign(c.name, v); }},

const ItemInfo kItems[] = {DATAPATCH_NORVCONN_ITEMS(DATAPATCH_ITEM_ROW)};

#undef DATAPATCH_ITEM_ROW

}  // namespace

std::span<const ItemInfo> Items() {
    return kItems;
}

const ItemInfo* FindItem(std::string_view name) {
    for (const ItemInfo& item : kItems) {
        if (item.name == name) return &item;
    }
    return nullptr;
}

std::string ItemText(const NorvConnItems& items, const ItemInfo& item) {
    const util::Variant value = item.get(items);
    if (item.kind == ItemKind::Boolean) return value.AsBool() ? "-1" : "0";
    return value.AsText();
}

std::string_view KindName(ItemKind kind) {
    switch (kind) {
        case ItemKind::Text:
            return "text";
        case ItemKind::Int32:
            return "32-bit";
        case ItemKind::Byte:
            return "byte";
        case ItemKind::Boolean:
            return "boolean";
    }
    return "";
}

}  // namespace config
