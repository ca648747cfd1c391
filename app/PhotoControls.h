#pragma once

#include "form/LoadPicture.h"

#include <QFutureWatcher>
#include <QImage>
#include <QObject>
#include <QPointer>

#include <array>
#include <optional>

class PhotoFileDialog;
class QMenu;
class Tessaline;

namespace form {
class PictureBox;
}

// Lets a person put her own photos into the window: a context menu on each of
// the two visible picture boxes, a file dropped on either, and the photos
// named on the command line. Every file goes through form::LoadPicture.
class PhotoControls : public QObject {
    Q_OBJECT

public:
    // The two visible boxes: the source on the left, and the display, which
    // shows the cover at rest.
    enum Box { Source = 0, Cover = 1 };

    explicit PhotoControls(Tessaline &window);

    // Reads a file in the background with a busy cursor on the box; the photo
    // changes when it is read, or a message box says why it can't.
    void loadFile(Box box, const QString &path);
    void restoreBuiltIn(Box box);
    // Puts a fitted photo in place; during a reveal, once the run has ended.
    // `path` is the file it was read from; none for a built-in photo.
    void setPhoto(Box box, const QImage &photo, const QString &path = QString());

    bool isLoading(Box box) const { return m_loads[box].watcher != nullptr; }
    // The file the box's photo was read from; empty for the built-in one.
    QString file(Box box) const { return m_files[box]; }
    // Whether the photos can be changed now: not while a reveal runs.
    bool canChange() const;
    static QString whyNotNow();

    // The context menu of a box, with its entries enabled or not as things
    // stand each time it opens. The display box's further entries are added
    // here too.
    QMenu *createMenu(Box box, QWidget *parent);

signals:
    void photoChanged(PhotoControls::Box box);
    void loadFailed(PhotoControls::Box box, const form::PictureProblem &problem);
    // The display box's menu asks for the effect to be saved as an animation.
    void saveAnimationRequested();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct Load {
        QFutureWatcher<std::pair<QImage, form::PictureProblem>> *watcher = nullptr;
        std::optional<QImage> pending; // read during a reveal, shown after it
        QString pendingPath;
        QString path; // the file being read
    };

    form::PictureBox &boxWidget(Box box) const;
    void chooseFile(Box box);
    void updateMenu(QMenu *menu);
    // After a dialog: the window active again and the keyboard on the box.
    void giveKeyboardBack(Box box);
    void finishLoad(Box box);
    void cancelLoad(Box box);
    void showProblem(const form::PictureProblem &problem);
    void applyPending();
    // What a screen reader says the box shows: the built-in photo or the
    // file's name, then what the box is for.
    void describe(Box box, const QString &path);
    static QString droppedFile(const QEvent *event);

    Tessaline &m_window;
    // The two boxes, kept here: while the window is taken down its control
    // arrays go before the boxes do, and the boxes still send events.
    std::array<form::PictureBox *, 2> m_boxes{};
    std::array<Load, 2> m_loads;
    std::array<QString, 2> m_purposes; // each box's own description
    std::array<QString, 2> m_files;    // where each box's photo came from
    QString m_hoveringFile;            // the file being dragged over a box
    // Each box's menu lives as long as its box: a screen reader still asks
    // about a menu after it has closed.
    std::array<QPointer<QMenu>, 2> m_menus;
    QString m_lastFolder; // where the last photo was chosen
    QPointer<PhotoFileDialog> m_dialog;
    Box m_dialogBox = Source; // the box the dialog chooses for
    // The dialog's photo is still loading: the keyboard goes back to its box
    // once the box shows it, so that a screen reader says the new photo.
    bool m_keyboardBackAfterLoad = false;
};
