// The COM basics the platform layer uses: GUIDs, result codes and the reference-counted
// IUnknown base of every interface made through CoCreateInstance.
#pragma once

#include <atomic>
#include <cstring>

#include "Platform/COM/ComApartment.h"
#include "Platform/Win32/WinTypes.h"

#ifndef QM_GUID_DEFINED
#define QM_GUID_DEFINED
struct GUID {
    DWORD Data1;
    WORD Data2;
    WORD Data3;
    BYTE Data4[8];
};
inline bool operator==(const GUID& a, const GUID& b) { return std::memcmp(&a, &b, sizeof(GUID)) == 0; }
inline bool operator!=(const GUID& a, const GUID& b) { return !(a == b); }
typedef GUID IID;
typedef GUID CLSID;
typedef const GUID& REFGUID;
typedef const IID& REFIID;
typedef const CLSID& REFCLSID;
#endif

#ifndef REGDB_E_CLASSNOTREG
#define REGDB_E_CLASSNOTREG static_cast<HRESULT>(0x80040154u)
#define CLASS_E_NOAGGREGATION static_cast<HRESULT>(0x80040110u)
#endif

#define CLSCTX_INPROC_SERVER 0x1

#ifndef QM_IUNKNOWN_DEFINED
#define QM_IUNKNOWN_DEFINED
extern const IID IID_IUnknown;

class IUnknown {
public:
    virtual HRESULT QueryInterface(REFIID riid, void** ppvObject) = 0;
    virtual ULONG AddRef() = 0;
    virtual ULONG Release() = 0;

protected:
    ~IUnknown() = default;
};
#endif

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
    virtual ~ComObject() = default;

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
