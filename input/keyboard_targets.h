// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// What the keys reach beyond the player core: the main window's own
// procedures for the program editor, the reservation, the product window
// and its message boxes. A key and the matching button end in the same
// procedure.
class KeyboardTargets {
public:
    virtual ~KeyboardTargets() = default;

    // As the program button: the main window disabled, the editor shown.
    virtual void openProgramEditor() = 0;
    // As the cancel-reservation button: asks first, only while a program
    // is reserved.
    virtual void cancelReservation() = 0;
    // As the product-information button: not modal.
    virtual void showProductInformation() = 0;
    // A message box with an OK button and no icon, under the application's
    // title.
    virtual void showMessage(const QString &text) = 0;
};
