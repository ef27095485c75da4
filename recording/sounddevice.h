#pragma once
// Which sound input the recording listens to. Qt 6.4 reports the first listed
// input as its default, not the sound server's; so the server is asked for its
// default source and that input is chosen when Qt lists it.

#include <QAudioDevice>
#include <QByteArray>
#include <QList>

namespace scrivel {

// The sound server's default source name (a PulseAudio or PipeWire server,
// found as libpulse finds it: PULSE_SERVER, then the user's socket). Empty
// when no server answers within `timeoutMs`.
QByteArray ServerDefaultSource(int timeoutMs = 1000);

// The input whose id is `serverDefault`; otherwise Qt's default input;
// otherwise the first of `inputs`. A null device when `inputs` is empty.
QAudioDevice ChooseSoundInput(const QList<QAudioDevice>& inputs, const QByteArray& serverDefault,
                              const QAudioDevice& qtDefault);

}  // namespace scrivel
