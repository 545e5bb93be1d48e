#include "store_schema.h"

#include "sqlite_statement.h"

#include <optional>

const char *const kStoreSchema = "CREATE TABLE IF NOT EXISTS reg_keys("
                                 " path TEXT PRIMARY KEY COLLATE NOCASE) WITHOUT ROWID;"
                                 "CREATE TABLE IF NOT EXISTS reg_values("
                                 " key TEXT NOT NULL COLLATE NOCASE,"
                                 " name TEXT NOT NULL COLLATE NOCASE,"
                                 " type INTEGER NOT NULL,"
                                 " data BLOB NOT NULL,"
                                 " PRIMARY KEY(key, name)) WITHOUT ROWID;";

namespace {

// A table's columns (name, type, not null, place in the primary key) and its
// primary key's columns with their collations; empty for a missing table.
const char *const kTableShape =
    "SELECT ifnull((SELECT group_concat(name || ' ' || type || ' ' || \"notnull\" || ' ' || pk,"
    " ',') FROM (SELECT * FROM pragma_table_info(?1) ORDER BY cid)), '') || '|' ||"
    " ifnull((SELECT group_concat(name || ' ' || coll, ',') FROM (SELECT x.name, x.coll"
    " FROM pragma_index_list(?1) AS l JOIN pragma_index_xinfo(l.name) AS x"
    " WHERE l.origin = 'pk' AND x.key = 1 ORDER BY x.seqno)), '')";

const char *const kTables[] = {"reg_keys", "reg_values"};

int readTableShape(sqlite3 *db, const char *table, QByteArray &shape) {
    Statement query(db, kTableShape);
    if (!query.ok())
        return query.prepared();
    query.bindText(1, table);
    const int rc = query.step();
    if (rc != SQLITE_ROW)
        return rc;
    shape = query.columnBytes(0);
    return SQLITE_OK;
}

// The shapes kStoreSchema gives, from a scratch database in memory.
const std::optional<QByteArray> &registryShape() {
    static const std::optional<QByteArray> shape = []() -> std::optional<QByteArray> {
        sqlite3 *db = nullptr;
        QByteArray shapes;
        bool made = sqlite3_open(":memory:", &db) == SQLITE_OK &&
                    sqlite3_exec(db, kStoreSchema, nullptr, nullptr, nullptr) == SQLITE_OK;
        for (const char *table : kTables) {
            QByteArray one;
            made = made && readTableShape(db, table, one) == SQLITE_OK;
            shapes += one + '\n';
        }
        sqlite3_close(db);
        return made ? std::optional(shapes) : std::nullopt;
    }();
    return shape;
}

} // namespace

int ReadStoreShape(sqlite3 *db, StoreShape &shape) {
    Statement count(db, "SELECT count(*) FROM sqlite_schema");
    if (!count.ok())
        return count.prepared();
    if (const int rc = count.step(); rc != SQLITE_ROW)
        return rc;
    if (count.columnInt(0) == 0) {
        shape = StoreShape::Empty;
        return SQLITE_OK;
    }
    QByteArray shapes;
    for (const char *table : kTables) {
        QByteArray one;
        if (const int rc = readTableShape(db, table, one); rc != SQLITE_OK)
            return rc;
        shapes += one + '\n';
    }
    shape =
        registryShape() && shapes == *registryShape() ? StoreShape::Registry : StoreShape::Other;
    return SQLITE_OK;
}
