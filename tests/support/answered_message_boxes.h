// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Stands in for the person in front of the message boxes while it lives:
// writes down every box shown and gives the prepared answer to questions.
#include "message_box.h"

#include <QList>
#include <QString>

struct ShownMessage {
    QString text;
    MessageBoxes::Icon icon;
    bool question;
    bool operator==(const ShownMessage &o) const
    {
        return text == o.text && icon == o.icon && question == o.question;
    }
};

class AnsweredMessageBoxes : public MessageBoxes {
public:
    QList<ShownMessage> shown;
    bool answerYes = true;

    AnsweredMessageBoxes() { installMessageBoxes(this); }
    ~AnsweredMessageBoxes() override { installMessageBoxes(nullptr); }

    void tell(QWidget *, const QString &text, Icon icon) override { shown << ShownMessage{text, icon, false}; }
    bool ask(QWidget *, const QString &text, Icon icon) override
    {
        shown << ShownMessage{text, icon, true};
        return answerYes;
    }
};
