#include <gtest/gtest.h>
#include <random>
#include <sstream>

#include "host/case_table.h"
#include "host/codepage.h"
#include "host/profile.h"

namespace host {
namespace {

using host_test::CaseRow;
using host_test::LoadCaseTable;
constexpr const char* kCases = "host/cases/profile.txt";

constexpr std::string_view kSample =
    "; store settings\r\n"
    "orphan=before any section\r\n"
    "[DATA]\r\n"
    "  m_MDBPath =  C:\\Quillon\\Data.mdb  \r\n"
    "no equals sign here\r\n"
    ";m_Hidden=commented out\r\n"
    "Empty=\r\n"
    "Quoted=\"a b\"\r\n"
    "\r\n"
    "[data]\r\n"
    "m_MDBPath=second section of the same name\r\n"
    "[Other]\r\n"
    "Key=x=y\r\n";

TEST(ProfileDocument, LooksUpNamesIgnoringCaseAndTrimsValues) {
    const ProfileDocument doc = ProfileDocument::Parse(kSample);
    for (const CaseRow& c : LoadCaseTable(kCases, "lookups")) {
        const std::optional<std::string> expected =
            c.fields.size() > 2 ? std::optional(c[2]) : std::nullopt;
        EXPECT_EQ(doc.Get(c[0], c[1]), expected) << c.where;
    }
    EXPECT_EQ(doc.Sections(), (std::vector<std::string>{"DATA", "Other"}));
    EXPECT_EQ(doc.Keys("data"), (std::vector<std::string>{"m_MDBPath", "Empty", "Quoted"}));
}

// Any bytes parse; what was read is written back as it was, and a value set is read back.
void ExpectParsesWithoutHarm(const std::string& bytes) {
    ProfileDocument doc = ProfileDocument::Parse(bytes);
    EXPECT_EQ(doc.Serialize(), bytes);
    std::istringstream stream{bytes};
    EXPECT_EQ(ProfileDocument::Parse(stream).Serialize(), bytes);
    for (const std::string& section : doc.Sections()) {
        for (const std::string& key : doc.Keys(section)) EXPECT_TRUE(doc.Get(section, key));
    }
    ASSERT_TRUE(doc.Set("새 구역", "키", "값=1"));
    const std::string written = doc.Serialize();
    EXPECT_EQ(written.substr(0, bytes.size()), bytes);
    EXPECT_EQ(ProfileDocument::Parse(written).Get("새 구역", "키"), "값=1");
}

TEST(ProfileDocument, AnyInputKeepsItsBytes) {
    ExpectParsesWithoutHarm(std::string(kSample));
    for (const CaseRow& c : LoadCaseTable(kCases, "unchanged")) {
        SCOPED_TRACE(c.where);
        ExpectParsesWithoutHarm(c[0]);
    }
    for (unsigned seed = 1; seed <= 20; ++seed) {
        SCOPED_TRACE(seed);
        std::mt19937 random(seed);
        std::string bytes(4096, '\0');
        for (char& c : bytes) c = static_cast<char>(random() % 256);
        for (std::size_t i = 0; i < bytes.size(); i += 97) bytes[i] = '\0';
        bytes.replace(100, 9, "\n[s]\nk=v\n");
        ExpectParsesWithoutHarm(bytes);
    }
}

TEST(ProfileDocument, Cp949TrailBytesAreNotFoldedAsLetters) {
    // "똂" is 8C 43 and "똠" is 8C 63: they differ only in an ASCII case bit of the trail byte.
    const ProfileDocument doc = ProfileDocument::Parse(Utf8ToCp949("[s]\r\n똂=1\r\n똠=2\r\n"));
    EXPECT_EQ(doc.Get("s", "똂"), "1");
    EXPECT_EQ(doc.Get("s", "똠"), "2");
}

TEST(ProfileDocument, AddsKeysAfterTheSectionsLastEntryAndSectionsAtTheEnd) {
    ProfileDocument doc = ProfileDocument::Parse("[A]\nk1=1\n\n; about B\n[B]\nk=2\n");
    ASSERT_TRUE(doc.Set("a", "k2", "two"));
    ASSERT_TRUE(doc.Set("C", "k", "3"));
    ASSERT_TRUE(doc.Set("c", "K", "4"));
    EXPECT_EQ(doc.Serialize(), "[A]\nk1=1\nk2=two\n\n; about B\n[B]\nk=2\n[C]\nk=4\n");
}

TEST(ProfileDocument, NewTextFollowsTheFilesEncodingAndLineEnds) {
    for (const CaseRow& c : LoadCaseTable(kCases, "new text")) {
        ProfileDocument doc = ProfileDocument::Parse(c[0]);
        ASSERT_TRUE(doc.Set("매장", "가", "가"));
        EXPECT_EQ(doc.Serialize(), c[1]) << c.where;
        EXPECT_EQ(ProfileDocument::Parse(doc.Serialize()).Get("매장", "가"), "가");
    }
}

TEST(ProfileDocument, RefusesTextsThatWouldBreakTheFile) {
    for (const CaseRow& c : LoadCaseTable(kCases, "refused")) {
        ProfileDocument doc = ProfileDocument::Parse("[s]\r\nk=old\r\n");
        EXPECT_FALSE(doc.Set(c[0], c[1], c[2])) << c.where;
        EXPECT_EQ(doc.Serialize(), "[s]\r\nk=old\r\n");
    }
}

TEST(ProfileDocument, RemovesOnlyTheKeysLine) {
    ProfileDocument doc = ProfileDocument::Parse("[s]\r\na=1\r\nb=2\r\n[t]\r\nb=3");
    EXPECT_FALSE(doc.Remove("s", "c"));
    EXPECT_FALSE(doc.Remove("u", "a"));
    EXPECT_TRUE(doc.Remove("S", "B"));
    EXPECT_TRUE(doc.Remove("t", "b"));
    EXPECT_EQ(doc.Serialize(), "[s]\r\na=1\r\n[t]");
}

constexpr const char* kCodepageCases = "host/cases/codepage.txt";

TEST(Codepage, ConvertsBothWaysOrMarksWhatCp949Lacks) {
    for (const CaseRow& c : LoadCaseTable(kCodepageCases, "round trips")) {
        SCOPED_TRACE(c.where);
        EXPECT_EQ(Utf8ToCp949(c[0]), c[1]);
        EXPECT_EQ(Cp949ToUtf8(c[1]), c[0]);
        EXPECT_EQ(Cp949ToUtf8Lossy(c[1]), c[0]);
        EXPECT_EQ(AnsiByteLength(c[0]), static_cast<int>(c[1].size()));
    }
    // What CP949 lacks becomes a question mark.
    EXPECT_EQ(Utf8ToCp949("a😀b"), "a?b");
    EXPECT_EQ(Utf8ToCp949("\xFF가"), "?\xB0\xA1");  // a malformed byte is one '?'
    EXPECT_EQ(AnsiByteLength("😀"), 1);
}

TEST(Codepage, InvalidCp949IsRejectedReplacedOrKept) {
    EXPECT_FALSE(Cp949ToUtf8("\xB0").has_value());  // lead byte without trail byte
    EXPECT_FALSE(Cp949ToUtf8("a\xFF").has_value());
    for (const CaseRow& c : LoadCaseTable(kCodepageCases, "lossy")) {
        EXPECT_EQ(Cp949ToUtf8Lossy(c[0]), c[1]) << c.where;
    }
    // The reversible decoding keeps them, each as U+F700 + byte, and counts each one byte.
    for (const CaseRow& c : LoadCaseTable(kCodepageCases, "reversible")) {
        EXPECT_EQ(Utf8ToCp949(Cp949ToUtf8Reversible(c[0])), c[0]) << c.where;
        EXPECT_EQ(AnsiByteLength(Cp949ToUtf8Reversible(c[0])), static_cast<int>(c[0].size()));
    }
    EXPECT_EQ(Cp949ToUtf8Reversible("a\xA2\xE8\xB0\xAAZ"), "a\uF7A2\uF7E8값Z");
}

TEST(Codepage, ValidatesUtf8AndTruncatesAtCharacterBoundaries) {
    for (const CaseRow& c : LoadCaseTable(kCodepageCases, "valid utf-8")) {
        EXPECT_TRUE(IsValidUtf8(c[0])) << c.where;
    }
    for (const CaseRow& c : LoadCaseTable(kCodepageCases, "invalid utf-8")) {
        EXPECT_FALSE(IsValidUtf8(c[0])) << c.where;
    }
    for (const CaseRow& c : LoadCaseTable(kCodepageCases, "truncate")) {
        EXPECT_EQ(TruncateToAnsiBytes(c[0], std::stoul(c[1])), c[2]) << c.where;
    }
}

}  // namespace
}  // namespace host
