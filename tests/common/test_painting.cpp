#include "frmSplash.h"
#include "program_state.h"
#include "scripted_ui.h"
#include "tile_picture.h"

#include <QLabel>
#include <QPainter>
#include <QtTest>

namespace {

// A page box that tiles its background as the wizard's pages do.
class TiledBox final : public QWidget {
  public:
    explicit TiledBox(const QLabel &tile) : tile_(tile) {}

  protected:
    void paintEvent(QPaintEvent * /*event*/) override { TilePicture(*this, tile_, 0); }

  private:
    const QLabel &tile_;
};

// How many pixels of the image, inside the rectangle, have the colour.
int pixelsOf(const QImage &image, const QRect &inside, const QColor &colour) {
    int count = 0;
    for (int y = inside.top(); y <= inside.bottom(); ++y) {
        for (int x = inside.left(); x <= inside.right(); ++x)
            count += image.pixelColor(x, y) == colour ? 1 : 0;
    }
    return count;
}

} // namespace

class PaintingTest : public QObject {
    Q_OBJECT

  private Q_SLOTS:
    // Column by column, top to bottom, the last column starting inside or on the
    // edge; none for an empty picture; positions within 16 bits however large.
    void tileOrigins() {
        const QList<QPoint> wide = TileOrigins(7680, 2000, 1200, 1200, 0);
        QCOMPARE(wide.size(), 14);
        QCOMPARE(wide.mid(0, 3), (QList<QPoint>{{0, 0}, {0, 1200}, {1200, 0}}));
        QCOMPARE(wide.last(), QPoint(7200, 1200));
        QCOMPARE(TileOrigins(7200, 2000, 1200, 1200, 0), wide);
        QCOMPARE(TileOrigins(100, 1000, 1200, 600, 300), (QList<QPoint>{{0, 300}, {0, 900}}));
        QVERIFY(TileOrigins(7680, 5055, 0, 1200, 0).isEmpty() &&
                TileOrigins(7680, 5055, 1200, 0, 0).isEmpty());
        QCOMPARE(TileOrigins(100000, 10, 15000, 15000, 0),
                 (QList<QPoint>{{0, 0}, {15000, 0}, {30000, 0}}));
    }

    void tilePictureCoversTheWidget() {
        QLabel tile;
        TiledBox box(tile);
        box.resize(50, 30);
        box.setAutoFillBackground(true);
        box.setPalette(QPalette(Qt::white));
        // Without a picture the box keeps its own colour.
        QCOMPARE(box.grab().toImage().pixelColor(45, 25), QColor(Qt::white));

        QPixmap picture(20, 20);
        picture.fill(Qt::blue);
        QPainter(&picture).fillRect(0, 0, 1, 1, Qt::red);
        tile.setPixmap(picture);
        tile.resize(picture.size());
        const QImage painted = box.grab().toImage();
        QCOMPARE(painted.pixelColor(45, 25), QColor(Qt::blue));
        // Tiles sit edge to edge: each starts with the picture's top-left pixel.
        for (const QPoint at : {QPoint(0, 0), QPoint(20, 0), QPoint(40, 20)})
            QCOMPARE(painted.pixelColor(at), QColor(Qt::red));
    }

    // Borderless and black, white lines along the left and top edges, framed in
    // grey; each caption drawn whole, in its colour.
    void splashFrameAndCaptions() {
        ScriptedUi script;
        modKestenrol::gAppPath = "/nonexistent/";
        frmSplash splash;
        QVERIFY(splash.windowFlags().testFlag(Qt::FramelessWindowHint));
        const QImage image = splash.grab().toImage();
        const QColor white(Qt::white);
        const QColor grey(128, 128, 128);
        for (const auto &[at, colour] : {std::pair{QPoint(0, 150), white},
                                         {QPoint(150, 0), white},
                                         {QPoint(227, 150), grey},
                                         {QPoint(150, 296), grey},
                                         {QPoint(5, 150), QColor(Qt::black)}})
            QCOMPARE(image.pixelColor(at), colour);
        for (const auto &[label, colour] : {std::pair{splash.lblKestrune, white},
                                            {splash.lblGameNetwork, QColor(192, 192, 255)}}) {
            const QRect needed =
                QFontMetrics(label->font())
                    .boundingRect(label->rect(), int(label->alignment()), label->text());
            QVERIFY2(label->rect().contains(needed), qPrintable(label->text()));
            QVERIFY(pixelsOf(image, label->geometry(), colour) > 0);
        }
    }
};

QTEST_MAIN(PaintingTest)
#include "test_painting.moc"
