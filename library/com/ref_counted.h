// The IUnknown half of this library's own heap objects: an atomic reference
// count, the object deleted with its last reference.
#pragma once

#include <atomic>

#include "vendral/com_base.h"

namespace vendral::com {

// AddRef and Release for every interface the object derives from; the object
// writes its own QueryInterface.
template <class... Interfaces>
class RefCounted : public Interfaces... {
  public:
    ULONG VENDRAL_COM_CALL AddRef() override { return references_.fetch_add(1) + 1; }
    ULONG VENDRAL_COM_CALL Release() override {
        ULONG left = references_.fetch_sub(1) - 1;
        if (left == 0) delete this;
        return left;
    }

  protected:
    RefCounted() = default;
    // Virtual, after the interfaces' entries, so that Release deletes the object itself.
    virtual ~RefCounted() = default;

  private:
    std::atomic<ULONG> references_{1};
};

// An object with one interface besides IUnknown.
template <class Interface, const IID& InterfaceId>
class SingleInterface : public RefCounted<Interface> {
  public:
    HRESULT VENDRAL_COM_CALL QueryInterface(const IID& iid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (!(iid == IID_IUnknown || iid == InterfaceId)) return E_NOINTERFACE;
        this->AddRef();
        *out = static_cast<Interface*>(this);
        return S_OK;
    }
};

}  // namespace vendral::com
