#include "frmSplash.h"

#include "fonts.h"
#include "pictures.h"
#include "program_state.h"
#include "twips.h"
#include "ui.h"
#include "window_placement.h"

#include <QCloseEvent>
#include <QLabel>
#include <QPainter>
#include <QTimer>

namespace {

QLabel *caption(QWidget *parent, const char *text, const QColor &colour, const QFont &font,
                QRect twips) {
    auto *label = new QLabel(QString::fromLatin1(text), parent);
    label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    label->setFont(font);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colour);
    label->setPalette(palette);
    label->setGeometry(Px(twips.x()), Px(twips.y()), Px(twips.width()), Px(twips.height()));
    return label;
}

} // namespace

frmSplash::frmSplash() : frmSplash(nullptr) {}

frmSplash::frmSplash(const QPixmap &builtInLogo) : frmSplash(&builtInLogo) {}

frmSplash::frmSplash(const QPixmap *builtInLogo)
    : imgKestrune(new QLabel(this)),
      lblKestrune(caption(this, "Kestrune", Qt::white, Arial(36, true), {150, 2940, 3135, 915})),
      lblGameNetwork(caption(this, "The games network", QColor(192, 192, 255), Arial(14.25, false),
                             {150, 3900, 3135, 375})),
      Timer1(new QTimer(this)), hasBuiltInLogo_(builtInLogo != nullptr) {
    if (hasBuiltInLogo_)
        builtInLogo_ = *builtInLogo;
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    setWindowTitle(QStringLiteral("Kestrune"));
    setFixedSize(Px(3420), Px(4455));
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, Qt::black);
    setPalette(palette);
    setAutoFillBackground(true);
    imgKestrune->setObjectName(QLatin1String(hasBuiltInLogo_ ? "Image1" : "imgKestrune"));
    imgKestrune->setGeometry(Px(300), Px(180), Px(2745), Px(2700));
    Timer1->setInterval(2000);
    connect(Timer1, &QTimer::timeout, this, &frmSplash::Timer1_Timer);
    Form_Load();
}

void frmSplash::Form_Load() {
    ui().setMousePointer(MousePointer::Hourglass);
    CentreOnScreen(*this);
    if (hasBuiltInLogo_) {
        imgKestrune->setPixmap(builtInLogo_);
    } else {
        const QByteArray logo = modKestenrol::gAppPath + "kestrune.bmp";
        if (FileExists(logo))
            imgKestrune->setPixmap(LoadPicture(logo));
    }
    Timer1->start();
}

void frmSplash::Timer1_Timer() {
    Timer1->stop();
    timerFired_ = true;
    close();
}

void frmSplash::paintEvent(QPaintEvent *event) {
    QDialog::paintEvent(event);
    QPainter painter(this);
    painter.setPen(QColor(128, 128, 128));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
    painter.setPen(Qt::white);
    painter.drawLine(0, 0, 0, height() - 1);
    painter.drawLine(0, 0, width() - 1, 0);
}

void frmSplash::closeEvent(QCloseEvent *event) {
    // Only the timer closes the splash.
    if (timerFired_)
        QDialog::closeEvent(event);
    else
        event->ignore();
}

void frmSplash::reject() {
    if (timerFired_)
        QDialog::reject();
}
