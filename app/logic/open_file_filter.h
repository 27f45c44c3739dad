#pragma once

#include <string>
#include <vector>

namespace trevasso::logic {

// The three choices of the audio open-file dialogs, as name filters: the caption the user sees
// ("MP3 and WAV Audio Files(*.mp3;*.wav)") followed by its patterns in brackets. The patterns
// match the extensions in any letter case, as the engine does, also on case-sensitive file
// systems.
std::vector<std::string> AudioFileFilters();

// Of the paths of files dropped on the window, those the first filter would show (an mp3 or wav
// extension in any letter case), in the order given.
std::vector<std::string> DroppedAudioFiles(const std::vector<std::string>& paths);

}  // namespace trevasso::logic
