#include "store_access.h"

#include "sqlite_registry.h"
#include "store_guard.h"
#include "ui.h"

#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstdio>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

QByteArray StoreGroupRefusal() {
    const QString storePath = SqliteRegistry::storePath();
    const QByteArray folder = QFile::encodeName(QFileInfo(storePath).absolutePath());
    struct stat info {};
    if (::stat(folder.constData(), &info) != 0 || !S_ISDIR(info.st_mode) || !IsGroupFolder(info))
        return {};
    if (::access(folder.constData(), R_OK | W_OK | X_OK) == 0 || errno != EACCES)
        return {};
    const struct group *group = ::getgrgid(info.st_gid);
    const QByteArray groupName =
        group != nullptr ? QByteArray(group->gr_name) : QByteArray::number(info.st_gid);
    const struct passwd *user = ::getpwuid(::geteuid());
    const QByteArray userName = user != nullptr ? QByteArray(user->pw_name) : QByteArray("USER");
    return "You are not a member of the group " + groupName +
           ", so you cannot use the Kestrune registry in " + folder +
           ", which the Kestrune programs share.\r\n\r\n"
           "Ask your administrator to add you to the group with the command\r\n\r\n"
           "    adduser " +
           userName + " " + groupName +
           "\r\n\r\nthen log out, log in again and start the program again.";
}

bool CheckStoreAccess(const QByteArray &title) {
    const QByteArray refusal = StoreGroupRefusal();
    if (refusal.isEmpty())
        return true;
    std::fprintf(stderr, "%s\n", QByteArray(refusal).replace("\r\n", "\n").constData());
    ui().msgBox(refusal, MsgButtons::Ok, MsgIcon::Critical, title);
    return false;
}
