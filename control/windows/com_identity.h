#pragma once

// The identity table's identifiers as the component model's GUIDs.

#include <objbase.h>

#include "identity.h"

namespace tandrel::com {

constexpr GUID ToGuid(const Guid& g) {
  return GUID{g.data1,
              g.data2,
              g.data3,
              {g.data4[0], g.data4[1], g.data4[2], g.data4[3], g.data4[4], g.data4[5], g.data4[6],
               g.data4[7]}};
}

inline constexpr GUID kLibId = ToGuid(identity::kLibId);
inline constexpr GUID kDispatchIid = ToGuid(identity::kDispatchIid);
inline constexpr GUID kEventsIid = ToGuid(identity::kEventsIid);
inline constexpr GUID kControlClsid = ToGuid(identity::kControlClsid);
inline constexpr GUID kPropPageClsid = ToGuid(identity::kPropPageClsid);

}  // namespace tandrel::com
