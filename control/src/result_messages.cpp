#include "tandrel/result_messages.h"

#include <array>

namespace tandrel {
namespace {

struct ResultMessage {
  const char* afterJoin;
  const char* afterSplit;
};

// Indexed by result code. The texts are the programs' fixed wording, spelling included.
constexpr std::array<ResultMessage, 8> kResultMessages = {{
    {"Joinned successfully", "Splitted successfully"},         // 0 success
    {"Error open file", "Error open file"},                    // 1 cannot open or create a file
    {"Error read file", "Error read file"},                    // 2 WAVE header of an input
    {"File corrupted", "File corrupted"},                      // 3 WAVE source too short
    {"Error file diff", "Error file diff"},                    // 4 inputs of different kinds
    {"Error file not supported", "Error file not supported"},  // 5 neither WAVE nor MP3
    {"Error WAV file diff", "Error WAV file diff"},            // 6 WAVE formats differ
    {"Error parameter invalid", "Error parameter invalid"},    // 7 invalid parameter
}};

const ResultMessage* Find(int code) {
  if (code < 0 || code >= static_cast<int>(kResultMessages.size())) return nullptr;
  return &kResultMessages[static_cast<std::size_t>(code)];
}

}  // namespace

const char* JoinResultMessage(int code) {
  const ResultMessage* message = Find(code);
  return message != nullptr ? message->afterJoin : nullptr;
}

const char* SplitResultMessage(int code) {
  const ResultMessage* message = Find(code);
  return message != nullptr ? message->afterSplit : nullptr;
}

}  // namespace tandrel
