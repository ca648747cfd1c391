#include "WindowTest.h"
#include "app/AnimationSaving.h"
#include "app/PhotoControls.h"
#include "app/Tessaline.h"

#include <QApplication>
#include <QFileDialog>
#include <QImageReader>
#include <QMenu>
#include <QProgressDialog>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

class TestExportMenu : public QObject {
    Q_OBJECT

private slots:
    void init() {
        m_window = openWindow();
        QVERIFY(m_window);
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
    }

    void cleanup() { m_window.reset(); }

    // The display box's menu saves the selected effect between the photos the
    // window shows now, not the built-in ones.
    void displayMenuSavesTheSelectedEffectWithTheCurrentPhotos() {
        Tessaline &w = *m_window;
        std::unique_ptr<QMenu> menu(w.photos->createMenu(PhotoControls::Cover, &w));
        const QList<QAction *> actions = menu->actions();
        const auto save = std::find_if(actions.begin(), actions.end(), [](QAction *a) {
            return a->text() == QStringLiteral("Запази ефекта като анимация…");
        });
        QVERIFY(save != actions.end());
        QVERIFY((*save)->isEnabled());

        QImage own(250, 187, QImage::Format_RGB32);
        own.fill(QColor(20, 200, 60));
        w.photos->setPhoto(PhotoControls::Source, own);
        QTRY_VERIFY(w.Picture1(0).surface().pixelColor(10, 10) == QColor(20, 200, 60));
        w.List1->setListIndex(16);

        const QString path = m_dir->filePath(QStringLiteral("ефект.webp"));
        QProgressDialog progress;
        QString error;
        QVERIFY2(exportEffectAnimation(w, path, progress, &error), qPrintable(error));
        QImageReader reader(path);
        QCOMPARE(reader.imageCount(), 101);
        const QImage first = reader.read().convertToFormat(QImage::Format_RGB32);
        QImage last;
        for (QImage frame = first; !frame.isNull(); frame = reader.read())
            last = frame.convertToFormat(QImage::Format_RGB32);
        // The boxes show the first 196 x 183 pixels of the 200 x 187 grid.
        const QRect shown(QPoint(), w.Picture1(1).surface().size());
        QCOMPARE(first.copy(shown), w.Picture1(1).surface());
        QCOMPARE(last.copy(shown), w.Picture1(0).surface());
        // Effect 17 shows its first tile in the middle.
        QVERIFY(first.pixelColor(90, 85) != QColor(20, 200, 60));
    }

    void cancelLeavesNoFile() {
        QProgressDialog progress;
        progress.cancel();
        QString error;
        QVERIFY(!exportEffectAnimation(*m_window, m_dir->filePath(QStringLiteral("x.gif")),
                                       progress, &error));
        QCOMPARE(error, QString());
        QVERIFY(QDir(m_dir->path()).isEmpty());
    }

    // The save dialog is in the window's language and opens among the user's
    // pictures, then where the last animation went; never in the folder the
    // program was started from.
    void saveDialogOpensInPicturesThenWhereTheLastAnimationWent() {
        const QByteArray home = qgetenv("HOME");
        const QByteArray config = qgetenv("XDG_CONFIG_HOME");
        qputenv("HOME", QFile::encodeName(m_dir->path()));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_dir->filePath(QStringLiteral("config"))));
        QVERIFY(QDir(m_dir->path()).mkpath(QStringLiteral("Pictures")));
        QVERIFY(QDir(m_dir->path()).mkpath(QStringLiteral("уроци")));

        QStringList opened;
        QString fileType;
        const auto answer = [&](const QString &name) {
            QTimer::singleShot(0, [&, name] {
                auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
                if (!dialog)
                    return;
                opened << QDir::cleanPath(dialog->directory().absolutePath());
                fileType = dialog->labelText(QFileDialog::FileType);
                if (name.isEmpty()) {
                    dialog->reject();
                    return;
                }
                dialog->selectFile(m_dir->filePath(name));
                static_cast<QDialog *>(dialog)->accept();
            });
        };
        answer(QStringLiteral("уроци/ефект.gif"));
        saveEffectAnimation(*m_window);
        answer(QString());
        saveEffectAnimation(*m_window);
        qputenv("HOME", home);
        qputenv("XDG_CONFIG_HOME", config);

        QCOMPARE(opened, QStringList({m_dir->filePath(QStringLiteral("Pictures")),
                                      m_dir->filePath(QStringLiteral("уроци"))}));
        QVERIFY(QFileInfo(m_dir->filePath(QStringLiteral("уроци/ефект.gif"))).size() > 0);
        QCOMPARE(fileType, QStringLiteral("Файлове от тип:"));
    }

private:
    std::unique_ptr<Tessaline> m_window;
    std::unique_ptr<QTemporaryDir> m_dir;
};

TESSALINE_WINDOW_TEST_MAIN(TestExportMenu)

#include "tst_exportmenu.moc"
