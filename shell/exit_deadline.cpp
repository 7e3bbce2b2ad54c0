// SPDX-License-Identifier: GPL-3.0-or-later
#include "exit_deadline.h"

#include <chrono>
#include <cstdio>
#include <thread>
#include <unistd.h>

void endProcessWithin(int graceMs, int status)
{
    // Detached and sharing nothing with the rest of the process, so that it
    // is harmless when a normal exit overtakes it.
    std::thread([graceMs, status] {
        std::this_thread::sleep_for(std::chrono::milliseconds(graceMs));
        static const char note[] =
            "velor-cdplayer: the disc or the sound server did not let go; ending without it\n";
        (void)!::write(STDERR_FILENO, note, sizeof note - 1);
        ::_exit(status);
    }).detach();
}
