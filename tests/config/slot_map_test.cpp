#include <gtest/gtest.h>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <set>
#include <string>

#include "config/config_errors.h"
#include "config/connection_setup.h"
#include "config/ini_items.h"
#include "config/item_catalog.h"
#include "config/slot_map.h"
#include "db/error.h"
#include "host/case_table.h"
#include "host/temp_folder.h"

namespace config {
namespace {

ItemKind KindFor(IniConversion c) {
    return c == IniConversion::Byte    ? ItemKind::Byte
           : c == IniConversion::Int32 ? ItemKind::Int32
                                       : ItemKind::Text;
}

// Every item of the catalogue has one name, one row code below the slot limit, and is fed either
// by one slot or by one INI row of its kind, never both; a slot feeds one item at most.
TEST(SlotMap, EveryItemIsFedOnceAndHasItsOwnRowCode) {
    std::set<std::string_view> ini;
    for (const IniItem& row : IniItems()) {
        const ItemInfo* item = FindItem(row.item);
        ASSERT_NE(item, nullptr) << row.item;
        EXPECT_EQ(item->kind, KindFor(row.conversion)) << row.item;
        EXPECT_TRUE(ini.insert(row.item).second) << row.item;
        EXPECT_GE(row.characters, 2) << row.item;
    }
    std::set<int> slots;
    std::set<std::string_view> fed;
    for (const SlotBinding& b : SlotBindings()) {
        EXPECT_TRUE(slots.insert(b.slot).second) << b.slot;
        EXPECT_GE(b.slot, 0);
        EXPECT_LT(b.slot, kSlotCount);
        if (b.item.empty()) continue;
        EXPECT_TRUE(fed.insert(b.item).second) << b.item;
        EXPECT_EQ(ItemForSlot(b.slot), FindItem(b.item)) << b.item;
    }
    EXPECT_EQ(ItemForSlot(SlotNumber::kStoreCount), nullptr);  // read by number only
    EXPECT_EQ(AdminSlots().size(), 3u);
    std::set<std::string_view> names;
    std::set<int> codes;
    for (const ItemInfo& item : Items()) {
        EXPECT_TRUE(names.insert(item.name).second) << item.name;
        EXPECT_EQ(FindItem(item.name), &item);
        EXPECT_NE(ini.count(item.name) + fed.count(item.name), 0u) << item.name;
        const std::optional<int> code = CodeOfItem(item.name);
        ASSERT_TRUE(code.has_value()) << item.name;
        EXPECT_LT(*code, kSlotCount) << item.name;
        EXPECT_TRUE(codes.insert(*code).second) << item.name << " shares " << *code;
    }
    EXPECT_EQ(fed.size() + ini.size(), Items().size());
    EXPECT_FALSE(codes.count(SlotNumber::kStoreCount));
    EXPECT_FALSE(CodeOfItem("없는항목").has_value());
    EXPECT_EQ(FindItem("데이터_없는항목"), nullptr);
    EXPECT_EQ(FindItem("m_매장코드"), nullptr);  // names are exact
}

// docs/configuration-slots.md is generated from the table and must not drift from it. After a
// deliberate change of the table the test leaves the page as it should be beside the test
// program (configuration-slots.md), to be copied over the one in docs/.
TEST(SlotMap, ReadmeMatchesTheTable) {
    const auto readme = std::filesystem::path(DATAPATCH_TESTS_DIR).parent_path() / "docs" /
                        "configuration-slots.md";
    const std::string begin = "<!-- configuration-slots:begin -->\n";
    const std::string end = "<!-- configuration-slots:end -->";
    const std::string md = ConfigurationSlotsMarkdown();
    std::string text = host_test::ReadBytes(readme);
    const auto from = text.find(begin);
    const auto to = text.find(end);
    ASSERT_NE(from, std::string::npos);
    ASSERT_NE(to, std::string::npos);
    if (text.substr(from + begin.size(), to - from - begin.size()) != md) {
        text.replace(from + begin.size(), to - from - begin.size(), md);
        const auto expected = std::filesystem::current_path() / "configuration-slots.md";
        host_test::WriteBytes(expected, text);
        ADD_FAILURE() << readme << " does not match the slot table; " << expected
                      << " holds the page as it should be";
    }
    EXPECT_NE(md.find("| 140 | `장비_온라인서비스` | boolean |"), std::string::npos);
    EXPECT_NE(md.find("| 85 | (by number) | number |"), std::string::npos);
}

// What the conversion gives, or "overflow" when it raises 6 (Overflow).
std::string OrOverflow(const std::function<std::string()>& convert) {
    try {
        return convert();
    } catch (const db::DbError& e) {
        return e.Number() == ConfigError::kOverflow ? "overflow" : std::to_string(e.Number());
    }
}

// A setting's text made a byte, and a value stored into an item, read back as the statements
// write the item.
TEST(ItemCatalog, ConversionsOnStore) {
    for (const auto& c : host_test::LoadCaseTable("config/cases/connection.txt", "TextToByte")) {
        EXPECT_EQ(OrOverflow([&] { return std::to_string(TextToByte(util::Variant(c[0]))); }), c[1])
            << c.where;
    }
    EXPECT_EQ(TextToByte(util::Variant(9)), 9);
    for (const auto& c : host_test::LoadCaseTable("config/cases/ini.txt", "item conversions")) {
        NorvConnItems items;
        const ItemInfo& item = *FindItem(c[0]);
        char* end = nullptr;
        const double number = std::strtod(c[1].c_str(), &end);
        const util::Variant value = c[1] == "empty" ? util::Variant()
                                    : *end == '\0'  ? util::Variant(number)
                                                    : util::Variant(c[1]);
        const auto store = [&] {
            item.set(items, value);
            return ItemText(items, item);
        };
        EXPECT_EQ(OrOverflow(store), c[2]) << c.where;
    }
}

}  // namespace
}  // namespace config
