#include "tandrel/variant.h"

namespace tandrel {
namespace {

const std::string kEmptyString;

}  // namespace

// Where a value of type T lives: in the variant itself, behind a reference to T, or in (or behind
// a reference held by) the Variant a reference points at. Only one level of Variant is followed.
template <typename T>
const T* Variant::Find() const {
  if (const T* own = std::get_if<T>(&value_)) return own;
  const Reference* ref = ReferenceValue();
  if (ref == nullptr) return nullptr;
  if (T* const* typed = std::get_if<T*>(ref)) return *typed;
  Variant* const* inner = std::get_if<Variant*>(ref);
  if (inner == nullptr || *inner == nullptr) return nullptr;
  if (const T* value = std::get_if<T>(&(*inner)->value_)) return value;
  const Reference* innerRef = (*inner)->ReferenceValue();
  if (innerRef == nullptr) return nullptr;
  T* const* innerTyped = std::get_if<T*>(innerRef);
  return innerTyped != nullptr ? *innerTyped : nullptr;
}

VarType Variant::Type() const {
  struct TypeOf {
    VarType operator()(std::monostate) const { return VarType::Empty; }
    VarType operator()(std::int16_t) const { return VarType::Short; }
    VarType operator()(std::int32_t) const { return VarType::Long; }
    VarType operator()(double) const { return VarType::Double; }
    VarType operator()(bool) const { return VarType::Bool; }
    VarType operator()(const std::string&) const { return VarType::String; }
    VarType operator()(std::int16_t*) const { return VarType::Short; }
    VarType operator()(std::int32_t*) const { return VarType::Long; }
    VarType operator()(double*) const { return VarType::Double; }
    VarType operator()(bool*) const { return VarType::Bool; }
    VarType operator()(std::string*) const { return VarType::String; }
    VarType operator()(Variant*) const { return VarType::Variant; }
    VarType operator()(const Reference& r) const { return std::visit(*this, r); }
  };
  return std::visit(TypeOf{}, value_);
}

bool Variant::IsValidReference() const {
  const Reference* ref = ReferenceValue();
  if (ref == nullptr) return true;
  bool valid = std::visit([](auto* p) { return p != nullptr; }, *ref);
  if (!valid) return false;
  Variant* const* inner = std::get_if<Variant*>(ref);
  if (inner == nullptr) return true;
  const Reference* innerRef = (*inner)->ReferenceValue();
  if (innerRef == nullptr) return true;
  return !std::holds_alternative<Variant*>(*innerRef) &&
         std::visit([](auto* p) { return p != nullptr; }, *innerRef);
}

Variant Variant::Deref() const {
  if (!IsValidReference()) return Variant();
  // A reference to a Variant takes the type of the value found there.
  VarType valueType = Type();
  if (valueType == VarType::Variant) valueType = std::get<Variant*>(*ReferenceValue())->Type();
  switch (valueType) {
    case VarType::Short:
      return Variant(ShortValue());
    case VarType::Long:
      return Variant(LongValue());
    case VarType::Double:
      return Variant(DoubleValue());
    case VarType::Bool:
      return Variant(BoolValue());
    case VarType::String:
      return Variant(StringValue());
    case VarType::Empty:
    case VarType::Variant:
      break;
  }
  return Variant();
}

std::int16_t Variant::ShortValue() const {
  const auto* p = Find<std::int16_t>();
  return p != nullptr ? *p : 0;
}

std::int32_t Variant::LongValue() const {
  const auto* p = Find<std::int32_t>();
  return p != nullptr ? *p : 0;
}

double Variant::DoubleValue() const {
  const auto* p = Find<double>();
  return p != nullptr ? *p : 0.0;
}

bool Variant::BoolValue() const {
  const auto* p = Find<bool>();
  return p != nullptr && *p;
}

const std::string& Variant::StringValue() const {
  const auto* p = Find<std::string>();
  return p != nullptr ? *p : kEmptyString;
}

}  // namespace tandrel
