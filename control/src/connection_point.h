#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace tandrel {

// The event sinks connected to one control, and the firing of events to them.
//
// Events go out synchronously on the firing thread, in the order the sinks were connected, to
// the sinks connected when the event is fired. A handler may connect or disconnect sinks, itself
// included: firing walks a snapshot, skips a sink disconnected meanwhile, and does not reach a
// sink connected meanwhile until the next event. One control is used from one thread at a time.
class ConnectionPoint {
 public:
  using Sink = std::function<void(int dispid, std::int16_t value)>;

  // Returns the new connection's cookie, > 0 and unique among live connections; 0 for an empty
  // sink.
  std::uint32_t Advise(Sink sink);
  // False when the cookie is not connected.
  bool Unadvise(std::uint32_t cookie);
  // Calls every connected sink. An exception thrown by a handler is swallowed there: the event
  // still reaches the other sinks and never reaches the code that fired it.
  void Fire(int dispid, std::int16_t value) noexcept;
  std::size_t Count() const { return connections_.size(); }

 private:
  struct Connection {
    std::uint32_t cookie;
    // Shared so that a handler that disconnects itself keeps running on a live object.
    std::shared_ptr<const Sink> sink;
  };
  bool IsConnected(std::uint32_t cookie) const;

  std::vector<Connection> connections_;
  std::uint32_t lastCookie_ = 0;
};

}  // namespace tandrel
