// The second baseline of bench/run's start-up figures: the window a plain Qt
// program would make for the same content, with stock widgets and nothing of
// our own. The same size, place, colours, font, style, icon, photographs and
// description, the photographs and the icon decoded from the compiled-in files
// as Qt does it, and the 69 effect names in a list.
#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QStyleFactory>

namespace {

void colour(QWidget *widget, QPalette::ColorRole role, const QColor &colour) {
    QPalette p = widget->palette();
    p.setColor(role, colour);
    widget->setPalette(p);
    widget->setAutoFillBackground(true);
}

QLabel *photo(QWidget *window, const QString &file, const QRect &geometry) {
    auto *label = new QLabel(window);
    label->setGeometry(geometry);
    label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    label->setLineWidth(2);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setPixmap(QPixmap(file));
    return label;
}

QLabel *caption(QWidget *window, const QString &text, const QRect &geometry) {
    auto *label = new QLabel(text, window);
    label->setGeometry(geometry);
    label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    colour(label, QPalette::Window, QColor(255, 192, 128));
    return label;
}

} // namespace

int main(int argc, char *argv[]) {
    QApplication app(argc, argv);
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Windows")));

    QWidget window(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                                Qt::MSWindowsFixedSizeDialogHint);
    window.setWindowTitle(
        QStringLiteral("www.example.org  Информационни технологии - вид ефекти "));
    window.setWindowIcon(QIcon(QStringLiteral(":/icon.png")));
    window.setFixedSize(499, 378);
    colour(&window, QPalette::Window, QColor(192, 192, 255));
    window.setFont(QFont(QStringLiteral("Times New Roman"), 12, QFont::Normal));

    QLabel *cover = photo(&window, QStringLiteral(":/cover.jpg"), QRect(384, 200, 64, 56));
    cover->hide();

    auto *text = new QPlainTextEdit(&window);
    text->setGeometry(8, 224, 481, 145);
    text->setReadOnly(true);
    text->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    text->document()->setDocumentMargin(2);
    QFile description(QStringLiteral(":/description.txt"));
    description.open(QIODevice::ReadOnly);
    text->setPlainText(QString::fromUtf8(description.readAll()));

    auto *button = new QPushButton(QStringLiteral("Покажи"), &window);
    button->setGeometry(216, 192, 65, 25);
    colour(button, QPalette::Button, QColor(255, 128, 128));

    auto *list = new QListWidget(&window);
    list->setGeometry(224, 56, 49, 137);
    for (int n = 1; n <= 69; ++n)
        list->addItem(QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0')));
    list->setCurrentRow(0);

    photo(&window, QStringLiteral(":/cover.jpg"), QRect(288, 32, 200, 187));
    photo(&window, QStringLiteral(":/source.jpg"), QRect(8, 32, 200, 187));
    caption(&window, QStringLiteral("ефект"), QRect(216, 32, 65, 25))->lower();
    caption(&window, QStringLiteral("Tessaline"), QRect(56, 0, 385, 25))->lower();

    const QRect screen = window.screen()->availableGeometry();
    window.move(screen.x() + (screen.width() - window.width()) / 2,
                screen.y() + (screen.height() - window.height()) / 2);
    window.show();
    return app.exec();
}
