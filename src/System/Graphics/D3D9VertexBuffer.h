// Byte buffers for drawing: the rendering-buffer interface, vertex buffers, and the Direct3D
// vertex buffer that keeps a system-memory copy of its contents (uploaded on unlock, and
// again after a device reset).
#pragma once

#include "System/Graphics/D3D9Resource.h"
#include "System/Graphics/RenderSystem.h"

#include <cstdint>
#include <vector>

class IRenderingBuffer {
  public:
    explicit IRenderingBuffer(uint32_t size) : m_nSize(size) {}
    virtual ~IRenderingBuffer() = default;

    virtual void* LockAll(int32_t mode);
    // Null (and logged) for a range outside the buffer.
    virtual void* Lock(uint32_t offset, uint32_t size, int32_t mode);
    virtual void Unlock();
    virtual void Read(uint32_t offset, uint32_t size, void* destination) = 0;
    virtual void Write(uint32_t offset, uint32_t size, const void* source) = 0;
    virtual void CopyFrom(IRenderingBuffer* other);
    virtual void CopyRange(IRenderingBuffer* other, uint32_t sourceOffset, uint32_t destinationOffset, uint32_t size);
    virtual void* LockRange(uint32_t offset, uint32_t size, int32_t mode) = 0;
    virtual void UnlockRange() = 0;

    uint32_t GetSize() const { return m_nSize; }
    bool IsLocked() const { return m_bLocked; }

  protected:
    bool InRange(uint32_t offset, uint32_t size) const { return offset <= m_nSize && size <= m_nSize - offset; }

    uint32_t m_nSize;
    uint32_t m_nLockOffset = 0;
    uint32_t m_nLockSize = 0;
    bool m_bLocked = false;
};

class IVertexBuffer : public IRenderingBuffer {
  public:
    IVertexBuffer(uint32_t elementSize, uint32_t elementCount)
        : IRenderingBuffer(elementSize * elementCount), m_nElementSize(elementSize), m_nElementCount(elementCount)
    {
    }
    uint32_t GetElementSize() const { return m_nElementSize; }
    uint32_t GetElementCount() const { return m_nElementCount; }

  protected:
    uint32_t m_nElementSize;
    uint32_t m_nElementCount;
};

class D3D9VertexBuffer : public IVertexBuffer, public D3D9Resource {
  public:
    // Usage flags eBufferUsage_Dynamic and eBufferUsage_WriteOnly; the Direct3D buffer is made at once.
    D3D9VertexBuffer(uint32_t elementSize, uint32_t elementCount, uint32_t usage, bool systemMemory);
    ~D3D9VertexBuffer() override;

    void Read(uint32_t offset, uint32_t size, void* destination) override;
    void Write(uint32_t offset, uint32_t size, const void* source) override;
    void* LockRange(uint32_t offset, uint32_t size, int32_t mode) override;
    void UnlockRange() override;
    void OnDeviceLost(IDirect3DDevice9* device) override;
    void OnDeviceReset(IDirect3DDevice9* device) override;

    IDirect3DVertexBuffer9* GetD3DBuffer() const { return m_pBuffer; }
    bool IsSystemMemory() const { return m_bSystemMemory; }

  private:
    void CreateBuffer(IDirect3DDevice9* device);

    uint32_t m_nUsage;
    bool m_bSystemMemory;
    IDirect3DVertexBuffer9* m_pBuffer = nullptr;
    D3DPOOL m_ePool;
    uint32_t m_nDirtyOffset = 0;
    uint32_t m_nDirtySize = 0;
    int32_t m_nLastWriteMode = eLockMode_Write;
    std::vector<uint8_t> m_Shadow;
};
