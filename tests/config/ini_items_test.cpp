#include "config/ini_items.h"

#include <gtest/gtest.h>

#include <set>

#include "config/item_catalog.h"

namespace config {
namespace {

ItemKind KindFor(IniConversion c) {
    switch (c) {
        case IniConversion::Byte:
            return ItemKind::Byte;
        case IniConversion::Int32:
            return ItemKind::Int32;
        default:
            return ItemKind::Text;
    }
}

TEST(IniItems, EveryRowFeedsOneItemOfItsKind) {
    ASSERT_EQ(IniItems().size(), 36u);
    std::set<std::string_view> seen;
    for (const IniItem& row : IniItems()) {
        const ItemInfo* item = FindItem(row.item);
        ASSERT_NE(item, nullptr) << row.item;
        EXPECT_EQ(item->kind, KindFor(row.conversion)) << row.item;
        EXPECT_TRUE(seen.insert(row.item).second) << row.item;
        EXPECT_GE(row.characters, 2) << row.item;
    }
}

}  // namespace
}  // namespace config
