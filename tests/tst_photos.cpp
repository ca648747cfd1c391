#include "DisplayRecorder.h"
#include "PictureFiles.h"
#include "WindowTest.h"
#include "app/PhotoControls.h"
#include "app/Tessaline.h"
#include "resources/BuiltInPhotos.h"

#include <QContextMenuEvent>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <sys/stat.h>

using namespace picturefiles;

namespace {

QImage gradient(QSize size, int blue) {
    QImage image(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y) {
        for (int x = 0; x < size.width(); ++x)
            image.setPixel(x, y, qRgb(x * 255 / size.width(), y * 255 / size.height(), blue));
    }
    return image;
}

// Sends a drag of the given files over a widget, and drops it if asked.
bool dragOnto(QWidget &target, const QStringList &paths, bool drop) {
    QMimeData data;
    QList<QUrl> urls;
    for (const QString &path : paths)
        urls.append(QUrl::fromLocalFile(path));
    data.setUrls(urls);
    const QPointF at(50, 50);
    QDragEnterEvent enter(at.toPoint(), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&target, &enter);
    if (!enter.isAccepted() || !drop)
        return enter.isAccepted();
    QDropEvent dropped(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&target, &dropped);
    return dropped.isAccepted();
}

} // namespace

class TestPhotos : public QObject {
    Q_OBJECT

private slots:
    void init() {
        m_window = openWindow();
        QVERIFY(m_window);
    }

    void cleanup() { m_window.reset(); }

    // A reveal on the user's own pair: the display becomes exactly the fitted
    // source, tile by tile, and the run ends on the cover it started with even
    // when another cover arrives meanwhile.
    void ownPairRevealsAndEndsOnTheCoverItStartedWith() {
        Tessaline &w = *m_window;
        QVERIFY(load(PhotoControls::Source, encoded(gradient(QSize(1200, 900), 40), "png")));
        QVERIFY(load(PhotoControls::Cover, encoded(gradient(QSize(600, 1400), 220), "jpg", 95)));
        const QImage fittedSource = w.Picture1(0).surface();
        const QImage fittedCover = w.Picture1(1).surface();
        QCOMPARE(w.Picture1(0).picture().size(), QSize(250, 187) * w.devicePixelRatioF());
        QCOMPARE(w.Picture1(2).picture(), w.Picture1(1).picture());
        QVERIFY(fittedSource != fittedCover);
        // A screen reader hears which files are shown.
        const QString fromFile = QStringLiteral("Снимка от файла „photo");
        QVERIFY(w.Picture1(0).accessibleDescription().startsWith(fromFile));
        QVERIFY(w.Picture1(1).accessibleDescription().startsWith(fromFile));

        DisplayRecorder recorder(w.Picture1(1));
        w.Command2_Click();
        QVERIFY(!w.photos->canChange());
        w.photos->setPhoto(PhotoControls::Cover, builtInCoverPhoto());
        while (w.CurrentStep <= 100)
            w.Timer1_Timer();
        QCOMPARE(recorder.frames.last(), fittedSource);
        // The run restored its own cover; the one that came during it is shown
        // only once the run is over.
        QVERIFY(w.photos->canChange());
        QCOMPARE(w.Picture1(2).picture(), builtInCoverPhoto());
        QVERIFY(w.Picture1(1).surface() != fittedCover);
        QVERIFY(w.Picture1(1).accessibleDescription().startsWith(
            QStringLiteral("Вградената покриваща снимка.")));
    }

    void duringARevealNothingCanChangeAndTheReasonShows() {
        Tessaline &w = *m_window;
        const QString file = write(encoded(gradient(QSize(300, 200), 0), "png"));
        w.Command2_Click();
        for (const auto box : {PhotoControls::Source, PhotoControls::Cover}) {
            std::unique_ptr<QMenu> menu(w.photos->createMenu(box, &w));
            // The photo entries come first; saving the effect as an animation
            // changes nothing in the window and stays available.
            const QList<QAction *> actions = menu->actions();
            QCOMPARE(actions.size(), box == PhotoControls::Cover ? 4 : 2);
            for (QAction *action : actions.mid(0, 2)) {
                QVERIFY(!action->isEnabled());
                QCOMPARE(action->toolTip(), PhotoControls::whyNotNow());
            }
            if (box == PhotoControls::Cover)
                QVERIFY(actions.constLast()->isEnabled());
            QVERIFY(!dragOnto(w.Picture1(box), {file}, false));
        }
        const QImage source = w.Picture1(0).picture();
        w.photos->loadFile(PhotoControls::Source, file);
        QVERIFY(!w.photos->isLoading(PhotoControls::Source));
        QCOMPARE(w.Picture1(0).picture(), source);
    }

    // The menu, the drop and the command line all end in the same loader; here
    // the window's part: one message naming the file, and the photo kept.
    void badFileLeavesThePhotoAndSaysWhy_data() {
        QTest::addColumn<QString>("path");
        QTest::newRow("missing") << m_dir.filePath("no-such.jpg");
        QTest::newRow("folder") << m_dir.path();
        const QByteArray png = encoded(gradient(QSize(64, 48), 0), "png");
        QTest::newRow("truncated") << write(png.left(png.size() / 2));
        QTest::newRow("bomb") << write(pngDeclaring(png, 30000, 30000));
    }

    void badFileLeavesThePhotoAndSaysWhy() {
        QFETCH(QString, path);
        Tessaline &w = *m_window;
        const QImage before = w.Picture1(1).surface();
        QSignalSpy failed(w.photos, &PhotoControls::loadFailed);
        w.photos->loadFile(PhotoControls::Cover, path);
        QTRY_COMPARE(failed.count(), 1);
        auto *message = w.findChild<QMessageBox *>();
        QVERIFY(message);
        QVERIFY(message->text().contains(path));
        QVERIFY(message->text().startsWith(QStringLiteral("Снимката")));
        message->close();
        QVERIFY(!w.photos->isLoading(PhotoControls::Cover));
        QCOMPARE(w.Picture1(1).cursor().shape(), Qt::ArrowCursor);
        QCOMPARE(w.Picture1(1).surface(), before);
        QCOMPARE(w.Picture1(2).picture(), builtInCoverPhoto());
    }

    void dropTakesOneFileWithAHighlightAndTheMenuRestores() {
        Tessaline &w = *m_window;
        form::PictureBox &box = w.Picture1(0);
        const QString file = write(encoded(gradient(QSize(500, 374), 90), "bmp"));
        QVERIFY(!dragOnto(box, {file, file}, false));
        QVERIFY(dragOnto(box, {file}, false));
        QVERIFY(box.isHighlighted());
        QDragLeaveEvent leave;
        QCoreApplication::sendEvent(&box, &leave);
        QVERIFY(!box.isHighlighted());

        QSignalSpy changed(w.photos, &PhotoControls::photoChanged);
        QVERIFY(dragOnto(box, {file}, true));
        QVERIFY(!box.isHighlighted());
        QTRY_COMPARE(changed.count(), 1);
        QVERIFY(box.picture() != builtInSourcePhoto());

        // The Menu key (which the window system turns into this) opens the
        // same menu as a right click.
        QContextMenuEvent key(QContextMenuEvent::Keyboard, QPoint(5, 5),
                              box.mapToGlobal(QPoint(5, 5)));
        QCoreApplication::sendEvent(&box, &key);
        QMenu *menu = box.findChild<QMenu *>();
        QVERIFY(menu);
        QTRY_VERIFY(menu->isVisible());
        QCOMPARE(menu->actions().size(), 2);
        menu->actions().at(1)->trigger();
        menu->close();
        QCOMPARE(box.picture(), builtInSourcePhoto());
    }

private:
    bool load(PhotoControls::Box box, const QByteArray &bytes) {
        QSignalSpy changed(m_window->photos, &PhotoControls::photoChanged);
        m_window->photos->loadFile(box, write(bytes));
        return changed.wait(5000) || changed.count() == 1;
    }

    QString write(const QByteArray &bytes) {
        const QString path = m_dir.filePath(QStringLiteral("photo%1").arg(m_count++));
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            return QString();
        return path;
    }

    std::unique_ptr<Tessaline> m_window;
    QTemporaryDir m_dir;
    int m_count = 0;
};

TESSALINE_WINDOW_TEST_MAIN(TestPhotos)
#include "tst_photos.moc"
