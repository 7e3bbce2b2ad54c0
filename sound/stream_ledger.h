// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QtGlobal>

// What of the audio handed to a sound server's stream is heard, counted in
// the stream's own frames. A write that replaces what the stream holds goes
// where the server reads at that moment, which the client learns only from
// the next timing the server sends: until then nothing after it counts as
// heard. Audio follows its first write without a break until the next
// replacing write; silence may be added after it.
class StreamLedger {
public:
    // A write placed where the server reads; audio starts a new run.
    void replaced(qint64 frames, bool audio);
    // A write after the last one.
    void appended(qint64 frames, bool audio);
    // The newest audio frames are taken back (the next write overwrites them).
    void tookBack(qint64 frames);
    // The server's write index, once it counts every write made.
    void timed(qint64 writeIndex);

    // Audio frames handed over since the run began and not heard with the
    // stream played up to playedIndex.
    qint64 audioUnheard(qint64 playedIndex) const;
    // Audio frames that a replacing write cut off: after where it landed.
    // Negative while that is not known.
    qint64 audioCutOff() const;
    qint64 audioFrames() const { return m_audio; }

private:
    qint64 m_sinceReplace = 0;   // frames written since the last replacing write
    qint64 m_landing = -1;       // where that write landed, once known
    bool m_lastReplaceAudio = false;
    qint64 m_audio = 0;          // frames of the audio run
    qint64 m_audioLanding = -1;  // where the run began, once known
    bool m_audioLost = false;    // the run's start was replaced before it was known
};
