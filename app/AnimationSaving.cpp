#include "app/AnimationSaving.h"

#include "app/DialogFolder.h"
#include "app/Tessaline.h"
#include "export/AnimationFile.h"
#include "export/RevealAnimation.h"
#include "export/SafeFile.h"
#include "export/SlideFrames.h"
#include "export/VideoWriter.h"
#include "form/LoadPicture.h"
#include "form/QtTranslation.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QProgressDialog>

namespace {

const QString kGifFilter = QStringLiteral("GIF анимация (*.gif)");
const QString kWebpFilter = QStringLiteral("WebP анимация (*.webp)");
const QString kMp4Filter = QStringLiteral("MP4 видео за презентации (*.mp4)");

int selectedEffect(const Tessaline &window) {
    return window.List1->listIndex() + 1;
}

} // namespace

bool exportEffectAnimation(Tessaline &window, const QString &path, QProgressDialog &progress,
                           QString *error) {
    progress.setMinimumDuration(500);
    progress.setValue(0);

    const auto toProgress = [&progress](int done, int total) {
        progress.setMaximum(total);
        progress.setValue(done);
        return !progress.wasCanceled();
    };
    exporting::VideoCodec codec;
    if (exporting::videoCodecFor(path, &codec)) {
        // A video for slides: 1920 x 1080, the photos fitted to it.
        const QSize size(1920, 1080);
        exporting::RevealTimeline timeline;
        const QList<exporting::TimelineStep> steps = timeline.steps(selectedEffect(window), error);
        if (steps.isEmpty())
            return false;
        const exporting::TileAnimation animation =
            exporting::slideReveal(form::fitPicture(window.coverBox().picture(), size, 1)
                                       .convertToFormat(QImage::Format_RGB32),
                                   form::fitPicture(window.sourceBox().picture(), size, 1)
                                       .convertToFormat(QImage::Format_RGB32),
                                   steps, 500, 2000);
        return exporting::saveVideo(
            path,
            exporting::VideoPlan{size, 60, 1, animation.endMs,
                                 [&](int, exporting::TileAnimation *part, QString *) {
                                     *part = animation;
                                     return true;
                                 }},
            toProgress, error);
    }

    exporting::RevealRequest request;
    request.effect = selectedEffect(window);
    request.source = window.sourceBox().picture();
    request.cover = window.coverBox().picture();
    exporting::TileAnimation animation;
    if (!exporting::recordReveal(request, &animation, error))
        return false;
    progress.setMaximum(animation.frameCount());
    return exporting::saveAnimation(
        animation, path,
        [&progress](int done, int) {
            progress.setValue(done);
            return !progress.wasCanceled();
        },
        error);
}

void saveEffectAnimation(Tessaline &window) {
    const QString name =
        QStringLiteral("ефект-%1.gif").arg(selectedEffect(window), 2, 10, QLatin1Char('0'));
    QString filter = kGifFilter;
    form::loadQtTranslation();
    // Where the last animation went, and the user's pictures the first time.
    static QString lastFolder;
    QString path = QFileDialog::getSaveFileName(
        &window, QStringLiteral("Запази ефекта като анимация"),
        QDir(dialogFolder(lastFolder)).filePath(name),
        kGifFilter + QStringLiteral(";;") + kWebpFilter + QStringLiteral(";;") + kMp4Filter,
        &filter);
    if (path.isEmpty())
        return;
    lastFolder = QFileInfo(path).absolutePath();
    exporting::AnimationFormat format;
    exporting::VideoCodec codec;
    if (!exporting::animationFormatFor(path, &format) && !exporting::videoCodecFor(path, &codec))
        path += filter == kWebpFilter  ? QStringLiteral(".webp")
                : filter == kMp4Filter ? QStringLiteral(".mp4")
                                       : QStringLiteral(".gif");

    QProgressDialog progress(QStringLiteral("Записване на анимацията…"), QStringLiteral("Отказ"), 0,
                             1, &window);
    progress.setWindowModality(Qt::WindowModal);
    // A session that ends during the save (logging out, a kill) takes the
    // half-written file with it; the file it replaces stays as it was.
    exporting::removeTemporariesOnStop();
    QString error;
    if (!exportEffectAnimation(window, path, progress, &error) && !error.isEmpty())
        QMessageBox::warning(&window, QStringLiteral("Анимацията не е записана"), error);
}
