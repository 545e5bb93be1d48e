#include "tile_picture.h"

#include <QLabel>
#include <QPainter>
#include <QtTest>

namespace {

QList<int> columns(const QList<QPoint> &origins) {
    QList<int> xs;
    for (const QPoint &origin : origins) {
        if (!xs.contains(origin.x()))
            xs.append(origin.x());
    }
    return xs;
}

// A page box that tiles its background as the wizard's pages do.
class TiledBox final : public QWidget {
  public:
    explicit TiledBox(const QLabel &tile) : tile_(tile) {}

  protected:
    void paintEvent(QPaintEvent * /*event*/) override { TilePicture(*this, tile_, 0); }

  private:
    const QLabel &tile_;
};

} // namespace

class PaintingTest : public QObject {
    Q_OBJECT

  private Q_SLOTS:
    void tileOrigins();
    void tilePictureCoversTheWidget();
};

void PaintingTest::tileOrigins() {
    const QList<QPoint> wide = TileOrigins(7680, 2000, 1200, 1200, 0);
    QCOMPARE(columns(wide), (QList<int>{0, 1200, 2400, 3600, 4800, 6000, 7200}));
    // Column by column, top to bottom.
    QCOMPARE(wide.mid(0, 3), (QList<QPoint>{{0, 0}, {0, 1200}, {1200, 0}}));
    // Exactly 7200 wide: the same columns, the last one starting on the edge.
    QCOMPARE(TileOrigins(7200, 2000, 1200, 1200, 0), wide);
    QCOMPARE(TileOrigins(100, 1000, 1200, 600, 300), (QList<QPoint>{{0, 300}, {0, 900}}));
    QVERIFY(TileOrigins(7680, 5055, 0, 1200, 0).isEmpty());
    QVERIFY(TileOrigins(7680, 5055, 1200, 0, 0).isEmpty());
    // Positions stay within 16 bits however large the target.
    QCOMPARE(columns(TileOrigins(100000, 10, 15000, 15000, 0)), (QList<int>{0, 15000, 30000}));
}

void PaintingTest::tilePictureCoversTheWidget() {
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

QTEST_MAIN(PaintingTest)
#include "test_painting.moc"
