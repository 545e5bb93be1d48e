// Shows the survey window on its own, as the wizard's Submit does, with the
// current folder as the program folder: for looking at the survey and
// photographing it. Ends when the survey closes.

#include "frmSurvey.h"
#include "program_state.h"
#include "ui.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QWidget>

int main(int argc, char *argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("survey-preview"));
    modKestenrol::gAppPath = QFile::encodeName(QDir::currentPath()) + '/';

    // Stands in for the wizard window, which the survey places itself by.
    QWidget wizard;
    wizard.move(100, 100);
    Flag mbolDoneSurvey = kFalse;
    frmSurvey survey(wizard, mbolDoneSurvey);
    ui().showModal(survey);
    return 0;
}
