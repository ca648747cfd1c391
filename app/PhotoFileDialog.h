#pragma once

#include <QFileDialog>

#include <functional>

// The dialog that picks a photo for a box. Once a file is accepted it stays
// open, with a busy cursor, until the box shows the photo: the keyboard goes
// back to the box only then, so a screen reader describes the new photo
// rather than the one it replaced.
class PhotoFileDialog : public QFileDialog {
    Q_OBJECT

public:
    // `loading` says whether the accepted file is still being read.
    PhotoFileDialog(QWidget *parent, std::function<bool()> loading);

    // The accepted file is read, or failed to read: the dialog closes if it
    // was waiting for it.
    void loadEnded();

protected:
    void done(int result) override;

private:
    std::function<bool()> m_loading;
    bool m_waiting = false;
};
