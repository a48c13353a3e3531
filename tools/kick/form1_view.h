// What Prodwell's window offers its presenter: texts of its controls, the
// state of "Skip Tasks", focus, repainting during a run and its boxes. The Qt
// and the Win32 window each implement it and hold no rule of their own.
#pragma once

#include <string>

namespace vendral::kick {

// The window itself (its caption) and its controls.
enum class Form1Item {
    Form1,
    Label1,
    TxtAssociate,
    Label4,
    Label2,
    TxtKickDate,
    Check1,
    Command1,
    Label3
};

// Check1's value: a grey box counts as checked.
enum class Form1Check { Unchecked, Checked, Grey };

// The result of a run (the program's title, no icon) or an error (warning icon).
enum class Form1Box { Result, Error };

class Form1View {
  public:
    virtual ~Form1View() = default;
    // Texts are UTF-8.
    virtual void SetText(Form1Item item, const std::string& text) = 0;
    virtual std::string Text(Form1Item item) const = 0;
    virtual Form1Check Check1Value() const = 0;
    virtual void Focus(Form1Item item) = 0;
    // Paints the item now: during a run the window's messages run only after
    // a logged row, and the count must show for every row.
    virtual void Repaint(Form1Item item) = 0;
    // A modal box owned by the window, with an OK button; returns when closed.
    virtual void ShowBox(Form1Box kind, const std::string& title, const std::string& text) = 0;
};

}  // namespace vendral::kick
