#include "test_media.h"

#include <QDir>
#include <QTemporaryDir>

#include "test_audio.h"

namespace trevasso::tests {

using namespace Qt::StringLiterals;

namespace {

TestMedia MakeMedia(const QString& folder) {
  TestMedia media;
  media.folder = folder;
  const auto in = [&](const QString& name) { return folder + u'/' + name; };
  media.wav = in(u"tone.wav"_s);
  media.wavb = in(u"second.wav"_s);
  media.wav8k = in(u"other.wav"_s);
  WriteToneWave(media.wav, 3000);
  WriteToneWave(media.wavb, 1000);
  WriteToneWave(media.wav8k, 1000, 8000);
  media.mp3 = in(u"tone.mp3"_s);
  media.mp3b = in(u"second.mp3"_s);
  media.mp3c = in(u"third.mp3"_s);
  const struct {
    QString mp3;
    int milliseconds;
  } encodes[] = {{media.mp3, 3000}, {media.mp3b, 2000}, {media.mp3c, 1000}};
  for (const auto& encode : encodes) {
    const QString source = in(u"encode_source.wav"_s);
    WriteToneWave(source, encode.milliseconds);
    media.error = EncodeMp3(source, encode.mp3);
    QFile::remove(source);
    if (!media.error.isEmpty()) break;
  }
  return media;
}

QTemporaryDir& Folder() {
  static QTemporaryDir folder;
  return folder;
}

}  // namespace

const TestMedia& Media() {
  static const TestMedia media = MakeMedia(Folder().path());
  return media;
}

QString NewOutputFolder() {
  static int count = 0;
  const QString folder = Folder().path() + u"/out"_s + QString::number(++count);
  QDir().mkpath(folder);
  return folder;
}

}  // namespace trevasso::tests
