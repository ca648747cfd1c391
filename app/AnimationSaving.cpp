#include "app/AnimationSaving.h"

#include "app/Tessaline.h"
#include "export/AnimationFile.h"
#include "export/RevealAnimation.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QProgressDialog>

namespace {

const QString kGifFilter = QStringLiteral("GIF анимация (*.gif)");
const QString kWebpFilter = QStringLiteral("WebP анимация (*.webp)");

int selectedEffect(const Tessaline &window) {
    return window.List1->listIndex() + 1;
}

} // namespace

bool exportEffectAnimation(Tessaline &window, const QString &path, QProgressDialog &progress,
                           QString *error) {
    progress.setMinimumDuration(500);
    progress.setValue(0);

    exporting::RevealRequest request;
    request.effect = selectedEffect(window);
    request.source = window.Picture1(0).picture();
    request.cover = window.Picture1(2).picture();
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
    QString path =
        QFileDialog::getSaveFileName(&window, QStringLiteral("Запази ефекта като анимация"), name,
                                     kGifFilter + QStringLiteral(";;") + kWebpFilter, &filter);
    if (path.isEmpty())
        return;
    exporting::AnimationFormat format;
    if (!exporting::animationFormatFor(path, &format))
        path += filter == kWebpFilter ? QStringLiteral(".webp") : QStringLiteral(".gif");

    QProgressDialog progress(QStringLiteral("Записване на анимацията…"), QStringLiteral("Отказ"), 0,
                             1, &window);
    progress.setWindowModality(Qt::WindowModal);
    QString error;
    if (!exportEffectAnimation(window, path, progress, &error) && !error.isEmpty())
        QMessageBox::warning(&window, QStringLiteral("Анимацията не е записана"), error);
}
