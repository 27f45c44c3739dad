#pragma once

namespace tandrel::wintest {

// The event connection point: several sinks, sinks that give only IDispatch, disconnecting
// (also from inside a handler), frozen events, the enumerators, class information.
void CheckEvents();

}  // namespace tandrel::wintest
