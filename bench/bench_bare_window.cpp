// The baseline that bench/run sets beside the real window: a bare Qt window
// of the same size and background colour, centred the same way.
//
// With --ticker it also gives the floor of the reveal's timing: 100 steps on
// a precise timer with the same rising and falling interval, each step
// filling one tile of a 10 x 10 grid black with a synchronous repaint, the
// countdown restarted after the paint as the reveal does it.
#include <QApplication>
#include <QPaintEvent>
#include <QPainter>
#include <QScreen>
#include <QTimer>
#include <QWidget>

namespace {

class BareWindow : public QWidget {
public:
    explicit BareWindow(bool ticker) {
        setFixedSize(499, 378);
        QPalette p = palette();
        p.setColor(QPalette::Window, QColor(192, 192, 255));
        setPalette(p);
        setAutoFillBackground(true);
        if (!ticker)
            return;
        m_timer.setTimerType(Qt::PreciseTimer);
        connect(&m_timer, &QTimer::timeout, this, &BareWindow::tick);
        // Started once the window has surely been shown, as a press would.
        QTimer::singleShot(500, this, [this] {
            m_timer.start(m_interval);
            tick();
        });
    }

protected:
    void paintEvent(QPaintEvent *event) override {
        QPainter p(this);
        p.fillRect(event->rect(), palette().color(QPalette::Window));
        for (int tile = 0; tile < m_painted; ++tile)
            p.fillRect(tileRect(tile), Qt::black);
    }

private:
    static QRect tileRect(int tile) {
        return QRect(290 + 20 * (tile % 10), 34 + 18 * (tile / 10), 20, 18);
    }

    void tick() {
        ++m_painted;
        repaint(tileRect(m_painted - 1));
        if (m_painted == 100) {
            m_timer.stop();
            return;
        }
        m_interval += m_painted + 1 > 51 ? -2 : 2;
        m_timer.start(m_interval);
    }

    QTimer m_timer;
    int m_interval = 50;
    int m_painted = 0;
};

} // namespace

int main(int argc, char *argv[]) {
    QApplication app(argc, argv);
    const bool ticker = QCoreApplication::arguments().contains(QStringLiteral("--ticker"));
    BareWindow window(ticker);
    const QRect screen = window.screen()->availableGeometry();
    window.move(screen.x() + (screen.width() - window.width()) / 2,
                screen.y() + (screen.height() - window.height()) / 2);
    window.show();
    return app.exec();
}
