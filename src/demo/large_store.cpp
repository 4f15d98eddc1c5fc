#include "demo/large_store.h"

#include <algorithm>
#include <array>
#include <stdexcept>
#include <vector>

#include "util/sql_text.h"

namespace demo {
namespace {

// The proportions of the large store.
constexpr LargeStoreCounts kLarge{100000, 60000, 500000, 10000, 30000, 50000};

// A small generator of our own (splitmix64), so that the rows depend on the seed alone and not on
// the standard library's distributions.
class Random {
  public:
    explicit Random(std::uint64_t seed) : state_(seed * 0x9E3779B97F4A7C15ull + 0x1234567ull) {}
    std::uint64_t Next() {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    // 0 <= n < bound
    int Below(int bound) { return static_cast<int>(Next() % static_cast<std::uint64_t>(bound)); }
    int Between(int low, int high) { return low + Below(high - low + 1); }
    // True with the chance percent / 100.
    bool Percent(int percent) { return Below(100) < percent; }
    template <typename T, std::size_t N>
    const T& Pick(const std::array<T, N>& items) {
        return items[static_cast<std::size_t>(Below(static_cast<int>(N)))];
    }

  private:
    std::uint64_t state_;
};

// clang-format off
// Word lists of the product names.
constexpr std::array<const char*, 24> kDrugStems = {
    "노바", "아모", "리피", "크레", "디오", "코자", "트윈", "엑스", "세비", "카두", "아토", "로수",
    "메트", "글리", "자누", "트라", "오메", "란소", "파모", "레바", "뮤코", "슈다", "코대", "알마"};
constexpr std::array<const char*, 16> kDrugTails = {
    "스크", "디핀", "토르", "스토", "반", "르탄", "스타", "포지", "카", "듀오", "젯", "프라졸",
    "티딘", "미피드", "펙트", "겔"};
struct DrugForm {
    const char* form;     // in the product name
    const char* longForm; // in the reference name
    const char* use;      // 내복, 외용, 주사
};
constexpr std::array<DrugForm, 6> kDrugForms = {{
    {"정", "정", "내복"}, {"캡슐", "캡슐", "내복"}, {"서방정", "서방정", "내복"},
    {"시럽", "시럽", "내복"}, {"연고", "연고", "외용"}, {"주", "주사액", "주사"},
}};
struct Strength {
    const char* shortText;  // 5mg
    const char* longText;   // 5밀리그램
};
constexpr std::array<Strength, 8> kStrengths = {{
    {"5mg", "5밀리그램"}, {"10mg", "10밀리그램"}, {"20mg", "20밀리그램"},
    {"40mg", "40밀리그램"}, {"50mg", "50밀리그램"}, {"100mg", "100밀리그램"},
    {"250mg", "250밀리그램"}, {"500mg", "500밀리그램"},
}};
constexpr std::array<const char*, 20> kGoodsStems = {
    "비타민C", "종합비타민", "오메가3", "유산균", "홍삼", "루테인", "밀크씨슬", "칼슘마그네슘",
    "아연", "철분", "비오틴", "콜라겐", "마스크", "물티슈", "손소독제", "밴드", "파스",
    "인공눈물", "구강청결제", "치약"};
constexpr std::array<const char*, 10> kGoodsPrefixes = {
    "", "", "", "뉴", "프리미엄 ", "데일리 ", "키즈 ", "골드 ", "플러스 ", "순수 "};
constexpr std::array<const char*, 10> kGoodsSuffixes = {
    "", "", " 플러스", " 골드", " 포르테", " 에이스", " 365", " 맥스", " 케어", " 큐"};
constexpr std::array<const char*, 12> kGoodsUnits = {
    "10정", "30정", "60정", "90정", "20ml", "100ml", "1매", "5매", "50g", "100g", "10포", "30포"};
constexpr std::array<const char*, 16> kMakers = {
    "동아제약", "유한양행", "종근당", "한미약품", "대웅제약", "녹십자", "일동제약", "보령제약",
    "광동제약", "동화약품", "한독", "일양약품", "삼진제약", "부광약품", "Dr. Reddy's", "웰킵스"};
constexpr std::array<const char*, 8> kShelves = {"A", "B", "C", "D", "E", "조제실", "냉장", "창고"};
constexpr std::array<const char*, 6> kSecondPlaces = {"조제실", "냉장", "창고", "음료냉장고", "진열대", "마약장"};
constexpr std::array<const char*, 3> kClasses = {"01", "02", "03"};
constexpr std::array<const char*, 3> kPriceClasses = {"1", "2", "06"};
constexpr std::array<const char*, 3> kOtherClasses = {"01", "02", ""};
// Detail classes in the short code scheme: "2" sorts above "1000" as text, "1004" is long.
constexpr std::array<const char*, 5> kDetailClasses = {"05", "06", "2", "1004", ""};
constexpr std::array<const char*, 12> kPartnerWords = {
    "지오", "백제", "동원", "대성", "한신", "세화", "우리", "동서", "태평", "신일", "한결", "중앙"};
constexpr std::array<const char*, 8> kSurnames = {"김", "이", "박", "최", "정", "강", "조", "윤"};
constexpr std::array<const char*, 8> kGivenNames = {
    "민수", "서연", "준호", "지민", "하나", "도윤", "수빈", "현우"};
constexpr std::array<const char*, 6> kCities = {
    "서울특별시 강남구", "서울특별시 금천구", "경기도 수원시", "부산광역시 해운대구",
    "대구광역시 수성구", "인천광역시 남동구"};
constexpr std::array<const char*, 6> kPackageKinds = {
    "10정 PTP", "10정x10 박스", "10병 박스", "50매 박스", "1갑", "묶음"};
constexpr std::array<int, 7> kPackageSizes = {1, 10, 12, 20, 30, 50, 100};
// clang-format on

void Pad(std::string& out, long long value, int width) {
    std::string digits = std::to_string(value);
    if (static_cast<int>(digits.size()) < width) out.append(width - digits.size(), '0');
    out += digits;
}

std::string Padded(long long value, int width) {
    std::string s;
    Pad(s, value, width);
    return s;
}

// A quoted SQL text (the word lists hold a quote).
void Text(std::string& out, std::string_view text) {
    out += util::SqlQuoted(text);
}

// "YYYYMMDD" of the day `index` counted from 1 January of `year` (index < 365).
std::string DateText(int year, int index) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    int month = 0;
    while (month < 11 && index >= kDays[month]) index -= kDays[month++];
    return Padded(year, 4) + Padded(month + 1, 2) + Padded(index + 1, 2);
}

// "YYYY-MM-DD hh:mm:ss" from a YYYYMMDD text and seconds of the day.
std::string Stamp(const std::string& day, int seconds) {
    return day.substr(0, 4) + "-" + day.substr(4, 2) + "-" + day.substr(6, 2) + " " +
           Padded(seconds / 3600 % 24, 2) + ":" + Padded(seconds / 60 % 60, 2) + ":" +
           Padded(seconds % 60, 2);
}

// An EAN-13 code of Korea (880) with its check digit.
std::string Ean13(long long serial) {
    std::string code = "880" + Padded(serial % 1000000000LL, 9);
    int sum = 0;
    for (int i = 0; i < 12; ++i) sum += (code[i] - '0') * (i % 2 ? 3 : 1);
    code += static_cast<char>('0' + (10 - sum % 10) % 10);
    return code;
}

struct Product {
    std::string code;
    std::string name;
    const char* productClass;
    const char* priceClass;
    int cost = 0;
    std::string insuranceCode;  // drugs only
    std::string unit;           // drugs only
    const char* maker = "";
    int drugForm = 0;
    int strength = 0;
};

struct Package {
    int product;
    std::string code;
    int size;
};

// Only the shape of the rows depends on the counts; every product, package and partner is made
// here, in order, so that vouchers can name them.
class Generator {
  public:
    Generator(const LargeStoreCounts& counts, std::uint32_t seed)
        : counts_(counts), seed_(seed), random_(seed) {}

    void Run(const std::function<void(std::string_view)>& sink) {
        Partners(sink);
        Products(sink);
        Packages(sink);
        Vouchers(sink);
        Points(sink);
    }

    void Reference(const std::function<void(std::string_view)>& sink) {
        MakeProducts();
        for (const Product& p : products_) {
            if (p.insuranceCode.empty()) continue;
            const DrugForm& form = kDrugForms[p.drugForm];
            const Strength& strength = kStrengths[p.strength];
            const std::string stem = p.name.substr(0, p.name.find(form.form));
            const std::string longName =
                stem + form.longForm + strength.longText + "(" + form.use + ")";
            const std::string standard = StandardCode(p.insuranceCode);
            const std::string kind = random_.Percent(80) ? "전문" : "일반";
            const int roll = random_.Below(10);
            const int ceiling = p.cost + random_.Between(0, 20) * 10;
            if (roll >= 7) {  // an expired row, then (mostly) the row valid since
                sink(ReferenceRow(p.insuranceCode, standard, longName, p.name + " 옛", p.unit,
                                  p.maker, std::to_string(p.cost), kind, "20100101", "20201130"));
                if (roll == 9) continue;
                sink(ReferenceRow(p.insuranceCode, standard, longName, p.name, p.unit,
                                  std::string(p.maker) + "(주)", std::to_string(ceiling), kind,
                                  "20201201"));
            } else {
                sink(ReferenceRow(p.insuranceCode, standard, longName, p.name, p.unit, p.maker,
                                  std::to_string(ceiling), kind, "20000101"));
            }
        }
    }

    // The standard code file's row of every generated drug.
    void StandardCodes(const std::function<void(std::string_view)>& sink) {
        MakeProducts();
        for (const Product& p : products_) {
            if (p.insuranceCode.empty()) continue;
            std::string s = "INSERT INTO 표준코드 (구코드, 표준코드) VALUES (";
            Text(s, p.insuranceCode);
            s += ", ";
            Text(s, StandardCode(p.insuranceCode));
            sink(s + ")");
        }
    }

  private:
    // Ten characters, as wide as the store's column.
    static std::string StandardCode(const std::string& insuranceCode) {
        return "8" + insuranceCode;
    }

    static std::string ReferenceRow(const std::string& code, const std::string& standard,
                                    const std::string& drugName, const std::string& cleanName,
                                    const std::string& unit, const std::string& maker,
                                    const std::string& ceiling, const std::string& kind,
                                    const std::string& from, const std::string& to = "99991231") {
        std::string s =
            "INSERT INTO DBF심평원약 (코드, 표준코드, 약품명, 정리명, 규격단위, 업소명, 상한가, "
            "급여구분, 약품구분, 적용시작일, 적용종료일) VALUES (";
        for (const std::string* v : {&code, &standard, &drugName, &cleanName, &unit, &maker}) {
            Text(s, *v);
            s += ", ";
        }
        s += ceiling + ", '급여', ";
        Text(s, kind);
        s += ", ";
        Text(s, from);
        s += ", ";
        Text(s, to);
        return s + ")";
    }

    std::string PartnerCode(int k) const { return Padded(10 + k, 6); }

    void Partners(const std::function<void(std::string_view)>& sink) {
        for (int k = 0; k < counts_.partners; ++k) {
            const bool deleted = random_.Percent(5);
            if (deleted) deletedPartners_.push_back(k);
            const std::string day = DateText(2008 + random_.Below(2), random_.Below(365));
            std::string s =
                "INSERT INTO 거래처마스터 (거래처코드, 거래처명, 대표자명, 사업자번호, 업종, 업태, "
                "담당자, 우편번호, 우편숫자, 주소, 지역번호, 전화번호, 팩스번호, 거래구분, "
                "최초등록일, 현재포인트, 비고, CHK_MEMO, DEL_CHK, UP_DATE) VALUES (";
            Text(s, PartnerCode(k));
            s += ", ";
            const int form = random_.Below(3);
            std::string name = random_.Pick(kPartnerWords);
            name = form == 0 ? "(주)" + name + "약품" : form == 1 ? name + "약품(주)" : name + "팜";
            Text(s, name);
            s += ", ";
            Text(s, std::string(random_.Pick(kSurnames)) + random_.Pick(kGivenNames));
            s += ", ";
            Text(s,
                 Padded(random_.Between(101, 999), 3) + "-81-" + Padded(random_.Below(100000), 5));
            s += ", '도매', '의약품', ";
            Text(s, random_.Percent(50)
                        ? std::string(random_.Pick(kSurnames)) + random_.Pick(kGivenNames)
                        : std::string());
            s += ", ";
            Text(s, Padded(random_.Below(100000), 5));
            s += ", 5, ";
            Text(s, std::string(random_.Pick(kCities)) + " " +
                        std::to_string(random_.Between(1, 999)) + "번길");
            s += ", ";
            // The area code apart from the number in most forms the store software has known.
            const std::string number =
                Padded(random_.Between(200, 999), 3) + "-" + Padded(random_.Below(10000), 4);
            switch (random_.Below(6)) {
                case 0:
                    s += "'02', '" + number + "'";
                    break;
                case 1:
                    s += "'031', '031" + number.substr(0, 3) + number.substr(4) + "'";
                    break;
                case 2:
                    s += "'051', ''";
                    break;
                case 3:
                    s += "'', '02-" + number + "'";
                    break;
                case 4:
                    s += "NULL, '031-" + number + "'";
                    break;
                default:
                    s += "'032', '" + number + "'";
                    break;
            }
            s += ", '', 1, ";
            Text(s, day);
            s += ", 0, ";
            s += deleted ? "'거래 중단', '', 1, " : "'', '', 0, ";
            Text(s, Stamp(day, random_.Between(32400, 64800)));
            sink(s + ")");
        }
    }

    // A partner code: now and then one that was deleted since.
    std::string SomePartner() {
        if (counts_.partners <= 0) return "000001";
        if (!deletedPartners_.empty() && random_.Percent(4)) {
            return PartnerCode(deletedPartners_[static_cast<std::size_t>(
                random_.Below(static_cast<int>(deletedPartners_.size())))]);
        }
        return PartnerCode(random_.Below(counts_.partners));
    }

    std::string Location() {
        std::string place = std::string(random_.Pick(kShelves)) + "-" +
                            std::to_string(random_.Between(1, 9)) + "-" +
                            std::to_string(random_.Between(1, 9));
        switch (random_.Below(8)) {
            case 0:
                return place + "," + random_.Pick(kSecondPlaces);
            case 1:
                return " " + place + ", " + random_.Pick(kSecondPlaces);
            case 2:
                return std::string(",") + random_.Pick(kSecondPlaces);
            default:
                return place;
        }
    }

    // The products alone (names, classes, prices), made once.
    void MakeProducts() {
        if (!products_.empty() || counts_.products <= 0) return;
        Random names(seed_ + 0x5EED0000ull);
        products_.reserve(static_cast<std::size_t>(counts_.products));
        for (int i = 0; i < counts_.products; ++i) {
            Product p;
            p.code = "P" + Padded(1000 + i, 9);
            const long long step = static_cast<long long>(counts_.drugs);
            const bool drug = (static_cast<long long>(i + 1) * step / counts_.products) >
                              (static_cast<long long>(i) * step / counts_.products);
            p.maker = names.Pick(kMakers);
            if (drug) {
                p.drugForm = names.Below(static_cast<int>(kDrugForms.size()));
                p.strength = names.Below(static_cast<int>(kStrengths.size()));
                const DrugForm& form = kDrugForms[p.drugForm];
                const Strength& strength = kStrengths[p.strength];
                p.name = std::string(names.Pick(kDrugStems)) + names.Pick(kDrugTails) + form.form +
                         strength.shortText;
                p.unit = strength.shortText;
                p.insuranceCode = std::to_string(600000000 + drugCount_ * 13);
                ++drugCount_;
                p.productClass = "01";
                p.priceClass = names.Percent(3) ? "06" : "1";
                p.cost = names.Between(2, 500) * 10;
            } else {
                p.name = std::string(names.Pick(kGoodsPrefixes)) + names.Pick(kGoodsStems) +
                         names.Pick(kGoodsSuffixes);
                p.unit = names.Pick(kGoodsUnits);
                p.productClass = names.Pick(kClasses);
                p.priceClass = names.Pick(kPriceClasses);
                p.cost = names.Between(5, 5000) * 10;
            }
            products_.push_back(std::move(p));
        }
    }

    void Products(const std::function<void(std::string_view)>& sink) {
        MakeProducts();
        for (std::size_t i = 0; i < products_.size(); ++i) {
            const Product& p = products_[i];
            const bool drug = !p.insuranceCode.empty();
            const bool deleted = random_.Percent(2);
            std::string s =
                "INSERT INTO 사용상품 (제품코드, 제품명, 규격, 제조사, 바코드, 중복바코드, "
                "연합회코드, 제품분류, 가격분류, 기타분류, 제품세부분류, 조제약여부, 입고단가, "
                "소매단가, 심평원규격, 재고확인일, SCPCODE, 디자인명, 적재자동계산, 상품위치, "
                "매입거래처, 최근매입처, DEL_CHK, UP_DATE, CHK_MEMO) VALUES (";
            Text(s, p.code);
            s += ", ";
            Text(s, random_.Percent(1) ? " " + p.name : p.name);
            s += ", ";
            Text(s, p.unit);
            s += ", ";
            Text(s, random_.Percent(2) ? std::string(p.maker) + " " : std::string(p.maker));
            s += ", ";
            // An in-store barcode with blanks now and then.
            Text(s, random_.Percent(1) ? " 2" + Padded(static_cast<long long>(i), 6) + " "
                                       : Ean13(100000000LL + static_cast<long long>(i)));
            s += ", ";
            if (random_.Percent(5)) {
                Text(s, Ean13(500000000LL + static_cast<long long>(i)));
            } else {
                s += "NULL";
            }
            s += ", ";
            Text(s, p.insuranceCode);
            s += ", ";
            Text(s, p.productClass);
            s += ", ";
            Text(s, p.priceClass);
            s += ", ";
            Text(s, random_.Pick(kOtherClasses));
            s += ", ";
            Text(s, random_.Pick(kDetailClasses));
            // Dispensing flag: 1 for drugs, 0 or 2 otherwise, and the odd wrong 9.
            s += ", ";
            s += drug ? "1" : random_.Percent(1) ? "9" : random_.Percent(30) ? "2" : "0";
            s += ", " + std::to_string(p.cost) + ", ";
            s += drug ? "0" : std::to_string((p.cost * 14 / 10 + 99) / 100 * 100);
            s += ", ";
            Text(s, drug ? (random_.Percent(20) ? " " + p.unit + " " : p.unit) : std::string());
            s += ", ";
            Text(s, random_.Percent(60) ? DateText(2009, random_.Below(365)) : std::string());
            s += ", ";
            Text(s, random_.Percent(30) ? "SC" + Padded(random_.Below(10000), 4) : std::string());
            s += ", ";
            s += random_.Percent(20) ? "'기본'" : "''";
            s += ", ";
            s += random_.Percent(10) ? "1" : "0";
            s += ", ";
            // Most products have a shelf location.
            Text(s, random_.Percent(85) ? Location() : std::string());
            s += ", ";
            Text(s, SomePartner());
            s += ", ";
            Text(s, SomePartner());
            s += deleted ? ", 1, " : ", 0, ";
            const std::string day = DateText(2009, random_.Below(365));
            Text(s, Stamp(day, random_.Between(32400, 72000)));
            s += deleted ? ", '판매중지')" : ", '')";
            sink(s);
        }
    }

    void Packages(const std::function<void(std::string_view)>& sink) {
        if (products_.empty()) return;
        packages_.reserve(static_cast<std::size_t>(counts_.packages));
        for (int j = 0; j < counts_.packages; ++j) {
            Package pack;
            pack.product = random_.Below(static_cast<int>(products_.size()));
            // A code held by another package now and then (renumbered by the catalogue).
            pack.code = (j > 0 && random_.Percent(3))
                            ? packages_[static_cast<std::size_t>(random_.Below(j))].code
                            : Padded(100 + j, 10);
            pack.size = random_.Pick(kPackageSizes);
            const Product& p = products_[static_cast<std::size_t>(pack.product)];
            const bool deleted = random_.Percent(2);
            std::string s =
                "INSERT INTO 확장바코드 (제품코드, 바코드코드, 바코드구분, 바코드, 중복바코드, "
                "포장수량, 구분키, 상품위치, CHK_MEMO, DEL_CHK, UP_DATE, 최근입고단가, 판매단가) "
                "VALUES (";
            Text(s, p.code);
            s += ", ";
            Text(s, pack.code);
            s += ", ";
            const std::string kind = random_.Pick(kPackageKinds);
            Text(s, random_.Percent(5) ? " " + kind + " " : kind);
            s += ", ";
            Text(s, Ean13(700000000LL + j));
            s += ", NULL, " + std::to_string(pack.size) + ", ";
            s += pack.size == 1 ? "'A'" : "'B'";
            s += ", ";
            Text(s, random_.Percent(70) ? Location() : std::string());
            s += ", ";
            s += random_.Percent(5) ? "'박스 단위 입고'" : "''";
            s += deleted ? ", 1, " : ", 0, ";
            Text(s, Stamp(DateText(2009, random_.Below(365)), random_.Between(32400, 72000)));
            s += ", " + std::to_string(p.cost * pack.size) + ", " +
                 std::to_string(p.cost * pack.size * 14 / 10) + ")";
            sink(s);
            packages_.push_back(std::move(pack));
        }
    }

    void Vouchers(const std::function<void(std::string_view)>& sink) {
        if (products_.empty() || counts_.voucherLines <= 0) return;
        // About six lines a voucher, spread over 2008 and 2009 (the small store's vouchers are
        // of 2010).
        constexpr int kDays = 730;
        const int vouchers = std::max(1, counts_.voucherLines / 6);
        int written = 0;
        int voucher = 0;
        int lastDay = -1;
        int number = 0;
        while (written < counts_.voucherLines) {
            const int dayIndex = std::min(kDays - 1, voucher * kDays / vouchers);
            if (dayIndex != lastDay) {
                lastDay = dayIndex;
                number = 0;
            }
            ++number;
            ++voucher;
            const std::string day = DateText(2008 + dayIndex / 365, dayIndex % 365);
            const int kind = random_.Below(4) == 0 ? 1 : 0;
            const int lines = std::min(random_.Between(1, 11), counts_.voucherLines - written);
            for (int line = 1; line <= lines; ++line) {
                const bool viaPackage = !packages_.empty() && random_.Percent(30);
                const Package* pack = viaPackage
                                          ? &packages_[static_cast<std::size_t>(
                                                random_.Below(static_cast<int>(packages_.size())))]
                                          : nullptr;
                const Product& p = products_[static_cast<std::size_t>(
                    pack ? pack->product : random_.Below(static_cast<int>(products_.size())))];
                const int quantity = random_.Between(1, 50);
                const int packSize = pack ? pack->size : 1;
                std::string s = "INSERT INTO 입출상품 VALUES (";
                Text(s, day);
                s += ", ";
                Text(s, Padded(number, 6));
                s += ", " + std::to_string(line) + ", ";
                Text(s, p.code);
                s += ", ";
                Text(s, p.name);
                s += ", ";
                Text(s, pack ? pack->code : std::string());
                s += ", " + std::to_string(quantity) + ", " + std::to_string(p.cost) + ", " +
                     std::to_string(packSize) + ", " + std::to_string(kind) + ", ";
                Text(s, p.productClass);
                s += ", ";
                Text(s, p.priceClass);
                s += random_.Percent(1) ? ", 1, '0001', " : ", 0, '0001', ";
                s += std::to_string(quantity * packSize) + ", " + std::to_string(p.cost) +
                     ", NULL, NULL, NULL, NULL)";
                sink(s);
            }
            written += lines;
        }
    }

    // Reward points in groups: the rows of one sale (date, number, customer) with use kinds 1 to
    // 3, as the point-history repair merges them.
    void Points(const std::function<void(std::string_view)>& sink) {
        int written = 0;
        int group = 0;
        while (written < counts_.pointRows) {
            const int dayIndex = group % 365;
            const std::string day = DateText(2009, dayIndex);
            const std::string number = Padded(group / 365 % 10000 + 1, 4);
            const std::string customer = "C" + Padded(1000 + random_.Below(20000), 9);
            const int rows = std::min(random_.Between(1, 4), counts_.pointRows - written);
            int seconds = random_.Between(32400, 64800);
            for (int r = 0; r < rows; ++r) {
                const int use = r % 3 + 1;
                const int points = use == 2 ? -random_.Between(1, 20) * 10 : random_.Between(1, 99);
                std::string s = "INSERT INTO 사은점수이력 VALUES (";
                Text(s, day);
                s += ", ";
                Text(s, number);
                s += ", ";
                Text(s, customer);
                s += ", " + std::to_string(use) + ", " + std::to_string(points) + ", ";
                Text(s, Stamp(day, seconds++));
                sink(s + ")");
            }
            written += rows;
            ++group;
        }
    }

    LargeStoreCounts counts_;
    std::uint64_t seed_;
    Random random_;
    std::vector<Product> products_;
    std::vector<Package> packages_;
    std::vector<int> deletedPartners_;
    int drugCount_ = 0;
};

int Scaled(int large, int size) {
    return static_cast<int>(static_cast<long long>(large) * size / kLargeSize);
}

// Runs the statements in one transaction; a failure rolls the work back and passes the error on.
void RunInTransaction(
    db::Session& session,
    const std::function<void(const std::function<void(std::string_view)>&)>& make) {
    constexpr int kTimeoutSeconds = 30;
    session.BeginTransaction(kTimeoutSeconds);
    try {
        make([&](std::string_view sql) { session.Execute(sql, kTimeoutSeconds); });
        session.CommitTransaction();
    } catch (...) {
        session.RollbackTransaction();
        throw;
    }
}

}  // namespace

LargeStoreCounts CountsForSize(int size) {
    if (size < 1 || size > 1000) throw std::invalid_argument("demo size out of range 1..1000");
    LargeStoreCounts c;
    c.products = Scaled(kLarge.products, size);
    c.packages = Scaled(kLarge.packages, size);
    c.voucherLines = Scaled(kLarge.voucherLines, size);
    c.partners = Scaled(kLarge.partners, size);
    c.drugs = Scaled(kLarge.drugs, size);
    c.pointRows = Scaled(kLarge.pointRows, size);
    return c;
}

void GenerateLargeStoreRows(const LargeStoreCounts& counts, std::uint32_t seed,
                            const std::function<void(std::string_view)>& sink) {
    Generator(counts, seed).Run(sink);
}

void GenerateLargeReferenceRows(const LargeStoreCounts& counts, std::uint32_t seed,
                                const std::function<void(std::string_view)>& sink) {
    Generator(counts, seed).Reference(sink);
}

void GenerateLargeStandardCodeRows(const LargeStoreCounts& counts, std::uint32_t seed,
                                   const std::function<void(std::string_view)>& sink) {
    Generator(counts, seed).StandardCodes(sink);
}

void FillLargeStore(db::Session& session, const LargeStoreCounts& counts, std::uint32_t seed) {
    RunInTransaction(session,
                     [&](const auto& sink) { GenerateLargeStoreRows(counts, seed, sink); });
}

void FillLargeReference(db::Session& session, const LargeStoreCounts& counts, std::uint32_t seed) {
    RunInTransaction(session,
                     [&](const auto& sink) { GenerateLargeReferenceRows(counts, seed, sink); });
}

void FillLargeStandardCodes(db::Session& session, const LargeStoreCounts& counts,
                            std::uint32_t seed) {
    RunInTransaction(session,
                     [&](const auto& sink) { GenerateLargeStandardCodeRows(counts, seed, sink); });
}

}  // namespace demo
