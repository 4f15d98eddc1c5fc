// The util layer's functions of values, driven by the case tables in cases/functions.txt.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <map>

#include "fixtures/host_root.h"
#include "host/case_table.h"
#include "host/codepage.h"
#include "host/desktop.h"
#include "util/byte_text.h"
#include "util/command_line.h"
#include "util/date_serial.h"
#include "util/dialogs.h"
#include "util/ini_module.h"
#include "util/kro_function.h"
#include "util/progress_strip.h"
#include "util/sql_text.h"
#include "util/vb_text.h"

namespace util {
namespace {

using Args = std::vector<std::string>;
using Results = std::vector<std::string>;
using K = Kro_Function;

DateTime ParseDate(const std::string& text) {
    CivilTime t;
    std::sscanf(text.c_str(), "%d-%d-%d %d:%d:%d", &t.year, &t.month, &t.day, &t.hour, &t.minute,
                &t.second);
    return MakeDateTime(t);
}

// A value as the case tables write it (see the head of cases/functions.txt).
Variant Value(const std::string& text) {
    const auto blank = text.find(' ');
    const std::string kind = text.substr(0, blank);
    const std::string rest = blank == std::string::npos ? "" : text.substr(blank + 1);
    if (text == "empty") return Variant();
    if (text == "null") return Variant::MakeNull();
    if (kind == "int") return Variant(std::int64_t{std::stoll(rest)});
    if (kind == "double") return Variant(std::stod(rest));
    if (kind == "cur") return Variant(Currency{std::llround(std::stod(rest) * 10000)});
    if (kind == "bool") return Variant(rest == "true");
    if (kind == "date") return Variant(ParseDate(rest));
    return Variant(text);
}

// The inverse of Value, so that a result's kind is compared as well.
std::string Written(const Variant& v) {
    static const char* const kKinds[] = {"empty",  "null", "bool", "int",
                                         "double", "cur",  "",     "date"};
    const std::string kind = kKinds[static_cast<int>(v.kind())];
    if (v.IsText()) return v.AsText();
    if (v.IsEmpty() || v.IsNull()) return kind;
    return kind + " " + v.AsText();
}

std::string Number(double d) {
    return Variant(d).AsText();
}
std::string Flag(bool b) {
    return b ? "true" : "false";
}
int Int(const std::string& text) {
    return std::stoi(text);
}

// A fresh root whose C:\Quillon holds NVConfig.INI with the text given (UTF-8, stored in CP949),
// or no file for "none".
struct IniRoot : fixtures::HostRoot {
    static constexpr const char* kIni = "C:\\Quillon\\NVConfig.INI";
    explicit IniRoot(const std::string& text) {
        std::filesystem::create_directories(Native("C:\\Quillon"));
        if (text != "none") Put(kIni, host::Utf8ToCp949(text));
    }
    std::string Text() const { return Exists(kIni) ? *host::Cp949ToUtf8(Get(kIni)) : "none"; }
    using HostRoot::host_;
};

const std::map<std::string, std::function<Results(const Args&)>> kFunctions = {
    {"ParseNumber",
     [](const Args& a) -> Results {
         double out = -999;
         if (ParseNumber(a[0], out)) return {Number(out)};
         return out == -999 ? Results{} : Results{"changed to " + Number(out)};
     }},
    {"Val", [](const Args& a) -> Results { return {Number(Val(a[0]))}; }},
    {"AsText", [](const Args& a) -> Results { return {Value(a[0]).AsText()}; }},
    {"AsInt", [](const Args& a) -> Results { return {std::to_string(Value(a[0]).AsInt())}; }},
    {"AsDouble", [](const Args& a) -> Results { return {Number(Value(a[0]).AsDouble())}; }},
    {"AsCurrency", [](const Args& a) -> Results { return {Written(Value(a[0]).AsCurrency())}; }},
    {"AsBool", [](const Args& a) -> Results { return {Flag(Value(a[0]).AsBool())}; }},
    {"IsNumeric", [](const Args& a) -> Results { return {Flag(Value(a[0]).IsNumeric())}; }},
    {"FromDouble",
     [](const Args& a) -> Results { return {Written(Currency::FromDouble(std::stod(a[0])))}; }},
    {"DateSerial",
     [](const Args& a) -> Results {
         const DateTime d = ParseDate(a[0]);
         const CivilTime t = ToCivil(d);
         char back[32];
         std::snprintf(back, sizeof back, "%04d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day,
                       t.hour, t.minute, t.second);
         return {Number(d.serial), back};
     }},
    {"KoreanDates",
     [](const Args& a) -> Results {
         const DateTime d = ParseDate(a[0]);
         return {K::DD한글요일(d), K::DD월마지막일자(d), K::DD직전월(d)};
     }},
    {"Nz", [](const Args& a) -> Results { return {Written(K::Nz(Value(a[0]), Int(a[1])))}; }},
    {"SRMidH",
     [](const Args& a) -> Results {
         return {a.size() > 2 ? K::SRMidH(a[0], Int(a[1]), Int(a[2])) : K::SRMidH(a[0], Int(a[1]))};
     }},
    {"SRLeftH SRRightH",
     [](const Args& a) -> Results {
         return {K::SRLeftH(a[0], Int(a[1])), K::SRRightH(a[0], Int(a[1]))};
     }},
    {"SRMidSpc",
     [](const Args& a) -> Results {
         return {K::SRMidSpc(Value(a[0]), static_cast<std::int16_t>(Int(a[1])), a[2] == "true",
                             a[3] == "true")};
     }},
    {"SliceBytes",
     [](const Args& a) -> Results { return {SliceBytes(a[0], Int(a[1]), Int(a[2]))}; }},
    {"ByteLength", [](const Args& a) -> Results { return {std::to_string(ByteLength(a[0]))}; }},
    {"Trim", [](const Args& a) -> Results { return {Trim(a[0])}; }},
    {"SR특정문자기준으로배열생성",
     [](const Args& a) -> Results { return K::SR특정문자기준으로배열생성(a[0], a[1]); }},
    {"SR특정문자갯수",
     [](const Args& a) -> Results { return {std::to_string(K::SR특정문자갯수(a[0], a[1]))}; }},
    {"SR특정문자찾아오기",
     [](const Args& a) -> Results { return {K::SR특정문자찾아오기(a[0], a[1], Int(a[2]))}; }},
    {"NMPercent",
     [](const Args& a) -> Results { return {Number(K::NMPercent(Int(a[0]), Int(a[1])))}; }},
    {"NMRound",
     [](const Args& a) -> Results { return {Number(K::NMRound(std::stod(a[0]), Int(a[1])))}; }},
    {"NMPercentValue",
     [](const Args& a) -> Results {
         return {Written(K::NMPercentValue(Value(a[0]).AsCurrency(), Int(a[1])))};
     }},
    {"NM한글금액", [](const Args& a) -> Results { return {K::NM한글금액(Value(a[0]))}; }},
    {"SRFormat",
     [](const Args& a) -> Results { return {Written(K::SRFormat(Value(a[0]), Int(a[1])))}; }},
    {"SRFormat_Money", [](const Args& a) -> Results { return {Written(K::SRFormat_Money(a[0]))}; }},
    {"CtPicProgress",
     [](const Args& a) -> Results {
         return {std::to_string(CtPicProgress(Value(a[0]), "").percent)};
     }},
    {"ProgressDialog step",
     [](const Args& a) -> Results {
         host::ScriptedDesktop desktop;
         Dialogs dialogs(desktop);
         std::string text = a[2];
         dialogs.ProgressDialog(1, Int(a[0]), Int(a[1]), text, false, false);
         const auto& strip = dialogs.ProgressWindow().PbSub;
         return {text, strip.caption, std::to_string(strip.percent)};
     }},
    {"SqlQuoted", [](const Args& a) -> Results { return {SqlQuoted(a[0])}; }},
    {"SqlQuotedValue", [](const Args& a) -> Results { return {SqlQuotedValue(Value(a[0]))}; }},
    {"SqlNumber",
     [](const Args& a) -> Results {
         return {a.size() > 1 ? SqlNumber(Value(a[0]), a[1]) : SqlNumber(Value(a[0]))};
     }},
    {"SqlName",
     [](const Args& a) -> Results {
         const std::optional<std::string> name = SqlName(a[0]);
         return name ? Results{*name} : Results{};
     }},
    {"SRMDBToSQLTwist", [](const Args& a) -> Results { return {K::SRMDBToSQLTwist(a[0])}; }},
    {"SplitCommandLine", [](const Args& a) -> Results { return SplitCommandLine(a[0]); }},
    {"IniReadWithDefault",
     [](const Args& a) -> Results {
         IniRoot root(a[0]);
         return {IniReadWithDefault(root.host_, a[1], a[2], Int(a[3]), a[4], Value(a[5])),
                 root.Text()};
     }},
    {"IniWriteValue",
     [](const Args& a) -> Results {
         IniRoot root(a[0]);
         return {Flag(IniWriteValue(root.host_, "S", "k", Value(a[2]), a[1])), root.Text()};
     }},
    {"FileNameParts",
     [](const Args& a) -> Results {
         return {K::FileGetPath(a[0]), K::FileGetFileName(a[0]), K::FileGetInSide확장자(a[0])};
     }},
};

TEST(UtilFunctions, GiveTheResultsOfTheCaseTables) {
    for (const auto& [name, function] : kFunctions) {
        for (const host_test::CaseRow& c :
             host_test::LoadCaseTable("util/cases/functions.txt", name)) {
            SCOPED_TRACE(c.where);
            const auto arrow = std::find(c.fields.begin(), c.fields.end(), "=>");
            ASSERT_NE(arrow, c.fields.end());
            EXPECT_EQ(function(Args(c.fields.begin(), arrow)), Results(arrow + 1, c.fields.end()));
        }
    }
}

TEST(UtilFunctions, ValuesOutsideTheTables) {
    EXPECT_EQ(Currency::FromDouble(1e300).scaled, std::numeric_limits<std::int64_t>::max());
    EXPECT_DOUBLE_EQ(Currency{123456}.ToDouble(), 12.3456);
    EXPECT_FALSE(K::NM한글금액(std::numeric_limits<std::int64_t>::min()).empty());
    EXPECT_EQ(SqlName(std::string(128, 'A')), "[" + std::string(128, 'A') + "]");
    EXPECT_FALSE(SqlName(std::string(129, 'A')).has_value());

    // Times round to the second; serials outside the calendar are held to it.
    EXPECT_EQ(FormatDateTime(DateTime{44186.999999999}), "2020-12-22");
    EXPECT_EQ(ToCivil(DateTime{1e300}).year, 9999);
    EXPECT_EQ(ToCivil(DateTime{-1e300}).year, 100);
    EXPECT_EQ(ToCivil(DateTime{std::nan("")}).year, 1899);
    EXPECT_EQ(FormatDateTime(DateTime{0.75}), "18:00:00");
    EXPECT_EQ(WeekdayOf(ParseDate("2020-12-21")), 2);  // Monday
    const std::string now = K::SR날짜시간Strim();
    EXPECT_EQ(now.size(), 14u);
    EXPECT_EQ(now.find_first_not_of("0123456789"), std::string::npos) << now;

    ProgressStrip strip{70, "old"};
    CtPicProgress(strip, 100.0, "0 / 0건 ");
    EXPECT_EQ(strip, (ProgressStrip{100, "0 / 0건 "}));
}

TEST(ArySortTest, SortsAndMovesTheSecondArrayInStep) {
    std::vector<std::string> names = {"나", "b", "a", "가"};
    std::vector<std::string> codes = {"2", "3", "4", "1", "extra"};
    Kro_Function::ArySort_1St_STR_WithOtherAry(names, 0, codes);
    EXPECT_EQ(names, (std::vector<std::string>{"a", "b", "가", "나"}));
    EXPECT_EQ(codes, (std::vector<std::string>{"4", "3", "1", "2", "extra"}));

    Kro_Function::ArySort_1St_STR(names, 1);
    EXPECT_EQ(names, (std::vector<std::string>{"나", "가", "b", "a"}));

    std::vector<std::string> shorter = {"x"};
    Kro_Function::ArySort_1St_STR_WithOtherAry(names, 0, shorter);
    EXPECT_EQ(shorter, std::vector<std::string>{"x"});
}

}  // namespace
}  // namespace util
