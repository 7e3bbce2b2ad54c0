// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What the player and its title look-up helper agree on. The helper is a
// program of its own so that the network stack (Qt Network, TLS, proxies)
// never loads into the playing player:
//
//   velor-cdplayer-titles --cache FOLDER --musicbrainz-server URL
//                         --coverart-server URL DISC-ID TOC
//
// It looks the disc up (or only the cover of titles already cached), keeps
// what it found in the title cache, and writes each record it stored as
// one line on stdout; problems go to stderr, one line each, worded for the
// user. It ends by itself within kLookupBoundMs.

#include <QtGlobal>

inline constexpr char kLookupHelperName[] = "velor-cdplayer-titles";

// Longer than the slowest honest look-up: three requests of 10 s each, a
// second between them, one Retry-After of up to a minute.
inline constexpr qint64 kLookupBoundMs = 150000;
