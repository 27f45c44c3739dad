#pragma once

#include <QByteArray>
#include <QString>

namespace trevasso::tests {

// A PCM WAVE file of a 440 Hz tone: the 44-byte header and `milliseconds` of 16-bit samples.
void WriteToneWave(const QString& path, int milliseconds, int sampleRate = 44100, int channels = 1);

// Encodes a WAVE file to MP3 with lame (constant 128 kbit/s, with its info frame). Returns an
// empty string on success, otherwise what went wrong.
QString EncodeMp3(const QString& wavePath, const QString& mp3Path);

QByteArray ReadFileBytes(const QString& path);
void WriteFileBytes(const QString& path, const QByteArray& bytes);

}  // namespace trevasso::tests
