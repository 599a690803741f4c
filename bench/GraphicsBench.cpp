// The sprite batch's draw path on the device: 20 draw calls of 42 constant-instanced sprites
// (constants uploaded before each call), against the same 840 quads drawn by one fixed-function
// call from a filled buffer. Both end by reading the 64 x 32 back buffer, which waits for the
// rasteriser.
#include "Platform/Backend/Video.h"
#include "Platform/D3DX/D3DX9.h"
#include "Platform/Win32/Windows.h"

#include <benchmark/benchmark.h>
#include <cstring>
#include <string>
#include <vector>

namespace {

LRESULT CALLBACK BenchWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

const char* const kVS = "vs_2_0\ndcl_position v0\ndcl_color v1\ndcl_texcoord v2\ndcl_blendweight v3\n"
                        "mova a0.x, v3.x\n"
                        "dp4 r0.x, v0, c[a0.x + 0]\ndp4 r0.y, v0, c[a0.x + 1]\n"
                        "dp4 r0.z, v0, c[a0.x + 2]\ndp4 r0.w, v0, c[a0.x + 3]\n"
                        "dp4 oPos.x, r0, c0\ndp4 oPos.y, r0, c1\ndp4 oPos.z, r0, c2\ndp4 oPos.w, r0, c3\n"
                        "mul oD0, v1, c[a0.x + 4]\nmad oT0.xy, v2.xy, c[a0.x + 5].zw, c[a0.x + 5].xy\n";

struct Vertex {
    float x, y, z;
    DWORD color;
    float u, v;
};

// A hidden window, a 64 x 32 device and the objects of both draw paths.
struct Scene {
    HWND window = nullptr;
    IDirect3D9* d3d = nullptr;
    IDirect3DDevice9* device = nullptr;
    IDirect3DVertexBuffer9* quads = nullptr;
    IDirect3DVertexBuffer9* bases = nullptr;
    IDirect3DVertexBuffer9* plain = nullptr;
    IDirect3DVertexDeclaration9* decl = nullptr;
    IDirect3DVertexShader9* vs = nullptr;
    IDirect3DSurface9* back = nullptr;
    IDirect3DSurface9* copy = nullptr;
    std::vector<float> records;

    bool Init()
    {
        if (!BackendInitVideo())
            return false;
        WNDCLASSEXA wc = {};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = BenchWindowProc;
        wc.lpszClassName = "QmGraphicsBench";
        RegisterClassExA(&wc);
        window =
            CreateWindowExA(0, "QmGraphicsBench", "bench", WS_POPUP, 0, 0, 64, 32, nullptr, nullptr, nullptr, nullptr);
        d3d = Direct3DCreate9(D3D_SDK_VERSION);
        if (!window || !d3d)
            return false;
        D3DPRESENT_PARAMETERS pp = {};
        pp.BackBufferWidth = 64;
        pp.BackBufferHeight = 32;
        pp.BackBufferFormat = D3DFMT_X8R8G8B8;
        pp.SwapEffect = D3DSWAPEFFECT_DISCARD;
        pp.hDeviceWindow = window;
        pp.Windowed = TRUE;
        pp.EnableAutoDepthStencil = TRUE;
        pp.AutoDepthStencilFormat = D3DFMT_D16;
        if (FAILED(d3d->CreateDevice(0, D3DDEVTYPE_HAL, window, D3DCREATE_HARDWARE_VERTEXPROCESSING, &pp, &device)))
            return false;
        const Vertex tmpl[6] = {{-0.5f, -0.5f, 0, 0xFFFFFFFF, 0, 0}, {0.5f, -0.5f, 0, 0xFFFFFFFF, 1, 0},
                                {-0.5f, 0.5f, 0, 0xFFFFFFFF, 0, 1},  {-0.5f, 0.5f, 0, 0xFFFFFFFF, 0, 1},
                                {0.5f, -0.5f, 0, 0xFFFFFFFF, 1, 0},  {0.5f, 0.5f, 0, 0xFFFFFFFF, 1, 1}};
        std::vector<Vertex> q, p;
        std::vector<float> b;
        for (int n = 0; n < 42; ++n)
            for (const Vertex& v : tmpl) {
                q.push_back(v);
                b.push_back(static_cast<float>(4 + 6 * n));
            }
        for (int n = 0; n < 840; ++n)
            for (Vertex v : tmpl) {
                v.x = v.x * 4 + static_cast<float>(n % 16) * 4 + 2;
                v.y = v.y * 4 + static_cast<float>((n / 16) % 8) * 4 + 2;
                v.z = 1;
                p.push_back(v);
            }
        quads = Fill(q.data(), q.size() * sizeof(Vertex));
        bases = Fill(b.data(), b.size() * 4);
        plain = Fill(p.data(), p.size() * sizeof(Vertex));
        const D3DVERTEXELEMENT9 elements[] = {{0, 0, D3DDECLTYPE_FLOAT3, 0, D3DDECLUSAGE_POSITION, 0},
                                              {0, 12, D3DDECLTYPE_D3DCOLOR, 0, D3DDECLUSAGE_COLOR, 0},
                                              {0, 16, D3DDECLTYPE_FLOAT2, 0, D3DDECLUSAGE_TEXCOORD, 0},
                                              {1, 0, D3DDECLTYPE_FLOAT1, 0, D3DDECLUSAGE_BLENDWEIGHT, 0},
                                              D3DDECL_END()};
        device->CreateVertexDeclaration(elements, &decl);
        LPD3DXBUFFER code = nullptr;
        if (FAILED(D3DXAssembleShader(kVS, static_cast<UINT>(std::strlen(kVS)), nullptr, nullptr, 0, &code, nullptr)))
            return false;
        device->CreateVertexShader(static_cast<const DWORD*>(code->GetBufferPointer()), &vs);
        code->Release();
        for (int n = 0; n < 42; ++n) {
            const float x = static_cast<float>(n % 16) * 4 + 2, y = static_cast<float>(n / 16) * 4 + 2;
            const float r[24] = {4, 0, 0, x, 0, 4, 0, y, 0, 0, 1, 1, 0, 0, 0, 1, 1, 1, 1, 1, 0, 0, 0, 0};
            records.insert(records.end(), r, r + 24);
        }
        device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &back);
        device->CreateOffscreenPlainSurface(64, 32, D3DFMT_X8R8G8B8, D3DPOOL_SYSTEMMEM, &copy, nullptr);
        return vs && decl && back && copy;
    }

    IDirect3DVertexBuffer9* Fill(const void* data, size_t bytes)
    {
        IDirect3DVertexBuffer9* vb = nullptr;
        device->CreateVertexBuffer(static_cast<UINT>(bytes), D3DUSAGE_WRITEONLY, 0, D3DPOOL_DEFAULT, &vb, nullptr);
        void* p = nullptr;
        vb->Lock(0, 0, &p, 0);
        std::memcpy(p, data, bytes);
        vb->Unlock();
        return vb;
    }

    void Wait() { device->GetRenderTargetData(back, copy); }

    ~Scene()
    {
        for (IUnknown* u : std::initializer_list<IUnknown*>{copy, back, vs, decl, plain, bases, quads, device, d3d})
            if (u)
                u->Release();
        if (window)
            DestroyWindow(window);
        BackendShutdownVideo();
    }
};

const float kProjection[16] = {2.0f / 64, 0, 0, -1, 0, -2.0f / 32, 0, 1, 0, 0, 0.01001f, -0.001001f, 0, 0, 0, 1};

void BM_SpriteBatchDraws(benchmark::State& state)
{
    Scene scene;
    if (!scene.Init()) {
        state.SkipWithError("no device");
        return;
    }
    IDirect3DDevice9* d = scene.device;
    for (auto _ : state) {
        d->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
        d->SetVertexShaderConstantF(0, kProjection, 4);
        d->SetVertexDeclaration(scene.decl);
        d->SetVertexShader(scene.vs);
        d->SetPixelShader(nullptr);
        d->SetStreamSource(0, scene.quads, 0, sizeof(Vertex));
        d->SetStreamSource(1, scene.bases, 0, 4);
        for (int call = 0; call < 20; ++call) {
            d->SetVertexShaderConstantF(4, scene.records.data(), 252);
            d->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 84);
        }
        scene.Wait();
    }
    state.SetItemsProcessed(state.iterations() * 840);
}
BENCHMARK(BM_SpriteBatchDraws)->Unit(benchmark::kMicrosecond);

void BM_SpriteBatchDraws_Baseline(benchmark::State& state)
{
    Scene scene;
    if (!scene.Init()) {
        state.SkipWithError("no device");
        return;
    }
    IDirect3DDevice9* d = scene.device;
    D3DXMATRIX view, proj, world = {};
    D3DXVECTOR3 eye{0, 0, 0}, at{0, 0, 1}, up{0, 1, 0};
    D3DXMatrixLookAtLH(&view, &eye, &at, &up);
    D3DXMatrixOrthoOffCenterLH(&proj, 0, 64, 32, 0, 0.1f, 100);
    world._11 = world._22 = world._33 = world._44 = 1;
    for (auto _ : state) {
        d->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
        d->SetVertexDeclaration(nullptr);
        d->SetVertexShader(nullptr);
        d->SetFVF(D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX1);
        d->SetTransform(D3DTS_WORLD, &world);
        d->SetTransform(D3DTS_VIEW, &view);
        d->SetTransform(D3DTS_PROJECTION, &proj);
        d->SetStreamSource(0, scene.plain, 0, sizeof(Vertex));
        d->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 1680);
        scene.Wait();
    }
    state.SetItemsProcessed(state.iterations() * 840);
}
BENCHMARK(BM_SpriteBatchDraws_Baseline)->Unit(benchmark::kMicrosecond);

} // namespace
