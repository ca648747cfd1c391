#include "app/Tessaline.h"

#include "app/AnimationSaving.h"
#include "app/PhotoControls.h"
#include "app/PhotoPresenting.h"
#include "form/ErrorDispatcher.h"
#include "resources/BuiltInPhotos.h"
#include "resources/RawImage.h"
#include "reveal/EffectCatalogue.h"

#include <QApplication>
#include <QFile>
#include <QIcon>
#include <QPixmap>
#include <QShortcut>

using form::TwipsRect;

namespace {

QString resourceText(const QString &path) {
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    return QString::fromUtf8(file.readAll());
}

// What a screen reader announces for a control.
void describe(QWidget *control, const QString &name, const QString &description) {
    control->setAccessibleName(name);
    control->setAccessibleDescription(description);
}

} // namespace

Tessaline::Tessaline(QWidget *parent)
    : Form(parent) {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("www.example.org  Информационни технологии - вид ефекти "));
    setWindowIcon(QIcon(QPixmap::fromImage(rawIcon.image())));
    setClientSizeTwips(7485, 5670);
    setBackColor(0x00FFC0C0);
    setFont(windowFont());
    // Controls are made with the window's font from the start, so that none
    // loads the default font and lays out its text in it first.
    QApplication::setFont(font());

    createControls();
    connectHandlers();
    form::dispatch([this] { Form_Load(); });
    photos = new PhotoControls(*this);
    // The photos' menus and the saving of animations know nothing of each
    // other: the window puts them together.
    connect(photos, &PhotoControls::saveAnimationRequested, this,
            [this] { saveEffectAnimation(*this); });
    auto *present = new QShortcut(QKeySequence(Qt::Key_F5), this);
    connect(present, &QShortcut::activated, this, [this] { presentPhotos(*this); });
}

QString Tessaline::title() {
    return QStringLiteral("Tessaline");
}

QFont Tessaline::windowFont() {
    QFont font;
    // Times New Roman where it is installed, else the serifs made to its
    // metrics, and DejaVu Serif as the last resort: asked for by name, so
    // that fontconfig's own idea of a serif never decides.
    font.setFamilies({QStringLiteral("Times New Roman"), QStringLiteral("Liberation Serif"),
                      QStringLiteral("Tinos"), QStringLiteral("DejaVu Serif")});
    font.setStyleHint(QFont::Serif);
    font.setWeight(QFont::Normal);
    // Sized in pixels, as the layout is: text grows with the window on a
    // high-density screen, and a separate font DPI can't push it out of its
    // controls.
    font.setPixelSize(form::pointsToPixels(12));
    return font;
}

void Tessaline::createControls() {
    // A picture box reads its size back in twips, as it was laid out.
    auto placePicture = [this](form::PictureBox *box, const TwipsRect &twips) {
        place(box, twips);
        box->setSizeTwips(float(twips.width), float(twips.height));
    };

    auto *cover = new form::PictureBox;
    cover->setObjectName(QStringLiteral("Picture1(2)"));
    placePicture(cover, TwipsRect{5760, 3000, 960, 840});
    cover->setPicture(builtInCoverPhoto());
    cover->hide();
    Picture1.add(2, cover);

    Text1 = new form::TextBox;
    Text1->setObjectName(QStringLiteral("Text1"));
    place(Text1, TwipsRect{120, 3360, 7215, 2175});
    Text1->setPlainText(resourceText(QStringLiteral(":/description.txt")));

    // Each table is read from the catalogue when its effect first runs:
    // reading all 69 here would slow the window's start noticeably.
    for (int k = int(m_orderTables.size()) - 1; k >= 0; --k) {
        m_orderTables[std::size_t(k)].setItemSource([k] { return reveal::effectTable(k + 1); });
        List2.add(k, &m_orderTables[std::size_t(k)]);
    }

    Command2 = new form::CommandButton;
    Command2->setObjectName(QStringLiteral("Command2"));
    place(Command2, TwipsRect{3240, 2880, 975, 375});
    Command2->setText(QStringLiteral("Покажи"));
    Command2->setBackColor(0x008080FF);

    Timer1 = new form::Timer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(50);

    List1 = new form::ListBox;
    List1->setObjectName(QStringLiteral("List1"));
    place(List1, TwipsRect{3360, 840, 735, 2055});
    List1->addItems(reveal::effectNames());

    auto *display = new form::PictureBox;
    display->setObjectName(QStringLiteral("Picture1(1)"));
    placePicture(display, TwipsRect{4320, 480, 3000, 2800});
    Picture1.add(1, display);

    auto *source = new form::PictureBox;
    source->setObjectName(QStringLiteral("Picture1(0)"));
    placePicture(source, TwipsRect{120, 480, 3000, 2800});
    source->setPicture(builtInSourcePhoto());
    Picture1.add(0, source);

    auto *effectCaption = new form::Label;
    effectCaption->setObjectName(QStringLiteral("Label1(1)"));
    place(effectCaption, TwipsRect{3240, 480, 975, 375});
    effectCaption->setText(QStringLiteral("ефект"));
    effectCaption->setBackColor(0x0080C0FF);
    Label1.add(1, effectCaption);

    auto *titleCaption = new form::Label;
    titleCaption->setObjectName(QStringLiteral("Label1(0)"));
    place(titleCaption, TwipsRect{840, 0, 5775, 375});
    titleCaption->setText(title());
    titleCaption->setBackColor(0x0080C0FF);
    Label1.add(0, titleCaption);

    // Labels are drawn on the form itself, beneath every windowed control.
    effectCaption->lower();
    titleCaption->lower();

    status = new form::Announcer(this);
    status->setObjectName(QStringLiteral("status"));

    setTabOrder(&Picture1(0), &Picture1(1));
    setTabOrder(&Picture1(1), List1);
    setTabOrder(List1, Command2);
    setTabOrder(Command2, Text1);

    describe(&Picture1(0), QStringLiteral("Изходна снимка"),
             QStringLiteral("Снимката, която ефектът пренася плочка по плочка в дясното поле."));
    describe(&Picture1(1), QStringLiteral("Поле на ефекта"),
             QStringLiteral("Показва покриващата снимка и я заменя с изходната плочка по плочка, "
                            "в реда на избрания ефект."));
    describe(List1, QStringLiteral("Списък с ефекти"),
             QStringLiteral("Номерата на ефектите от 01 до 69; стрелките нагоре и надолу избират "
                            "ефект."));
    describe(Command2, QStringLiteral("Покажи"),
             QStringLiteral("Започва избрания ефект; докато той тече, бутонът е неактивен."));
    describe(Text1, QStringLiteral("Описание на проекта"),
             QStringLiteral("Текст за проекта, който може да се чете и превърта, но не и да се "
                            "променя."));
    describe(&Label1(1), Label1(1).text(), QStringLiteral("Надпис над списъка с ефекти."));
    describe(&Label1(0), Label1(0).text(), QStringLiteral("Заглавието на програмата."));
    setAccessibleDescription(QStringLiteral("Изберете ефект и натиснете „Покажи“; щракване върху "
                                            "фона на прозореца пръска цветни точки."));
}

void Tessaline::connectHandlers() {
    connect(Command2, &QPushButton::clicked, this,
            [this] { form::dispatch([this] { Command2_Click(); }); });
    connect(Timer1, &form::Timer::timer, this,
            [this] { form::dispatch([this] { Timer1_Timer(); }); });
    connect(this, &Form::clicked, this, [this] { form::dispatch([this] { Form_Click(); }); });
}

void Tessaline::Form_Load() {
    ResetControls();
    Timer1->setEnabled(false);
    Picture1(1).setPicture(Picture1(2).picture());
}

void Tessaline::ResetControls() {
    List1->setListIndex(0);
    Timer1->setEnabled(false);
}
