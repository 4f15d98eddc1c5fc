#include <gtest/gtest.h>

#include "util/kro_function.h"

namespace util {
namespace {

TEST(SRMDBToSQLTwistTest, RewritesJetForms) {
    static const struct {
        const char* mdb;
        const char* sqlServer;
    } kCases[] = {
        {"SELECT a & b FROM t", "SELECT a + b FROM t"},
        {"SELECT Mid(x, 2, 3) FROM t", "SELECT SUBSTRING(x, 2, 3) FROM t"},
        {"SELECT mid (x,2) FROM t", "SELECT SUBSTRING(x,2, 2147483647) FROM t"},
        {"SELECT IIF(a > 1, 'x', 'y') AS k FROM t",
         "SELECT CASE WHEN a > 1 THEN 'x' ELSE 'y' END AS k FROM t"},
        {"IIF(a=1, IIF(b=2,'p','q'), Mid(c & d,1,2))",
         "CASE WHEN a=1 THEN CASE WHEN b=2 THEN 'p' ELSE 'q' END ELSE SUBSTRING(c + d,1,2) END"},
        {"IIF(f(a,b)=1,[x,y],'a,b')", "CASE WHEN f(a,b)=1 THEN [x,y] ELSE 'a,b' END"},
    };
    for (const auto& c : kCases) EXPECT_EQ(Kro_Function::SRMDBToSQLTwist(c.mdb), c.sqlServer);
}

TEST(SRMDBToSQLTwistTest, LeavesQuotedTextsNamesAndOtherWordsAlone) {
    static const char* const kUnchanged[] = {
        "SELECT 'A & B', [x&y], 'mid(1,2)', 'it''s & so' FROM t",
        "SELECT MIDDLE(x), AMID(y), IIFY(z) FROM t",
        "SELECT IIF(a, b FROM t",
        "SELECT IIF(a, b) FROM t",
        "UPDATE 제품 SET 제품명 = '가 & 나'",
    };
    for (const char* sql : kUnchanged) EXPECT_EQ(Kro_Function::SRMDBToSQLTwist(sql), sql);
}

}  // namespace
}  // namespace util
