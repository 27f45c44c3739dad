#include "test_audio.h"

#include <QFile>
#include <QProcess>
#include <QtEndian>
#include <cmath>
#include <numbers>

namespace trevasso::tests {

using namespace Qt::StringLiterals;

namespace {

void AppendLE32(QByteArray& out, quint32 value) {
  char bytes[4];
  qToLittleEndian(value, bytes);
  out.append(bytes, 4);
}

void AppendLE16(QByteArray& out, quint16 value) {
  char bytes[2];
  qToLittleEndian(value, bytes);
  out.append(bytes, 2);
}

}  // namespace

void WriteToneWave(const QString& path, int milliseconds, int sampleRate, int channels) {
  const quint32 frames = static_cast<quint32>(qint64{sampleRate} * milliseconds / 1000);
  const quint32 blockAlign = 2u * static_cast<quint32>(channels);
  const quint32 dataSize = frames * blockAlign;
  QByteArray out;
  out.append("RIFF", 4);
  AppendLE32(out, 36 + dataSize);
  out.append("WAVEfmt ", 8);
  AppendLE32(out, 16);
  AppendLE16(out, 1);  // PCM
  AppendLE16(out, static_cast<quint16>(channels));
  AppendLE32(out, static_cast<quint32>(sampleRate));
  AppendLE32(out, static_cast<quint32>(sampleRate) * blockAlign);
  AppendLE16(out, static_cast<quint16>(blockAlign));
  AppendLE16(out, 16);
  out.append("data", 4);
  AppendLE32(out, dataSize);
  for (quint32 i = 0; i < frames; ++i) {
    const double phase = 2 * std::numbers::pi * 440.0 * i / sampleRate;
    const auto sample = static_cast<qint16>(std::lround(12000 * std::sin(phase)));
    for (int c = 0; c < channels; ++c) AppendLE16(out, static_cast<quint16>(sample));
  }
  WriteFileBytes(path, out);
}

QString EncodeMp3(const QString& wavePath, const QString& mp3Path) {
  const QString lame = QStringLiteral(TREVASSO_TEST_LAME);
  if (lame.isEmpty()) return u"lame was not found when the tests were configured"_s;
  QProcess process;
  process.start(lame, {u"--quiet"_s, u"-b"_s, u"128"_s, wavePath, mp3Path});
  if (!process.waitForFinished(60000) || process.exitCode() != 0) {
    return u"lame failed: "_s + QString::fromLocal8Bit(process.readAllStandardError());
  }
  return QString();
}

QByteArray ReadFileBytes(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return QByteArray();
  return file.readAll();
}

void WriteFileBytes(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  if (file.open(QIODevice::WriteOnly | QIODevice::Truncate)) file.write(bytes);
}

}  // namespace trevasso::tests
