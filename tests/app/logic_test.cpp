// The desktop program's rules that need no window.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "logic/add_sections.h"
#include "logic/info_captions.h"
#include "logic/join_list.h"
#include "logic/layout_scale.h"
#include "logic/mime_associations.h"
#include "logic/open_file_filter.h"
#include "logic/path_routines.h"
#include "logic/piece_size.h"
#include "logic/section_list.h"
#include "logic/task_names.h"

using namespace Qt::StringLiterals;
using namespace trevasso::logic;

namespace {

const QLocale kEnglish(QLocale::English, QLocale::UnitedStates);
const QLocale kGerman(QLocale::German, QLocale::Germany);

class LogicTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void CaptionsNamesAndLists() {
    const auto size = [](double bytes) { return SizeCaption(bytes, kEnglish); };
    const auto time = [](double ms) { return TimeCaption(ms, kEnglish); };
    const std::pair<QString, QString> cases[] = {
        {size(0), u"Size:      Bytes"_s},
        {size(512), u"Size:     512 Bytes"_s},
        {size(1024), u"Size:     1,024 Bytes"_s},
        {size(1536), u"Size:     1,536 Bytes (1.5 KB)"_s},
        {size(1048576), u"Size:     1,048,576 Bytes (1024. KB)"_s},
        {size(5000000), u"Size:     5,000,000 Bytes (4882.81 KB ; 4.77 MB)"_s},
        {SizeCaption(1536, kGerman), u"Size:     1.536 Bytes (1,5 KB)"_s},
        {time(0), u"Time:      MS"_s},
        {time(1000), u"Time:     1,000 MS"_s},
        {time(1500), u"Time:     1,500 MS (2 Seconds)"_s},
        {time(60000), u"Time:     60,000 MS (60 Seconds)"_s},
        {time(61234), u"Time:     61,234 MS (61 Seconds ; 1 Minutes and 1 Seconds)"_s},
        {time(62500), u"Time:     62,500 MS (63 Seconds ; 1 Minutes and 2 Seconds)"_s},
        {time(3600000), u"Time:     3,600,000 MS (3600 Seconds ; 60 Minutes and 0 Seconds)"_s},
        {time(4e7), u"Time:     40,000,000 MS (40000 Seconds ; 666 Minutes and 40 Seconds)"_s},
        {TaskFileName(u"/music/Song.mp3"_s, u"/out"_s, 1), u"/out/Song_001.mp3"_s},
        {TaskFileName(u"/music/Song.mp3"_s, u"/music/"_s, 2), u"/music/Song_002.mp3"_s},
        {TaskFileName(u"/music/Song.mp3"_s, QString(), 1), u"Song_001.mp3"_s},
        {TaskFileName(u" /music/my.song.mp3 "_s, u"/out"_s, 1), u"/out/my.song_001.mp3"_s},
        {TaskFileName(u"/music/Song.WAV"_s, u"/out"_s, 3), u"/out/Song_003.WAV"_s},
        {TaskFileName(u"/mu.sic/Song"_s, u"/out"_s, 1), u"/out/Song_001"_s},
        {BuildSectionList({{u"1"_s, u"60,000"_s, u"/o/S_001.mp3"_s},
                           {u"60,001"_s, u"120,000"_s, u" /o/S_002.mp3 "_s},
                           {u"61,234"_s, u"1,234,567"_s, u"/o/my S_003.mp3"_s}},
                          kEnglish),
         u"1;60000;/o/S_001.mp3|60001;120000;/o/S_002.mp3|61234;1234567;/o/my S_003.mp3"_s},
        {BuildSectionList({{u"1.234"_s, u"5.678.901"_s, u"a.wav"_s}}, kGerman),
         u"1234;5678901;a.wav"_s},
        {BuildJoinList({u"  /m/a.mp3"_s, u"/m/b c.mp3 "_s, u"/c.mp3"_s}),
         u"/m/a.mp3|/m/b c.mp3|/c.mp3"_s}};
    for (const auto& [actual, expected] : cases) QCOMPARE(actual, expected);
  }

  // Whatever the unit, a row holds milliseconds.
  void Sections() {
    using enum AddRefusal;
    using enum SliderUnit;
    const auto fixed = FixedLengthSections;
    const std::tuple<AddResult, AddRefusal, QString> cases[] = {
        {fixed(u"3000"_s, 10000), None, u"1-3000 3001-6000 6001-9000 9001-10000"_s},
        {fixed(u"3000"_s, 9001), None, u"1-3000 3001-6000 6001-9000"_s},  // 1 ms left: dropped
        {fixed(u"3000"_s, 9002), None, u"1-3000 3001-6000 6001-9000 9001-9002"_s},
        {fixed(u"4321"_s, 4321), None, u"1-4321"_s},
        {fixed(u"0"_s, 10000), NotPositive, {}},
        {fixed(QString(), 10000), NotPositive, {}},
        {fixed(u"10001"_s, 10000), LongerThanFile, {}},
        {fixed(u"999"_s, 1e6), TooManyPieces, {}},
        {fixed(u"0.5"_s, 10000), TooManyPieces, {}},  // no piece count can be formed
        {StartEndSection(0, 1, MilliSeconds, 5000), None, u"1-1"_s},
        {StartEndSection(7, 7, MilliSeconds, 5000), EndNotAfterStart, {}},
        {StartEndSection(1, 2, Seconds, 2500), None, u"1000-2000"_s},
        {StartEndSection(0, 4, Seconds, 3500), None, u"1-3500"_s},
        {StartEndSection(1, 3, Minutes, 183000), None, u"60000-180000"_s},
    };
    for (const auto& [result, refusal, rows] : cases) {
      QStringList shown;
      for (const Section& r : result.sections) {
        shown.append(QString::number(r.start, 'f', 0) + u'-' + QString::number(r.end, 'f', 0));
      }
      QCOMPARE(result.refusal, refusal);
      QCOMPARE(shown.join(u' '), rows);
    }
    QCOMPARE(fixed(u"1000"_s, 1e6).sections.size(), std::size_t{1000});  // a thousand pass
  }

  void PieceSizes() {
    using enum SizeUnit;
    using enum PieceSizeCheck;
    const auto size = ComputePieceSize;
    const std::tuple<PieceSize, PieceSizeCheck, int> cases[] = {
        {size(u"0"_s, Bytes, 1e6), NotPositive, 0},
        {size(u"1e3"_s, KiloBytes, 1e6), NotPositive, 0},  // what toDouble takes, typing cannot
        {size(u"0.4"_s, Bytes, 1e6), NotPositive, 0},      // rounds to 0 bytes
        {size(u"2.5"_s, Bytes, 2), Ok, 2},                 // half to even
        {size(u"3.5"_s, Bytes, 2), Ok, 4},
        {size(u"1.5"_s, KiloBytes, 1e6), Ok, 1536},
        {size(u"1"_s, MegaBytes, 1e6), Ok, 1048576},
        {size(u"10000"_s, Bytes, 1e7), Ok, 10000},  // 1000 pieces
        {size(u"9999"_s, Bytes, 1e7), TooManyPieces, 0},
        {size(u"2147483647"_s, Bytes, 1e6), Ok, 2147483647},
        {size(u"2048"_s, MegaBytes, 1e6), TooLarge, 0}};
    for (const auto& [piece, check, pieceBytes] : cases) {
      QCOMPARE(piece.check, check);
      QCOMPARE(piece.bytes, pieceBytes);
    }
  }

  void JoinFormats() {
    const std::pair<QStringList, int> cases[] = {
        {{u"/a.mp3"_s, u"/b.mp3"_s, u"/c.mp3"_s}, 0},
        {{u"/x.MP3"_s, u"/y.mp3"_s}, 0},  // the extension in any case
        {{u"/x.MP3"_s, u"/y.wav"_s}, 2},
        {{u"/a.mp3"_s, u"/b.wav"_s, u"/c.ogg"_s}, 2},
        {{u"/a.mp3"_s, u"/c.ogg"_s, u"/b.wav"_s}, 3},
        {{u"/my.mp3/track"_s}, 3},
        {{u"/a.mp3"_s, u"/a.mp3 "_s}, 3}};
    for (const auto& [names, result] : cases) QCOMPARE(int{CheckJoinFormats(names)}, result);
  }

  // Edges are scaled, so neighbours that touch keep touching.
  void LayoutScales() {
    const LayoutScale at11 = LayoutScale::Between(kDesignFont, {9.2572, 17.453});
    const std::pair<QRect, QRect> cases[] = {
        {LayoutScale().Rect(QRect(10, 8, 456, 18)), QRect(10, 8, 456, 18)},
        {LayoutScale(2, 2).Rect(QRect(10, 8, 456, 18)), QRect(20, 16, 912, 36)},
        {at11.Rect(QRect(364, 168, 102, 28)), QRect(455, 210, 128, 35)},
        {LayoutScale::Between(kDesignFont, {}).Rect(QRect(1, 2, 3, 4)), QRect(1, 2, 3, 4)}};
    for (const auto& [actual, expected] : cases) QCOMPARE(actual, expected);
    const LayoutScale odd(1.37, 1.37);
    QCOMPARE(odd.Rect(QRect(0, 0, 33, 5)).right() + 1, odd.Rect(QRect(33, 0, 33, 5)).left());
  }

  void FoldersDropsAndViewers() {
    QTemporaryDir root;
    const QString out = root.filePath(u"out"_s), music = root.filePath(u"music"_s);
    QVERIFY(QDir().mkpath(out) && QDir().mkpath(music));
    const std::pair<QString, QString> starts[] = {
        {FolderPickerStart(out, music + u"/a.mp3"_s, u"/home"_s), out},
        {FolderPickerStart(root.filePath(u"gone"_s), music + u"/a.mp3"_s, u"/home"_s),
         music + u'/'},
        {FolderPickerStart(QString(), root.filePath(u"gone/a.mp3"_s), u"/home"_s), u"/home"_s},
        {DroppedAudioFiles({u"/a.MP3"_s, u"/b.txt"_s, u"/c.wav"_s, u"/d.mp3/e"_s}).join(u'|'),
         u"/a.MP3|/c.wav"_s}};
    for (const auto& [actual, expected] : starts) QCOMPARE(actual, expected);

    const QString apps = root.filePath(u"applications"_s);
    QVERIFY(QDir().mkpath(apps + u"/sub"_s));
    const auto write = [](const QString& path, const QByteArray& text) {
      QFile file(path);
      QVERIFY(file.open(QIODevice::WriteOnly));
      file.write(text);
    };
    write(apps + u"/viewer.desktop"_s, "[Desktop Entry]\nMimeType=text/plain;application/x-chm;\n");
    write(apps + u"/sub/gone.desktop"_s, "[Desktop Entry]\nMimeType=image/png;\nHidden=true\n");
    write(apps + u"/other.desktop"_s, "[Desktop Entry]\nMimeType=text/html;\n");
    const QString list = root.filePath(u"mimeapps.list"_s);
    write(list, "[Added Associations]\ntext/html=other.desktop;\n"
                "[Removed Associations]\ntext/plain=viewer.desktop;\n");
    const std::pair<QStringList, bool> viewers[] = {
        {{u"application/vnd.ms-htmlhelp"_s, u"application/x-chm"_s}, true},
        {{u"application/vnd.ms-htmlhelp"_s}, false},
        {{u"image/png"_s}, false},   // hidden entry
        {{u"text/plain"_s}, false},  // removed in mimeapps.list
        {{u"text/html"_s}, true}};
    for (const auto& [types, has] : viewers) QCOMPARE(HasApplicationFor(types, {list}, {apps}), has);
  }
};

}  // namespace

QTEST_GUILESS_MAIN(LogicTest)
#include "logic_test.moc"
