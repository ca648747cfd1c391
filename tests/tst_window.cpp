#include "WindowTest.h"
#include "app/Tessaline.h"
#include "form/ErrorDispatcher.h"

#include <QFontInfo>
#include <QRawFont>
#include <QSignalSpy>
#include <QTest>

namespace {

QColor pixel(const QImage &image, int x, int y) {
    return image.pixelColor(x, y);
}

const QColor kBackground(192, 192, 255);
const QColor kLabel(255, 192, 128);
const QColor kButton(255, 128, 128);

} // namespace

class TestWindow : public QObject {
    Q_OBJECT

private slots:
    void init() {
        m_window = openWindow();
        QVERIFY(m_window);
    }

    void cleanup() { m_window.reset(); }

    void startsIdleWithTheCoverShown() {
        Tessaline &w = *m_window;
        QCOMPARE(w.List1->listIndex(), 0);
        QCOMPARE(w.List1->currentItem()->text(), QStringLiteral("01"));
        QVERIFY(!w.Timer1->isEnabled());
        QCOMPARE(w.Timer1->interval(), 50);
        QVERIFY(w.Command2->isEnabled());
        QCOMPARE(w.CurrentStep, quint8(0));
        QCOMPARE(w.EffectNo, quint8(0));

        const QImage cover = w.Picture1(2).picture().convertToFormat(QImage::Format_RGB32);
        const QImage source = w.Picture1(0).picture().convertToFormat(QImage::Format_RGB32);
        const QImage display = w.Picture1(1).surface();
        QCOMPARE(display.size(), QSize(196, 183));
        QCOMPARE(display, cover.copy(0, 0, 196, 183));
        QCOMPARE(w.Picture1(0).surface(), source.copy(0, 0, 196, 183));
        QVERIFY(cover != source);
        QVERIFY(w.Picture1(2).isHidden());

        // No tick has run, and none comes while the window sits idle.
        QTest::qWait(200);
        QCOMPARE(w.CurrentStep, quint8(0));
        QCOMPARE(w.Picture1(1).surface(), display);
    }

    void geometryIsTheLayoutInPixels_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QRect>("pixels");
        QTest::newRow("Text1") << "Text1" << QRect(8, 224, 481, 145);
        QTest::newRow("Command2") << "Command2" << QRect(216, 192, 65, 25);
        QTest::newRow("List1") << "List1" << QRect(224, 56, 49, 137);
        // 2800 twips is 186.67 pixels: edges at 32 and 218.67 round to 32 and 219.
        QTest::newRow("Picture1(1)") << "Picture1(1)" << QRect(288, 32, 200, 187);
        QTest::newRow("Picture1(0)") << "Picture1(0)" << QRect(8, 32, 200, 187);
        QTest::newRow("Picture1(2)") << "Picture1(2)" << QRect(384, 200, 64, 56);
        QTest::newRow("Label1(1)") << "Label1(1)" << QRect(216, 32, 65, 25);
        QTest::newRow("Label1(0)") << "Label1(0)" << QRect(56, 0, 385, 25);
    }

    void geometryIsTheLayoutInPixels() {
        QFETCH(QString, name);
        QFETCH(QRect, pixels);
        auto *control = m_window->findChild<QWidget *>(name);
        QVERIFY(control);
        QCOMPARE(control->geometry(), pixels);
    }

    void windowHasAFixedClientAreaAndNoMinMaxButtons() {
        Tessaline &w = *m_window;
        QCOMPARE(w.size(), QSize(499, 378));
        QCOMPARE(w.minimumSize(), QSize(499, 378));
        QCOMPARE(w.maximumSize(), QSize(499, 378));
        const Qt::WindowFlags flags = w.windowFlags();
        QVERIFY(flags & Qt::WindowCloseButtonHint);
        QVERIFY(!(flags & Qt::WindowMinimizeButtonHint));
        QVERIFY(!(flags & Qt::WindowMaximizeButtonHint));
        QCOMPARE(w.windowTitle(),
                 QStringLiteral("www.example.org  Информационни технологии - вид ефекти "));
        QVERIFY(!w.windowIcon().isNull());
        QCOMPARE(w.Picture1(1).widthTwips(), 3000.0f);
        QCOMPARE(w.Picture1(1).heightTwips(), 2800.0f);
        QCOMPARE(w.ScaleWidth(), 7485.0f);
        QCOMPARE(w.ScaleHeight(), 5670.0f);

        // A title bar drawn by Qt itself offers maximise anyway: it does nothing.
        w.setWindowState(Qt::WindowMaximized);
        QTRY_COMPARE(w.windowState(), Qt::WindowNoState);
        QCOMPARE(w.size(), QSize(499, 378));
    }

    void coloursAndTextsShow() {
        Tessaline &w = *m_window;
        const QImage shot = w.grab().toImage();
        QCOMPARE(pixel(shot, 2, 2), kBackground);
        QCOMPARE(pixel(shot, 496, 375), kBackground);
        QCOMPARE(pixel(shot, 60, 3), kLabel);     // Label1(0)
        QCOMPARE(pixel(shot, 219, 35), kLabel);   // Label1(1)
        QCOMPARE(pixel(shot, 219, 212), kButton); // the button's face
        QVERIFY(pixel(shot, 230, 56) != kLabel);  // the list lies over the label's last row

        QCOMPARE(w.Label1(0).text(), QStringLiteral("Tessaline"));
        QCOMPARE(w.Label1(1).text(), QStringLiteral("ефект"));
        QCOMPARE(w.Command2->text(), QStringLiteral("Покажи"));
        QCOMPARE(w.List1->listCount(), 69);
        QCOMPARE(w.List1->list(68), QStringLiteral("69"));
        QCOMPARE(w.List1->list(69), QString());
        QVERIFY(!w.List1->isSortingEnabled());

        const QString description = w.Text1->toPlainText();
        QCOMPARE(description.size(), 915);
        QCOMPARE(description.count(u'\n'), 5);
        QVERIFY(description.endsWith(u'\n'));
    }

    void textUsesASerifFontWithCyrillic() {
        const QFont font = m_window->Label1(1).font();
        QCOMPARE(font.pointSize(), 12);
        const QFontInfo info(font);
        QVERIFY2(info.family().contains(QStringLiteral("Liberation Serif")) ||
                     info.family().contains(QStringLiteral("Times New Roman")),
                 qPrintable(info.family()));
        const QRawFont raw = QRawFont::fromFont(font, QFontDatabase::Cyrillic);
        QVERIFY(raw.supportsCharacter(QChar(u'ж')));
    }

    void focusMovesInTheLayoutOrder() {
        Tessaline &w = *m_window;
        QList<QWidget *> order;
        QWidget *next = &w.Picture1(0);
        for (int i = 0; i < 5; ++i) {
            order.append(next);
            do
                next = next->nextInFocusChain();
            while (next->parentWidget() != &w || !(next->focusPolicy() & Qt::TabFocus) ||
                   next->isHidden());
        }
        QCOMPARE(order,
                 (QList<QWidget *>{&w.Picture1(0), &w.Picture1(1), w.List1, w.Command2, w.Text1}));
        QCOMPARE(next, &w.Picture1(0));
        QCOMPARE(w.Label1(0).focusPolicy(), Qt::NoFocus);
    }

    void onlyTheBackgroundIsTheFormsClick() {
        Tessaline &w = *m_window;
        QSignalSpy clicks(&w, &form::Form::clicked);
        const QList<QWidget *> controls = {&w.Label1(0),   &w.Label1(1), &w.Picture1(0),
                                           &w.Picture1(1), w.List1,      w.Text1};
        for (QWidget *control : controls)
            QTest::mouseClick(control, Qt::LeftButton, {}, QPoint(5, 5));
        QTest::mouseClick(w.Command2, Qt::LeftButton, {}, QPoint(5, 5));
        QCOMPARE(clicks.count(), 0);

        QTest::mouseClick(&w, Qt::LeftButton, {}, QPoint(3, 3));
        QCOMPARE(clicks.count(), 1);
    }

    void closeDuringAHandlerWaitsForItsEnd() {
        // Qt's Wayland platform can deliver the compositor's close in the middle
        // of a handler, from inside a repaint. The window must outlive the
        // handler, and then close all the same.
        Tessaline &w = *m_window;
        QSignalSpy closed(&w, &form::Form::closed);
        bool keptDuringHandler = false;
        form::dispatch([&] {
            w.windowHandle()->close(); // delivered at once, as that platform does
            w.repaint();
            keptDuringHandler = w.isVisible() && w.windowHandle()->handle() && closed.isEmpty();
        });
        QVERIFY(keptDuringHandler);
        QTRY_VERIFY(!w.isVisible());
        QCOMPARE(closed.count(), 1);

        // Between handlers a close takes effect at once.
        m_window = openWindow();
        QVERIFY(m_window);
        m_window->windowHandle()->close();
        QVERIFY(!m_window->isVisible());
    }

    void controlArraysRejectMissingIndexes() {
        Tessaline &w = *m_window;
        QCOMPARE(w.List2.count(), 69);
        QCOMPARE(w.List2(68).listCount(), 100);
        QCOMPARE(w.List2(0).list(100), QString());
        QVERIFY_THROWS_EXCEPTION(form::RuntimeError, w.List2(69));
        QVERIFY_THROWS_EXCEPTION(form::RuntimeError, w.Picture1(3));
        QVERIFY_THROWS_EXCEPTION(form::RuntimeError, w.Label1(-1));
    }

private:
    std::unique_ptr<Tessaline> m_window;
};

TESSALINE_WINDOW_TEST_MAIN(TestWindow)

#include "tst_window.moc"
