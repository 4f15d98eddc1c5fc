#include "app/main_sequence.h"

#include <gtest/gtest.h>

#include "app/frm_db_patch_main.h"
#include "app_world.h"
#include "config/norv_conn.h"
#include "util/main_window_model.h"

namespace app_test {
namespace {

using app::StartupOutcome;

class MainSequenceTest : public AppWorld {};

// --- the clock -------------------------------------------------------------------------------

// The time format must give two-digit hours, else start-up ends with a box; a short date format
// that does not give "yyyy-MM-dd" is replaced with it silently. (Which texts are usable:
// cases/texts.txt; the box's text: the command line's LookOnly test.)
TEST_F(MainSequenceTest, TimeFormatMustGiveTwoDigitHoursAndTheDateFormatIsForced) {
    struct Case {
        const char* time;       // 09:05:07 written with it
        const char* date;       // 2020-12-21 written with it
        const char* dateAfter;  // nullptr: start-up is refused
    };
    const Case cases[] = {
        {"H:mm:ss", "yyyy-MM-dd", nullptr},  // "9:05:07"
        {"HH:mm:ss", "yyyy-MM-dd", "yyyy-MM-dd"},
        {"HH:mm:ss", "yyyy.MM.dd", "yyyy-MM-dd"},  // ten characters, fifth a full stop
        {"HH:mm:ss", "yyyy-M-d", "yyyy-M-d"},      // "2020-12-21" by chance: left alone
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.time) + " " + c.date);
        host_.Regional().SetTimeFormat(c.time);
        host_.Regional().SetShortDateFormat(c.date);
        NewProcess();
        desktop_ = host::ScriptedDesktop(host::MsgAnswer::Ok);
        if (c.dateAfter != nullptr) {
            EXPECT_EQ(Start().outcome, StartupOutcome::Ready);
            EXPECT_EQ(host_.Regional().ShortDateFormat(), c.dateAfter);
            EXPECT_TRUE(Boxes().empty());
            continue;
        }
        EXPECT_EQ(Start().outcome, StartupOutcome::TimeFormatRefused);
        const auto boxes = Boxes();
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].icon, host::MsgIcon::Information);
        EXPECT_EQ(P().MainForm(), nullptr);
    }
}

// --- configuration and store -----------------------------------------------------------------

TEST_F(MainSequenceTest, MissingMainIniIsBroughtFromTheSystemFolder) {
    const auto productIni = Native(demo::kMainIniPath);
    const auto systemIni = Native("C:\\Windows\\System32\\NVConfig.INI");
    std::filesystem::rename(productIni, systemIni);
    NewProcess();
    EXPECT_EQ(Start().outcome, StartupOutcome::Ready);
    EXPECT_TRUE(std::filesystem::exists(productIni));
    EXPECT_TRUE(std::filesystem::exists(systemIni));  // the system folder keeps its copy
}

// --- the migration hand-over -----------------------------------------------------------------

TEST_F(MainSequenceTest, OldOrUnpatchedDatabasesGoToTheMigrationTool) {
    // The date of the last patch run (nullptr: none) and whether start-up hands over. (Which
    // rows give that date: the history's tests.)
    const std::pair<const char*, bool> cases[] = {
        {nullptr, true}, {"20071028", true}, {"20071029", false}};
    // Without the tool start-up still ends.
    Exec(*OpenStore(), {"DELETE FROM PATCH_HIST"});
    const app::StartupResult without = Start();
    EXPECT_EQ(without.outcome, StartupOutcome::HandedToMigration);
    EXPECT_FALSE(without.migrationStarted);
    PutStandIn(app::kMigrationTool);
    for (const auto& [date, handed] : cases) {
        std::filesystem::remove(StartedNote(app::kMigrationTool));
        Exec(*OpenStore(), {"DELETE FROM PATCH_HIST"});
        if (date != nullptr) {
            Exec(*OpenStore(),
                 {std::string("INSERT INTO PATCH_HIST (날짜, 번호, NV_Ver) VALUES ('") + date +
                  "', 1, 'UpDate')"});
        }
        NewProcess();
        const app::StartupResult result = Start();
        if (handed) {
            EXPECT_EQ(result.outcome, StartupOutcome::HandedToMigration);
            EXPECT_TRUE(result.migrationStarted);
            EXPECT_EQ(P().MainForm(), nullptr);
            EXPECT_TRUE(StandInArguments(app::kMigrationTool).has_value());
        } else {
            EXPECT_EQ(result.outcome, StartupOutcome::Ready);
            EXPECT_NE(P().MainForm(), nullptr);
            EXPECT_FALSE(std::filesystem::exists(StartedNote(app::kMigrationTool)));
        }
    }
}

// --- a ready start: the store code, the central connection ---------------------------------

// The window shows the version and the store code of the INI; the central connection opens only
// when the online service is off, and an unreachable central database is silent.
TEST_F(MainSequenceTest, ReadyStartShowsTheWindowAndOpensTheCentralConnectionUnlessOnline) {
    SetIni("마스터", "매장등록", "0123");
    NewProcess();
    ASSERT_EQ(Start().outcome, StartupOutcome::Ready);
    EXPECT_EQ(P().StoreCode, "0123");
    ASSERT_NE(P().MainForm(), nullptr);
    EXPECT_EQ(P().MainWindow().Label4, P().VersionText);
    ASSERT_NE(P().CentralConnection, nullptr);
    EXPECT_EQ(P().CentralConnection->State(), db::ObjectState::Open);

    SetConfig("장비_온라인서비스", "1");
    NewProcess();
    EXPECT_EQ(Start().outcome, StartupOutcome::Ready);
    EXPECT_EQ(P().CentralConnection, nullptr);

    SetConfig("장비_온라인서비스", "0");
    std::filesystem::remove_all(Native(demo::kDemoCentralFolder));
    NewProcess();
    EXPECT_EQ(Start().outcome, StartupOutcome::Ready);
    EXPECT_TRUE(Boxes().empty());
    EXPECT_TRUE(!P().CentralConnection ||
                P().CentralConnection->State() == db::ObjectState::Closed);
}

}  // namespace
}  // namespace app_test
