#pragma once
// clsPatch_Hist: the record class of PATCH_HIST, the table in which every patched database keeps
// one row per successful patch run (날짜, 번호, NV_Ver, NV_ETC, NV_GUBUN, NV_Date). It works on
// the connection installed as StoreConnection at the moment of each call (Update with section 1
// on Data1Connection), so one object serves whichever database is installed. The Runtime must
// outlive the object; no record set is kept open between calls.
#include <cstdint>
#include <string>

#include "db/connection.h"
#include "db/recordset.h"
#include "util/variant.h"

namespace config {
class Runtime;
}

namespace history {

class clsPatch_Hist {
  public:
    explicit clsPatch_Hist(config::Runtime& runtime);

    // What Update does: 0 inserts a new row, 1 updates the row (날짜, 번호), 2 deletes it.
    std::int16_t 작업구분 = 0;
    // What the last Update or Delete did: 0 inserted, 1 updated, 2 deleted, 3 nothing.
    std::int16_t LastAction = 3;
    // 1 when the last RecordSelect or DataLoad found no row.
    std::int16_t NoRecord = 1;
    std::string 날짜;
    std::int16_t 번호 = 0;
    std::string NV_Ver;
    std::string NV_ETC;
    std::int16_t NV_GUBUN = 0;

    // Loads the row (날짜, 번호) into the fields and sets 작업구분 so that Update rewrites it,
    // or clears the fields (작업구분 0, NoRecord 1) when there is none. Throws DbError.
    void RecordSelect();
    // Writes according to 작업구분 in a transaction; section 0 writes into the store database,
    // 1 into the "데이터1" database. Never throws: a failure is shown to the user, rolled back,
    // reported to the error report file and leaves LastAction 3.
    void Update(std::int32_t section = 0);
    // Deletes the row (날짜, 번호) in a transaction; failures as in Update.
    void Delete();
    // The next free 번호 of 날짜 on StoreConnection. Throws DbError (6 when it would exceed the
    // 16-bit range).
    void new번호(std::int16_t& NewNumber);
    // Opens every row of one date (dashes removed) into cRs, read-only; NoRecord tells whether
    // it is empty. cFindNumber is not used. Throws DbError.
    void DataLoad(db::RecordSet& cRs, std::string cfindDate,
                  const util::Variant& cFindNumber = util::Variant());
    // The greatest 날짜 of the rows tagged "UpDate"; the empty text when there is none, and also
    // when the database has no PATCH_HIST at all (a database that was never patched). Other
    // failures throw DbError.
    std::string LastPatchDate();

  private:
    using Writer = std::string (clsPatch_Hist::*)(db::Connection& cn, std::int32_t section);

    // The connection of a section; throws DbError 91 when the handle holds no object.
    db::Connection& ConnectionFor(std::int32_t section) const;
    // Runs the statement of `write` in a transaction and sets LastAction to `action`; without a
    // writer shows the "프로그램버그" box instead. Handles every failure as Update does.
    void WriteInTransaction(std::int32_t section, Writer write, std::int16_t action);
    std::string InsertSql(db::Connection& cn, std::int32_t section);
    std::string UpdateSql(db::Connection& cn, std::int32_t section);
    std::string DeleteRowSql(db::Connection& cn, std::int32_t section);
    std::string DeleteSql(db::Connection& cn, std::int32_t section);
    // Shows the failure, sets LastAction 3 and files the error report; ends the program when the
    // report cannot be written.
    void WriteFailed(const db::DbError& error, int systemError);
    // The current date and time as a literal of the section's dialect.
    std::string NowLiteral(std::int32_t section);
    // "<keyword> 날짜 = '…' And 번호 = n".
    std::string KeyCondition(const char* keyword) const;
    std::int16_t NextNumber(db::Connection& cn) const;

    config::Runtime& runtime_;
};

}  // namespace history
