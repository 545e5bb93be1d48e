#pragma once

#include <QWidget>

class QLabel;

// Never shown: holds the pictures the windows share, the program icon (as
// its window icon) and imgBlue, the background tile. Created on first use,
// it lives to the end of the program and is destroyed with the application.
class frmColors final : public QWidget {
    Q_OBJECT
  public:
    static frmColors &instance();

    // imgBlue takes the size of the picture put into it; without a picture
    // it is 0 x 0.
    QLabel *imgBlue;

    void setTilePicture(const QPixmap &picture);

  private:
    frmColors();
};
