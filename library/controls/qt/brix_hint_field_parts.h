// The constituents and state of a labelled field, shared by the text box and
// the combo box built on BrixHintField.
#pragma once

#include <QLabel>
#include <QLineEdit>
#include <QWidget>
#include <string>

#include "controls/qt/brix_line.h"
#include "vendral/widgets/brix_hint_field.h"

namespace vendral {

struct BrixHintField::Parts {
    QLineEdit* txt = nullptr;                   // the text box
    QLabel* lbl = nullptr;                      // the hint
    detail::controls::BrixLine* lin = nullptr;  // the underline

    std::string fieldTip;  // FieldTip()
    bool mandatory = false;
    bool enabled = false;

    // The widget the left button went down on, for clicks.
    QWidget* pressed = nullptr;
    bool focusOutOfForm = false;
};

}  // namespace vendral
