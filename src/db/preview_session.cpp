#include "db/preview_session.h"

#include <cctype>
#include <fstream>

#include "host/host.h"

namespace db {
namespace {

bool StartsWithWord(std::string_view text, std::string_view word) {
    if (text.size() < word.size()) return false;
    for (std::size_t i = 0; i < word.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(text[i])) != word[i]) return false;
    }
    return text.size() == word.size() ||
           !std::isalnum(static_cast<unsigned char>(text[word.size()]));
}

// The statement text without leading blanks, comments and opening parentheses.
std::string_view Leading(std::string_view sql) {
    for (;;) {
        while (!sql.empty() && (std::isspace(static_cast<unsigned char>(sql.front())) ||
                                sql.front() == '(' || sql.front() == ';')) {
            sql.remove_prefix(1);
        }
        if (sql.substr(0, 2) == "--") {
            const std::size_t end = sql.find('\n');
            sql = end == std::string_view::npos ? std::string_view() : sql.substr(end + 1);
        } else if (sql.substr(0, 2) == "/*") {
            const std::size_t end = sql.find("*/");
            sql = end == std::string_view::npos ? std::string_view() : sql.substr(end + 2);
        } else {
            return sql;
        }
    }
}

class Preview final : public Session {
  public:
    Preview(std::unique_ptr<Session> inner, const host::Host& host, std::string database,
            bool journalSwitch)
        : inner_(std::move(inner)),
          host_(host),
          database_(std::move(database)),
          journalSwitch_(journalSwitch) {}
    ~Preview() override {
        if (!held_) return;
        try {
            inner_->RollbackTransaction();
        } catch (const DbError&) {
            // Closing the engine's session rolls it back as well.
        }
    }

    Dialect SqlDialect() const override { return inner_->SqlDialect(); }
    Schema& SchemaInfo() override { return inner_->SchemaInfo(); }
    bool Alive() override { return inner_->Alive(); }

    ExecOutcome Execute(std::string_view sql, int commandTimeoutSeconds) override {
        CheckUsable();
        const std::string_view leading = Leading(sql);
        if (StartsWithWord(leading, "backup")) {
            // A file of the machine, written outside any transaction.
            host_.Withhold("back " + database_ + " up (" + std::string(sql) + ")");
            return ExecOutcome{0, nullptr};
        }
        if (!ReadOnlyStatement(leading)) Hold();
        try {
            ExecOutcome outcome = inner_->Execute(sql, commandTimeoutSeconds);
            CheckHeld();
            return outcome;
        } catch (const DbError&) {
            CheckHeld();
            throw;
        }
    }

    void BeginTransaction(int lockWaitSeconds) override {
        CheckUsable();
        Hold(lockWaitSeconds);
    }
    // The work stays in the preview's transaction until the session ends.
    void CommitTransaction() override {
        CheckUsable();
        CheckHeld();
        if (broken_) throw Broken();
    }
    void RollbackTransaction() override {}
    bool TransactionAlive() override { return !broken_ && (!held_ || inner_->TransactionAlive()); }
    std::optional<std::int64_t> ChangeMark() override { return inner_->ChangeMark(); }
    WriteAccess ProbeWriteAccess(int waitSeconds) override {
        return inner_->ProbeWriteAccess(waitSeconds);
    }

  private:
    void Hold(int lockWaitSeconds = 30) {
        if (held_) return;
        if (journalSwitch_) {
            broken_ = true;
            host_.PreviewBroken(database_ +
                                " is still in rollback-journal mode; the first change switches "
                                "the file to write-ahead logging, which no rollback undoes (a "
                                "run does it)");
            throw Broken();
        }
        try {
            inner_->BeginTransaction(lockWaitSeconds);
        } catch (const DbError& e) {
            if (e.LockConflict()) throw;  // as a run would meet it
            broken_ = true;
            host_.PreviewBroken(database_ + " cannot hold its changes in a transaction (" +
                                e.Description() + ")");
            throw Broken();
        }
        held_ = true;
    }

    // The engine gave the transaction up (an error that ends it): whatever ran in it is undone,
    // and nothing may run outside it.
    void CheckHeld() {
        if (!held_ || broken_ || inner_->TransactionAlive()) return;
        broken_ = true;
        host_.PreviewBroken("the engine of " + database_ +
                            " gave the preview's transaction up halfway");
    }

    void CheckUsable() {
        if (broken_) throw Broken();
    }

    DbError Broken() const {
        return DbError(
            ErrorNumber::kUnspecified,
            "미리보기: " + database_ + "의 변경을 트랜잭션 안에 둘 수 없어 더 실행하지 않습니다.");
    }

    std::unique_ptr<Session> inner_;
    const host::Host& host_;
    std::string database_;
    bool journalSwitch_;
    bool held_ = false;
    bool broken_ = false;
};

}  // namespace

bool ReadOnlyStatement(std::string_view sql) {
    sql = Leading(sql);
    if (!StartsWithWord(sql, "select")) return false;
    // SELECT … INTO makes a table.
    for (std::size_t at = 1; at + 4 <= sql.size(); ++at) {
        if (std::isalnum(static_cast<unsigned char>(sql[at - 1])) || sql[at - 1] == '_') continue;
        if (StartsWithWord(sql.substr(at), "into")) return false;
    }
    return true;
}

std::unique_ptr<Session> PreviewSession(std::unique_ptr<Session> inner, const host::Host& host,
                                        std::string database, bool journalSwitch) {
    return std::make_unique<Preview>(std::move(inner), host, std::move(database), journalSwitch);
}

bool WalModeFile(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    char header[20] = {};
    if (!in.read(header, sizeof header)) return false;
    return header[18] == 2 && header[19] == 2;
}

}  // namespace db
