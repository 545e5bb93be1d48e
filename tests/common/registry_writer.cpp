// A second process for the registry tests. Modes:
//   loop NAME COUNT  writes NAME = n for n = 1..COUNT; fails if any write did
//   lock             holds the store as a writer; others may still read
//   lock-all         holds the store so that no one else may even read it
//   pair USER PASS   writes Command1 and Command2 together, printing
//                    "between" and waiting after the first is written
// Waiting ends when standard input closes, at the latest after 5 seconds.
#include "registry.h"
#include "sqlite_registry.h"

#include <QFile>
#include <cstdio>
#include <cstring>
#include <poll.h>
#include <sqlite3.h>
#include <unistd.h>

namespace {

constexpr int kHoldMs = 5000;

void announceAndWait(const char *what) {
    std::printf("%s\n", what);
    std::fflush(stdout);
    pollfd input{STDIN_FILENO, POLLIN, 0};
    ::poll(&input, 1, kHoldMs);
}

int loop(const QByteArray &name, int count) {
    int failed = 0;
    for (int n = 1; n <= count; ++n) {
        failed += RegWriteString(winreg::HKEY_LOCAL_MACHINE, kServiceKey, name,
                                 QByteArray::number(n)) == kFalse;
    }
    return failed == 0 ? 0 : 1;
}

// Runs the statements on a connection of its own and holds what they took.
int holdWith(const QByteArray &sql) {
    sqlite3 *db = nullptr;
    const QByteArray path = QFile::encodeName(SqliteRegistry::storePath());
    const int opened = sqlite3_open(path.constData(), &db);
    sqlite3_busy_timeout(db, kHoldMs);
    const bool holding = opened == SQLITE_OK &&
                         sqlite3_exec(db, sql.constData(), nullptr, nullptr, nullptr) == SQLITE_OK;
    if (holding)
        announceAndWait("holding");
    // Closing gives up what was held, uncommitted.
    sqlite3_close(db);
    return holding ? 0 : 1;
}

// Waits at the second value written in one statement run: the first one is
// then written, not yet committed.
int traceValues(unsigned /*type*/, void * /*context*/, void * /*statement*/, void *sql) {
    static int values = 0;
    if (std::strstr(static_cast<const char *>(sql), "INTO reg_values") != nullptr && ++values == 2)
        announceAndWait("between");
    return 0;
}

int traceEveryConnection(sqlite3 *db, const char ** /*error*/, const void * /*api*/) {
    sqlite3_trace_v2(db, SQLITE_TRACE_STMT, traceValues, nullptr);
    return SQLITE_OK;
}

int pair(const QByteArray &userName, const QByteArray &password) {
    sqlite3_auto_extension(reinterpret_cast<void (*)()>(traceEveryConnection));
    const Flag ok = RegWriteStrings(winreg::HKEY_LOCAL_MACHINE, kServiceKey,
                                    {{kCommand1Value, userName}, {kCommand2Value, password}});
    return ok == kTrue ? 0 : 1;
}

} // namespace

int main(int argc, char *argv[]) {
    const QByteArray mode = argc > 1 ? argv[1] : "";
    if (argc == 4 && mode == "loop")
        return loop(argv[2], QByteArray(argv[3]).toInt());
    if (argc == 2 && mode == "lock")
        return holdWith("BEGIN EXCLUSIVE");
    if (argc == 2 && mode == "lock-all")
        return holdWith("PRAGMA locking_mode = EXCLUSIVE; BEGIN EXCLUSIVE");
    if (argc == 4 && mode == "pair")
        return pair(argv[2], argv[3]);
    std::fprintf(stderr, "usage: registry_writer loop|lock|lock-all|pair ...\n");
    return 2;
}
