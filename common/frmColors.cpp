#include "frmColors.h"

#include <QCoreApplication>
#include <QIcon>
#include <QLabel>

namespace {

frmColors *gColors = nullptr;

// Runs while the application object still exists, so the window goes
// before the window system does.
void destroyColors() {
    delete gColors;
    gColors = nullptr;
}

} // namespace

frmColors::frmColors() : imgBlue(new QLabel(this)) {
    setWindowTitle(QStringLiteral("frmColors"));
    QIcon icon;
    icon.addFile(QStringLiteral(":/kestrune/icon-32.png"), QSize(32, 32));
    icon.addFile(QStringLiteral(":/kestrune/icon-16.png"), QSize(16, 16));
    setWindowIcon(icon);
    imgBlue->setObjectName(QStringLiteral("imgBlue"));
    imgBlue->resize(0, 0);
}

frmColors &frmColors::instance() {
    if (gColors == nullptr) {
        gColors = new frmColors;
        qAddPostRoutine(destroyColors);
    }
    return *gColors;
}

void frmColors::setTilePicture(const QPixmap &picture) {
    imgBlue->setPixmap(picture);
    imgBlue->resize(picture.size());
}
