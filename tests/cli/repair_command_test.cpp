// Runs `datapatch repair` as a support technician would: on the demo store, by name.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "fixtures/program_runner.h"
#include "host/temp_folder.h"

namespace {

using fixtures::Has;
using fixtures::Outcome;

using RepairCommand = fixtures::ProgramRoot<>;

TEST_F(RepairCommand, HelpListsEveryRoutineAndUnknownNamesAreUsageErrors) {
    const Outcome help = Datapatch("repair --help");
    // Routine names and the names of the maintenance buttons.
    fixtures::ExpectRun(help, 0,
                        {"SetPackageBarcodePrimaryKey", "ActionSimStandardCodeCreate",
                         "rebuild-locations", "margin-classes"});
    const Outcome unknown = Datapatch("repair NoSuchRoutine");
    fixtures::ExpectRun(unknown, 64,
                        {"there is no repair routine \"NoSuchRoutine\"", "FixDispensingFlags"});
    EXPECT_EQ(Datapatch("repair").exitCode, 64);
}

TEST_F(RepairCommand, RunsOneRoutineOnTheConfiguredStoreByNameInAnyCase) {
    ASSERT_EQ(Datapatch("demo --kind mdb").exitCode, 0);
    const Outcome fixed = Datapatch("repair fixorderpackquantities");
    fixtures::ExpectRun(fixed, 0, {"FixOrderPackQuantities finished: ", "DatMain.mdb"});
    // Like a run, a repair leaves its log in the Patch folder and names it.
    const std::string prefix = "log: C:\\Quillon\\Patch\\";
    const std::size_t at = fixed.output.find(prefix);
    ASSERT_NE(at, std::string::npos) << fixed.output;
    const std::size_t from = at + prefix.size();
    const std::string name = fixed.output.substr(from, fixed.output.find('\n', from) - from);
    EXPECT_TRUE(name.ends_with("-FixOrderPackQuantities.log")) << name;
    EXPECT_TRUE(std::filesystem::exists(Root() / "c/Quillon/Patch" / name)) << name;
    // Nothing is left to correct the second time.
    const Outcome again = Datapatch("repair FixOrderPackQuantities");
    EXPECT_TRUE(Has(again, "FixOrderPackQuantities finished: 0 rows changed")) << again.output;
}

TEST_F(RepairCommand, TheMaintenanceButtonsNamesRunTheirRoutines) {
    ASSERT_EQ(Datapatch("demo --kind sql").exitCode, 0);
    // The margin classes need the columns that the patch run adds.
    EXPECT_EQ(Datapatch("repair margin-classes").exitCode, 1);
    ASSERT_EQ(Datapatch("run --answer no").exitCode, 0);
    const Outcome out = Datapatch("repair margin-classes");
    fixtures::ExpectRun(out, 0, {"ActionUserTesselSetting2 finished"});
}

TEST_F(RepairCommand, ARoutineThatMeetsAnErrorStopsWithItsNumberAndExitCodeOne) {
    ASSERT_EQ(Datapatch("demo --kind mdb").exitCode, 0);
    // The old store has no serial number column in the point history yet.
    const Outcome out = Datapatch("repair NumberPointHistory");
    fixtures::ExpectRun(out, 1, {"NumberPointHistory stopped with error "});
}

TEST_F(RepairCommand, StartUpWithoutAConfiguredStoreEndsBeforeAnyRoutine) {
    const Outcome out = Datapatch("repair ClearPackageMemos");
    EXPECT_NE(out.exitCode, 0) << out.output;
    EXPECT_FALSE(Has(out, "ClearPackageMemos finished")) << out.output;
}

}  // namespace
