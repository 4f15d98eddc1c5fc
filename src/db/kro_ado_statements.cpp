#include "db/kro_ado.h"
#include "host/desktop.h"

namespace db {
namespace {

constexpr const char* kRetryTitle = "서버접속 실패";
constexpr const char* kRetryText =
    "서버접속에 2회이상 반복 실패하였습니다.\r\n다시 연결을 시도 하시겠습니까?";

// True when the connection is open and its engine still has the link.
bool LinkAlive(const ConnectionRef& cn) {
    try {
        return cn && cn->State() == ObjectState::Open && cn->Engine().Alive();
    } catch (const DbError&) {
        return false;
    }
}

// Whether a failed statement lost the link to the database. An ODBC driver's error carries its
// SQLSTATE: only the class 08 is a lost connection, or a link its engine no longer has; any
// other state (a deadlock victim, a division by zero) is the statement's own failure, whatever
// its number. The embedded engine's errors carry none; it reports a database it lost with the
// generic failure number or a text that speaks of the connection.
bool IsLostLink(const DbError& e, const ConnectionRef& cn) {
    if (!e.SqlState().empty()) return e.SqlState().starts_with("08") || !LinkAlive(cn);
    return e.Number() == ErrorNumber::kUnspecified ||
           e.Description().find("연결을") != std::string::npos;
}

int OptionalInt(const util::Variant& v, int fallback) {
    return v.IsEmpty() || v.IsNull() ? fallback : static_cast<int>(v.AsInt());
}

}  // namespace

Connection& Kro_Ado::Require(const ConnectionRef& cn) {
    if (!cn) throw DbError(91, "개체 변수 또는 With 블록 변수가 설정되어 있지 않습니다.");
    return *cn;
}

Kro_Ado::Outcome Kro_Ado::WithReconnect(ConnectionRef& cn, const std::function<void()>& attempt) {
    bool justReconnected = false;
    for (;;) {
        try {
            attempt();
            return Outcome::Done;
        } catch (const DbError& e) {
            if (!IsLostLink(e, cn)) return Outcome::Abandoned;
            // The generic failure number is also what some statements fail with on a sound link
            // (a Jet column drop refused, for one): when it comes again right after a reconnect
            // on a link that is alive, the statement itself is at fault and is given up.
            if (justReconnected && LinkAlive(cn)) return Outcome::Abandoned;
        }
        if (!ConnectServerRe(cn, 0)) {
            for (;;) {
                if (!context_.desktop.AskYesNo(kRetryText, kRetryTitle, host::MsgIcon::Question)) {
                    return Outcome::Abandoned;
                }
                if (ConnectServerRe(cn, 5)) break;
            }
        }
        justReconnected = true;
    }
}

std::int32_t Kro_Ado::RunSql(ConnectionRef& cn, const std::string& Sql) {
    if (!IsServerConnect(cn)) ConnectServerRe(cn, 0);
    std::int64_t affected = 0;
    const Outcome outcome = WithReconnect(cn, [&] { affected = Require(cn).Execute(Sql); });
    return outcome == Outcome::Done ? static_cast<std::int32_t>(affected) : 0;
}

RecordSetRef Kro_Ado::GetRecordSet(ConnectionRef& cn, const std::string& rsSql, int rsCursorType,
                                   const util::Variant& rsLockTypeEnum,
                                   const util::Variant& rsCursorLocationEnum) {
    if (!IsServerConnect(cn)) ConnectServerRe(cn, 0);
    RecordSetRef rs;
    WithReconnect(cn, [&] {
        rs = std::make_shared<RecordSet>();
        rs->CursorLocation = OptionalInt(rsCursorLocationEnum, 3);
        rs->Open(rsSql, Require(cn), rsCursorType, OptionalInt(rsLockTypeEnum, 1));
    });
    return rs;
}

void Kro_Ado::CloseRecordSet(RecordSetRef& rs) {
    if (rs) rs->Close();
    rs.reset();
}

}  // namespace db
