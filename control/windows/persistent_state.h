#pragma once

// What a container stores of the control: the version stamp and the extent the container gave
// it. The control keeps no other state.

#include <ocidl.h>

namespace tandrel::com {

struct PersistentState {
  // 32 x 32 pixels at 96 dots per inch, in 0.01 mm.
  static constexpr SIZEL kDefaultExtent = {847, 847};
  SIZEL extent = kDefaultExtent;
};

// The stream form: the version stamp, the width and the height, each four bytes, little-endian.
inline constexpr ULONG kStateStreamSize = 12;

HRESULT SaveState(const PersistentState& state, IStream* stream);
// Fails, leaving `state` alone, when the stream holds fewer than kStateStreamSize bytes.
HRESULT LoadState(IStream* stream, PersistentState& state);

// The property-bag form: "_Version", "_ExtentX" and "_ExtentY", each a VT_I4. A value missing from
// the bag keeps its default.
HRESULT SaveState(const PersistentState& state, IPropertyBag* bag);
HRESULT LoadState(IPropertyBag* bag, IErrorLog* log, PersistentState& state);

}  // namespace tandrel::com
