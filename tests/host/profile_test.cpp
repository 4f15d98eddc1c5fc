#include "host/profile.h"

#include <gtest/gtest.h>

#include <random>
#include <sstream>

#include "host/codepage.h"

namespace host {
namespace {

using namespace std::string_view_literals;

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
    struct Case {
        std::string_view section, key;
        std::optional<std::string_view> value;
    };
    const Case cases[] = {
        {"DATA", "m_MDBPath", "C:\\Quillon\\Data.mdb"},
        {"data", "M_MDBPATH", "C:\\Quillon\\Data.mdb"},  // first section of the name wins
        {" Data ", " m_mdbpath ", "C:\\Quillon\\Data.mdb"},
        {"DATA", "Empty", ""},
        {"DATA", "Quoted", "\"a b\""},  // quotes are stripped by GetPrivateProfileString only
        {"Other", "Key", "x=y"},
        {"DATA", "no equals sign here", std::nullopt},
        {"DATA", "m_Hidden", std::nullopt},
        {"DATA", ";m_Hidden", std::nullopt},
        {"", "orphan", std::nullopt},
        {"DATA", "Missing", std::nullopt},
        {"Missing", "m_MDBPath", std::nullopt},
    };
    for (const Case& c : cases) {
        const std::optional<std::string> expected =
            c.value ? std::optional<std::string>(*c.value) : std::nullopt;
        EXPECT_EQ(doc.Get(c.section, c.key), expected) << c.section << "/" << c.key;
    }
    EXPECT_EQ(doc.Sections(), (std::vector<std::string>{"DATA", "Other"}));
    EXPECT_EQ(doc.Keys("data"), (std::vector<std::string>{"m_MDBPath", "Empty", "Quoted"}));
}

TEST(ProfileDocument, SerializesUnchangedDocumentsByteForByte) {
    const std::string_view inputs[] = {
        kSample,
        ""sv,
        "[a]\nk=v"sv,  // LF, no final line end
        "\xEF\xBB\xBF[섹션]\r\n키=값\r\n"sv,
        "[\xB8\xC5\xC0\xE5]\r\n\xC5\xB0=\xB0\xA1\r\n"sv,  // CP949
        "\r\n\r\n\n\r\r\n"sv,
        "a\0b=c\0\n[\0]\n"sv,
    };
    for (const std::string_view input : inputs) {
        EXPECT_EQ(ProfileDocument::Parse(input).Serialize(), input);
        std::istringstream stream{std::string(input)};
        EXPECT_EQ(ProfileDocument::Parse(stream).Serialize(), input);
    }
}

TEST(ProfileDocument, Cp949TrailBytesAreNotFoldedAsLetters) {
    // "똂" is 8C 43 and "똠" is 8C 63: they differ only in an ASCII case bit of the trail byte.
    const ProfileDocument doc = ProfileDocument::Parse(Utf8ToCp949("[s]\r\n똂=1\r\n똠=2\r\n"));
    EXPECT_EQ(doc.Get("s", "똂"), "1");
    EXPECT_EQ(doc.Get("s", "똠"), "2");
}

TEST(ProfileDocument, AddsKeysAfterTheSectionsLastEntryAndSectionsAtTheEnd) {
    ProfileDocument doc = ProfileDocument::Parse(
        "[A]\n"
        "k1=1\n"
        "\n"
        "; about B\n"
        "[B]\n"
        "k=2\n");
    ASSERT_TRUE(doc.Set("a", "k2", "two"));
    ASSERT_TRUE(doc.Set("C", "k", "3"));
    ASSERT_TRUE(doc.Set("c", "K", "4"));
    EXPECT_EQ(doc.Serialize(),
              "[A]\n"
              "k1=1\n"
              "k2=two\n"
              "\n"
              "; about B\n"
              "[B]\n"
              "k=2\n"
              "[C]\n"
              "k=4\n");
}

TEST(ProfileDocument, NewTextFollowsTheFilesEncodingAndLineEnds) {
    struct Case {
        std::string_view original;
        std::string_view expected;
    };
    const Case cases[] = {
        {"", "[\xB8\xC5\xC0\xE5]\r\n\xB0\xA1=\xB0\xA1\r\n"},  // new file: CP949 and CR LF
        {"[x]\n", "[x]\n[\xB8\xC5\xC0\xE5]\n\xB0\xA1=\xB0\xA1\n"},
        {"[x]", "[x]\r\n[\xB8\xC5\xC0\xE5]\r\n\xB0\xA1=\xB0\xA1"},  // still no final line end
        {"[한]\n", "[한]\n[매장]\n가=가\n"},                        // UTF-8 stays UTF-8
        {"\xEF\xBB\xBF", "\xEF\xBB\xBF[매장]\r\n가=가\r\n"},
    };
    for (const Case& c : cases) {
        ProfileDocument doc = ProfileDocument::Parse(c.original);
        ASSERT_TRUE(doc.Set("매장", "가", "가"));
        EXPECT_EQ(doc.Serialize(), c.expected) << c.original;
        EXPECT_EQ(ProfileDocument::Parse(doc.Serialize()).Get("매장", "가"), "가");
    }
}

TEST(ProfileDocument, RefusesTextsThatWouldBreakTheFile) {
    struct Case {
        std::string_view section, key, value;
    };
    const Case cases[] = {
        {"s", "k", "two\r\n[evil]\r\nk=v"},
        {"s", "k", "a\0b"sv},
        {"s\n", "k", "v"},
        {"s]x", "k", "v"},
        {"s", "  ", "v"},
        {"s", "a=b", "v"},
        {"s", ";k", "v"},
        {"s", "k", "\xC7\xD1"},  // not UTF-8
    };
    for (const Case& c : cases) {
        ProfileDocument doc = ProfileDocument::Parse("[s]\r\nk=old\r\n");
        EXPECT_FALSE(doc.Set(c.section, c.key, c.value)) << c.section << "/" << c.key;
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

TEST(ProfileDocument, BinaryInputParsesWithoutHarm) {
    for (unsigned seed = 1; seed <= 20; ++seed) {
        std::mt19937 random(seed);
        std::string bytes(4096, '\0');
        for (char& c : bytes) c = static_cast<char>(random() % 256);
        for (std::size_t i = 0; i < bytes.size(); i += 97) bytes[i] = '\0';
        bytes.replace(100, 9, "\n[s]\nk=v\n");

        ProfileDocument doc = ProfileDocument::Parse(bytes);
        EXPECT_EQ(doc.Serialize(), bytes);
        for (const std::string& section : doc.Sections()) {
            for (const std::string& key : doc.Keys(section)) doc.Get(section, key);
        }
        ASSERT_TRUE(doc.Set("새 구역", "키", "값"));
        const std::string written = doc.Serialize();
        EXPECT_EQ(written.substr(0, bytes.size()), bytes) << seed;
        EXPECT_EQ(ProfileDocument::Parse(written).Get("새 구역", "키"), "값") << seed;
    }
}

// Inputs that once broke the parser (kept in fuzz/regressions/fuzz_ini): each must parse, read
// back, take a value and keep it through serialising.
TEST(ProfileDocument, FuzzFindingsParseWithoutHarm) {
    const std::string_view inputs[] = {
        // ends in an unassigned CP949 pair, which iconv takes before it reports it
        "\x88\xBB\xBF[\xEC\x90]\x0A\x14[\xEC\x90]\x0A;(p\xEC\x9E\x90\x0A"
        "\xEC\x9E\xB3?\xB3?[\xA2\xE8"sv,
    };
    for (const std::string_view bytes : inputs) {
        ProfileDocument doc = ProfileDocument::Parse(bytes);
        EXPECT_EQ(doc.Serialize(), bytes);
        for (const std::string& section : doc.Sections()) {
            for (const std::string& key : doc.Keys(section)) EXPECT_TRUE(doc.Get(section, key));
        }
        ASSERT_TRUE(doc.Set("퍼징", "Key", "값=1"));
        EXPECT_EQ(ProfileDocument::Parse(doc.Serialize()).Get("퍼징", "Key"), "값=1");
    }
}

}  // namespace
}  // namespace host
