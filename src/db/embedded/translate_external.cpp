// Tables of other databases: [MS Access;DATABASE=path;PWD=pw].t of Jet, and of the server kind
// OPENROWSET('Microsoft.Jet.OLEDB.4.0', ';Database=path;pwd=pw;', 'SELECT … FROM t …') and
// OPENROWSET('MSDASQL', 'DRIVER={SQL Server};SERVER=s;UID=u;PWD=pw', db.dbo.t). The database
// of a reference is attached under a private schema name while the text runs (the session
// resolves and attaches it), and the reference reads from that schema. Also BACKUP DATABASE.
#include <optional>
#include <utility>

#include "db/ascii_text.h"
#include "db/embedded/error_map.h"
#include "db/embedded/translate_forms.h"
#include "db/router.h"

namespace db::embedded {
namespace {

constexpr std::string_view kAccessType = "MS Access";

// The key=value fields of a provider string, read as connection strings are.
class Fields {
  public:
    explicit Fields(std::string_view text) : parts_(ConnectionStringParts::Parse(text)) {}

    // The value of the first of keys that is present; empty when none is.
    std::string Get(std::initializer_list<std::string_view> keys) const {
        for (std::string_view key : keys) {
            if (std::optional<std::string> value = parts_.Get(key)) return *value;
        }
        return {};
    }

  private:
    ConnectionStringParts parts_;
};

Token NameToken(std::string name, std::size_t offset) {
    Token t;
    t.kind = TokenKind::QuotedName;
    t.value = std::move(name);
    t.offset = offset;
    return t;
}

Token DotToken(std::size_t offset) {
    Token t;
    t.kind = TokenKind::Punct;
    t.value = ".";
    t.offset = offset;
    return t;
}

// A query of a rowset with each table name read from schema (the database and owner parts a
// name may carry are replaced by it). Tables are the names after FROM and JOIN, those after a
// ',' of a FROM list, and the first inside a '(' there (Jet's nested joins).
Tokens QualifyTables(const Tokens& t, const std::string& schema) {
    Tokens out;
    out.reserve(t.size() + 8);
    std::vector<int> fromLists;  // depths of the FROM lists open now
    int depth = 0;
    bool expectTable = false;
    for (std::size_t i = 0; i < t.size(); ++i) {
        const Token& tok = t[i];
        const bool inFromList = !fromLists.empty() && fromLists.back() == depth;
        if (tok.IsPunct("(")) {
            ++depth;
        } else if (tok.IsPunct(")")) {
            if (inFromList) fromLists.pop_back();
            --depth;
            expectTable = false;
        } else if (tok.Is("FROM") || tok.Is("JOIN")) {
            if (tok.Is("FROM")) fromLists.push_back(depth);
            expectTable = true;
            out.push_back(tok);
            continue;
        } else if (tok.IsPunct(",") && inFromList) {
            expectTable = true;
            out.push_back(tok);
            continue;
        } else if (inFromList && (tok.Is("WHERE") || tok.Is("GROUP") || tok.Is("ORDER") ||
                                  tok.Is("HAVING") || tok.Is("UNION"))) {
            fromLists.pop_back();
        } else if (expectTable && tok.IsName() && !(tok.kind == TokenKind::Word && tok.keyword)) {
            std::size_t last = i;
            while (last + 2 < t.size() && t[last + 1].IsPunct(".") && t[last + 2].IsName()) {
                last += 2;
            }
            out.push_back(NameToken(schema, tok.offset));
            out.push_back(DotToken(tok.offset));
            out.push_back(t[last]);
            i = last;
            expectTable = false;
            continue;
        }
        if (!tok.IsPunct("(")) expectTable = false;
        out.push_back(tok);
    }
    return out;
}

class Replacer {
  public:
    Replacer(Tokens& tokens, Dialect dialect, Program& out)
        : t_(tokens), dialect_(dialect), out_(out) {}

    void Run() {
        for (std::size_t i = 0; i < t_.size(); ++i) {
            if (dialect_ == Dialect::Jet && IsJetReference(i)) {
                ReplaceJetReference(i);
            } else if (dialect_ == Dialect::SqlServer && t_[i].Is("OPENROWSET") &&
                       i + 1 < t_.size() && t_[i + 1].IsPunct("(")) {
                ReplaceRowset(i);
            }
        }
    }

  private:
    // [type;DATABASE=…].name
    bool IsJetReference(std::size_t i) const {
        if (t_[i].kind != TokenKind::QuotedName || i + 2 >= t_.size()) return false;
        if (!t_[i + 1].IsPunct(".") || !t_[i + 2].IsName()) return false;
        const std::size_t semi = t_[i].value.find(';');
        return semi != std::string::npos &&
               !Fields(std::string_view(t_[i].value).substr(semi)).Get({"DATABASE"}).empty();
    }

    void ReplaceJetReference(std::size_t i) {
        const std::string& text = t_[i].value;
        const std::size_t semi = text.find(';');
        const std::string_view type = host::Trim(std::string_view(text).substr(0, semi), " \t");
        if (!type.empty() && !EqualsNoCase(type, kAccessType)) {
            Fail().NotSupported("tables of a '" + std::string(type) + "' source");
        }
        if (!IsSource(i)) Fail().NotSupported("a table of another database as the target");
        const Fields fields(std::string_view(text).substr(semi));
        ExternalReference ref;
        ref.kind = ExternalReference::Kind::JetFile;
        ref.path = fields.Get({"DATABASE"});
        ref.password = fields.Get({"PWD"});
        t_[i] = NameToken(SchemaFor(ref), t_[i].offset);
    }

    // A table that is read: named after FROM or JOIN, in a FROM list or a nested join, and not
    // the table of DELETE [*] FROM.
    bool IsSource(std::size_t i) const {
        if (i == 0) return false;
        const Token& before = t_[i - 1];
        if (before.Is("JOIN") || before.IsPunct(",") || before.IsPunct("(")) return true;
        if (!before.Is("FROM")) return false;
        for (std::size_t j = i - 1; j-- > 0;) {
            if (t_[j].Is("DELETE")) return false;
            if (!t_[j].IsName() && !t_[j].IsPunct(".") && !t_[j].IsPunct("*") &&
                !t_[j].IsPunct(",")) {
                break;
            }
            if (t_[j].kind == TokenKind::Word && t_[j].keyword) break;
        }
        return true;
    }

    // OPENROWSET('provider', 'fields', 'query' | name) at i.
    void ReplaceRowset(std::size_t i) {
        const std::size_t close = MatchParen(t_, i + 1, t_.size());
        if (close >= t_.size()) Fail().Fail("')' missing");
        if (!IsSource(i)) Fail().NotSupported("OPENROWSET as the target");
        const std::vector<Span> args = SplitCommas(t_, {i + 2, close});
        if (args.size() != 3 || !IsText(args[0]) || !IsText(args[1])) {
            Fail().NotSupported("OPENROWSET with other than a provider, its fields and a query");
        }
        const std::string provider = t_[args[0].begin].value;
        const Fields fields(t_[args[1].begin].value);
        ExternalReference ref;
        Dialect source = Dialect::SqlServer;
        std::string database;
        if (StartsWithNoCase(provider, "Microsoft.Jet.OLEDB.")) {
            ref.kind = ExternalReference::Kind::JetFile;
            ref.path = fields.Get({"DATABASE", "DATA SOURCE", "DBQ"});
            ref.password = fields.Get({"PWD", "JET OLEDB:DATABASE PASSWORD", "PASSWORD"});
            if (ref.path.empty()) Fail().Fail("the database file of OPENROWSET is missing");
            source = Dialect::Jet;
        } else if (EqualsNoCase(provider, "MSDASQL") || StartsWithNoCase(provider, "SQLOLEDB") ||
                   StartsWithNoCase(provider, "SQLNCLI")) {
            ref.kind = ExternalReference::Kind::ServerDatabase;
            ref.server = fields.Get({"SERVER", "DATA SOURCE", "ADDRESS"});
            ref.password = fields.Get({"PWD", "PASSWORD"});
            database = fields.Get({"DATABASE", "INITIAL CATALOG"});
            if (ref.server.empty()) Fail().Fail("the server of OPENROWSET is missing");
        } else {
            Fail().NotSupported("OPENROWSET of the provider '" + provider + "'");
        }

        const Span what = args[2];
        Tokens replacement;
        const std::size_t offset = t_[i].offset;
        if (IsText(what)) {
            if (ref.kind == ExternalReference::Kind::ServerDatabase) {
                if (database.empty()) Fail().Fail("the database of OPENROWSET is missing");
                ref.database = database;
            }
            const std::string schema = SchemaFor(ref);
            const std::string& query = t_[what.begin].value;
            const Program inner =
                TranslateTokens(query, QualifyTables(Tokenize(query), schema), source);
            if (inner.steps.size() != 1 || inner.steps.front().kind != Step::Kind::Sql ||
                !Tokenize(inner.steps.front().sql).front().Is("SELECT")) {
                Fail().NotSupported("OPENROWSET with other than one query");
            }
            Token rowset;
            rowset.kind = TokenKind::Query;
            rowset.value = inner.steps.front().sql;
            rowset.offset = offset;
            replacement.push_back(std::move(rowset));
        } else {
            Cursor name(t_, what, dialect_, "OPENROWSET");
            const std::vector<std::string> parts = name.ReadNameParts();
            if (!name.AtEnd() || parts.size() > 3) Fail().Fail("near '" + name.Peek().value + "'");
            if (ref.kind == ExternalReference::Kind::ServerDatabase) {
                ref.database = parts.size() == 3 ? parts.front() : database;
                if (ref.database.empty()) Fail().Fail("the database of OPENROWSET is missing");
            }
            replacement.push_back(NameToken(SchemaFor(ref), offset));
            replacement.push_back(DotToken(offset));
            replacement.push_back(NameToken(parts.back(), offset));
        }
        t_.erase(t_.begin() + static_cast<std::ptrdiff_t>(i),
                 t_.begin() + static_cast<std::ptrdiff_t>(close + 1));
        t_.insert(t_.begin() + static_cast<std::ptrdiff_t>(i), replacement.begin(),
                  replacement.end());
    }

    bool IsText(Span s) const {
        return s.end == s.begin + 1 &&
               (t_[s.begin].kind == TokenKind::String || t_[s.begin].kind == TokenKind::NString);
    }

    // The schema of the database of ref; its Attach step is noted on first sight.
    std::string SchemaFor(const ExternalReference& ref) {
        for (const Step& step : out_.steps) {
            if (step.kind == Step::Kind::Attach && step.external == ref) return step.name;
        }
        Step step;
        step.kind = Step::Kind::Attach;
        step.name = std::string(kExternalSchemaPrefix) + std::to_string(out_.steps.size() + 1);
        step.external = ref;
        out_.steps.push_back(step);
        return step.name;
    }

    Cursor Fail() const {
        const std::string form = t_.empty() ? std::string() : UpperAscii(t_.front().value);
        return Cursor(t_, {0, t_.size()}, dialect_, form);
    }

    Tokens& t_;
    Dialect dialect_;
    Program& out_;
};

}  // namespace

void ReplaceExternalReferences(Tokens& tokens, Dialect dialect, Program& out) {
    Replacer(tokens, dialect, out).Run();
}

void TranslateBackup(Cursor& c, Program& out) {
    const std::size_t first = c.pos() - 2;
    if (c.Jet()) {
        // Jet has no such statement: the same error as any word that starts none.
        Cursor(c.tokens(), {first, c.end()}, c.dialect(), UpperAscii(c.tokens()[first].value))
            .Fail("near '" + c.tokens()[first].value + "'");
    }
    Step step;
    step.kind = Step::Kind::Backup;
    step.name = c.ReadName();
    c.Expect("TO");
    c.Expect("DISK");
    c.ExpectPunct("=");
    const Token& file = c.Peek();
    if (file.kind != TokenKind::String && file.kind != TokenKind::NString) {
        c.Fail(c.AtEnd() ? "file name missing" : "near '" + file.value + "'");
    }
    step.external.kind = ExternalReference::Kind::BackupFile;
    step.external.path = file.value;
    c.Seek(c.pos() + 1);
    // WITH INIT, FORMAT, NAME = '…' and the like concern media sets, which a file copy has not.
    if (c.Accept("WITH")) {
        for (const Span& option : SplitCommas(c.tokens(), c.Rest())) {
            if (option.Empty() || c.tokens()[option.begin].kind != TokenKind::Word) {
                c.Fail("near 'WITH'");
            }
        }
        c.Seek(c.end());
    }
    if (!c.AtEnd()) c.Fail("near '" + c.Peek().value + "'");
    out.steps.push_back(std::move(step));
}

}  // namespace db::embedded
