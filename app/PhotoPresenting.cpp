#include "app/PhotoPresenting.h"

#include "app/PhotoControls.h"
#include "app/Tessaline.h"
#include "present/Show.h"
#include "resources/BuiltInPhotos.h"

#include <QScreen>

void presentPhotos(Tessaline &window) {
    const auto slide = [&window](PhotoControls::Box box) {
        const QString file = window.photos->file(box);
        if (!file.isEmpty())
            return present::Slide{file, -1, {}};
        return present::Slide{
            {}, -1, box == PhotoControls::Cover ? builtInCoverPhoto() : builtInSourcePhoto()};
    };
    present::ShowOptions options;
    options.effects = {window.List1->listIndex() + 1};
    QString error;
    QScreen *screen = present::Show::slideScreen(-1, &error);
    if (!screen)
        return;
    auto *show = new present::Show(
        present::SlideDeck::of({slide(PhotoControls::Cover), slide(PhotoControls::Source)}),
        options, &window);
    QObject::connect(show, &present::Show::finished, show, &QObject::deleteLater);
    show->start(screen);
}
