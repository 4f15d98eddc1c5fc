#pragma once
// Which slot of the item table (환경코드 0 to 350) feeds which typed item after a table load,
// and the slots that are read by number. Every other slot is loaded into the item table
// (NorvConn::Slot) without feeding an item, and items without a slot keep their zero value.
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "config/item_catalog.h"

namespace config {

namespace SlotNumber {
inline constexpr int kStoreCount = 85;  // read by number: above 1, a "데이터1" database exists
inline constexpr int kOnlineService = 140;
inline constexpr int kAdminDateRange = 142;
inline constexpr int kAdminChainPrice = 143;
inline constexpr int kAdminChainPoint = 144;
inline constexpr int kData1Server = 146;
inline constexpr int kData1Database = 147;
inline constexpr int kData1User = 148;
inline constexpr int kData1Password = 149;
inline constexpr int kData1NetworkLibrary = 150;
}  // namespace SlotNumber

struct SlotBinding {
    int slot;
    std::string_view item;     // the NorvConn item it feeds; empty for a slot read by number
    std::string_view meaning;  // what the value is, for the documentation
};

// In slot order.
std::span<const SlotBinding> SlotBindings();
// The item that the slot feeds, or null.
const ItemInfo* ItemForSlot(int slot);
// The 환경코드 of the row that carries the item in a configuration table: its slot for an item the
// table feeds; for an INI-held item, whose row only mirrors the INI value (the saving operations
// find it by 신규명), a code from 310 upward that feeds nothing. nullopt for an unknown name.
std::optional<int> CodeOfItem(std::string_view item);
// The first code of the INI mirror rows.
inline constexpr int kIniMirrorFirstCode = 310;

// The administrator slots that ActionConFigLoad_Admin copies.
std::span<const int> AdminSlots();

// The Markdown section "Configuration slots" of the README, made from the tables above.
std::string ConfigurationSlotsMarkdown();

}  // namespace config
