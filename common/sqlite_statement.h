#pragma once

#include <QByteArray>
#include <cstdint>
#include <sqlite3.h>

// One prepared statement, finalised when it goes out of scope.
class Statement {
  public:
    Statement(sqlite3 *db, const char *sql)
        : prepared_(sqlite3_prepare_v2(db, sql, -1, &stmt_, nullptr)) {}
    ~Statement() { sqlite3_finalize(stmt_); }
    Statement(const Statement &) = delete;
    Statement &operator=(const Statement &) = delete;

    bool ok() const { return stmt_ != nullptr; }
    // The result of preparing it: why it is not ok().
    int prepared() const { return prepared_; }

    void bindText(int index, const QByteArray &text) {
        sqlite3_bind_text(stmt_, index, text.constData(), static_cast<int>(text.size()),
                          SQLITE_TRANSIENT);
    }
    void bindBlob(int index, const char *data, std::uint32_t length) {
        // An empty blob must still be a blob, not NULL.
        static const char empty = 0;
        sqlite3_bind_blob(stmt_, index, length == 0 ? &empty : data, static_cast<int>(length),
                          SQLITE_TRANSIENT);
    }
    void bindInt(int index, std::int64_t value) { sqlite3_bind_int64(stmt_, index, value); }
    int step() { return sqlite3_step(stmt_); }

    std::int64_t columnInt(int column) const { return sqlite3_column_int64(stmt_, column); }
    // The column's bytes (asked for before their number, as SQLite needs).
    QByteArray columnBytes(int column) const {
        const auto *bytes = static_cast<const char *>(sqlite3_column_blob(stmt_, column));
        return {bytes, sqlite3_column_bytes(stmt_, column)};
    }

  private:
    sqlite3_stmt *stmt_ = nullptr;
    int prepared_;
};
