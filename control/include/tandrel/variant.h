#pragma once

// The C++ interface of libTandrel needs C++20 (std::span and friends).
#if !defined(__cplusplus) || __cplusplus < 202002L
#error "tandrel/variant.h needs C++20 (-std=c++20; pkg-config --variable=cxx_standard tandrel)"
#endif

#include <cstdint>
#include <string>
#include <utility>
#include <variant>

#include "tandrel/export.h"

namespace tandrel {

// Automation type numbers of the values the control takes and gives.
enum class VarType : std::uint16_t {
  Empty = 0,
  Short = 2,    // VT_I2
  Long = 3,     // VT_I4
  Double = 5,   // VT_R8
  String = 8,   // VT_BSTR, held as UTF-8 text
  Bool = 11,    // VT_BOOL
  Variant = 12  // VT_VARIANT, only by reference
};

// An automation-style argument or result: a value of one of the types above, or a reference to
// the caller's storage of one (the by-reference forms, VT_BYREF | type). The control reads through
// a reference and never writes back.
class TANDREL_API Variant {
 public:
  Variant() = default;
  Variant(std::int16_t v) : value_(v) {}
  Variant(std::int32_t v) : value_(v) {}
  Variant(double v) : value_(v) {}
  Variant(bool v) : value_(v) {}
  Variant(std::string v) : value_(std::move(v)) {}
  Variant(const char* v) : value_(std::string(v)) {}

  static Variant Ref(std::int16_t* p) { return Variant(Reference(p)); }
  static Variant Ref(std::int32_t* p) { return Variant(Reference(p)); }
  static Variant Ref(double* p) { return Variant(Reference(p)); }
  static Variant Ref(bool* p) { return Variant(Reference(p)); }
  static Variant Ref(std::string* p) { return Variant(Reference(p)); }
  static Variant Ref(Variant* p) { return Variant(Reference(p)); }

  // The type, without the by-reference flag (a reference to a Variant reports Variant).
  VarType Type() const;
  bool IsByRef() const { return std::holds_alternative<Reference>(value_); }
  // A copy of the value itself: follows a reference to what it points at, and a reference to a
  // Variant to that Variant's value (or to what a reference held there points at). A null
  // reference, or a reference to a Variant that is itself a reference to a Variant (which
  // automation does not allow), gives Empty; see IsValidReference.
  Variant Deref() const;
  // False for the two broken forms above; true for every value and every sound reference.
  bool IsValidReference() const;

  // Plain accessors of a value of the matching type (after Deref); any other type gives 0 / "".
  // No conversion: LongValue() of a Short is 0.
  std::int16_t ShortValue() const;
  std::int32_t LongValue() const;
  double DoubleValue() const;
  bool BoolValue() const;
  const std::string& StringValue() const;

  // Storage of a by-reference variant: a pointer to exactly one of these.
  using Reference =
      std::variant<std::int16_t*, std::int32_t*, double*, bool*, std::string*, Variant*>;
  const Reference* ReferenceValue() const { return std::get_if<Reference>(&value_); }

 private:
  explicit Variant(Reference r) : value_(r) {}
  template <typename T>
  const T* Find() const;

  std::variant<std::monostate, std::int16_t, std::int32_t, double, bool, std::string, Reference>
      value_;
};

}  // namespace tandrel
