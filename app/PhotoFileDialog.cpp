#include "app/PhotoFileDialog.h"

#include <utility>

PhotoFileDialog::PhotoFileDialog(QWidget *parent, std::function<bool()> loading)
    : QFileDialog(parent)
    , m_loading(std::move(loading)) {
    setFileMode(QFileDialog::ExistingFile);
}

void PhotoFileDialog::done(int result) {
    if (result == Accepted && m_loading()) {
        m_waiting = true;
        setCursor(Qt::BusyCursor);
        return;
    }
    if (std::exchange(m_waiting, false))
        unsetCursor();
    QFileDialog::done(result);
}

void PhotoFileDialog::loadEnded() {
    if (!std::exchange(m_waiting, false))
        return;
    unsetCursor();
    QFileDialog::done(Accepted);
}
