#include "connection_point.h"

#include <algorithm>
#include <utility>

namespace tandrel {

std::uint32_t ConnectionPoint::Advise(Sink sink) {
  if (!sink) return 0;
  // Cookies count up; after wrapping past 2^32 - 1 they skip 0 and those still in use.
  do {
    ++lastCookie_;
  } while (lastCookie_ == 0 || IsConnected(lastCookie_));
  connections_.push_back({lastCookie_, std::make_shared<const Sink>(std::move(sink))});
  return lastCookie_;
}

bool ConnectionPoint::Unadvise(std::uint32_t cookie) {
  const auto it = std::find_if(connections_.begin(), connections_.end(),
                               [cookie](const Connection& c) { return c.cookie == cookie; });
  if (it == connections_.end()) return false;
  connections_.erase(it);
  return true;
}

bool ConnectionPoint::IsConnected(std::uint32_t cookie) const {
  return std::any_of(connections_.begin(), connections_.end(),
                     [cookie](const Connection& c) { return c.cookie == cookie; });
}

void ConnectionPoint::Fire(int dispid, std::int16_t value) noexcept {
  try {
    const std::vector<Connection> snapshot = connections_;
    for (const Connection& connection : snapshot) {
      if (!IsConnected(connection.cookie)) continue;
      try {
        (*connection.sink)(dispid, value);
      } catch (...) {
        // A sink's failure is the container's business; the engine goes on.
      }
    }
  } catch (...) {
    // Only the snapshot's allocation can fail here; the event is then lost.
  }
}

}  // namespace tandrel
