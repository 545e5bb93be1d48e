#include "pktguard_library.h"

#include "ui.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibrary>
#include <QStringList>
#include <array>
#include <limits>
#include <sodium.h>
#include <type_traits>

#ifndef KESTRUNE_PRIVATE_LIB_DIR
#define KESTRUNE_PRIVATE_LIB_DIR "/usr/lib/kestrune"
#endif

namespace {

using CalcCRCFunction = decltype(&CalcCRC);
using CipherFunction = decltype(&GetEncryptData);
static_assert(std::is_same_v<CipherFunction, decltype(&GetDecryptData)>);

// The two fixed key texts passed on every cipher call.
constexpr const char *kKey1 = "Kestrune";
constexpr const char *kKey2 = "qvxd5073";

constexpr const char *kLibraryFile = "libpktguard.so";
constexpr const char *kLibraryName = "pktguard";

// The three functions are all set or all null.
struct PktGuard {
    bool loadTried = false;
    QLibrary library;
    CalcCRCFunction calcCRC = nullptr;
    CipherFunction encrypt = nullptr;
    CipherFunction decrypt = nullptr;
};

PktGuard &Guard() {
    static PktGuard guard;
    return guard;
}

void ReportUnusable(const QByteArray &problem) {
    ui().msgBox(problem + "\r\nRegistration packets can be neither sent nor read.", MsgButtons::Ok,
                MsgIcon::Critical, "Kestrune Registration");
}

const PktGuard &LoadedGuard() {
    if (!Guard().loadTried)
        LoadPktGuard(QCoreApplication::applicationDirPath(), PktGuardSearch::FolderThenSystemPath);
    return Guard();
}

// Loads the library from the folder, or else by name from the system's
// library path when the search allows it. Gives where it was found, or
// reports the failure and gives nothing.
std::optional<QByteArray> OpenLibrary(QLibrary &library, const QString &folder,
                                      PktGuardSearch search) {
    const QByteArray folderText = QDir::toNativeSeparators(folder).toLatin1();
    library.setFileName(QDir(folder).filePath(QString::fromLatin1(kLibraryFile)));
    if (library.load())
        return "in the folder " + folderText;
    QByteArray problem = QByteArray("The packet-security library ") + kLibraryFile +
                         " could not be loaded from the folder " + folderText;
    QByteArray errors = library.errorString().toLatin1();
    if (search == PktGuardSearch::FolderThenSystemPath) {
        // An installed copy keeps it in the package's private library folder.
        const QString installed = QStringLiteral(KESTRUNE_PRIVATE_LIB_DIR);
        library.setFileName(QDir(installed).filePath(QString::fromLatin1(kLibraryFile)));
        if (library.load())
            return "in the folder " + QDir::toNativeSeparators(installed).toLatin1();
        library.setFileName(QString::fromLatin1(kLibraryName));
        if (library.load())
            return QByteArray("on the system's library path");
        problem += " nor from the system's library path";
        errors += "\r\n" + library.errorString().toLatin1();
    }
    ReportUnusable(problem + ".\r\n" + errors);
    return std::nullopt;
}

std::optional<QByteArray> CallCipher(CipherFunction function, const QByteArray &data) {
    if (function == nullptr || data.size() > kPktGuardBufferSize)
        return std::nullopt;
    std::array<char, kPktGuardBufferSize> out{};
    const std::int32_t written = function(data.constData(), static_cast<std::int32_t>(data.size()),
                                          out.data(), kKey1, kKey2);
    std::optional<QByteArray> result;
    if (written >= 0 && written <= kPktGuardBufferSize)
        result = QByteArray(out.data(), written);
    // What passes through here may carry the card: none of it stays behind
    // on the stack.
    sodium_memzero(out.data(), out.size());
    return result;
}

} // namespace

bool LoadPktGuard(const QString &folder, PktGuardSearch search) {
    PktGuard &guard = Guard();
    guard.loadTried = true;
    guard.calcCRC = nullptr;
    guard.encrypt = nullptr;
    guard.decrypt = nullptr;
    if (guard.library.isLoaded())
        guard.library.unload();

    const std::optional<QByteArray> where = OpenLibrary(guard.library, folder, search);
    if (!where)
        return false;
    const auto calcCRC = reinterpret_cast<CalcCRCFunction>(guard.library.resolve("CalcCRC"));
    const auto encrypt = reinterpret_cast<CipherFunction>(guard.library.resolve("GetEncryptData"));
    const auto decrypt = reinterpret_cast<CipherFunction>(guard.library.resolve("GetDecryptData"));
    QList<QByteArray> missing;
    if (calcCRC == nullptr)
        missing.append("CalcCRC");
    if (encrypt == nullptr)
        missing.append("GetEncryptData");
    if (decrypt == nullptr)
        missing.append("GetDecryptData");
    if (!missing.isEmpty()) {
        guard.library.unload();
        ReportUnusable(QByteArray("The packet-security library ") + kLibraryFile + " found " +
                       *where + " lacks " + missing.join(", ") + ".");
        return false;
    }
    guard.calcCRC = calcCRC;
    guard.encrypt = encrypt;
    guard.decrypt = decrypt;
    return true;
}

std::optional<std::int32_t> PktGuardCalcCRC(const QByteArray &data) {
    const CalcCRCFunction calcCRC = LoadedGuard().calcCRC;
    if (calcCRC == nullptr || data.size() > std::numeric_limits<std::int32_t>::max())
        return std::nullopt;
    return calcCRC(data.constData(), static_cast<std::int32_t>(data.size()));
}

std::optional<QByteArray> PktGuardEncrypt(const QByteArray &data) {
    return CallCipher(LoadedGuard().encrypt, data);
}

std::optional<QByteArray> PktGuardDecrypt(const QByteArray &data) {
    return CallCipher(LoadedGuard().decrypt, data);
}
