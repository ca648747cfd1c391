// The tile reveal: the show button, the ticks, and the painting of one step.
#include "app/Tessaline.h"

#include "form/CheckedInt.h"
#include "reveal/RevealRun.h"

using form::checkedAdd;
using form::toByte;
using form::toInteger;
using reveal::RevealRun;

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
    Timer1->setInterval(RevealRun::intervalAfter(Timer1->interval(), CurrentStep));
}

void Tessaline::ShowStep(const quint8 &step) {
    form::PictureBox &display = Picture1(1);
    const form::ItemList &table = List2(EffectNo - 1);
    const QPoint cell = RevealRun::cellForStep([&table](int i) { return table.list(i); }, step);
    const form::TwipsRect tile =
        RevealRun::tileRect(double(display.widthTwips()), double(display.heightTwips()), cell);

    const float left = float(tile.left);
    const float top = float(tile.top);
    display.PaintPicture(Picture1(0).picture(), left, top, float(tile.width), float(tile.height),
                         left, top, float(tile.width), float(tile.height));

    if (step == 100) {
        display.setPicture(Picture1(2).picture());
        Command2->setEnabled(true);
        Timer1->setEnabled(false);
        status->announce(QStringLiteral("Ефектът завърши."));
    }
}
