#pragma once

#include <QWidget>

namespace form {

// Speaks a short message through a screen reader: an alert with no size and
// nothing drawn, which the reader reads each time it is shown again. The
// window looks the same with or without it.
class Announcer : public QWidget {
    Q_OBJECT

public:
    explicit Announcer(QWidget *parent = nullptr);

    QString message() const { return m_message; }
    void announce(const QString &message);

private:
    QString m_message;
};

} // namespace form
