#include "db/embedded/syscat_views.h"

#include <string>

#include "db/embedded/names.h"
#include "db/embedded/routine_catalogue.h"
#include "db/embedded/sqlite_handle.h"
#include "db/embedded/syscat_names.h"
#include "db/embedded/syscat_objects.h"

namespace db::embedded {
namespace {

std::string TempView(std::string_view name) {
    return "temp." + QuoteName(name);
}

// Columns of tables and views, one row each, with the facts of their declared types.
std::string SysColumnsSql() {
    std::string facts;
    for (const char* fact : {"xtype", "type", "length", "xprec", "xscale", "prec"}) {
        facts += "dp_column_fact(p.type, '" + std::string(fact) + "') AS " + fact + ", ";
    }
    return "CREATE TEMP VIEW " + QuoteName(kSysColumnsView) +
           " AS SELECT dp_object_id(m.name) AS id, p.name COLLATE NOCASE AS name, " + facts +
           "dp_column_fact(p.type, 'xtype') AS xusertype, dp_column_fact(p.type, 'xscale') AS "
           "scale, p.cid + 1 AS colid, p.cid + 1 AS colorder, CASE WHEN p.\"notnull\" OR p.pk > "
           "0 THEN 0 ELSE 1 END AS isnullable, 0 AS iscomputed, 0 AS number FROM "
           "main.sqlite_master AS m JOIN pragma_table_info(m.name, 'main') AS p WHERE m.type IN "
           "('table', 'view') AND NOT dp_hidden_table(m.name)";
}

// Tables, views and (when the routine table exists) routines.
std::string SysObjectsSql(bool withRoutines) {
    const std::string columns =
        " AS xtype, 1 AS uid, 0 AS parent_obj, NULL AS crdate, 0 AS category, ";
    std::string sql = "CREATE TEMP VIEW " + QuoteName(kSysObjectsView) +
                      " AS SELECT m.name COLLATE NOCASE AS name, dp_object_id(m.name) AS id, "
                      "(CASE m.type WHEN 'view' THEN 'V' ELSE 'U' END) COLLATE NOCASE" +
                      columns +
                      "(CASE m.type WHEN 'view' THEN 'V' ELSE 'U' END) COLLATE NOCASE AS type "
                      "FROM main.sqlite_master AS m WHERE m.type IN ('table', 'view') AND NOT "
                      "dp_hidden_table(m.name)";
    if (withRoutines) {
        sql +=
            " UNION ALL SELECT r.name COLLATE NOCASE, dp_object_id(r.name), r.kind COLLATE "
            "NOCASE" +
            columns + "r.kind COLLATE NOCASE FROM main." + QuoteName(kRoutineTable) + " AS r";
    }
    return sql;
}

std::string SysObjectsCatalogSql() {
    std::string description = "CASE o.type";
    for (const ObjectKind& kind : ObjectKinds()) {
        description +=
            " WHEN '" + std::string(kind.code) + "' THEN '" + std::string(kind.description) + "'";
    }
    description += " END";
    return "CREATE TEMP VIEW " + QuoteName(kSysObjectsCatalogView) +
           " AS SELECT o.name AS name, o.id AS object_id, NULL AS principal_id, 1 AS schema_id, 0 "
           "AS parent_object_id, o.type AS type, " +
           description +
           " AS type_desc, NULL AS create_date, NULL AS modify_date, 0 AS is_ms_shipped, 0 AS "
           "is_published, 0 AS is_schema_published FROM " +
           TempView(kSysObjectsView) + " AS o";
}

// Views created inside a transaction go with its rollback.
bool ViewsPresent(sqlite3* db) {
    bool present = false;
    QueryRows(db, "SELECT 1 FROM sqlite_temp_master WHERE type = 'view' AND name = ?1",
              {kSysObjectsCatalogView}, [&](sqlite3_stmt*) { present = true; });
    return present;
}

}  // namespace

void CatalogueViews::Prepare(sqlite3* db) {
    const bool withRoutines = HasRoutineTable(db);
    if (built_ && withRoutines == withRoutines_ && ViewsPresent(db)) return;
    for (std::string_view view : {kSysObjectsCatalogView, kSysObjectsView, kSysColumnsView}) {
        ExecPlain(db, "DROP VIEW IF EXISTS " + TempView(view));
    }
    ExecPlain(db, SysColumnsSql());
    ExecPlain(db, SysObjectsSql(withRoutines));
    ExecPlain(db, SysObjectsCatalogSql());
    built_ = true;
    withRoutines_ = withRoutines;
}

}  // namespace db::embedded
