// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QUrl>

#include <functional>

// Hands a web address to whatever shows it; the player uses the desktop's
// browser, tests write the address down.
using UrlOpener = std::function<void(const QUrl &url)>;

void openInBrowser(const QUrl &url);
