#pragma once

namespace tandrel::wintest {

// The engine's Win32 file backend, directly and through the control: sharing modes, the same
// file under two spellings, outputs that replace only when finished, no temporary files left.
void CheckFileIo();

}  // namespace tandrel::wintest
