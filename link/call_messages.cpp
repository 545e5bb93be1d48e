#include "call_messages.h"

#include <QFile>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QByteArray kModemUnavailable =
    "The selected Modem and/or Location are not available to make a call from, or are "
    "incorrectly configured.\r\n"
    "On the next form, please ensure the modem and/or telephone line are switched on and not "
    "already being used, and that the selected Location is correct, and try again.";
const QByteArray kCallNotMade = "The phone call to Kestrune could not be made.\r\n"
                                "Please check that the modem is working correctly, and try "
                                "again.\r\n"
                                "If you continue to experience problems, please contact the Help "
                                "Desk.";

// The group that may use the device (dialout for the serial ports of a
// Debian system), and the command that lets this user in.
QByteArray PermissionCause(const QByteArray &device) {
    struct stat info {};
    const struct group *group =
        ::stat(device.constData(), &info) == 0 ? ::getgrgid(info.st_gid) : nullptr;
    const QByteArray groupName = group != nullptr ? QByteArray(group->gr_name) : "dialout";
    const struct passwd *user = ::getpwuid(::geteuid());
    const QByteArray userName = user != nullptr ? QByteArray(user->pw_name) : QByteArray("USER");
    return "You may not use the modem " + device + ": only the members of the group " + groupName +
           " may. Ask your administrator to add you with the command \"sudo adduser " + userName +
           ' ' + groupName + "\", then log out and in again.";
}

QByteArray LockCause(const DialResult &dial) {
    QByteArray holder;
    if (dial.holder && dial.holder->pid) {
        holder = " (";
        if (!dial.holder->program.isEmpty())
            holder += dial.holder->program + ", ";
        holder += "process " + QByteArray::number(static_cast<qlonglong>(*dial.holder->pid)) + ')';
    }
    return "The modem " + dial.device + " is in use by another program" + holder + '.';
}

QByteArray RefusalCause(const DialResult &dial) {
    switch (dial.refusal) {
    case DialRefusal::NoModem:
        return "No modem is set up: name its device in the Modem Setup.";
    case DialRefusal::DeviceMissing:
        return "The modem " + dial.device + " does not exist: check that it is plugged in.";
    case DialRefusal::NoPermission:
        return PermissionCause(dial.device);
    case DialRefusal::DeviceLocked:
        return LockCause(dial);
    case DialRefusal::BadInitString:
        return "The modem's initialisation string is not one line of printable characters.";
    case DialRefusal::BadNumber:
        return "The number " + dial.text + " holds characters that are not dial characters.";
    case DialRefusal::BadLocation:
        return "The location's outside-line prefix holds characters that are not dial "
               "characters.";
    case DialRefusal::None:
    case DialRefusal::DeviceUnavailable:
    case DialRefusal::CallActive:
        break;
    }
    return {};
}

QByteArray WithCause(const QByteArray &message, const QByteArray &cause) {
    return cause.isEmpty() ? message : message + "\r\n" + cause;
}

} // namespace

QByteArray DialRefusedMessage(const DialResult &dial) {
    return WithCause(kModemUnavailable, RefusalCause(dial));
}

QByteArray CallNotMadeMessage(std::int32_t status, const QByteArray &initString) {
    QByteArray cause;
    switch (status) {
    case kRequestModemSilent:
        cause = "The modem did not answer: check that it is switched on and connected.";
        break;
    case kRequestInitRefused:
        cause = "The modem answered ERROR to its initialisation string " + initString + '.';
        break;
    case kRequestNoDialTone:
        cause = "The modem heard no dial tone: check that the telephone line is plugged in.";
        break;
    default:
        break;
    }
    return WithCause(kCallNotMade, cause);
}
