// SPDX-License-Identifier: GPL-3.0-or-later
#include "url_opener.h"

#include <QDesktopServices>

// Whether a browser came up is not the player's business.
void openInBrowser(const QUrl &url)
{
    QDesktopServices::openUrl(url);
}
