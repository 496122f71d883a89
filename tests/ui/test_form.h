// The window as the tests see it: the widgets they reach, found among the window's children by
// their object names, which are the layout's control names.
#pragma once

#include <gtest/gtest.h>

#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>

#include "ui/qt/main_form.h"
#include "ui/qt/picture.h"

namespace kx71::test {

// The widget named `name` under `parent`; a test failure (and nullptr) when there is none of type W.
template <class W = QWidget>
W* Child(const QObject& parent, const char* name) {
  W* w = parent.findChild<W*>(QString::fromLatin1(name));
  if (!w) ADD_FAILURE() << "the window has no widget " << name << " of the type looked for";
  return w;
}

// The window with the widgets of every control made, hidden panels' included, so that they can be
// found by name.
class TTestForm : public TQtMainForm {
 public:
  using TQtMainForm::TQtMainForm;

 private:
  bool MakeAll() {
    for (const auto& c : Logic().Controls()) Widget(*c);
    return true;
  }
  const bool allMade_ = MakeAll();

 public:
  QRadioButton* LevelOption(HandicapLevel level) const { return Child<QRadioButton>(*this, Info(level).name); }

#define KX71_CHILD(type, name) type* const name = Child<type>(*this, #name)
  KX71_CHILD(QFrame, Panel1);
  KX71_CHILD(QFrame, Panel2);
  KX71_CHILD(QFrame, Panel3);
  KX71_CHILD(QFrame, Panel4);
  KX71_CHILD(QFrame, Panel5);
  KX71_CHILD(QFrame, Panel6);
  KX71_CHILD(QFrame, Panel7);
  KX71_CHILD(QFrame, Panel8);
  KX71_CHILD(QFrame, Panel9);
  KX71_CHILD(QFrame, Panel10);
  KX71_CHILD(QFrame, Panel11);
  KX71_CHILD(QFrame, Panel12);
  KX71_CHILD(QFrame, Panel13);
  KX71_CHILD(QFrame, Panel15);
  KX71_CHILD(TQtPicture, Image1);
  KX71_CHILD(QLabel, Label15);
  KX71_CHILD(QLabel, Label25);
  KX71_CHILD(QLabel, Label26);
  KX71_CHILD(QLabel, K_Comment);
  KX71_CHILD(QRadioButton, Handy_S);
  KX71_CHILD(QRadioButton, Handy_M);
  KX71_CHILD(QRadioButton, Handy0);
  KX71_CHILD(QRadioButton, Handy1);
  KX71_CHILD(QRadioButton, Handy3);
  KX71_CHILD(QRadioButton, Handy4);
  KX71_CHILD(QRadioButton, Handy6);
  KX71_CHILD(QRadioButton, Handy_7);
  KX71_CHILD(QRadioButton, OT_ON);
  KX71_CHILD(QRadioButton, OT_OFF);
  KX71_CHILD(QRadioButton, MAS_ON);
  KX71_CHILD(QRadioButton, MAS_OFF);
  KX71_CHILD(QRadioButton, BUP_00h);
  KX71_CHILD(QRadioButton, BUP_5Ah);
  KX71_CHILD(TQtCommBox, CommBox);
  KX71_CHILD(QPushButton, PROGRAM_BTN);
  KX71_CHILD(QPushButton, READ_BTN);
  KX71_CHILD(QPushButton, EXIT_BTN);
  KX71_CHILD(QPushButton, YOUID_DEC);
  KX71_CHILD(QPushButton, YOUID_INC);
  KX71_CHILD(QPushButton, MYID_DEC);
  KX71_CHILD(QPushButton, MYID_INC);
  KX71_CHILD(QScrollBar, THR_BAR);
  KX71_CHILD(QScrollBar, YOBI1_BAR);
  KX71_CHILD(QScrollBar, YOBI2_BAR);
  KX71_CHILD(QScrollBar, LAST_BAR);
  KX71_CHILD(QScrollBar, MODE_BAR);
  KX71_CHILD(QScrollBar, UA_BAR);
  KX71_CHILD(QScrollBar, LOW_BAR);
  KX71_CHILD(QScrollBar, HICH_BAR);
  KX71_CHILD(QLineEdit, MON_EDIT);
  KX71_CHILD(QLineEdit, THR_EDIT);
  KX71_CHILD(QLineEdit, YOBI1_EDIT);
  KX71_CHILD(QLineEdit, YOBI2_EDIT);
  KX71_CHILD(QLineEdit, LAST_EDIT);
  KX71_CHILD(QLineEdit, MODE_EDIT);
  KX71_CHILD(QLineEdit, UA_EDIT);
  KX71_CHILD(QLineEdit, LOW_EDIT);
  KX71_CHILD(QLineEdit, HICH_EDIT);
  KX71_CHILD(QLineEdit, YOUID_EDIT);
  KX71_CHILD(QLineEdit, MYID_EDIT);
#undef KX71_CHILD
};

}  // namespace kx71::test
