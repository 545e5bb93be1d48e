// A second process for the registry tests. Modes:
//   loop NAME COUNT   writes NAME = "<n>" for n = 1..COUNT through the
//                     registry layer, printing each n once it is stored
//                     (and "fail n" when a write fails)
//   hold NAME VALUE   opens a write transaction on the store, writes VALUE
//                     raw and enough junk to spill into the database file,
//                     prints "holding" and waits on standard input without
//                     committing
#include "registry.h"
#include "sqlite_registry.h"

#include <QFile>
#include <cstdio>
#include <sqlite3.h>

namespace {

int loop(const QByteArray &name, int count) {
    for (int n = 1; n <= count; ++n) {
        const bool ok = RegWriteString(winreg::HKEY_LOCAL_MACHINE, kServiceKey, name,
                                       QByteArray::number(n)) != kFalse;
        std::printf(ok ? "%d\n" : "fail %d\n", n);
        std::fflush(stdout);
    }
    return 0;
}

int hold(const QByteArray &name, const QByteArray &value) {
    sqlite3 *db = nullptr;
    const QByteArray path = QFile::encodeName(SqliteRegistry::storePath());
    if (sqlite3_open(path.constData(), &db) != SQLITE_OK)
        return 1;
    sqlite3_busy_timeout(db, 10000);
    const QByteArray sql =
        "PRAGMA cache_size = 10; BEGIN IMMEDIATE; UPDATE reg_values SET data = CAST('" + value +
        "' AS BLOB) WHERE name = '" + name +
        "'; WITH RECURSIVE c(n) AS (SELECT 1 UNION ALL SELECT n + 1 FROM c WHERE n < 3000)"
        " INSERT INTO reg_values SELECT 'junk', 'v' || n, 1, randomblob(1000) FROM c;";
    if (sqlite3_exec(db, sql.constData(), nullptr, nullptr, nullptr) != SQLITE_OK)
        return 1;
    std::printf("holding\n");
    std::fflush(stdout);
    std::getchar();
    return 0;
}

} // namespace

int main(int argc, char *argv[]) {
    if (argc == 4 && QByteArray(argv[1]) == "loop")
        return loop(argv[2], QByteArray(argv[3]).toInt());
    if (argc == 4 && QByteArray(argv[1]) == "hold")
        return hold(argv[2], argv[3]);
    std::fprintf(stderr, "usage: registry_writer loop NAME COUNT | hold NAME VALUE\n");
    return 2;
}
