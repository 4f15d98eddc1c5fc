#pragma once
// clsConfigCopy: builds the configuration tables of the store database when they are missing.
// CONFIG (the shared rows) is created and filled from the template "환경설정.mdb" in the program
// folder, CONFIGPC maps workstation codes to table names, and a workstation's own table is a copy
// of CONFIG. Tables are defined through the DAO interface on the store database that the
// configuration object describes; rows are written through the shared configuration connection.
#include <cstddef>
#include <functional>
#include <memory>
#include <string>

#include "db/connection.h"

namespace db {
class Connection;
class DaoDatabase;
class DaoTableDef;
class RecordSet;
}  // namespace db

namespace config {

class Runtime;

// Number of the error raised when CONFIG cannot be built.
inline constexpr int kConfigSourceBuildError = 4000;
inline constexpr const char* kConfigSourceBuildText =
    "환경설정 원본 테이블 만들기에 실패하였습니다";

class clsConfigCopy {
  public:
    // Takes the store database from the connection items of the configuration object
    // (rt.Config().ConfigObject()) and writes rows through `shared`, the connection the
    // configuration is read through. Both must outlive the object.
    clsConfigCopy(Runtime& rt, db::ConnectionRef& shared);
    ~clsConfigCopy();
    clsConfigCopy(const clsConfigCopy&) = delete;
    clsConfigCopy& operator=(const clsConfigCopy&) = delete;

    // Creates CONFIG (with the template's rows) and CONFIGPC where they are missing, showing the
    // wait window meanwhile. True when both are there and readable afterwards; false on any other
    // failure (nothing is thrown then). Throws db::DbError kConfigSourceBuildError with
    // kConfigSourceBuildText when CONFIG could not be built (missing template included: its box
    // has been shown by then, and no table was created).
    bool ActionPatch_Creat_ConfigPC();

    // Creates the workstation table TableName with CONFIG's columns and copies CONFIG's rows into
    // it (검색어 stays empty). True when the table was built and filled; never throws. The second
    // form also hands the result to bResult.
    bool ActionPatch_Creat_Config확장(const std::string& TableName);
    bool ActionPatch_Creat_Config확장(const std::string& TableName, bool& bResult);

  private:
    struct CopyPlan;

    // Steps 2 to 5 of ActionPatch_Creat_ConfigPC; sourceBuilt turns false when CONFIG was missing
    // and could not be built. Throws db::DbError for the other failures.
    bool BuildMissingTables(bool& sourceBuilt);
    // Creates CONFIG with the template's rows; false (after its box) when the template or its
    // table cannot be read or a row cannot be copied.
    bool CreateConfigSource();
    // Opens the rows to copy as a snapshot; a missing table gives the copy's failure box and
    // false, other errors are thrown.
    bool OpenRows(db::RecordSet& rs, db::Connection& cn, const char* sql);
    // Defines and appends `table`, then copies the rows into it; a table whose copy failed is
    // dropped again, so that no half-filled table is taken for a complete one later.
    bool BuildAndFill(const std::string& table, db::RecordSet& rows, const CopyPlan& plan);
    // Defines `table` with the columns of a configuration table and appends it.
    void DefineConfigTable(const std::string& table);
    // One INSERT per row through the shared connection, each tried a few times with a yield in
    // between; false after the failure box.
    bool CopyRows(db::RecordSet& rs, const CopyPlan& plan);
    // Runs the step again after a yield while it fails for a table that is not (yet) visible,
    // a few times at most; other errors and the last failure are thrown.
    void RetryWhileTableMissing(const std::function<void()>& step);
    // The configuration database, opened for table definitions when not yet open.
    db::DaoDatabase& Database();

    Runtime& rt_;
    db::ConnectionRef& shared_;
    std::unique_ptr<db::DaoDatabase> dao_;
    std::shared_ptr<db::DaoTableDef> tableDef_;
};

}  // namespace config
