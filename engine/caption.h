// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <optional>

// The name of a play mode as the caption shows it; empty for a value that
// is no mode (3 is never set).
QString modeName(int playMode);

// The caption of the minimized window: "[track] time  mode", with one more
// space after the bracket in normal play. No value for a mode without a
// name: the caption then keeps what it had.
std::optional<QString> minimizedCaption(const QString &track, const QString &time, int playMode);
