#include "db/embedded/table_rebuild.h"

#include <cstdint>
#include <cstdio>
#include <utility>

#include "db/embedded/char_padding.h"
#include "db/embedded/create_text.h"
#include "db/embedded/error_map.h"
#include "db/embedded/names.h"
#include "db/embedded/token.h"

namespace db::embedded {
namespace {

bool IsJet(Dialect dialect) {
    return dialect == Dialect::Jet;
}

const TableShape& ShapeOf(TableShapes& shapes, Dialect dialect, const std::string& table) {
    const TableShape* shape = shapes.Find(table);
    if (shape == nullptr) throw MissingTableError(table, dialect);
    return *shape;
}

[[noreturn]] void ThrowMissingColumn(Dialect dialect, const std::string& table,
                                     const std::string& column, std::string_view serverText) {
    throw EngineError(ErrorNumber::kSyntax, IsJet(dialect) ? "Cannot find field '" + column +
                                                                 "' in table '" + table + "'."
                                                           : std::string(serverText));
}

bool AnyRow(sqlite3* db, const std::string& sql) {
    bool found = false;
    QueryRows(db, sql, {}, [&](sqlite3_stmt*) { found = true; });
    return found;
}

// Makes the table anew from text: the rows are copied in column order and the indexes made
// again; a row that the new definition refuses fails the whole change. On the server kind the
// fixed-size text columns get their padding back (dropped with the old table) and are padded.
void Rebuild(sqlite3* db, Dialect dialect, const TableShape& shape, const CreateText& text) {
    const std::string table = QuoteName(shape.name);
    const std::string work = QuoteName(kRebuildTable);
    Transaction transaction(db);
    ExecPlain(db, text.Write(kRebuildTable));
    ExecPlain(db, "INSERT INTO " + work + " SELECT * FROM " + table);
    ExecPlain(db, "DROP TABLE " + table);
    ExecPlain(db, "ALTER TABLE " + work + " RENAME TO " + table);
    for (const std::string& index : shape.indexSql) ExecPlain(db, index);
    if (!IsJet(dialect)) PadTable(db, shape.name);
    transaction.Commit();
}

// SQLite's affinity of a declared type, by the rules of https://www.sqlite.org/datatype3.html
// (3.1): the values a column keeps are converted by it, and by nothing else of the type.
char Affinity(std::string_view type) {
    const std::string upper = UpperAscii(type);
    const auto has = [&](std::string_view piece) { return upper.find(piece) != std::string::npos; };
    if (has("INT")) return 'i';
    if (has("CHAR") || has("CLOB") || has("TEXT")) return 't';
    if (has("BLOB") || upper.empty()) return 'b';
    if (has("REAL") || has("FLOA") || has("DOUB")) return 'r';
    return 'n';
}

// Stores sql as the CREATE TABLE text of table, by SQLite's procedure for changes that leave the
// stored content alone (https://www.sqlite.org/lang_altertable.html, "Making Other Kinds Of Table
// Schema Changes"): the text is written with writable_schema and the schema version moved on, so
// that every connection reads the table anew. Throws DbError; on failure nothing changes.
void ReplaceTableText(sqlite3* db, const std::string& table, const std::string& sql) {
    int version = 0;
    QueryRows(db, "PRAGMA schema_version", {},
              [&](sqlite3_stmt* s) { version = sqlite3_column_int(s, 0); });
    Transaction transaction(db);
    ExecPlain(db, "PRAGMA writable_schema = ON");
    try {
        QueryRows(db, "UPDATE sqlite_schema SET sql = ?1 WHERE type = 'table' AND name = ?2",
                  {sql, table}, [](sqlite3_stmt*) {});
        ExecPlain(db, "PRAGMA schema_version = " + std::to_string(version + 1));
    } catch (const DbError&) {
        ExecPlain(db, "PRAGMA writable_schema = OFF");
        throw;
    }
    ExecPlain(db, "PRAGMA writable_schema = OFF");
    transaction.Commit();
}

// Whether every value the column holds now passes the new length check without looking at
// them: no check, or the same measure with a limit as large or larger.
bool WidensLength(const ColumnParts& before, const ColumnParts& after) {
    if (after.lengthLimit < 0) return true;
    return before.lengthLimit >= 0 && before.lengthMeasure == after.lengthMeasure &&
           after.lengthLimit >= before.lengthLimit;
}

// Defines the column anew in the stored table text only, when the new definition leaves every
// stored value and index entry as the rebuild would make it: the same affinity and collation,
// no computed column, a key column of the same type (an INTEGER key is the row number), on the
// server kind no fixed-size text on either side (its padding would change) and values that fit
// the length check, which only a narrowing has to read. The edit is SQLite's own procedure for
// changes that leave the stored content alone (https://www.sqlite.org/lang_altertable.html,
// "Making Other Kinds Of Table Schema Changes"). False when the table has to be rebuilt.
bool RedefineInPlace(sqlite3* db, Dialect dialect, const TableShape& shape,
                     const ColumnShape& column, const std::string& before, const std::string& after,
                     const CreateText& text) {
    const ColumnParts old = PartsOf(before);
    const ColumnParts now = PartsOf(after);
    if (old.generated || now.generated || old.collation != now.collation ||
        Affinity(old.type) != Affinity(now.type)) {
        return false;
    }
    if (column.keyPosition > 0 && !EqualsNoCase(old.type, now.type)) return false;
    if (!IsJet(dialect) &&
        (FixedTextOf(column.type, dialect) || FixedTextOf(ParseStoredType(now.type), dialect))) {
        return false;
    }
    if (!WidensLength(old, now) && AnyRow(db, "SELECT 1 FROM " + QuoteName(shape.name) +
                                                  " WHERE NOT (" + now.lengthCheck + ") LIMIT 1")) {
        return false;  // the rebuild refuses the value as it always has
    }
    ReplaceTableText(db, shape.name, text.Write(shape.name));
    return true;
}

// ADD COLUMN of a column with a length check, in two steps: SQLite checks every CHECK of the
// table over every row when the new column has one, but the rows there were hold the new
// column's default alone, so the column is added without its check, the first row shows whether
// the default passes it, and the check is written into the table's text. False (nothing changed)
// when the statement is of another form or the default does not pass: SQLite runs it as it is.
bool AddWithoutScan(sqlite3* db, const std::string& sql) {
    const Tokens t = Tokenize(sql);
    if (t.size() < 7 || !t[0].Is("ALTER") || !t[1].Is("TABLE") || !t[2].IsName() ||
        !t[3].Is("ADD") || !t[4].Is("COLUMN") || !t[5].IsName()) {
        return false;
    }
    std::size_t check = 0;
    for (std::size_t i = 6; i + 1 < t.size() && check == 0; ++i) {
        if (t[i].Is("CONSTRAINT") && t[i + 1].value.rfind(kLengthCheckPrefix, 0) == 0) check = i;
    }
    if (check == 0) return false;
    const std::string definition = sql.substr(t[5].offset);
    const ColumnParts parts = PartsOf(definition);
    std::string plain = sql.substr(t[5].offset, t[check].offset - t[5].offset);
    while (!plain.empty() && plain.back() == ' ') plain.pop_back();
    // The check ends the definition, as the translator writes it.
    if (parts.lengthLimit < 0 || definition.find(parts.lengthCheck) == std::string::npos ||
        definition.back() != ')') {
        return false;
    }
    const std::string table = QuoteName(t[2].value);
    {
        Transaction transaction(db);
        ExecPlain(db, "ALTER TABLE " + table + " ADD COLUMN " + plain);
        if (AnyRow(db, "SELECT 1 FROM (SELECT * FROM " + table + " LIMIT 1) WHERE NOT (" +
                           parts.lengthCheck + ")")) {
            return false;
        }
        std::string stored;
        QueryRows(db, "SELECT sql FROM sqlite_schema WHERE type = 'table' AND name = ?1",
                  {t[2].value}, [&](sqlite3_stmt* s) { stored = ColumnText(s, 0); });
        const std::size_t at = stored.rfind(plain);
        if (at == std::string::npos) return false;
        stored.replace(at, plain.size(), definition);
        ReplaceTableText(db, t[2].value, stored);
        transaction.Commit();
    }
    return true;
}

// The element of text that defines column; an unreadable definition when there is none.
std::size_t ColumnElement(const CreateText& text, const ColumnShape& column) {
    const std::size_t i = text.FindColumn(column.name);
    if (i == std::string::npos) {
        throw EngineError(ErrorNumber::kUnspecified,
                          "The definition of column '" + column.name + "' cannot be read.");
    }
    return i;
}

// The first key value that more than one row holds, as "(a, b)"; empty when the key is unique.
std::string DuplicateKey(sqlite3* db, const TableShape& shape,
                         const std::vector<std::string>& columns) {
    const std::string list = QuoteNames(columns);
    std::string value;
    QueryRows(db,
              "SELECT " + list + " FROM " + QuoteName(shape.name) + " GROUP BY " + list +
                  " HAVING COUNT(*) > 1 LIMIT 1",
              {}, [&](sqlite3_stmt* s) {
                  value = "(";
                  for (int i = 0; i < sqlite3_column_count(s); ++i) {
                      if (i > 0) value += ", ";
                      value +=
                          sqlite3_column_type(s, i) == SQLITE_NULL ? "<NULL>" : ColumnText(s, i);
                  }
                  value += ")";
              });
    return value;
}

void CheckKeyColumns(sqlite3* db, Dialect dialect, const TableShape& shape, const Step& step) {
    if (shape.HasPrimaryKey()) {
        throw EngineError(
            ErrorNumber::kSyntax,
            IsJet(dialect) ? "Primary key already exists."
                           : "Table '" + shape.name + "' already has a primary key defined on it.");
    }
    for (const std::string& name : step.columns) {
        const ColumnShape* column = shape.Find(name);
        if (column == nullptr) {
            ThrowMissingColumn(
                dialect, shape.name, name,
                "Column name '" + name + "' does not exist in the target table or view.");
        }
        // The server kind refuses a key over a column that allows Null, whatever it holds; Jet
        // refuses Null values.
        if (!IsJet(dialect) && !column->notNull) {
            throw EngineError(ErrorNumber::kSyntax,
                              "Cannot define PRIMARY KEY constraint on nullable column in table '" +
                                  shape.name + "'.");
        }
        if (IsJet(dialect) && AnyRow(db, "SELECT 1 FROM " + QuoteName(shape.name) + " WHERE " +
                                             QuoteName(column->name) + " IS NULL LIMIT 1")) {
            throw EngineError(ErrorNumber::kConstraint,
                              "Index or primary key cannot contain a Null value.");
        }
    }
    const std::string duplicate = DuplicateKey(db, shape, step.columns);
    if (duplicate.empty()) return;
    if (IsJet(dialect)) {
        throw EngineError(ErrorNumber::kConstraint,
                          "The changes you requested to the table were not successful because "
                          "they would create duplicate values in the index, primary key, or "
                          "relationship.");
    }
    throw EngineError(ErrorNumber::kSyntax,
                      "The CREATE UNIQUE INDEX statement terminated because a duplicate key was "
                      "found for the object name 'dbo." +
                          shape.name + "' and the index name '" + step.name +
                          "'. The duplicate key value is " + duplicate + ".");
}

// The first count characters of a UTF-8 text.
std::string LeadingCharacters(const std::string& text, std::size_t count) {
    std::size_t end = 0;
    for (std::size_t n = 0; end < text.size() && n < count; ++n) {
        ++end;
        while (end < text.size() && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) ++end;
    }
    return text.substr(0, end);
}

// The server names a default declared without a name DF__, the table's first nine characters,
// __, the column's first five, __ and a number of its own; the number here is a hash of both
// names, so that the same default keeps the same name.
std::string MadeUpDefaultName(const std::string& table, const std::string& column) {
    std::uint32_t hash = 2166136261u;
    for (const char ch : UpperAscii(table) + "." + UpperAscii(column)) {
        hash = (hash ^ static_cast<unsigned char>(ch)) * 16777619u;
    }
    char hex[9];
    std::snprintf(hex, sizeof hex, "%08X", hash);
    return "DF__" + LeadingCharacters(table, 9) + "__" + LeadingCharacters(column, 5) + "__" + hex;
}

std::string DefaultName(const TableShape& shape, const ColumnShape& column,
                        const DefaultConstraint& found) {
    return found.name.empty() ? MadeUpDefaultName(shape.name, column.name) : found.name;
}

// SQL Server's two messages of a failed constraint statement, as one description.
[[noreturn]] void ThrowConstraintFailure(const std::string& first, const std::string& second) {
    throw EngineError(ErrorNumber::kSyntax, first + " " + second);
}

}  // namespace

void AlterColumn(sqlite3* db, TableShapes& shapes, Dialect dialect, const Step& step) {
    const TableShape shape = ShapeOf(shapes, dialect, step.table);
    const ColumnShape* column = shape.Find(step.name);
    if (column == nullptr) {
        ThrowMissingColumn(dialect, shape.name, step.name,
                           "ALTER TABLE ALTER COLUMN " + step.name + " failed because column '" +
                               step.name + "' does not exist in table '" + shape.name + "'.");
    }
    if (step.notNull && AnyRow(db, "SELECT 1 FROM " + QuoteName(shape.name) + " WHERE " +
                                       QuoteName(column->name) + " IS NULL LIMIT 1")) {
        throw EngineError(
            ErrorNumber::kConstraint,
            IsJet(dialect)
                ? "Field '" + shape.name + "." + column->name + "' cannot contain a Null value."
                : "Cannot insert the value NULL into column '" + column->name + "', table '" +
                      shape.name + "'; column does not allow nulls. UPDATE fails.");
    }
    CreateText text = CreateText::Parse(shape.createSql);
    std::string& element = text.elements()[ColumnElement(text, *column)];
    std::string definition = QuoteName(column->name) + " " + step.sql;
    // A key column keeps refusing Null whatever the new definition says.
    if (column->keyPosition > 0 && !step.notNull) definition += " NOT NULL";
    const std::string lasting = LastingConstraints(element);
    if (!lasting.empty()) definition += " " + lasting;
    const std::string before = std::exchange(element, std::move(definition));
    // The definition the column has already: the table stays as it is and the file unwritten, as
    // the server changes nothing for it (a rebuild would only number the rows anew).
    if (element == before) return;
    if (RedefineInPlace(db, dialect, shape, *column, before, element, text)) return;
    Rebuild(db, dialect, shape, text);
}

void AddPrimaryKey(sqlite3* db, TableShapes& shapes, Dialect dialect, const Step& step) {
    const TableShape shape = ShapeOf(shapes, dialect, step.table);
    CheckKeyColumns(db, dialect, shape, step);
    CreateText text = CreateText::Parse(shape.createSql);
    for (const std::string& name : step.columns) {
        const ColumnShape& column = *shape.Find(name);
        if (!column.notNull) text.elements()[ColumnElement(text, column)] += " NOT NULL";
    }
    text.elements().push_back(step.sql);
    Rebuild(db, dialect, shape, text);
}

void AddDefault(sqlite3* db, TableShapes& shapes, Dialect dialect, const Step& step) {
    const TableShape shape = ShapeOf(shapes, dialect, step.table);
    const std::string& name = step.columns.front();
    const ColumnShape* column = shape.Find(name);
    const char* const kCouldNotCreate =
        "Could not create constraint or index. See previous errors.";
    if (column == nullptr) {
        ThrowConstraintFailure("Column '" + name + "' in table '" + shape.name +
                                   "' is invalid for creating a default constraint.",
                               kCouldNotCreate);
    }
    CreateText text = CreateText::Parse(shape.createSql);
    std::string& element = text.elements()[ColumnElement(text, *column)];
    if (FindDefault(element).found) {
        ThrowConstraintFailure("Column already has a DEFAULT bound to it.", kCouldNotCreate);
    }
    if (!step.name.empty()) element += " CONSTRAINT " + QuoteName(step.name);
    element += " DEFAULT " + step.sql;
    Rebuild(db, dialect, shape, text);
}

void DropConstraint(sqlite3* db, TableShapes& shapes, Dialect dialect, const Step& step) {
    const TableShape shape = ShapeOf(shapes, dialect, step.table);
    CreateText text = CreateText::Parse(shape.createSql);
    for (const ColumnShape& column : shape.columns) {
        std::string& element = text.elements()[ColumnElement(text, column)];
        const DefaultConstraint found = FindDefault(element);
        if (!found.found || !EqualsNoCase(DefaultName(shape, column, found), step.name)) continue;
        element.erase(found.from, found.to - found.from);
        Rebuild(db, dialect, shape, text);
        return;
    }
    // Keys and checks are named in the table's text; the engine drops only defaults.
    for (const Token& t : Tokenize(shape.createSql)) {
        if (t.IsName() && EqualsNoCase(t.value, step.name)) {
            throw EngineError(ErrorNumber::kSyntax,
                              "The embedded engine does not run DROP CONSTRAINT of a key or "
                              "check yet (ALTER TABLE statement).");
        }
    }
    ThrowConstraintFailure("'" + step.name + "' is not a constraint.",
                           "Could not drop constraint. See previous errors.");
}

bool AddColumnWithoutScan(sqlite3* db, const std::string& sql) {
    return AddWithoutScan(db, sql);
}

std::string DefaultConstraintName(TableShapes& shapes, const std::string& table,
                                  const std::string& column) {
    const TableShape* shape = shapes.Find(table);
    const ColumnShape* found = shape != nullptr ? shape->Find(column) : nullptr;
    if (found == nullptr) return {};
    CreateText text = CreateText::Parse(shape->createSql);
    const std::size_t i = text.FindColumn(found->name);
    if (i == std::string::npos) return {};
    const DefaultConstraint d = FindDefault(text.elements()[i]);
    return d.found ? DefaultName(*shape, *found, d) : std::string();
}

}  // namespace db::embedded
