#pragma once

#include "form/Announcer.h"
#include "form/CommandButton.h"
#include "form/ControlArray.h"
#include "form/Form.h"
#include "form/ItemList.h"
#include "form/Label.h"
#include "form/ListBox.h"
#include "form/PictureBox.h"
#include "form/RandomSequence.h"
#include "form/TextBox.h"
#include "form/Timer.h"

#include <array>

class PhotoControls;

// The program's one window: the layout and start-up in Tessaline.cpp, the
// reveal's handlers in TessalineReveal.cpp over reveal/'s rules, and the dot
// burst's in TessalineBurst.cpp over burst/'s dots.
class Tessaline : public form::Form {
    Q_OBJECT

public:
    explicit Tessaline(QWidget *parent = nullptr);

    static QString title();
    // The face every text of the window is set in.
    static QFont windowFont();

    // The controls, in the order the window creates them.
    form::ControlArray<form::PictureBox> Picture1;
    form::TextBox *Text1 = nullptr;
    form::ControlArray<form::ItemList> List2;
    form::CommandButton *Command2 = nullptr;
    form::Timer *Timer1 = nullptr;
    form::ListBox *List1 = nullptr;
    form::ControlArray<form::Label> Label1;
    // The three photo boxes by what they hold: the source on the left, the
    // display the reveal runs in, and the hidden box that keeps the cover.
    form::PictureBox &sourceBox() { return Picture1(0); }
    form::PictureBox &displayBox() { return Picture1(1); }
    form::PictureBox &coverBox() { return Picture1(2); }

    // Tells a screen reader when a reveal starts and ends.
    form::Announcer *status = nullptr;

    // The user's own photos: the boxes' menus, dropped files.
    PhotoControls *photos = nullptr;

    // The reveal's state: the step the next tick paints, and the chosen effect.
    quint8 CurrentStep = 0;
    quint8 EffectNo = 0;

    void Form_Load();
    void Command2_Click();
    void Timer1_Timer();
    void Form_Click();

private:
    void createControls();
    void connectHandlers();

    void ResetControls();
    void StartEffect();
    void ShowStep(const quint8 &step);

    std::array<form::ItemList, 69> m_orderTables;
    form::RandomSequence m_random;
};
