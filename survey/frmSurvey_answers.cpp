// The survey window's answers: the initial state, the answers file and the
// shared answer slots, wired to the controls.

#include "code_page.h"
#include "entry_boxes.h"
#include "frmSurvey.h"
#include "list_search.h"
#include "pictures.h"
#include "program_state.h"
#include "survey_answers.h"
#include "survey_file.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>

namespace {

QByteArray SurveyFilePath() {
    return modKestenrol::gAppPath + kSurveyFileName;
}

template <std::size_t N> int FirstChosen(const std::array<QRadioButton *, N> &options) {
    for (std::size_t i = 0; i < N; ++i) {
        if (options[i]->isChecked())
            return static_cast<int>(i);
    }
    return -1;
}

} // namespace

void frmSurvey::ResetSurveyAnswers() {
    optAge[2]->setChecked(true);
    optGender[0]->setChecked(true);
    for (QWidget *control : mAnswerControls) {
        if (auto *list = qobject_cast<QComboBox *>(control))
            list->setCurrentIndex(-1);
        else if (auto *box = qobject_cast<QCheckBox *>(control))
            box->setChecked(false);
    }
    // The rules run even where nothing changed: a new window's boxes start
    // out enabled.
    cboComputerType_Click();
    for (std::int16_t index : {0, 3, 7})
        chkPeripherals_Click(index);
    cboConnectSpeed_Click();
    chkConnect_Click(4);
    cboBuyFrom_Click();
    chkTried_Click(11);
}

void frmSurvey::LoadSurveyFile() {
    const QByteArray path = SurveyFilePath();
    if (!FileExists(path))
        return;
    const SurveyFileContent content = ReadSurveyFile(path);
    for (const SurveyFileLine &line : SurveyFileLines(content.bytes, content.complete))
        ApplyLine(SlotOfFileCode(line.fileCode), line.value);
}

void frmSurvey::ApplyLine(int slot, const QByteArray &value) {
    QWidget *control = mAnswerControls.at(slot);
    switch (kSurveySlots.at(slot).kind) {
    case AnswerKind::Age:
        if (const int option = AgeOption(value); option >= 0)
            optAge.at(option)->setChecked(true);
        break;
    case AnswerKind::Gender:
        if (const int option = GenderOption(value); option >= 0)
            optGender.at(option)->setChecked(true);
        break;
    case AnswerKind::List: {
        auto *list = static_cast<QComboBox *>(control);
        list->setCurrentIndex(FindListEntry(ListItems(list), value));
        break;
    }
    case AnswerKind::Monitor:
        cboMonitor->setCurrentIndex(value.toInt());
        break;
    case AnswerKind::Text:
        SetBoxText(static_cast<QLineEdit *>(control), value);
        break;
    case AnswerKind::Check: {
        std::int16_t checkValue = 0;
        CheckValueFromYesNo(value, checkValue);
        static_cast<QCheckBox *>(control)->setChecked(checkValue != 0);
        break;
    }
    }
}

void frmSurvey::CollectSurveyAnswers() {
    SurveyAnswers &answers = modKestenrol::gSurveyAnswers;
    for (std::size_t slot = 0; slot < answers.size(); ++slot) {
        QWidget *control = mAnswerControls.at(slot);
        switch (kSurveySlots.at(slot).kind) {
        case AnswerKind::Age:
            if (const int option = FirstChosen(optAge); option >= 0)
                answers[slot] = AgeCode(option);
            break;
        case AnswerKind::Gender:
            if (const int option = FirstChosen(optGender); option >= 0)
                answers[slot] = GenderCode(option);
            break;
        case AnswerKind::List:
        case AnswerKind::Monitor:
            answers[slot] = ListText(static_cast<QComboBox *>(control));
            break;
        case AnswerKind::Text:
            answers[slot] = BoxText(static_cast<QLineEdit *>(control));
            break;
        case AnswerKind::Check:
            answers[slot] = YesNo(static_cast<QCheckBox *>(control)->isChecked() ? 1 : 0);
            break;
        }
    }
}

void frmSurvey::SaveSurveyFile() {
    // A file that cannot be written is no reason to hold up the
    // registration: the answers still go to the host.
    WriteSurveyFile(SurveyFilePath(),
                    SurveyFileText(modKestenrol::gSurveyAnswers, cboMonitor->currentIndex()));
}
