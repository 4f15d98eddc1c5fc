#include "config/slot_map.h"

#include "config/ini_items.h"

#include <algorithm>
#include <set>
#include <vector>

namespace config {
namespace {

namespace S = SlotNumber;

// clang-format off
constexpr SlotBinding kSlots[] = {
    {S::kStoreCount,          "",                      "number of stores; above 1 the main window offers the \"데이터1\" pass"},
    {S::kOnlineService,       "장비_온라인서비스",     "0: start-up opens the central connection"},
    {S::kAdminDateRange,      "관리자_날짜범위",       "administrator: date range"},
    {S::kAdminChainPrice,     "관리자_체인점교환단가", "administrator: chain exchange price"},
    {S::kAdminChainPoint,     "관리자_체인점포인트",   "administrator: chain points"},
    {S::kData1Server,         "데이터_SQLServer_S",    "\"데이터1\" database: server"},
    {S::kData1Database,       "데이터_SQLDataName_S",  "\"데이터1\" database: database name"},
    {S::kData1User,           "데이터_SQLID_S",        "\"데이터1\" database: user"},
    {S::kData1Password,       "데이터_SQLPass_S",      "\"데이터1\" database: password"},
    {S::kData1NetworkLibrary, "데이터_SQLConMode_S",   "\"데이터1\" database: network library switch"},
};
// clang-format on

constexpr int kAdminSlots[] = {S::kAdminDateRange, S::kAdminChainPrice, S::kAdminChainPoint};

bool IsIniItem(std::string_view name) {
    for (const IniItem& row : IniItems()) {
        if (row.item == name) return true;
    }
    return false;
}

// The fixed slots above, then every other item that the configuration table feeds, in the
// items' declaration order, on the lowest slots that are still free. The order of the item list
// therefore fixes the map; a new item is appended to the list so that no slot moves.
std::vector<SlotBinding> BuildBindings() {
    std::vector<SlotBinding> all(std::begin(kSlots), std::end(kSlots));
    std::set<int> used;
    std::set<std::string_view> bound;
    for (const SlotBinding& b : kSlots) {
        used.insert(b.slot);
        if (!b.item.empty()) bound.insert(b.item);
    }
    int next = 1;
    for (const ItemInfo& item : Items()) {
        if (bound.count(item.name) || IsIniItem(item.name)) continue;
        while (used.count(next)) ++next;
        all.push_back({next, item.name, "configuration table item"});
        used.insert(next);
    }
    std::sort(all.begin(), all.end(),
              [](const SlotBinding& a, const SlotBinding& b) { return a.slot < b.slot; });
    return all;
}

const std::vector<SlotBinding>& Bindings() {
    static const std::vector<SlotBinding> bindings = BuildBindings();
    return bindings;
}

std::string Row(std::string_view slot, std::string_view item, std::string_view kind,
                std::string_view meaning) {
    return "| " + std::string(slot) + " | " + std::string(item) + " | " + std::string(kind) +
           " | " + std::string(meaning) + " |\n";
}

}  // namespace

std::span<const SlotBinding> SlotBindings() {
    return Bindings();
}

std::span<const int> AdminSlots() {
    return kAdminSlots;
}

const ItemInfo* ItemForSlot(int slot) {
    const auto& all = Bindings();
    const auto it = std::lower_bound(all.begin(), all.end(), slot,
                                     [](const SlotBinding& b, int s) { return b.slot < s; });
    if (it == all.end() || it->slot != slot || it->item.empty()) return nullptr;
    return FindItem(it->item);
}

std::optional<int> CodeOfItem(std::string_view item) {
    for (const SlotBinding& b : Bindings()) {
        if (b.item == item) return b.slot;
    }
    const auto ini = IniItems();
    for (std::size_t i = 0; i < ini.size(); ++i) {
        if (ini[i].item == item) return kIniMirrorFirstCode + static_cast<int>(i);
    }
    return std::nullopt;
}

std::string ConfigurationSlotsMarkdown() {
    std::string md =
        "### Configuration slots\n\n"
        "Each row of a configuration table (CONFIG, CONFIG + PC code) carries its item number in "
        "`환경코드`. A table load puts the row's `적용` into slot `환경코드` of the item table "
        "(351 "
        "slots, 0 to 350; `필드구분` 2 as text, otherwise as a number) and then copies the slots "
        "below into their typed `NorvConn` items. A `환경코드` that is not a number, is negative "
        "or is 351 or more stops the load with \"환경설정을 불러올 수 없습니다\".\n\n"
        "| 환경코드 | item | kind | meaning |\n"
        "|---|---|---|---|\n";
    for (const SlotBinding& b : Bindings()) {
        const ItemInfo* item = b.item.empty() ? nullptr : FindItem(b.item);
        md +=
            Row(std::to_string(b.slot), item ? "`" + std::string(item->name) + "`" : "(by number)",
                item ? KindName(item->kind) : "number", b.meaning);
    }
    md +=
        "\nSlot 85 feeds no item: its value is read by number (`NorvConn::Slot(85)`).\n\n"
        "The " +
        std::to_string(IniItems().size()) +
        " INI-held items (the `데이터_` connection settings, `판매등록_공지이미지` and the `M_` "
        "block) come from \"C:\\Quillon\\NVConfig.INI\" and the printer INI file, not from a "
        "slot. Their rows in a configuration table only mirror the INI values and carry the "
        "codes " +
        std::to_string(kIniMirrorFirstCode) + " to " +
        std::to_string(kIniMirrorFirstCode + static_cast<int>(IniItems().size()) - 1) +
        " in the order of the INI table; those slots feed nothing.\n";
    return md;
}

}  // namespace config
