#pragma once
// The vendor's own particulars: the head-office supplier row that the catalogue inserts into
// every store database, and the support line that the data repairs name when they must stop.
// Kept here and nowhere else. The texts fit the narrowest columns of old store layouts (대표자명
// holds 10 bytes before the widening of the "데이터1" database).
namespace repairs::vendor {

inline constexpr const char* kSupplierCode = "X00002";
inline constexpr const char* kName = "(주)노르베일";
inline constexpr const char* kPostalCode = "06236";
inline constexpr const char* kAddress = "서울특별시 강남구 테헤란로 152, 12층";
inline constexpr const char* kRepresentatives = "한정우";
// 업종 and 업태 of the supplier row; short enough for the 10-byte columns of the oldest layouts.
inline constexpr const char* kBusinessCategories = "소프트웨어";
inline constexpr const char* kBusinessType = "서비스";
inline constexpr const char* kBusinessNumber = "214-87-12345";
inline constexpr const char* kTelephone = "02-6949-1200";
inline constexpr const char* kFax = "02-6949-1299";
// The support line for the head office's remote service.
inline constexpr const char* kSupportTelephone = "고객지원센터 1588-3615";

}  // namespace repairs::vendor
