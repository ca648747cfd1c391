// The tile reveal: the show button, the ticks, and the painting of one step.
#include "app/Tessaline.h"

#include "form/CheckedInt.h"
#include "form/LenientNumber.h"

using form::checkedAdd;
using form::checkedMul;
using form::toByte;
using form::toInteger;
using form::toLong;

void Tessaline::Command2_Click() {
    EffectNo = toByte(checkedAdd<qint16>(toInteger(List1->listIndex()), 1));
    StartEffect();
    Command2->setEnabled(false);
    status->announce(QStringLiteral("Ефектът започна."));
}

void Tessaline::StartEffect() {
    CurrentStep = 1;
    Timer1->setEnabled(true);
    Timer1_Timer(); // the tick for step 1, at once
}

void Tessaline::Timer1_Timer() {
    const quint8 step = CurrentStep;
    ShowStep(step);
    CurrentStep = toByte(checkedAdd<qint16>(CurrentStep, 1));
    // The reveal slows down towards its middle and speeds up again after it.
    if (CurrentStep > 51)
        Timer1->setInterval(checkedAdd<qint32>(Timer1->interval(), -2));
    else
        Timer1->setInterval(checkedAdd<qint32>(Timer1->interval(), 2));
}

void Tessaline::ShowStep(const quint8 &step) {
    form::PictureBox &display = Picture1(1);
    const qint32 TileWidth = toLong(double(display.widthTwips())) / 10;
    const qint16 TileHeight = toInteger(toLong(double(display.heightTwips())) / 10);

    // Every entry is read each time; the last one that matches wins, and a
    // step that no entry names paints the top-left tile.
    qint16 column = 0;
    qint16 row = 0;
    const form::ItemList &table = List2(EffectNo - 1);
    for (quint8 i = 0; i < 100; ++i) {
        if (form::lenientNumber(table.list(i)) == double(step)) {
            column = i % 10;
            row = i / 10;
        }
    }

    const float left = float(checkedMul<qint32>(TileWidth, column));
    const float top = float(checkedMul<qint16>(TileHeight, row));
    display.PaintPicture(Picture1(0).picture(), left, top, float(TileWidth), float(TileHeight),
                         left, top, float(TileWidth), float(TileHeight));

    if (step == 100) {
        display.setPicture(Picture1(2).picture());
        Command2->setEnabled(true);
        Timer1->setEnabled(false);
        status->announce(QStringLiteral("Ефектът завърши."));
    }
}
