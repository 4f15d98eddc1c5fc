// Kro_Ado's statements and queries: counts, silent abandonment, and the reconnect with the
// question to the user when the link to the database is lost.
#include <gtest/gtest.h>

#include "db/ado_world.h"
#include "db/kro_ado.h"

namespace db_test {
namespace {

using host::MsgAnswer;
using host::ScriptedDesktop;
using Kind = ScriptedDesktop::CallKind;

constexpr const char* kQuestion =
    "서버접속에 2회이상 반복 실패하였습니다.\r\n다시 연결을 시도 하시겠습니까?";

class KroAdoStatementsTest : public AdoWorld {
  protected:
    void SetUp() override {
        MakeServerDatabase("STORE", {"CREATE TABLE 거래처 (코드 NVARCHAR(10), 이름 NVARCHAR(20))",
                                     "INSERT INTO 거래처 VALUES ('1', '가')",
                                     "INSERT INTO 거래처 VALUES ('2', '나')"});
        ASSERT_TRUE(ConnectSql(ado_, cn_)) << ado_.ErrDes;
    }
    std::filesystem::path Away() const { return ServerFile("STORE").string() + ".away"; }
    void DropLink() { std::filesystem::rename(ServerFile("STORE"), Away()); }
    void RestoreLink() { std::filesystem::rename(Away(), ServerFile("STORE")); }
    std::vector<ScriptedDesktop::Call> Questions() const {
        return desktop_.CallsOf(Kind::MessageBox);
    }
    // Counts in waitWindowShows_ how many times the wait window was put up (each showing yields
    // once while it is loaded).
    void CountWaitWindows() {
        desktop_.OnDoEvents([this] {
            if (dialogs_.LoadedMessageWindow()) ++waitWindowShows_;
        });
    }

    int waitWindowShows_ = 0;
};

TEST_F(KroAdoStatementsTest, StatementsGiveTheirCountAndErrorsAreAbandonedSilently) {
    CountWaitWindows();
    EXPECT_EQ(ado_.RunSql(cn_, "UPDATE 거래처 SET 이름 = '다'"), 2);  // the affected count
    for (const char* sql : {"UPDATE 거래처 SETT 이름 = 1", "DELETE FROM 없는표",
                            "INSERT INTO 거래처 (없는열) VALUES (1)"}) {
        EXPECT_EQ(ado_.RunSql(cn_, sql), 0) << sql;
    }
    EXPECT_TRUE(Questions().empty());
    EXPECT_EQ(waitWindowShows_, 0);

    auto rs = ado_.GetRecordSet(cn_, "SELECT * FROM 없는표");
    ASSERT_TRUE(rs);
    EXPECT_EQ(rs->State(), db::ObjectState::Closed);
}

TEST_F(KroAdoStatementsTest, DroppedLinkReconnectsAndRunsTheStatementOnce) {
    CountWaitWindows();
    DropLink();
    desktop_.QueueResponder([this](const ScriptedDesktop::Call&) {
        RestoreLink();  // the server is back while the question is open
        return MsgAnswer::Yes;
    });

    EXPECT_EQ(ado_.RunSql(cn_, "INSERT INTO 거래처 VALUES ('3', '다')"), 1);

    const auto questions = Questions();
    ASSERT_EQ(questions.size(), 1u);
    EXPECT_EQ(questions[0].title, "서버접속 실패");
    EXPECT_EQ(questions[0].text, kQuestion);
    EXPECT_EQ(questions[0].icon, host::MsgIcon::Question);
    EXPECT_EQ(questions[0].buttons, host::MsgButtons::YesNo);
    EXPECT_EQ(waitWindowShows_, 2);  // the automatic reconnect and the one after "Yes"
    EXPECT_EQ(Count(cn_, "거래처 WHERE 코드 = '3'"), 1);
    EXPECT_TRUE(ado_.IsServerConnect(cn_));
    EXPECT_EQ(cn_->CommandTimeout, 10);
}

TEST_F(KroAdoStatementsTest, QuestionRepeatsUntilTheReconnectWorks) {
    DropLink();
    desktop_.QueueAnswer(MsgAnswer::Yes);  // still gone: asked again
    desktop_.QueueResponder([this](const ScriptedDesktop::Call&) {
        RestoreLink();
        return MsgAnswer::Yes;
    });
    auto rs = ado_.GetRecordSet(cn_, "SELECT 코드 FROM 거래처 ORDER BY 코드");
    EXPECT_EQ(Questions().size(), 2u);
    ASSERT_EQ(rs->State(), db::ObjectState::Open);
    EXPECT_EQ(rs->RecordCount(), 2);
}

TEST_F(KroAdoStatementsTest, AnsweringNoAbandonsAndLeavesTheUnopenedConnection) {
    DropLink();
    const db::ConnectionRef before = cn_;
    desktop_.QueueAnswer(MsgAnswer::No);
    EXPECT_EQ(ado_.RunSql(cn_, "DELETE FROM 거래처"), 0);
    EXPECT_EQ(Questions().size(), 1u);
    ASSERT_TRUE(cn_);
    EXPECT_NE(cn_, before);
    EXPECT_EQ(cn_->State(), db::ObjectState::Closed);
    EXPECT_EQ(cn_->ConnectionString, before->ConnectionString);
    EXPECT_FALSE(ado_.IsServerConnect(cn_));
    EXPECT_EQ(dialogs_.LoadedMessageWindow(), nullptr);

    RestoreLink();
    auto check = OpenConnection(before->ConnectionString);
    EXPECT_EQ(Count(check, "거래처"), 2);  // nothing was deleted

    // A query abandoned after "No" gives a closed set.
    DropLink();
    desktop_.QueueAnswer(MsgAnswer::No);
    auto rs = ado_.GetRecordSet(cn_, "SELECT * FROM 거래처");
    ASSERT_TRUE(rs);
    EXPECT_EQ(rs->State(), db::ObjectState::Closed);
}

// An MDB connection never sets the server-connected flag of a fresh object: it reconnects before
// every statement. Jet refuses to drop an indexed column with the provider's generic failure
// number; the link is sound, so after one reconnect and one more try the statement is given up.
TEST_F(KroAdoStatementsTest, MdbObjectReconnectsBeforeEveryStatementButGivesUpARefusal) {
    MakeMdb({"CREATE TABLE T (A LONG, B LONG)", "CREATE INDEX IX ON T (A)"});
    db::Kro_Ado mdb(context_);
    db::ConnectionRef cn;
    ASSERT_TRUE(ConnectMdb(mdb, cn));
    CountWaitWindows();
    const db::ConnectionRef first = cn;
    EXPECT_EQ(mdb.RunSql(cn, "INSERT INTO T VALUES (1, 2)"), 1);
    EXPECT_EQ(waitWindowShows_, 1);
    EXPECT_NE(cn, first);
    EXPECT_EQ(Count(cn, "T"), 1);
    EXPECT_EQ(mdb.RunSql(cn, "ALTER TABLE T DROP COLUMN A"), 0);
    EXPECT_TRUE(Questions().empty());
}

TEST_F(KroAdoStatementsTest, NoConnectionObjectIsAbandonedAndNoSetIsClosed) {
    db::ConnectionRef none;
    EXPECT_EQ(ado_.RunSql(none, "DELETE FROM 거래처"), 0);
    auto rs = ado_.GetRecordSet(none, "SELECT * FROM 거래처");
    ASSERT_TRUE(rs);
    EXPECT_EQ(rs->State(), db::ObjectState::Closed);
    EXPECT_TRUE(Questions().empty());

    db::Kro_Ado::CloseRecordSet(rs);  // closed already
    EXPECT_EQ(rs, nullptr);
    db::Kro_Ado::CloseRecordSet(rs);  // no object
    rs = ado_.GetRecordSet(cn_, "SELECT * FROM 거래처");
    db::Kro_Ado::CloseRecordSet(rs);
    EXPECT_EQ(rs, nullptr);
}

TEST_F(KroAdoStatementsTest, GetRecordSetDefaultsToAStaticSnapshot) {
    auto rs = ado_.GetRecordSet(cn_, "SELECT 코드 FROM 거래처 ORDER BY 코드");
    EXPECT_EQ(rs->CursorLocation, 3);
    EXPECT_EQ(rs->RecordCount(), 2);
    rs->MoveLast();
    EXPECT_EQ((*rs)["코드"].AsText(), "2");

    auto forward =
        ado_.GetRecordSet(cn_, "SELECT 코드 FROM 거래처", db::CursorType::kForwardOnly, 1, 2);
    EXPECT_EQ(forward->CursorLocation, 2);
    EXPECT_EQ(forward->RecordCount(), -1);
}

}  // namespace
}  // namespace db_test
