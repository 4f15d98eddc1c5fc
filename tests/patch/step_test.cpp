#include "patch/step.h"

#include <gtest/gtest.h>

#include "patch/catalogue.h"

namespace {

using patch::Branch;
using patch::Catalogue;
using patch::Step;

TEST(CatalogueProblems, FindsRowsThatAreBuiltOutOfOrder) {
    const struct {
        const char* name;
        Catalogue catalogue;
    } bad[] = {
        {"check after an action", {Step(1).Line("x").WhenTableMissing("T")}},
        {"gate after the check", {Step(1).WhenTableMissing("T").DateGate("20100208")}},
        {"two checks", {Step(1).WhenTableMissing("T").WhenTablePresent("U")}},
        {"nested misuse", {Step(1).Always().Nested(Branch().Run("x").OnlyTarget(1))}},
        {"date gate form", {Step(1).DateGate("2010-02-08").Always()}},
        {"target gate value", {Step(1).OnlyTarget(2).Always()}},
        {"mark 0", {Step(0).Always()}},
        {"mark 128", {Step(128).Always()}},
        {"marks falling", {Step(7).Always(), Step(6).Always()}},
    };
    for (const auto& c : bad) EXPECT_EQ(patch::CatalogueProblems(c.catalogue).size(), 1u) << c.name;

    const Catalogue good = {
        Step(5).Always(), Step(5).WhenNoRow("SELECT 1"),
        Step(61).WhenTableMissing("T").ThenIndependently().DateGate("20100208").Always()};
    EXPECT_TRUE(patch::CatalogueProblems(good).empty());
}

TEST(StoreCatalogue, IsSound) {
    EXPECT_EQ(patch::CatalogueProblems(patch::StoreCatalogue()), std::vector<std::string>{});
}

}  // namespace
