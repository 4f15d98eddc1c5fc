#pragma once
// A store of realistic proportions on top of the small demo store: many products with Korean
// names built from word lists, package barcodes (some codes held twice), voucher lines, trading
// partners (some deleted, area codes kept apart), prescription drugs with their rows in the drug
// reference, reward-point history in groups and shelf locations with commas. The rows carry the
// same leftovers as the small demo, so every data repair of the catalogue has work at scale.
// The rows depend on the seed only: the same seed gives the same statements.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "db/session.h"

namespace demo {

// How many rows of each kind; size 100 is the "large" store.
struct LargeStoreCounts {
    int products = 0;      // 사용상품
    int packages = 0;      // 확장바코드
    int voucherLines = 0;  // 입출상품
    int partners = 0;      // 거래처마스터
    int drugs = 0;         // products with 조제약여부 = 1 (part of `products`)
    int pointRows = 0;     // 사은점수이력
};

inline constexpr int kLargeSize = 100;
inline constexpr std::uint32_t kDefaultDemoSeed = 1;

// The counts of the large store scaled by size / 100 (size 1..1000).
LargeStoreCounts CountsForSize(int size);

// Hands each INSERT of the generated store rows to `sink`, in an order that both dialects take
// (partners before the products that name them).
void GenerateLargeStoreRows(const LargeStoreCounts& counts, std::uint32_t seed,
                            const std::function<void(std::string_view)>& sink);

// Hands each INSERT of DBF심평원약 for the generated prescription drugs to `sink`: a row valid
// today for most of them, an expired row before it for some.
void GenerateLargeReferenceRows(const LargeStoreCounts& counts, std::uint32_t seed,
                                const std::function<void(std::string_view)>& sink);

// Hands each INSERT of the standard code file's table 표준코드 for the generated drugs to `sink`:
// every insurance code with the standard code that the reference rows carry.
void GenerateLargeStandardCodeRows(const LargeStoreCounts& counts, std::uint32_t seed,
                                   const std::function<void(std::string_view)>& sink);

// Runs the generated rows on an open session in one transaction (rolled back on failure).
void FillLargeStore(db::Session& session, const LargeStoreCounts& counts, std::uint32_t seed);
void FillLargeReference(db::Session& session, const LargeStoreCounts& counts, std::uint32_t seed);
void FillLargeStandardCodes(db::Session& session, const LargeStoreCounts& counts,
                            std::uint32_t seed);

}  // namespace demo
