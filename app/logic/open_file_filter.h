#pragma once

#include <QStringList>

namespace trevasso::logic {

// The three choices of the audio open-file dialogs, as name filters: the caption the user sees
// ("MP3 and WAV Audio Files(*.mp3;*.wav)") followed by its patterns in brackets. The patterns
// match the extensions in any letter case, as the engine does, also on case-sensitive file
// systems.
QStringList AudioFileFilters();

}  // namespace trevasso::logic
