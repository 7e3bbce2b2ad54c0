// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

class QWidget;

// The player's modal messages to the user, captioned with the application's
// title. Every message goes through the installed MessageBoxes, so a test
// can answer in place of a person.
class MessageBoxes {
public:
    enum class Icon { None, Exclamation };

    virtual ~MessageBoxes() = default;

    // A message with an OK button only.
    virtual void tell(QWidget *parent, const QString &text, Icon icon) = 0;
    // A question with Yes and No buttons; true when the answer is Yes.
    virtual bool ask(QWidget *parent, const QString &text, Icon icon) = 0;
};

// The boxes messages go to: QMessageBox unless another was installed.
MessageBoxes &messageBoxes();
// nullptr puts QMessageBox back.
void installMessageBoxes(MessageBoxes *boxes);
