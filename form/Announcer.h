#pragma once

#include <QWidget>

namespace form {

// Speaks a short message through a screen reader: a notification with no
// size and nothing drawn, out of the Tab order. Screen readers speak a
// notification as it appears, so each message shows it afresh. The window
// looks the same with or without it.
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
