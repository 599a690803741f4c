#include "System/Graphics/D3D9VertexBuffer.h"

#include "System/Common/Log.h"
#include "System/Graphics/D3D9RenderSystem.h"

#include <algorithm>
#include <cstring>

void* IRenderingBuffer::LockAll(int32_t mode)
{
    return Lock(0, m_nSize, mode);
}

void* IRenderingBuffer::Lock(uint32_t offset, uint32_t size, int32_t mode)
{
    if (!InRange(offset, size)) {
        LOG_ERROR << "Buffer lock of " << size << " bytes at " << offset << " outside its " << m_nSize << " bytes";
        return nullptr;
    }
    void* p = LockRange(offset, size, mode);
    m_nLockOffset = offset;
    m_nLockSize = size;
    m_bLocked = true;
    return p;
}

void IRenderingBuffer::Unlock()
{
    UnlockRange();
    m_bLocked = false;
}

void IRenderingBuffer::CopyFrom(IRenderingBuffer* other)
{
    CopyRange(other, 0, 0, std::min(GetSize(), other->GetSize()));
}

void IRenderingBuffer::CopyRange(IRenderingBuffer* other, uint32_t sourceOffset, uint32_t destinationOffset,
                                 uint32_t size)
{
    const void* source = other->Lock(sourceOffset, size, eLockMode_ReadOnly);
    if (!source)
        return;
    Write(destinationOffset, size, source);
    other->Unlock();
}

D3D9VertexBuffer::D3D9VertexBuffer(uint32_t elementSize, uint32_t elementCount, uint32_t usage, bool systemMemory)
    : IVertexBuffer(elementSize, elementCount), m_nUsage(usage), m_bSystemMemory(systemMemory),
      m_ePool(systemMemory ? D3DPOOL_SYSTEMMEM : D3DPOOL_DEFAULT), m_Shadow(m_nSize, 0)
{
    CreateBuffer(GetD3DDevice());
}

D3D9VertexBuffer::~D3D9VertexBuffer()
{
    SafeRelease(m_pBuffer);
}

void D3D9VertexBuffer::CreateBuffer(IDirect3DDevice9* device)
{
    if (!device || m_nSize == 0)
        return;
    DWORD usage = 0;
    if (m_nUsage & eBufferUsage_Dynamic)
        usage |= D3DUSAGE_DYNAMIC;
    if (m_nUsage & eBufferUsage_WriteOnly)
        usage |= D3DUSAGE_WRITEONLY;
    if (FAILED(device->CreateVertexBuffer(m_nSize, usage, 0, m_ePool, &m_pBuffer, nullptr))) {
        LOG_ERROR << "Vertex buffer of " << m_nSize << " bytes could not be created";
        m_pBuffer = nullptr;
    }
}

void* D3D9VertexBuffer::LockRange(uint32_t offset, uint32_t size, int32_t mode)
{
    if (mode != eLockMode_ReadOnly) {
        m_nDirtyOffset = offset;
        m_nDirtySize = size;
        m_nLastWriteMode = mode;
    }
    return m_Shadow.data() + offset;
}

void D3D9VertexBuffer::UnlockRange()
{
    if (m_nDirtySize == 0)
        return;
    if (m_pBuffer) {
        const bool dynamic = (m_nUsage & eBufferUsage_Dynamic) != 0;
        DWORD flags = 0;
        if (dynamic && m_nLastWriteMode == eLockMode_Discard)
            flags = D3DLOCK_DISCARD;
        else if (dynamic && m_nLastWriteMode == eLockMode_NoOverwrite)
            flags = D3DLOCK_NOOVERWRITE;
        void* p = nullptr;
        if (SUCCEEDED(m_pBuffer->Lock(m_nDirtyOffset, m_nDirtySize, &p, flags))) {
            std::memcpy(p, m_Shadow.data() + m_nDirtyOffset, m_nDirtySize);
            m_pBuffer->Unlock();
        }
    }
    m_nDirtyOffset = m_nDirtySize = 0;
}

void D3D9VertexBuffer::Read(uint32_t offset, uint32_t size, void* destination)
{
    const void* p = Lock(offset, size, eLockMode_ReadOnly);
    if (!p)
        return;
    std::memcpy(destination, p, size);
    Unlock();
}

void D3D9VertexBuffer::Write(uint32_t offset, uint32_t size, const void* source)
{
    void* p = Lock(offset, size, eLockMode_Write);
    if (!p)
        return;
    std::memcpy(p, source, size);
    Unlock();
}

void D3D9VertexBuffer::OnDeviceLost(IDirect3DDevice9*)
{
    SafeRelease(m_pBuffer);
}

void D3D9VertexBuffer::OnDeviceReset(IDirect3DDevice9* device)
{
    CreateBuffer(device);
    Lock(0, m_nSize, eLockMode_Write);
    Unlock();
}
