#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
# The real player as a screen reader meets it: on an X server, window
# manager, sound server, session bus and accessibility bus of the test's own,
# the skin's buttons are named push buttons, pressing play through AT-SPI is
# heard on the sink, and the track/time display reads as text that follows
# the play. Prints the accessibility tree it saw.
#
# usage: screen-reader.py BUILD_DIR
import os
import re
import select
import shutil
import subprocess
import sys
import tempfile
import time
import traceback
import warnings

BUS_LAUNCHER = "/usr/libexec/at-spi-bus-launcher"
# A bound on each wait: it fails the test only when what is awaited never comes.
DEADLINE_S = 20
PLAY, EXIT = "再生", "終了"
# The main window's buttons: exit and minimise, five beside the display, ten below it.
SKIN_BUTTONS = 17
# "トラック 01　00:03 / 00:20　全 02 トラック 00:33": the track, the time in it, ...
READING = re.compile(r"^トラック (\d\d)　(\d\d):(\d\d) / ")


def missing_tools():
    missing = [t for t in ("Xvfb", "openbox", "pulseaudio", "pactl", "parec", "dbus-run-session")
               if not shutil.which(t)]
    if not os.access(BUS_LAUNCHER, os.X_OK):
        missing.append("at-spi-bus-launcher (at-spi2-core)")
    try:
        import gi
        gi.require_version("Atspi", "2.0")
        from gi.repository import Atspi  # noqa: F401
    except (ImportError, ValueError):
        missing.append("python3 Atspi bindings (python3-gi, gir1.2-atspi-2.0)")
    return missing


def skip_or_fail(missing):
    # Under CI a run without the tools must not pass as if they had been there.
    if os.environ.get("CI") == "true":
        print("cannot run under CI: needs " + ", ".join(missing))
        sys.exit(1)
    print("SKIP: needs " + ", ".join(missing))
    sys.exit(77)


def wait_for(what, condition):
    """Polls condition until it gives something true; fails the test when it never does."""
    from gi.repository import GLib
    deadline = time.monotonic() + DEADLINE_S
    while True:
        try:
            value = condition()
        except GLib.Error:
            # While the window is built, a node listed a moment ago may be
            # gone by the time it is asked about.
            value = None
        if value:
            return value
        if time.monotonic() > deadline:
            raise AssertionError("never came: " + what)
        time.sleep(0.05)


class Session:
    """The processes the test starts, ended in reverse order however it ends."""

    def __init__(self):
        self.processes = []

    def start(self, args, **kwargs):
        # Nothing inherits the test's output: a process that outlived the
        # test would hold CTest's pipe open.
        kwargs.setdefault("stdin", subprocess.DEVNULL)
        kwargs.setdefault("stdout", subprocess.DEVNULL)
        kwargs.setdefault("stderr", subprocess.DEVNULL)
        process = subprocess.Popen(args, **kwargs)
        self.processes.append(process)
        return process

    def end(self):
        for process in reversed(self.processes):
            if process.poll() is None:
                process.terminate()
                try:
                    process.wait(10)
                except subprocess.TimeoutExpired:
                    process.kill()
                    process.wait()


def start_desktop(session, scratch):
    # Xvfb writes the display number it took once it accepts clients.
    xvfb = session.start(["Xvfb", "-displayfd", "1", "-screen", "0", "1024x768x24", "-nolisten", "tcp"],
                         stdout=subprocess.PIPE, text=True)
    number = xvfb.stdout.readline().strip()
    assert number, "Xvfb did not start"
    os.environ["DISPLAY"] = ":" + number
    openbox = session.start(["openbox", "--startup", "echo managing"], stdout=subprocess.PIPE, text=True)
    while openbox.stdout.readline().strip() != "managing":
        assert openbox.poll() is None, "openbox did not start"

    socket = os.path.join(scratch, "pulse", "native")
    os.makedirs(os.path.dirname(socket))
    session.start(["pulseaudio", "-n", "--daemonize=no", "--exit-idle-time=-1", "--disallow-exit",
                   "--disable-shm=yes", "--log-level=error",
                   "-L", "module-null-sink sink_name=velor_null rate=44100 format=s16le channels=2",
                   "-L", "module-native-protocol-unix auth-anonymous=1 socket=" + socket],
                  env=dict(os.environ, PULSE_RUNTIME_PATH=os.path.dirname(socket),
                           PULSE_STATE_PATH=os.path.dirname(socket)))
    os.environ["PULSE_SERVER"] = "unix:" + socket
    wait_for("the sound server", lambda: subprocess.run(["pactl", "info"], stdout=subprocess.DEVNULL,
                                                          stderr=subprocess.DEVNULL).returncode == 0)


def start_accessibility_bus(session):
    # Started here rather than by activation, so that it takes this test's
    # display: it marks the display's root window with its address.
    from gi.repository import Gio, GLib
    session.start([BUS_LAUNCHER, "--launch-immediately"])
    bus = Gio.bus_get_sync(Gio.BusType.SESSION)

    def owned():
        reply = bus.call_sync("org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
                              "NameHasOwner", GLib.Variant("(s)", ("org.a11y.Bus",)), None,
                              Gio.DBusCallFlags.NONE, -1, None)
        return reply.unpack()[0]
    wait_for("the accessibility bus", owned)


def walk(node, depth=0, out=None):
    """Every node under node, with its depth, as a screen reader would list them."""
    out = [] if out is None else out
    out.append((depth, node))
    for i in range(node.get_child_count()):
        child = node.get_child_at_index(i)
        if child is not None:
            walk(child, depth + 1, out)
    return out


def fresh_name(node):
    # Without a main loop here, no change event reaches the cache: ask anew.
    node.clear_cache()
    return node.get_name()


def seconds_in(reading):
    return int(reading.group(2)) * 60 + int(reading.group(3))


def heard(parec):
    """True once a sample that is not silence comes from the monitor."""
    while select.select([parec.stdout], [], [], 0)[0]:
        chunk = os.read(parec.stdout.fileno(), 65536)
        if not chunk:
            return False
        if chunk.strip(b"\0"):
            return True
    return False


def run(build, scratch):
    import gi
    gi.require_version("Atspi", "2.0")
    from gi.repository import Atspi

    # Home and runtime folders of the test's own for everything it starts:
    # a package build may have no usable home, and the user's settings and
    # runtime folder are none of the test's business.
    for variable, folder in (("HOME", "home"), ("XDG_RUNTIME_DIR", "run"), ("XDG_CONFIG_HOME", "config"),
                             ("XDG_CACHE_HOME", "cache")):
        os.environ[variable] = os.path.join(scratch, folder)
        os.makedirs(os.environ[variable], mode=0o700)

    passed = 0
    session = Session()
    try:
        start_desktop(session, scratch)
        start_accessibility_bus(session)
        base = os.path.join(scratch, "disc")
        subprocess.run([os.path.join(build, "make_test_disc"), base, "--tracks", "20,13"],
                       check=True, stdout=subprocess.DEVNULL)
        log = open(os.path.join(scratch, "player.log"), "w")
        player = session.start(
            [os.path.join(build, "velor-cdplayer"), "--device", base + ".cue"], stdout=log, stderr=log,
            env=dict(os.environ, QT_QPA_PLATFORM="xcb", QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1"))

        desktop = Atspi.get_desktop(0)

        def application():
            desktop.clear_cache()
            for i in range(desktop.get_child_count()):
                app = desktop.get_child_at_index(i)
                if app is not None and app.get_process_id() == player.pid:
                    return app
            return None
        app = wait_for("the player on the accessibility bus", application)

        # The window and its skin come a moment after the application.
        def skin():
            app.clear_cache()
            nodes = walk(app)
            buttons = [n for _, n in nodes if n.get_role() == Atspi.Role.PUSH_BUTTON]
            return nodes if any(b.get_name() == PLAY for b in buttons) else None
        nodes = wait_for("the play button in the accessibility tree", skin)
        buttons = [n for _, n in nodes if n.get_role() == Atspi.Role.PUSH_BUTTON]
        unnamed = [n for n in buttons if not n.get_name()]
        assert len(buttons) >= SKIN_BUTTONS and not unnamed, \
            "%d push buttons, %d of them without a name" % (len(buttons), len(unnamed))
        play = next(b for b in buttons if b.get_name() == PLAY)
        assert Atspi.Action.get_n_actions(play) >= 1, "the play button has no action"
        with warnings.catch_warnings():
            # Its successor, get_name, is not in Debian 12's bindings yet.
            warnings.simplefilter("ignore", DeprecationWarning)
            action = Atspi.Action.get_action_name(play, 0)
        print("PASS: %d named push buttons, play's action is %r" % (len(buttons), action))
        passed += 1

        def display():
            return next((n for _, n in walk(app) if READING.match(fresh_name(n) or "")), None)
        text = wait_for("the track and time display, read as text", display)
        assert text.get_role() in (Atspi.Role.STATIC, Atspi.Role.LABEL), text.get_role_name()

        parec = session.start(["parec", "--raw", "--format=s16le", "--rate=44100", "--channels=2",
                               "-d", "velor_null.monitor"], stdout=subprocess.PIPE)
        assert Atspi.Action.do_action(play, 0), "the play action was refused"
        wait_for("sound on the sink after play was pressed through AT-SPI", lambda: heard(parec))
        print("PASS: play pressed through AT-SPI is heard")
        passed += 1

        # Two seconds on from what it read when the sound came, not merely
        # another reading: a display stuck on the start, or counting
        # without the play, does not get there by the track's end. On the
        # way it never reads an earlier time than it read before.
        first = wait_for("the display's reading", lambda: READING.match(fresh_name(text) or ""))
        latest = [seconds_in(first)]

        def two_seconds_on():
            now = READING.match(fresh_name(text) or "")
            if not now:
                return None
            assert seconds_in(now) >= latest[0], "the display went back from %d s to %d s" % (
                latest[0], seconds_in(now))
            latest[0] = seconds_in(now)
            return now if latest[0] >= seconds_in(first) + 2 else None
        moved = wait_for("the display's time to move on with the play", two_seconds_on)
        assert first.group(1) == moved.group(1) == "01", "the display names track %s, then %s" % (
            first.group(1), moved.group(1))
        print("PASS: the display reads «%s», then «%s»" % (first.string, moved.string))
        passed += 1

        # The tree as it reads while the disc plays.
        app.clear_cache()
        print("accessibility tree of the player while it plays (role: name):")
        for depth, node in walk(app):
            print("  " * depth + "%s: %s" % (node.get_role_name(), node.get_name()))

        exit_button = next(b for b in buttons if b.get_name() == EXIT)
        Atspi.Action.do_action(exit_button, 0)
        assert player.wait(DEADLINE_S) == 0, "the player ended with %s" % player.returncode
        print("PASS: the exit button pressed through AT-SPI ends the player")
        passed += 1
    except Exception as e:  # noqa: BLE001 - any fault is the test's failure, reported with the player's words
        traceback.print_exc(file=sys.stdout)
        print("FAIL: %s: %s" % (type(e).__name__, e))
        log_path = os.path.join(scratch, "player.log")
        if os.path.exists(log_path):
            print("the player said:\n" + open(log_path, errors="replace").read())
        print("Totals: %d passed, 1 failed, 0 skipped" % passed)
        return 1
    finally:
        session.end()
    print("Totals: %d passed, 0 failed, 0 skipped" % passed)
    return 0


def main():
    missing = missing_tools()
    if missing:
        skip_or_fail(missing)
    # A session bus of its own, so that the accessibility bus and the
    # player's names are the test's alone.
    if os.environ.get("VELOR_OWN_SESSION_BUS") != "1":
        os.environ["VELOR_OWN_SESSION_BUS"] = "1"
        os.execvp("dbus-run-session", ["dbus-run-session", "--", sys.executable] + sys.argv)
    build = os.path.abspath(sys.argv[1])
    parent = os.environ.get("VELOR_TEST_TMP")
    if parent:
        os.makedirs(parent, exist_ok=True)
    scratch = tempfile.mkdtemp(prefix="screen-reader-", dir=parent)
    try:
        return run(build, scratch)
    finally:
        shutil.rmtree(scratch, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
