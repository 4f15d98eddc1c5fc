// Runs the repair cases of cases/*.txt on a store of each kind. A file holds cases in this form:
//
//   # a comment
//   case: a name
//   kinds: mdb | sqlserver (both when not given)
//   sql: a statement of the store as it is made (any number; without one no store is made)
//   reference: a row of the central drug reference: demo::ReferenceRow's fields, "|" between
//   standard code: a statement of the standard code file; "standard code: no table" makes the
//                  file without its table
//   central: lost (the login file names a central server it does not know)
//   bar before: max value of the bar before the calls
//   stop: yes (the user asks to stop at the first caption of the progress window)
//   call: a routine of Routines() and its words (any number, run in order)
// and what must hold after the calls:
//   returns: what each call returned, one line per call ("true"/"false" for a yes or no)
//   throws: 0xNUMBER [a piece of the description]: the last call throws, the others do not
//   rows: a query, followed by its rows as "= field|field" lines ("NULL" for Null)
//   run list: followed by the lines the run list holds, as "= " lines
//   captions: followed by the progress window's captions at the calls' yields, as "= " lines
//   sent: a statement's beginning, followed by every statement sent that begins so, as "= " lines
//   box: title | information or none | a piece of its text (one line per box shown)
//   bar: max value
//   yields: how often the calls yielded
//   refused: a statement the store refuses afterwards; accepted: one it takes
//   column: table column size null | not null
// A key ending in ".mdb" or ".sqlserver" holds for that kind only. {today} in a statement or an
// expected text stands for the day as the repairs write it, {digits} for its digits.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <type_traits>
#include <vector>

#include "db/statement_trace.h"
#include "repairs/central_world.h"
#include "repairs/class_codes.h"
#include "repairs/clock_text.h"
#include "repairs/drug_prices.h"
#include "repairs/fix_dispensing_flags.h"
#include "repairs/fix_order_pack_quantities.h"
#include "repairs/point_history.h"
#include "repairs/product_barcodes.h"
#include "repairs/product_locations.h"
#include "repairs/repair_report.h"
#include "repairs/table_rows.h"
#include "repairs/toolbar_menus.h"
#include "repairs/trading_partners.h"

namespace {

using store_test::Kind;
using Lines = std::vector<std::string>;
using Words = std::vector<std::string>;

struct Entry {
    std::string key;  // without its kind
    std::string value;
    Lines lines;  // the "= " lines that follow it
};

struct RepairCase {
    std::string name;
    std::string where;
    std::vector<Entry> entries;  // in the file's order, for the kind being run
};

std::string Trim(const std::string& s) {
    const auto b = s.find_first_not_of(" \t");
    return b == std::string::npos ? std::string() : s.substr(b, s.find_last_not_of(" \t") - b + 1);
}

Words Split(const std::string& text, char at) {
    Words words;
    std::size_t from = 0;
    for (std::size_t to; (to = text.find(at, from)) != std::string::npos; from = to + 1) {
        words.push_back(Trim(text.substr(from, to - from)));
    }
    words.push_back(Trim(text.substr(from)));
    return words;
}

const std::set<std::string> kKeys = {
    "sql",     "reference", "standard code", "central",  "bar before", "stop", "call",
    "returns", "throws",    "rows",          "run list", "captions",   "sent", "box",
    "bar",     "yields",    "refused",       "accepted", "column"};

// The cases of every file for one kind; entries of the other kind are left out.
std::vector<RepairCase> LoadCases(Kind kind) {
    const std::string own = kind == Kind::Mdb ? "mdb" : "sqlserver";
    std::vector<RepairCase> cases;
    std::vector<std::filesystem::path> files;
    for (const auto& entry :
         std::filesystem::directory_iterator(DATAPATCH_TESTS_DIR "/repairs/cases")) {
        files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    for (const auto& file : files) {
        std::ifstream in(file);
        std::string line;
        bool caseOff = false, keyOff = false;  // of the other kind
        for (int number = 1; std::getline(in, line); ++number) {
            const std::string where = file.filename().string() + ":" + std::to_string(number);
            if (line.empty() || line[0] == '#') continue;
            if (line[0] == '=') {
                if (!caseOff && !keyOff) {
                    cases.back().entries.back().lines.push_back(line.size() > 2 ? line.substr(2)
                                                                                : "");
                }
                continue;
            }
            const auto colon = line.find(':');
            if (colon == std::string::npos) throw std::runtime_error(where + ": no key");
            const std::string key = line.substr(0, colon);
            const std::string value = Trim(line.substr(colon + 1));
            if (key == "case") {
                cases.push_back({value, where, {}});
                caseOff = false;
            } else if (key == "kinds") {
                caseOff = value != "both" && value != own;
                if (caseOff) cases.pop_back();
            } else if (!caseOff) {
                const auto dot = key.find('.');
                if (!kKeys.count(key.substr(0, dot))) throw std::runtime_error(where + ": " + key);
                keyOff = dot != std::string::npos && key.substr(dot + 1) != own;
                if (!keyOff) cases.back().entries.push_back({key.substr(0, dot), value, {}});
            }
        }
    }
    return cases;
}

// --- the routines a case may call -------------------------------------------------------------

using Routine = std::function<std::string(config::Runtime&, const Words&)>;

std::string Said(bool yes) {
    return yes ? "true" : "false";
}

template <auto Repair>
Routine Plain() {
    return [](config::Runtime& rt, const Words&) {
        using Result = decltype(Repair(rt));
        if constexpr (std::is_void_v<Result>) {
            Repair(rt);
            return std::string();
        } else if constexpr (std::is_same_v<Result, bool>) {
            return Said(Repair(rt));
        } else if constexpr (std::is_integral_v<Result>) {
            return std::to_string(Repair(rt));
        } else {
            return std::string(Repair(rt));
        }
    };
}

const std::map<std::string, Routine>& Routines() {
    static const std::map<std::string, Routine> routines = {
        {"RenumberProductClassCodes", Plain<repairs::RenumberProductClassCodes>()},
        {"ActionUserTesselSetting2", Plain<repairs::ActionUserTesselSetting2>()},
        {"RefreshDrugPrices", Plain<repairs::RefreshDrugPrices>()},
        {"ActionSimStandardCodeCreate",
         [](config::Runtime& rt, const Words& w) {
             return Said(repairs::ActionSimStandardCodeCreate(rt, w.at(1) == "column"));
         }},
        {"FixDispensingFlags", Plain<repairs::FixDispensingFlags>()},
        {"FixOrderPackQuantities", Plain<repairs::FixOrderPackQuantities>()},
        {"NumberPointHistory", Plain<repairs::NumberPointHistory>()},
        {"NextCodeNumber",
         [](config::Runtime& rt, const Words& w) {
             return repairs::NextCodeNumber(rt, w.at(1), w.at(2));
         }},
        {"SetPackageBarcodePrimaryKey", Plain<repairs::SetPackageBarcodePrimaryKey>()},
        {"TrimProductTexts", Plain<repairs::TrimProductTexts>()},
        {"TrimInsuranceSpec", Plain<repairs::TrimInsuranceSpec>()},
        {"ClearPackageMemos", Plain<repairs::ClearPackageMemos>()},
        {"BuildProductLocations", Plain<repairs::BuildProductLocations>()},
        {"RebuildProductLocations", Plain<repairs::RebuildProductLocations>()},
        {"RenameToolbarMenus", Plain<repairs::RenameToolbarMenus>()},
        {"InsertPrescriptionMenu", Plain<repairs::InsertPrescriptionMenu>()},
        {"MoveAreaCodes",
         [](config::Runtime& rt, const Words& w) {
             return Said(repairs::MoveAreaCodes(rt, w.at(1) == "move"));
         }},
        {"ClearDeletedSupplierRefs", Plain<repairs::ClearDeletedSupplierRefs>()},
        {"ShowRepairErrorReport",
         [](config::Runtime& rt, const Words& w) {
             std::string text = "작업 중";  // the windows of a repair that stopped
             rt.Dialogs().ProgressDialog(0, 0, 0, text);
             rt.Dialogs().ShowMessageWindow("잠시만 기다려주세요!");
             const auto number = static_cast<std::int32_t>(std::stoul(w.at(1), nullptr, 0));
             repairs::ShowRepairErrorReport(rt, db::DbError(number, w.at(2)));
             return std::string();
         }},
    };
    return routines;
}

// --- running a case ---------------------------------------------------------------------------

class RepairCases : public ::testing::TestWithParam<Kind> {
  protected:
    void Run(const RepairCase& c);

    std::string Filled(std::string text) {
        for (const auto& [name, value] :
             {std::pair<std::string, std::string>{"{today}", today_}, {"{digits}", digits_}}) {
            for (std::size_t at; (at = text.find(name)) != std::string::npos;) {
                text.replace(at, name.size(), value);
            }
        }
        return text;
    }
    static std::string Unescaped(std::string text) {
        for (std::size_t at; (at = text.find("\\r\\n")) != std::string::npos;) {
            text.replace(at, 4, "\r\n");
        }
        return text;
    }

    std::string today_, digits_;
};

void RepairCases::Run(const RepairCase& c) {
    const auto has = [&](const char* key) {
        return std::any_of(c.entries.begin(), c.entries.end(),
                           [&](const Entry& e) { return e.key == key; });
    };
    const auto central = has("reference") || has("standard code") || has("central")
                             ? std::make_unique<central_test::CentralWorld>(GetParam())
                             : nullptr;
    const auto plain = central ? nullptr : std::make_unique<store_test::StoreWorld>(GetParam());
    store_test::StoreWorld& world = central ? *central : *plain;
    today_ = repairs::TodayText(world.Runtime());
    digits_ = repairs::TodayDigits(world.Runtime());

    Lines sql, reference, standardCodes;
    bool standardTable = true;
    for (const Entry& e : c.entries) {
        if (e.key == "sql") sql.push_back(Filled(e.value));
        if (e.key == "reference") {
            Words f = Split(e.value, '|');
            if (f.size() == 8) f.insert(f.end(), {"20000101", "99991231"});
            reference.push_back(
                demo::ReferenceRow(f[0], f[1], f[2], f[3], f[4], f[5], f[6], f[7], f[8], f.at(9)));
        }
        if (e.key == "standard code" && e.value == "no table") standardTable = false;
        if (e.key == "standard code" && e.value != "no table") standardCodes.push_back(e.value);
        if (e.key == "central") central->LoseCentralServer();  // a new runtime
    }
    config::Runtime& rt = world.Runtime();
    if (!reference.empty()) central->AddReference(reference);
    if (has("standard code")) {
        demo::CreateStandardCodeFile(central->HostRef(), standardCodes, standardTable);
    }
    if (!sql.empty()) world.Make(sql);

    // The calls.
    const auto yields = [&] {
        return world.Desktop().CallsOf(host::ScriptedDesktop::CallKind::DoEvents).size();
    };
    const std::size_t yieldsBefore = yields();
    Lines captions, sent;
    world.Desktop().OnDoEvents([&] {
        util::frm02Msg* w = rt.Dialogs().LoadedProgressWindow();
        if (w == nullptr || w->PbSub.caption.empty()) return;
        captions.push_back(w->PbSub.caption);
        if (has("stop")) rt.Dialogs().StopRequested = true;
    });
    rt.Ado().router->Trace().Observe([&](const db::TracedStatement& s) {
        if (!s.query) sent.emplace_back(s.sql);
    });
    Lines results;
    std::string thrown;
    for (const Entry& e : c.entries) {
        if (e.key == "bar before") {
            const Words bar = Split(e.value, ' ');
            rt.MainWindow().SetPB2(std::stoi(bar.at(0)), std::stoi(bar.at(1)));
        }
        if (e.key != "call") continue;
        ASSERT_TRUE(thrown.empty()) << "a call after one that threw";
        const Words words = Split(e.value, ' ');
        ASSERT_TRUE(Routines().count(words[0])) << words[0];
        try {
            results.push_back(Routines().at(words[0])(rt, words));
        } catch (const db::DbError& error) {
            char number[16];
            std::snprintf(number, sizeof number, "0x%08X", static_cast<unsigned>(error.Number()));
            thrown = std::string(number) + " " + error.Description();
        }
    }
    const std::size_t yieldsAfter = yields();
    rt.Ado().router->Trace().Observe(nullptr);
    world.Desktop().OnDoEvents(nullptr);

    // What must hold.
    Lines returns, boxes, runList;
    bool throws = false;
    for (const Entry& e : c.entries) {
        SCOPED_TRACE(e.key + ": " + e.value);
        if (e.key == "returns") returns.push_back(Filled(e.value));
        if (e.key == "box") boxes.push_back(e.value);
        if (e.key == "run list") runList = e.lines;
        if (e.key == "captions") {
            EXPECT_EQ(captions, e.lines);
        }
        if (e.key == "sent") {
            Lines begun;
            for (const std::string& sql : sent) {
                if (sql.starts_with(e.value)) begun.push_back(Trim(sql));
            }
            EXPECT_EQ(begun, e.lines);
        }
        if (e.key == "throws") {
            throws = true;
            const auto blank = e.value.find(' ');
            EXPECT_EQ(thrown.substr(0, 10), e.value.substr(0, blank));
            if (blank != std::string::npos) {
                EXPECT_NE(thrown.find(e.value.substr(blank + 1)), std::string::npos) << thrown;
            }
        }
        if (e.key == "rows") {
            Lines expected;
            for (const std::string& row : e.lines) expected.push_back(Filled(row));
            EXPECT_EQ(store_test::TableRows(*rt.StoreConnection, Filled(e.value)), expected);
        }
        if (e.key == "bar") {
            EXPECT_EQ(std::to_string(rt.MainWindow().PB2.max) + " " +
                          std::to_string(rt.MainWindow().PB2.value),
                      e.value);
        }
        if (e.key == "yields") {
            EXPECT_EQ(std::to_string(yieldsAfter - yieldsBefore), e.value);
        }
        if (e.key == "refused" || e.key == "accepted") {
            bool refused = false;
            try {
                world.Execute(e.value);
            } catch (const db::DbError&) {
                refused = true;
            }
            EXPECT_EQ(refused, e.key == "refused");
        }
        if (e.key == "column") {
            const Words w = Split(e.value, ' ');
            std::string found = "missing";
            for (const db::ColumnInfo& column : world.Columns(w.at(0))) {
                if (column.name != w.at(1)) continue;
                found = std::to_string(column.size) + (column.nullable ? " null" : " not null");
            }
            EXPECT_EQ(w.at(0) + " " + w.at(1) + " " + found, e.value);
        }
    }
    if (!throws) {
        EXPECT_EQ(thrown, "");
    }
    if (!returns.empty()) {
        EXPECT_EQ(results, returns);
    }
    EXPECT_EQ(world.RunList(), runList);
    const auto shown = world.Boxes();
    ASSERT_EQ(shown.size(), boxes.size());
    for (std::size_t i = 0; i < boxes.size(); ++i) {
        const Words box = Split(boxes[i], '|');
        EXPECT_EQ(shown[i].title, box.at(0));
        EXPECT_EQ(shown[i].icon,
                  box.at(1) == "information" ? host::MsgIcon::Information : host::MsgIcon::None);
        EXPECT_NE(shown[i].text.find(Unescaped(box.at(2))), std::string::npos) << shown[i].text;
    }
    // Whatever happened, the repair's windows are gone.
    EXPECT_EQ(rt.Dialogs().LoadedProgressWindow(), nullptr);
    EXPECT_EQ(rt.Dialogs().LoadedMessageWindow(), nullptr);
}

TEST_P(RepairCases, EachCaseLeavesItsTables) {
    const std::vector<RepairCase> cases = LoadCases(GetParam());
    ASSERT_GT(cases.size(), 10u);
    for (const RepairCase& c : cases) {
        SCOPED_TRACE(c.where + " " + c.name);
        Run(c);
    }
}

INSTANTIATE_TEST_SUITE_P(BothKinds, RepairCases, ::testing::Values(Kind::Mdb, Kind::SqlServer),
                         [](const auto& info) { return store_test::KindName(info.param); });

}  // namespace
