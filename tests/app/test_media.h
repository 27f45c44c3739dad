#pragma once

#include <QString>

namespace trevasso::tests {

// Small real audio files, made once per test run in a temporary folder.
struct TestMedia {
  QString folder;  // holds the files below, ends without a separator
  QString mp3;     // tone.mp3: 3 s, 44.1 kHz mono, 128 kbit/s, encoded by lame
  QString mp3b;    // second.mp3: 2 s, same format
  QString mp3c;    // third.mp3: 1 s, same format
  QString wav;     // tone.wav: 3,000 ms, 44.1 kHz mono 16-bit, 264,644 bytes
  QString wavb;    // second.wav: 1,000 ms, same format
  QString wav8k;   // other.wav: 1,000 ms at 8 kHz
  QString error;   // why the files could not be made; empty when they were
};

const TestMedia& Media();

// A new empty folder for one test's output, inside the media folder.
QString NewOutputFolder();

}  // namespace trevasso::tests
