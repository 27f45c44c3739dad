#include "property_page.h"

#include <cwchar>
#include <new>
#include <string>

#include "identity.h"

namespace tandrel::com {
namespace {

INT_PTR CALLBACK DialogProc(HWND, UINT message, WPARAM, LPARAM) {
  return message == WM_INITDIALOG ? TRUE : FALSE;
}

HWND CreatePageDialog(HWND parent) {
  return ::CreateDialogParamW(ModuleInstance(), MAKEINTRESOURCEW(identity::kPropPageDialogResource),
                              parent, &DialogProc, 0);
}

}  // namespace

HRESULT CTandrelPropPage::Create(REFIID iid, void** out) {
  auto* page = new (std::nothrow) CTandrelPropPage;
  if (page == nullptr) return E_OUTOFMEMORY;
  const HRESULT hr = page->QueryInterface(iid, out);
  page->Release();
  return hr;
}

CTandrelPropPage::~CTandrelPropPage() {
  if (dialog_ != nullptr) ::DestroyWindow(dialog_);
  ReleaseObjects();
  if (site_ != nullptr) site_->Release();
}

void CTandrelPropPage::ReleaseObjects() {
  for (IUnknown* object : objects_) object->Release();
  objects_.clear();
}

HRESULT CTandrelPropPage::QueryInterface(REFIID iid, void** out) {
  return QueryOneInterface(static_cast<IPropertyPage*>(this), IID_IPropertyPage, iid, out);
}

HRESULT CTandrelPropPage::SetPageSite(IPropertyPageSite* site) {
  if (site != nullptr) site->AddRef();
  if (site_ != nullptr) site_->Release();
  site_ = site;
  return S_OK;
}

HRESULT CTandrelPropPage::Activate(HWND parent, LPCRECT rect, BOOL) {
  if (dialog_ != nullptr) return E_UNEXPECTED;
  dialog_ = CreatePageDialog(parent);
  if (dialog_ == nullptr) return E_FAIL;
  if (rect != nullptr) Move(rect);
  return S_OK;
}

HRESULT CTandrelPropPage::Deactivate() {
  if (dialog_ == nullptr) return E_UNEXPECTED;
  ::DestroyWindow(dialog_);
  dialog_ = nullptr;
  return S_OK;
}

HRESULT CTandrelPropPage::GetPageInfo(PROPPAGEINFO* info) {
  if (info == nullptr) return E_POINTER;
  // The size is the dialog's in pixels, which only a live dialog knows from its font.
  const HWND measured = CreatePageDialog(::GetDesktopWindow());
  if (measured == nullptr) return E_FAIL;
  RECT size{0, 0, identity::kPropPageDialogWidth, identity::kPropPageDialogHeight};
  ::MapDialogRect(measured, &size);
  ::DestroyWindow(measured);

  *info = PROPPAGEINFO{};
  info->cb = sizeof(PROPPAGEINFO);
  info->pszTitle = ResourceTaskText(identity::kIdsTandrelPpgCaption.id);
  if (info->pszTitle == nullptr) return E_OUTOFMEMORY;
  info->size = SIZE{size.right - size.left, size.bottom - size.top};
  return S_OK;
}

HRESULT CTandrelPropPage::SetObjects(ULONG count, IUnknown** objects) {
  if (count > 0 && objects == nullptr) return E_POINTER;
  ReleaseObjects();
  try {
    for (ULONG i = 0; i < count; ++i) {
      if (objects[i] == nullptr) continue;
      objects_.push_back(objects[i]);
      objects[i]->AddRef();
    }
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
  return S_OK;
}

HRESULT CTandrelPropPage::Show(UINT command) {
  if (dialog_ == nullptr) return E_UNEXPECTED;
  ::ShowWindow(dialog_, static_cast<int>(command));
  return S_OK;
}

HRESULT CTandrelPropPage::Move(LPCRECT rect) {
  if (rect == nullptr) return E_POINTER;
  if (dialog_ == nullptr) return E_UNEXPECTED;
  ::MoveWindow(dialog_, rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top,
               TRUE);
  return S_OK;
}

HRESULT CTandrelPropPage::IsPageDirty() {
  return S_FALSE;
}

HRESULT CTandrelPropPage::Apply() {
  return S_OK;
}

HRESULT CTandrelPropPage::Help(LPCOLESTR) {
  return E_NOTIMPL;
}

HRESULT CTandrelPropPage::TranslateAccelerator(MSG*) {
  return S_FALSE;
}

}  // namespace tandrel::com
