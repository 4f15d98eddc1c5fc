#pragma once
// A small world for the application's tests: a fresh root with the demo store PC built on it
// (store database of an old layout, "데이터1" database, INI files, login resolution), a scripted
// Desktop, a fixed clock and the process values. Helpers read and change the databases past the
// program, and put stand-in sibling programs (shell scripts that note their start) into the
// program folder.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "app/frm_db_patch_main.h"
#include "app/main_sequence.h"
#include "app/process.h"
#include "db/embedded/embedded.h"
#include "demo/demo_environment.h"
#include "fixtures/calendar_time.h"
#include "fixtures/host_root.h"
#include "host/profile.h"
#include "host/regional.h"

namespace app_test {

// 2020-12-21 09:05:07, local time.
inline std::chrono::system_clock::time_point MorningOfRelease() {
    return fixtures::LocalTimePoint(2020, 12, 21, 9, 5, 7);
}

// The name of a test instance of each store kind.
inline std::string KindName(const ::testing::TestParamInfo<demo::StoreKind>& info) {
    return info.param == demo::StoreKind::Mdb ? "Mdb" : "SqlServer";
}

class AppWorld : public ::testing::Test, public fixtures::DesktopRoot {
  protected:
    explicit AppWorld(demo::StoreKind kind = demo::StoreKind::Mdb)
        : DesktopRoot(host::MsgAnswer::Ok), kind_(kind) {
        demo::BuildDemo(host_, kind);
        host_.Regional().SetShortDateFormat("yyyy-MM-dd");
        NewProcess();
    }

    // A fresh process, as a new start of the program (it reads the login file again).
    void NewProcess() {
        process_.reset();
        process_ = std::make_unique<app::Process>(host_, desktop_);
    }
    app::Process& P() { return *process_; }

    app::StartupResult Start() {
        app::MainOptions options;
        options.now = MorningOfRelease;
        return app::Main(*process_, options);
    }
    // A start-up that ends with the main window showing.
    app::frmDBPatchMain& Window() {
        EXPECT_EQ(Start().outcome, app::StartupOutcome::Ready);
        return *P().MainForm();
    }

    // --- the databases, past the program ----------------------------------------------------
    std::unique_ptr<db::Session> OpenStore() const {
        db::embedded::OpenOptions options;
        if (kind_ == demo::StoreKind::Mdb) {
            options.dialect = db::Dialect::Jet;
            options.jetPassword = demo::kStoreMdbPassword;
            return db::embedded::Open(Native(demo::kDemoMdbPath), options);
        }
        options.dialect = db::Dialect::SqlServer;
        return db::embedded::Open(ServerFile(demo::kDemoStoreDatabase), options);
    }
    std::unique_ptr<db::Session> OpenData1() const {
        db::embedded::OpenOptions options;
        options.dialect = db::Dialect::SqlServer;
        return db::embedded::Open(ServerFile(demo::kDemoData1Database), options);
    }
    static void Exec(db::Session& s, const std::vector<std::string>& sql) {
        for (const auto& statement : sql) s.Execute(statement, 30);
    }
    // The values of the first column of a query.
    static std::vector<std::string> Column(db::Session& s, const std::string& sql) {
        std::vector<std::string> out;
        auto result = s.Execute(sql, 30);
        std::vector<util::Variant> row;
        while (result.rows && result.rows->Next(row)) out.push_back(row.at(0).AsText());
        return out;
    }
    // 날짜 of the history rows tagged "UpDate", in order.
    static std::vector<std::string> PatchDates(db::Session& s) {
        return Column(s, "SELECT 날짜 FROM PATCH_HIST WHERE NV_Ver = 'UpDate' ORDER BY 날짜, 번호");
    }
    void SetConfig(const std::string& item, const std::string& value) {
        auto store = OpenStore();
        Exec(*store, {"UPDATE CONFIG SET 적용 = '" + value + "' WHERE 신규명 = '" + item + "'"});
    }
    void SetIni(const std::string& section, const std::string& key, const std::string& value) {
        ASSERT_TRUE(
            host::WritePrivateProfileString(section, key, value, Native(demo::kMainIniPath)));
    }

    // --- stand-in sibling programs ------------------------------------------------------------
    // A program in the program folder that writes its arguments to <root>/<name>.started.
    void PutStandIn(const std::string& name) {
        const auto file = Native("C:\\Quillon\\" + name);
        host_test::WriteBytes(
            file, "#!/bin/sh\necho \"$@\" > \"$DATAPATCH_ROOT/" + name + ".started\"\n");
        std::filesystem::permissions(file, std::filesystem::perms::owner_all);
    }
    std::filesystem::path StartedNote(const std::string& name) const {
        return temp_.Path() / (name + ".started");
    }
    // The arguments the stand-in was started with; nullopt when it has not written its note.
    // The programs are not waited for, so the note is looked for a little while.
    std::optional<std::string> StandInArguments(const std::string& name) const {
        for (int i = 0; i < 200; ++i) {
            if (std::filesystem::exists(StartedNote(name))) {
                std::string text = host_test::ReadBytes(StartedNote(name));
                if (!text.empty() && text.back() == '\n') {
                    text.pop_back();
                    return text;
                }
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return std::nullopt;
    }

    std::filesystem::path ServerFile(const std::string& database) const {
        return db::embedded::ServerDatabaseFile(Native(demo::kDemoServerFolder), database);
    }

    demo::StoreKind kind_;
    std::unique_ptr<app::Process> process_;
};

}  // namespace app_test
