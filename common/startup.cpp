#include "startup.h"

#include "code_page.h"
#include "frmColors.h"
#include "frmSplash.h"
#include "frmTerms.h"
#include "installed_copy.h"
#include "pictures.h"
#include "program_files.h"
#include "program_state.h"
#include "settings.h"
#include "store_access.h"
#include "text.h"
#include "titles.h"
#include "ui.h"

#include <QCoreApplication>
#include <QFile>
#include <cstdlib>
#include <optional>

namespace {

constexpr char kSeparator = '/';
constexpr char kStartupTitle[] = "Kestrune";
const char *const kSection = "Properties";
const char *const kAppPathKey = "AppPath";

// A value ending in a separator (a bare root, say) is replaced in the setting
// by the program's own folder, while this run keeps the value read;
// otherwise the separator is appended.
QByteArray applyAppPathRule(QByteArray value) {
    if (value.endsWith(kSeparator))
        SavePathSetting(kSettingsApp, kSection, kAppPathKey, ProgramFileFolder());
    else
        value += kSeparator;
    return value;
}

// A settings file too large to be ours is not read at all: the user is told
// where it is, and it is left as it is.
bool CheckSettingsFileSize() {
    const std::optional<OversizedSettings> oversized = OversizedSettingsFile(kSettingsApp);
    if (!oversized)
        return true;
    ui().beep();
    ui().msgBox("The Registration program cannot use its settings file\r\n" +
                    ToCodePage(oversized->file) + "\r\nbecause it is larger than " +
                    QByteArray::number(kSettingsFileLimit / (1024 * 1024)) + " MiB (" +
                    QByteArray::number(oversized->size) +
                    " bytes). The file has been left as it is.\r\n"
                    "Please move it elsewhere and start the program again, or contact Kestrune "
                    "support.",
                MsgButtons::Ok, MsgIcon::Critical, kStartupTitle);
    return false;
}

} // namespace

QByteArray ProgramFileFolder() {
    return OwnProgramFolder(QFile::encodeName(QCoreApplication::applicationDirPath()));
}

bool FindAppPath(QByteArray &appPath) {
    int attempts = 0;
    for (;;) {
        const QByteArray value =
            applyAppPathRule(GetPathSetting(kSettingsApp, kSection, kAppPathKey));
        const QByteArray trimmed = Trim(value);
        if (!trimmed.isEmpty() && trimmed != QByteArray(1, kSeparator))
            break;
        if (++attempts == 1) {
            SavePathSetting(kSettingsApp, kSection, kAppPathKey, ProgramFileFolder());
            continue;
        }
        ui().beep();
        ui().msgBox("The Registration program has not been initialised correctly. Please contact "
                    "support.",
                    MsgButtons::Ok, MsgIcon::Critical, kStartupTitle);
        return false;
    }
    appPath = applyAppPathRule(GetPathSetting(kSettingsApp, kSection, kAppPathKey));
    return true;
}

void Main(const std::function<void()> &showRegistration) {
    using namespace modKestenrol;
    modKestenrol::SetFramingCharacters();

    if (!CheckStoreAccess(kRegistrationTitle) || !CheckSettingsFileSize() ||
        !FindAppPath(gAppPath)) {
        ui().endProgram(EXIT_FAILURE);
        return;
    }

    {
        frmSplash splash;
        ui().showModal(splash);
    }

    gTermsAccepted = kFalse;
    {
        frmTerms terms;
        ui().showModal(terms);
    }
    if (gTermsAccepted == kFalse) {
        ui().endProgram();
        return;
    }

    const QByteArray tile = FindProgramFile("blue.bmp");
    if (!tile.isEmpty())
        frmColors::instance().setTilePicture(LoadPicture(tile));

    showRegistration();
}
