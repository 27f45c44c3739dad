#include "connection_point.h"

#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace tandrel {
namespace {

using Delivery = std::pair<std::string, int>;  // which sink, which value

class ConnectionPointTest : public ::testing::Test {
 protected:
  // A sink that logs its name and the event value, then runs `then`.
  std::uint32_t Connect(const std::string& name, std::function<void()> then = {}) {
    return point_.Advise([this, name, then](int, std::int16_t value) {
      log_.emplace_back(name, value);
      if (then) then();
    });
  }

  ConnectionPoint point_;
  std::vector<Delivery> log_;
};

TEST_F(ConnectionPointTest, CookiesArePositiveAndDistinctAndEmptySinksAreRefused) {
  std::set<std::uint32_t> cookies;
  for (int i = 0; i < 5; ++i) cookies.insert(Connect("s"));
  EXPECT_EQ(cookies.size(), 5U);
  EXPECT_EQ(cookies.count(0), 0U);
  EXPECT_EQ(point_.Advise(ConnectionPoint::Sink()), 0U);
  EXPECT_EQ(point_.Count(), 5U);
}

TEST_F(ConnectionPointTest, EverySinkGetsEveryEventInConnectionOrder) {
  Connect("a");
  Connect("b");
  point_.Fire(3, 33);
  point_.Fire(3, 66);
  EXPECT_EQ(log_, (std::vector<Delivery>{{"a", 33}, {"b", 33}, {"a", 66}, {"b", 66}}));
}

TEST_F(ConnectionPointTest, UnadviseTakesEffectOnceAndOnlyForKnownCookies) {
  const auto a = Connect("a");
  Connect("b");
  EXPECT_FALSE(point_.Unadvise(a + 100));
  EXPECT_TRUE(point_.Unadvise(a));
  EXPECT_FALSE(point_.Unadvise(a));
  point_.Fire(2, 50);
  EXPECT_EQ(log_, (std::vector<Delivery>{{"b", 50}}));
}

// Handlers that change the connections while an event is going out.
TEST_F(ConnectionPointTest, HandlersMayChangeConnectionsWhileFiring) {
  std::uint32_t a = 0;
  std::uint32_t c = 0;
  // a disconnects itself on the first event; b disconnects c, which comes after it, on the first
  // event and connects d, which first hears the second event.
  a = Connect("a", [&] { point_.Unadvise(a); });
  bool once = false;
  Connect("b", [&] {
    if (once) return;
    once = true;
    point_.Unadvise(c);
    Connect("d");
  });
  c = Connect("c");
  point_.Fire(2, 1);
  point_.Fire(2, 2);
  EXPECT_EQ(log_, (std::vector<Delivery>{{"a", 1}, {"b", 1}, {"b", 2}, {"d", 2}}));
}

// The handler's own state stays alive while it runs after disconnecting itself (the sanitizer
// build catches a use after free here).
TEST_F(ConnectionPointTest, SinkThatDisconnectsItselfKeepsItsStateUntilItReturns) {
  auto state = std::make_shared<std::string>(1000, 'x');
  std::uint32_t cookie = 0;
  std::size_t seen = 0;
  cookie = point_.Advise([this, state, &cookie, &seen](int, std::int16_t) {
    point_.Unadvise(cookie);
    seen = state->size();
  });
  state.reset();
  point_.Fire(1, 3);
  EXPECT_EQ(seen, 1000U);
  EXPECT_EQ(point_.Count(), 0U);
}

TEST_F(ConnectionPointTest, ThrowingSinkDoesNotStopTheOthers) {
  Connect("a", [] { throw std::runtime_error("handler failed"); });
  Connect("b");
  EXPECT_NO_THROW(point_.Fire(2, 25));
  EXPECT_EQ(log_, (std::vector<Delivery>{{"a", 25}, {"b", 25}}));
}

}  // namespace
}  // namespace tandrel
