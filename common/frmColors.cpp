#include "frmColors.h"

#include <QIcon>
#include <QLabel>
#include <QPointer>

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
    // Owned by nobody: the application tears it down with the other windows.
    static QPointer<frmColors> colors;
    if (colors.isNull())
        colors = new frmColors;
    return *colors;
}

void frmColors::setTilePicture(const QPixmap &picture) {
    imgBlue->setPixmap(picture);
    imgBlue->resize(picture.size());
}
