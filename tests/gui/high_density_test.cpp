// Mouse positions and the window's size are in logical pixels, the frame in device
// pixels: the frame is read back whole at any screen scale. ctest runs this class and
// the picking tests at scale factor 1 and again with QT_SCALE_FACTOR=2.
#include "gui_test_util.h"

class HighDensityTest : public QObject {
    Q_OBJECT

  private slots:
    void theScaleIsTheOneAskedFor() {
        ViewFixture f(200, 150);
        double asked = qEnvironmentVariableIsSet("QT_SCALE_FACTOR")
                           ? qEnvironmentVariable("QT_SCALE_FACTOR").toDouble()
                           : 1.0;
        QCOMPARE(f.view->devicePixelRatio(), asked);
    }

    void theFrameIsReadWhole() {
        ViewFixture f(200, 150);
        f.load(square_with_colours);
        QImage image = f.frame();
        double ratio = f.view->devicePixelRatio();
        QCOMPARE(image.size(), QSize(int(200 * ratio), int(150 * ratio)));
        // The square sits in the middle of the whole frame, not in a quarter of it.
        QRect area = drawn_area(image, Qt::white);
        QPoint middle = area.center();
        QVERIFY(std::abs(middle.x() - image.width() / 2) <= 2);
        QVERIFY(std::abs(middle.y() - image.height() / 2) <= 2);
        QVERIFY(std::abs(area.width() - 180 * ratio) <= 2 * ratio);
    }
};

RegisterGuiTest<HighDensityTest> high_density_test;

#include "high_density_test.moc"
