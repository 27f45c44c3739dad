#pragma once

namespace tandrel::wintest {

// The control hosted in containers: a windowless site and a plain one written here, with the
// design-time picture drawn into memory; OleCreate, OleDraw, OleSave and OleLoad; persistence
// through a stream and a property bag; the property page on its own and in the system's
// property frame; Wine's ATL host.
void CheckContainers();

}  // namespace tandrel::wintest
