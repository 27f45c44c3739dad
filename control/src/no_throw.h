#pragma once

// Nothing thrown inside may leave the control's interfaces (C, C++ and dispatch): each entry
// point runs its body through NoThrow and answers `fallback` when it throws (out of memory
// while copying a name, in practice).

namespace tandrel {

template <typename T, typename Body>
T NoThrow(T fallback, Body&& body) noexcept {
  try {
    return static_cast<T>(body());
  } catch (...) {
    return fallback;
  }
}

}  // namespace tandrel
