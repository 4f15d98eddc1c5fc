#include "config/ini_items.h"

namespace config {
namespace {

using C = IniConversion;
constexpr IniFile M = IniFile::Main;
constexpr IniFile P = IniFile::Printer;

// clang-format off
constexpr IniItem kIniItems[] = {
    {M, "DATA",            "데이터_종류",          2,    C::Byte,        "데이터_종류"},
    {M, "DATA",            "데이터_MDBPath",       255,  C::Text,        "데이터_MDBPath"},
    {M, "DATA",            "데이터_네트웍사용여부", 2,    C::Int32,       "데이터_네트웍사용여부"},
    {M, "DATA",            "데이터_네트웍계정",     100,  C::Text,        "데이터_네트웍계정"},
    {M, "DATA",            "데이터_네트웍Pass",     100,  C::Text,        "데이터_네트웍Pass"},
    {M, "DATA",            "데이터_SQLServer",      100,  C::Text,        "데이터_SQLServer"},
    {M, "DATA",            "데이터_SQLDataName",    100,  C::Text,        "데이터_SQLDataName"},
    {M, "DATA",            "데이터_SQLID",          100,  C::Text,        "데이터_SQLID"},
    {M, "DATA",            "데이터_SQLPass",        100,  C::Text,        "데이터_SQLPass"},
    {M, "DATA",            "데이터_SQLConMode",     2,    C::Byte,        "데이터_SQLConMode"},
    {M, "DATA",            "데이터_BackUpPath",     255,  C::Text,        "데이터_BackUpPath"},
    {M, "마스터",          "판매등록_공지이미지",   1000, C::TrimmedText, "판매등록_공지이미지"},
    {M, "DATA",            "M_매장디비모드",        2,    C::Byte,        "M_매장디비모드"},
    {M, "DATA",            "표준Path",              100,  C::Text,        "M_표준경로"},
    {M, "DATA",            "m_MDECCHK",             100,  C::TrimmedText, "M_MDECCHK"},
    {M, "담당자",          "담당자",                15,   C::Text,        "M_담당자"},
    {M, "담당자",          "담당자코드",            15,   C::Text,        "M_담당자코드"},
    {M, "마스터",          "매장등록",              6,    C::TrimmedText, "M_매장코드"},
    {M, "마스터",          "매장코드종류",          2,    C::Int32,       "M_매장코드종류"},
    {P, "BARCODEPRINT",    "바코드PORT",            2,    C::Byte,        "M_바코드PORT"},
    {P, "BARCODEPRINT",    "바코드프린트종류",      2,    C::Byte,        "M_바코드프린트종류"},
    {P, "BARCODEPRINT",    "바코드공유",            2,    C::Byte,        "M_바코드공유"},
    {P, "BARCODEPRINT",    "바코드프린터속도",      2,    C::Byte,        "M_바코드프린터속도"},
    {P, "BARCODEPRINT",    "바코드프린트",          100,  C::Text,        "M_바코드프린트"},
    {P, "BARCODEPRINT",    "상단여백",              5,    C::Text,        "M_바코드상단여백"},
    {P, "BARCODEPRINT",    "좌측여백",              5,    C::Text,        "M_바코드좌측여백"},
    {P, "BARCODEPRINT",    "상품명좌측여백",        5,    C::Text,        "M_바코드상품명좌측여백"},
    {P, "BARCODEPRINT",    "바코드용지종류",        2,    C::Byte,        "M_바코드용지종류"},
    {P, "BARCODEPRINT",    "바코드출력내용",        2,    C::Byte,        "M_바코드출력내용"},
    {P, "BARCODEPRINT",    "기본바코드종류",        2,    C::Byte,        "M_바코드종류"},
    {P, "PRINTER_BARCODE", "TOP",                   5,    C::Text,        "M_바코드Top"},
    {P, "PRINTER_BARCODE", "LEFT",                  4,    C::Text,        "M_바코드Left"},
    {P, "PRINTER_BARCODE", "LABEL_ROW",             3,    C::Text,        "M_바코드LabelRow"},
    {P, "PRINTER_BARCODE", "LABEL_COL",             2,    C::Text,        "M_바코드LabelCol"},
    {P, "PRINTER_BARCODE", "커스트마이징",          100,  C::Text,        "M_바코드커스트마이징"},
    {P, "BARCODEPRINT",    "바코드폰트",            10,   C::Text,        "M_바코드폰트"},
};
// clang-format on

}  // namespace

std::span<const IniItem> IniItems() {
    return kIniItems;
}

}  // namespace config
