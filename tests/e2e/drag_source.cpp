// A file manager's part in a drag, for the end-to-end tests: a small window
// that starts a drag of the file it was given when pressed, over the X
// drag-and-drop protocol, and exits with 0 if the drop was accepted.
#include <QApplication>
#include <QDrag>
#include <QMimeData>
#include <QMouseEvent>
#include <QUrl>
#include <QWidget>

namespace {

class DragSource : public QWidget {
public:
    explicit DragSource(QString path)
        : m_path(std::move(path)) {
        setFixedSize(80, 80);
        setWindowTitle(QStringLiteral("drag source"));
    }

protected:
    void mousePressEvent(QMouseEvent *) override {
        auto *drag = new QDrag(this);
        auto *data = new QMimeData;
        data->setUrls({QUrl::fromLocalFile(m_path)});
        drag->setMimeData(data);
        const Qt::DropAction done = drag->exec(Qt::CopyAction);
        QCoreApplication::exit(done == Qt::CopyAction ? 0 : 3);
    }

private:
    QString m_path;
};

} // namespace

int main(int argc, char *argv[]) {
    QApplication app(argc, argv);
    if (argc != 2)
        return 2;
    DragSource source(QString::fromLocal8Bit(argv[1]));
    source.move(0, 0);
    source.show();
    return app.exec();
}
