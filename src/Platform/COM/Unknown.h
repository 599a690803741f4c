// The COM base the platform's interfaces derive from: IUnknown with an atomic reference count.
#pragma once

#include <atomic>
#include <cstring>

#include "Platform/COM/ComApartment.h"
#include "Platform/Win32/WinTypes.h"

#ifndef GUID_DEFINED
#define GUID_DEFINED
struct GUID {
    uint32_t Data1;
    uint16_t Data2;
    uint16_t Data3;
    uint8_t Data4[8];
};
inline bool operator==(const GUID& a, const GUID& b) { return std::memcmp(&a, &b, sizeof(GUID)) == 0; }
typedef GUID IID;
#define REFIID const IID&
#define REFGUID const GUID&
#endif

struct IUnknown {
    virtual HRESULT QueryInterface(REFIID riid, void** ppvObject) = 0;
    virtual ULONG AddRef() = 0;
    virtual ULONG Release() = 0;

protected:
    virtual ~IUnknown() = default;
};

// Reference counting for one interface: the object deletes itself on the last Release.
// QueryInterface answers only for the object itself, which is all the platform's callers ask.
template <class Interface>
class ComObject : public Interface {
public:
    HRESULT QueryInterface(REFIID, void** ppvObject) override
    {
        if (!ppvObject)
            return E_POINTER;
        *ppvObject = this;
        AddRef();
        return S_OK;
    }
    ULONG AddRef() override { return ++m_nRefs; }
    ULONG Release() override
    {
        ULONG left = --m_nRefs;
        if (left == 0)
            delete this;
        return left;
    }

protected:
    ComObject() = default;
    ~ComObject() override = default;

private:
    std::atomic<ULONG> m_nRefs{1};
};

// Releases an interface pointer and clears it.
template <class T>
inline void SafeRelease(T*& p)
{
    if (p) {
        p->Release();
        p = nullptr;
    }
}
