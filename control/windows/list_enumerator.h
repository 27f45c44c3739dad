#pragma once

// IEnumConnections and IEnumConnectionPoints over a fixed list: each item handed out carries a
// reference of its own, which the caller releases.

#include <ocidl.h>

#include <new>
#include <vector>

#include "module.h"

namespace tandrel::com {

inline void AddItemReference(const CONNECTDATA& item) {
  item.pUnk->AddRef();
}
inline void ReleaseItemReference(const CONNECTDATA& item) {
  item.pUnk->Release();
}
inline void AddItemReference(IConnectionPoint* item) {
  item->AddRef();
}
inline void ReleaseItemReference(IConnectionPoint* item) {
  item->Release();
}

template <class Enum, const IID& kIid, class Item>
class ListEnumerator final : public Enum, private ModuleObject {
 public:
  // Takes a reference to every item.
  explicit ListEnumerator(std::vector<Item> items, std::size_t position = 0)
      : items_(std::move(items)), position_(position) {
    for (const Item& item : items_) AddItemReference(item);
  }
  ~ListEnumerator() override {
    for (const Item& item : items_) ReleaseItemReference(item);
  }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (out == nullptr) return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, kIid)) {
      *out = static_cast<Enum*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return AddReference(); }
  ULONG STDMETHODCALLTYPE Release() override { return ReleaseReference(); }

  HRESULT STDMETHODCALLTYPE Next(ULONG count, Item* out, ULONG* fetched) override {
    if (out == nullptr || (count > 1 && fetched == nullptr)) return E_POINTER;
    ULONG done = 0;
    for (; done < count && position_ < items_.size(); ++done, ++position_) {
      out[done] = items_[position_];
      AddItemReference(out[done]);
    }
    if (fetched != nullptr) *fetched = done;
    return done == count ? S_OK : S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE Skip(ULONG count) override {
    const std::size_t left = items_.size() - position_;
    position_ += count < left ? count : left;
    return count <= left ? S_OK : S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE Reset() override {
    position_ = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Clone(Enum** out) override {
    if (out == nullptr) return E_POINTER;
    *out = new (std::nothrow) ListEnumerator(items_, position_);
    return *out != nullptr ? S_OK : E_OUTOFMEMORY;
  }

 private:
  std::vector<Item> items_;
  std::size_t position_;
};

using ConnectionEnumerator = ListEnumerator<IEnumConnections, IID_IEnumConnections, CONNECTDATA>;
using ConnectionPointEnumerator =
    ListEnumerator<IEnumConnectionPoints, IID_IEnumConnectionPoints, IConnectionPoint*>;

}  // namespace tandrel::com
