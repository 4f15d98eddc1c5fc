#include "db/embedded/syscat_views.h"

#include <string>
#include <utility>

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

// Tables, views, (when the routine table exists) routines, and key constraints.
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
    // Key constraints are objects of their table.
    sql +=
        " UNION ALL SELECT k.name, k.object_id, k.type, 1, k.parent_object_id, NULL, 0, k.type "
        "FROM " +
        TempView(kKeyConstraintsView) + " AS k";
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
           " AS SELECT o.name AS name, o.id AS object_id, NULL AS principal_id, 1 AS schema_id, "
           "o.parent_obj AS parent_object_id, o.type AS type, " +
           description +
           " AS type_desc, NULL AS create_date, NULL AS modify_date, 0 AS is_ms_shipped, 0 AS "
           "is_published, 0 AS is_schema_published FROM " +
           TempView(kSysObjectsView) + " AS o";
}

// Tables and views of the store, with the join to their columns where columns are listed.
constexpr std::string_view kObjectsOfStore =
    " FROM main.sqlite_master AS m WHERE m.type IN ('table', 'view') AND NOT "
    "dp_hidden_table(m.name)";
constexpr std::string_view kColumnsOfStore =
    " FROM main.sqlite_master AS m JOIN pragma_table_info(m.name, 'main') AS p WHERE m.type IN "
    "('table', 'view') AND NOT dp_hidden_table(m.name)";

// sys.columns: the facts of SYSCOLUMNS under the names of the catalog view; system types only,
// so user_type_id is system_type_id.
std::string SysColumnsCatalogSql() {
    return "CREATE TEMP VIEW " + QuoteName(kSysColumnsCatalogView) +
           " AS SELECT dp_object_id(m.name) AS object_id, p.name COLLATE NOCASE AS name, p.cid + "
           "1 AS column_id, dp_column_fact(p.type, 'xtype') AS system_type_id, "
           "dp_column_fact(p.type, 'xtype') AS user_type_id, dp_column_fact(p.type, 'length') AS "
           "max_length, dp_column_fact(p.type, 'xprec') AS precision, dp_column_fact(p.type, "
           "'xscale') AS scale, dp_column_info(p.type, 'collation') COLLATE NOCASE AS "
           "collation_name, CASE WHEN p.\"notnull\" OR p.pk > 0 THEN 0 ELSE 1 END AS "
           "is_nullable, 1 AS is_ansi_padded, 0 AS is_rowguidcol, dp_column_info(p.type, "
           "'identity') AS is_identity, 0 AS is_computed, 0 AS is_filestream, 0 AS is_replicated, "
           "0 AS is_non_sql_subscribed, 0 AS is_merge_published, 0 AS is_dts_replicated, 0 AS "
           "is_xml_document, 0 AS xml_collection_id, 0 AS default_object_id, 0 AS rule_object_id, "
           "0 AS is_sparse, 0 AS is_column_set" +
           std::string(kColumnsOfStore);
}

// sys.key_constraints: the primary key of each table that has one (an INTEGER PRIMARY KEY has no
// index of SQLite's but is a key all the same) and its UNIQUE constraints, whose indexes SQLite
// made for them (origin 'u'). The key takes index id 1 as a clustered key does.
std::string KeyConstraintsSql() {
    const std::string keys =
        "SELECT m.name AS parent, 'PK' AS type, m.sql AS sql, NULL AS idx, 1 AS unique_index_id "
        "FROM main.sqlite_master AS m WHERE m.type = 'table' AND NOT dp_hidden_table(m.name) AND "
        "EXISTS (SELECT 1 FROM pragma_table_info(m.name, 'main') AS p WHERE p.pk > 0) UNION ALL "
        "SELECT m.name, 'UQ', m.sql, i.name, i.seq + 2 FROM main.sqlite_master AS m JOIN "
        "pragma_index_list(m.name, 'main') AS i WHERE m.type = 'table' AND NOT "
        "dp_hidden_table(m.name) AND i.origin = 'u'";
    const std::string name = "dp_key_constraint(k.sql, k.parent, k.type, k.idx, 'name')";
    return "CREATE TEMP VIEW " + QuoteName(kKeyConstraintsView) + " AS SELECT " + name +
           " COLLATE NOCASE AS name, dp_object_id(" + name +
           ") AS object_id, NULL AS principal_id, 1 AS schema_id, dp_object_id(k.parent) AS "
           "parent_object_id, k.type COLLATE NOCASE AS type, (CASE k.type WHEN 'PK' THEN "
           "'PRIMARY_KEY_CONSTRAINT' ELSE 'UNIQUE_CONSTRAINT' END) COLLATE NOCASE AS type_desc, "
           "NULL AS create_date, NULL AS modify_date, 0 AS is_ms_shipped, 0 AS is_published, 0 AS "
           "is_schema_published, k.unique_index_id AS unique_index_id, dp_key_constraint(k.sql, "
           "k.parent, k.type, k.idx, 'system_named') AS is_system_named, 1 AS is_enforced FROM (" +
           keys + ") AS k";
}

// The catalogue's name of the database (TABLE_CATALOG) as a literal.
std::string CatalogLiteral(const std::string& database) {
    std::string quoted = "'";
    for (char ch : database) quoted += ch == '\'' ? std::string("''") : std::string(1, ch);
    return quoted + "' COLLATE NOCASE";
}

std::string SchemaTablesSql(const std::string& database) {
    return "CREATE TEMP VIEW " + QuoteName(kSchemaTablesView) + " AS SELECT " +
           CatalogLiteral(database) +
           " AS TABLE_CATALOG, 'dbo' COLLATE NOCASE AS TABLE_SCHEMA, m.name COLLATE NOCASE AS "
           "TABLE_NAME, (CASE m.type WHEN 'view' THEN 'VIEW' ELSE 'BASE TABLE' END) COLLATE "
           "NOCASE AS TABLE_TYPE" +
           std::string(kObjectsOfStore);
}

std::string SchemaColumnsSql(const std::string& database) {
    std::string facts;
    for (const auto& [fact, column] : {
             std::pair{"char_max", "CHARACTER_MAXIMUM_LENGTH"},
             std::pair{"octet_max", "CHARACTER_OCTET_LENGTH"},
             std::pair{"num_prec", "NUMERIC_PRECISION"},
             std::pair{"num_radix", "NUMERIC_PRECISION_RADIX"},
             std::pair{"num_scale", "NUMERIC_SCALE"},
             std::pair{"dt_prec", "DATETIME_PRECISION"},
         }) {
        facts += ", dp_column_info(p.type, '" + std::string(fact) + "') AS " + column;
    }
    return "CREATE TEMP VIEW " + QuoteName(kSchemaColumnsView) + " AS SELECT " +
           CatalogLiteral(database) +
           " AS TABLE_CATALOG, 'dbo' COLLATE NOCASE AS TABLE_SCHEMA, m.name COLLATE NOCASE AS "
           "TABLE_NAME, p.name COLLATE NOCASE AS COLUMN_NAME, p.cid + 1 AS ORDINAL_POSITION, "
           "dp_column_default(p.dflt_value) AS COLUMN_DEFAULT, (CASE WHEN p.\"notnull\" OR p.pk > "
           "0 THEN 'NO' ELSE 'YES' END) COLLATE NOCASE AS IS_NULLABLE, dp_column_info(p.type, "
           "'data_type') COLLATE NOCASE AS DATA_TYPE" +
           facts +
           ", dp_column_info(p.type, 'charset_catalog') COLLATE NOCASE AS CHARACTER_SET_CATALOG, "
           "NULL AS CHARACTER_SET_SCHEMA, dp_column_info(p.type, 'charset') COLLATE NOCASE AS "
           "CHARACTER_SET_NAME, NULL AS COLLATION_CATALOG, NULL AS COLLATION_SCHEMA, "
           "dp_column_info(p.type, 'collation') COLLATE NOCASE AS COLLATION_NAME, NULL AS "
           "DOMAIN_CATALOG, NULL AS DOMAIN_SCHEMA, NULL AS DOMAIN_NAME" +
           std::string(kColumnsOfStore);
}

// Views created inside a transaction go with its rollback.
bool ViewsPresent(sqlite3* db) {
    bool present = false;
    QueryRows(db, "SELECT 1 FROM sqlite_temp_master WHERE type = 'view' AND name = ?1",
              {kSysObjectsCatalogView}, [&](sqlite3_stmt*) { present = true; });
    return present;
}

}  // namespace

void CatalogueViews::Prepare(sqlite3* db, const std::string& database) {
    const bool withRoutines = HasRoutineTable(db);
    if (built_ && withRoutines == withRoutines_ && ViewsPresent(db)) return;
    // sys.objects is created last: its presence tells that all are there.
    for (std::string_view view :
         {kSysObjectsCatalogView, kSysObjectsView, kSysColumnsView, kSysColumnsCatalogView,
          kKeyConstraintsView, kSchemaTablesView, kSchemaColumnsView}) {
        ExecPlain(db, "DROP VIEW IF EXISTS " + TempView(view));
    }
    ExecPlain(db, SysColumnsCatalogSql());
    ExecPlain(db, KeyConstraintsSql());
    ExecPlain(db, SchemaTablesSql(database));
    ExecPlain(db, SchemaColumnsSql(database));
    ExecPlain(db, SysColumnsSql());
    ExecPlain(db, SysObjectsSql(withRoutines));
    ExecPlain(db, SysObjectsCatalogSql());
    built_ = true;
    withRoutines_ = withRoutines;
}

}  // namespace db::embedded
