#include "app/PhotoControls.h"

#include "app/DialogFolder.h"
#include "app/PhotoFileDialog.h"
#include "app/Tessaline.h"
#include "form/QtTranslation.h"
#include "resources/BuiltInPhotos.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QApplication>
#include <QCompleter>
#include <QContextMenuEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QTimer>
#include <QToolTip>
#include <QtConcurrent/QtConcurrentRun>

#include <memory>
#include <utility>

PhotoControls::PhotoControls(Tessaline &window)
    : QObject(&window)
    , m_window(window)
    , m_boxes{&window.sourceBox(), &window.displayBox()} {
    for (const Box box : {Source, Cover}) {
        form::PictureBox &widget = boxWidget(box);
        widget.setAcceptDrops(true);
        widget.installEventFilter(this);
        m_purposes[box] = widget.accessibleDescription();
        describe(box, QString());
    }
    // A photo read while a reveal ran is put in place when the run is over,
    // after the display has its old cover back.
    connect(window.Timer1, &form::Timer::enabledChanged, this, [this](bool running) {
        if (!running)
            applyPending();
    });
}

form::PictureBox &PhotoControls::boxWidget(Box box) const {
    return *m_boxes[box == Source ? 0 : 1];
}

bool PhotoControls::canChange() const {
    return !m_window.Timer1->isEnabled();
}

QString PhotoControls::whyNotNow() {
    return QStringLiteral("Снимките не могат да се сменят, докато ефектът тече.");
}

QMenu *PhotoControls::createMenu(Box box, QWidget *parent) {
    auto *menu = new QMenu(parent);
    menu->setToolTipsVisible(true);
    menu->addAction(QStringLiteral("Избери снимка…"), this, [this, box] { chooseFile(box); });
    menu->addAction(box == Source ? QStringLiteral("Върни вградената изходна снимка")
                                  : QStringLiteral("Върни вградената покриваща снимка"),
                    this, [this, box] { restoreBuiltIn(box); });
    if (box == Cover) {
        menu->addSeparator();
        menu->addAction(QStringLiteral("Запази ефекта като анимация…"), this,
                        &PhotoControls::saveAnimationRequested);
    }
    updateMenu(menu);
    connect(menu, &QMenu::aboutToShow, this, [this, menu] { updateMenu(menu); });
    return menu;
}

void PhotoControls::updateMenu(QMenu *menu) {
    // The first two entries change the photo: not while a reveal runs.
    const QList<QAction *> entries = menu->actions();
    for (QAction *action : entries.first(2)) {
        action->setEnabled(canChange());
        action->setToolTip(canChange() ? QString() : whyNotNow());
        action->setStatusTip(canChange() ? QString() : whyNotNow());
    }
}

void PhotoControls::chooseFile(Box box) {
    if (!canChange())
        return;
    // One filter for every format the installed plugins read.
    const QStringList patterns = form::readablePicturePatterns();
    form::loadQtTranslation();
    const QString folder = dialogFolder(m_lastFolder);
    // One dialog, kept: a screen reader still asks about a dialog's parts
    // after it has closed.
    if (!m_dialog) {
        m_dialog = new PhotoFileDialog(&m_window, [this] { return isLoading(m_dialogBox); });
        connect(m_dialog, &QFileDialog::fileSelected, this, [this](const QString &path) {
            m_lastFolder = QFileInfo(path).absolutePath();
            loadFile(m_dialogBox, path);
        });
        connect(m_dialog, &QDialog::finished, this, [this] {
            // The file name's completion list can outlast the dialog, and
            // it holds the keyboard while it shows.
            for (QCompleter *completer : m_dialog->findChildren<QCompleter *>())
                completer->popup()->hide();
            if (m_loads[m_dialogBox].watcher)
                m_keyboardBackAfterLoad = true;
            else
                giveKeyboardBack(m_dialogBox);
        });
    }
    m_dialogBox = box;
    m_dialog->setWindowTitle(box == Source ? QStringLiteral("Изходна снимка")
                                           : QStringLiteral("Покриваща снимка"));
    m_dialog->setDirectory(folder);
    m_dialog->setNameFilters({QStringLiteral("Снимки (%1)").arg(patterns.join(u' ')),
                              QStringLiteral("Всички файлове (*)")});
    m_dialog->open();
}

void PhotoControls::giveKeyboardBack(Box box) {
    // Qt leaves the keyboard to the window manager when a dialog closes; with
    // none, or with a screen reader's questions delaying the close, the window
    // can be left without the keyboard, and every key is lost. Ask for it
    // until the window has it, for a little while.
    QPointer<form::PictureBox> widget = &boxWidget(box);
    auto attempts = std::make_shared<int>(0);
    auto *retry = new QTimer(this);
    retry->setInterval(50);
    connect(retry, &QTimer::timeout, this, [this, widget, attempts, retry] {
        if (!widget || QApplication::activeModalWidget() || ++*attempts > 20) {
            retry->deleteLater();
            return;
        }
        if (m_window.isActiveWindow() && widget->hasFocus()) {
            retry->deleteLater();
            return;
        }
        m_window.activateWindow();
        widget->setFocus(Qt::OtherFocusReason);
    });
    retry->start();
}

void PhotoControls::loadFile(Box box, const QString &path) {
    if (!canChange())
        return;
    cancelLoad(box);
    const QSize size = kPhotoSize;
    const qreal ratio = m_window.devicePixelRatioF();
    auto *watcher = new QFutureWatcher<std::pair<QImage, form::PictureProblem>>(this);
    m_loads[box].watcher = watcher;
    m_loads[box].path = path;
    connect(watcher, &QFutureWatcherBase::finished, this, [this, box, watcher] {
        if (m_loads[box].watcher == watcher)
            finishLoad(box);
        watcher->deleteLater();
    });
    // Decoding a large photo takes longer than a window may stand still.
    boxWidget(box).setCursor(Qt::BusyCursor);
    watcher->setFuture(QtConcurrent::run([path, size, ratio] {
        form::PictureProblem problem;
        QImage photo = form::LoadPicture(path, size, ratio, problem);
        return std::pair(std::move(photo), std::move(problem));
    }));
}

void PhotoControls::finishLoad(Box box) {
    const auto [photo, problem] = m_loads[box].watcher->result();
    m_loads[box].watcher = nullptr;
    boxWidget(box).unsetCursor();
    if (photo.isNull()) {
        emit loadFailed(box, problem);
    } else {
        setPhoto(box, photo, m_loads[box].path);
    }
    if (m_dialog && box == m_dialogBox)
        m_dialog->loadEnded();
    if (photo.isNull())
        showProblem(problem);
    if (std::exchange(m_keyboardBackAfterLoad, false))
        giveKeyboardBack(box);
}

void PhotoControls::cancelLoad(Box box) {
    // A load still under way finishes in the background and is then dropped.
    m_loads[box].watcher = nullptr;
    boxWidget(box).unsetCursor();
    if (std::exchange(m_keyboardBackAfterLoad, false))
        giveKeyboardBack(box);
}

void PhotoControls::restoreBuiltIn(Box box) {
    if (!canChange())
        return;
    cancelLoad(box);
    setPhoto(box, box == Source ? builtInSourcePhoto() : builtInCoverPhoto());
}

void PhotoControls::setPhoto(Box box, const QImage &photo, const QString &path) {
    if (!canChange()) {
        m_loads[box].pending = photo;
        m_loads[box].pendingPath = path;
        return;
    }
    m_loads[box].pending.reset();
    m_files[box] = path;
    describe(box, path);
    if (box == Source) {
        m_window.sourceBox().setPicture(photo);
    } else {
        m_window.coverBox().setPicture(photo);
        m_window.displayBox().setPicture(photo);
    }
    emit photoChanged(box);
}

void PhotoControls::applyPending() {
    for (const Box box : {Source, Cover}) {
        if (std::optional<QImage> &pending = m_loads[box].pending) {
            const QImage photo = std::move(*pending);
            pending.reset();
            setPhoto(box, photo, m_loads[box].pendingPath);
        }
    }
}

void PhotoControls::describe(Box box, const QString &path) {
    QString shown;
    if (path.isEmpty())
        shown = box == Source ? QStringLiteral("Вградената изходна снимка.")
                              : QStringLiteral("Вградената покриваща снимка.");
    else
        shown = QStringLiteral("Снимка от файла „%1“.").arg(QFileInfo(path).fileName());
    boxWidget(box).setAccessibleDescription(shown + u' ' + m_purposes[box]);
}

void PhotoControls::showProblem(const form::PictureProblem &problem) {
    form::loadQtTranslation();
    auto *message = new QMessageBox(QMessageBox::Warning, Tessaline::title(), problem.bulgarian(),
                                    QMessageBox::Ok, &m_window);
    // Gone a while after it closes, once a screen reader is done with it.
    connect(message, &QDialog::finished, message, [message] {
        QTimer::singleShot(std::chrono::seconds(10), message, &QObject::deleteLater);
    });
    message->open();
}

QString PhotoControls::droppedFile(const QEvent *event) {
    const QMimeData *data = static_cast<const QDropEvent *>(event)->mimeData();
    if (!data || !data->hasUrls() || data->urls().size() != 1 ||
        !data->urls().first().isLocalFile())
        return QString();
    return data->urls().first().toLocalFile();
}

bool PhotoControls::eventFilter(QObject *watched, QEvent *event) {
    const Box box = watched == &boxWidget(Source) ? Source : Cover;
    form::PictureBox &widget = boxWidget(box);
    switch (event->type()) {
    case QEvent::ContextMenu: {
        const auto *request = static_cast<QContextMenuEvent *>(event);
        const QPoint at = request->reason() == QContextMenuEvent::Mouse
                              ? request->globalPos()
                              : widget.mapToGlobal(widget.rect().center());
        if (!m_menus[box]) {
            m_menus[box] = createMenu(box, &widget);
            // A screen reader names the menu after its photo as it opens.
            m_menus[box]->setAccessibleName(widget.accessibleName());
        }
        QMenu *menu = m_menus[box];
        menu->popup(at);
        // From the keyboard, the menu itself has the keys, so that a reader
        // names it; the arrows then go through its entries.
        if (request->reason() != QContextMenuEvent::Mouse) {
            QAccessibleEvent menuFocused(menu, QAccessible::Focus);
            QAccessible::updateAccessibility(&menuFocused);
        }
        return true;
    }
    case QEvent::DragEnter:
        // The file is read from the drag once, as it enters: each reading is
        // a round trip to the program it comes from.
        m_hoveringFile = droppedFile(event);
        [[fallthrough]];
    case QEvent::DragMove: {
        auto *drag = static_cast<QDragMoveEvent *>(event);
        if (m_hoveringFile.isEmpty())
            return false;
        if (!canChange()) {
            drag->ignore();
            widget.setHighlighted(false);
            QToolTip::showText(widget.mapToGlobal(drag->position().toPoint()), whyNotNow(),
                               &widget);
            return true;
        }
        drag->acceptProposedAction();
        widget.setHighlighted(true);
        return true;
    }
    case QEvent::DragLeave:
        widget.setHighlighted(false);
        m_hoveringFile.clear();
        return false;
    case QEvent::Drop: {
        auto *drop = static_cast<QDropEvent *>(event);
        widget.setHighlighted(false);
        // Some drag sources no longer hand out their data once the drop has
        // begun; the file seen while it hovered is the same one.
        QString path = droppedFile(event);
        if (path.isEmpty())
            path = m_hoveringFile;
        m_hoveringFile.clear();
        if (path.isEmpty() || !canChange()) {
            drop->ignore();
            return true;
        }
        drop->acceptProposedAction();
        loadFile(box, path);
        return true;
    }
    case QEvent::ToolTip:
        if (!canChange()) {
            QToolTip::showText(static_cast<QHelpEvent *>(event)->globalPos(), whyNotNow(), &widget);
            return true;
        }
        return false;
    default:
        return false;
    }
}
