#include "System/Common/Random.h"

#include <algorithm>

uint32_t g_aRandomPool[kRandomPoolSize];
uint32_t g_nRandomPoolIndex = kRandomPoolSize;

namespace {

constexpr int kN = 5; // 128-bit words
constexpr int kPos1 = 2;
constexpr int kSl1 = 15;
constexpr int kSl2 = 3; // bytes
constexpr int kSr1 = 13;
constexpr int kSr2 = 3; // bytes
constexpr uint32_t kMask[4] = {0xFDFF37FFu, 0xEF7F3F7Du, 0xFF777B7Du, 0x7FF7FB2Fu};
constexpr uint32_t kParity[4] = {0x00000001u, 0x00000000u, 0x00000000u, 0x5986F054u};

// w x K lies in [0, 1], reaching 1 only for 0xFFFFFFFF.
constexpr double kUnit = 1.0 / 4294967296.0 + 1.0 / 18446744073709551616.0;

void ShiftLeft128(uint32_t out[4], const uint32_t in[4], int bytes)
{
    uint64_t th = (uint64_t(in[3]) << 32) | in[2];
    uint64_t tl = (uint64_t(in[1]) << 32) | in[0];
    uint64_t oh = (th << (bytes * 8)) | (tl >> (64 - bytes * 8));
    uint64_t ol = tl << (bytes * 8);
    out[0] = uint32_t(ol);
    out[1] = uint32_t(ol >> 32);
    out[2] = uint32_t(oh);
    out[3] = uint32_t(oh >> 32);
}

void ShiftRight128(uint32_t out[4], const uint32_t in[4], int bytes)
{
    uint64_t th = (uint64_t(in[3]) << 32) | in[2];
    uint64_t tl = (uint64_t(in[1]) << 32) | in[0];
    uint64_t oh = th >> (bytes * 8);
    uint64_t ol = (tl >> (bytes * 8)) | (th << (64 - bytes * 8));
    out[0] = uint32_t(ol);
    out[1] = uint32_t(ol >> 32);
    out[2] = uint32_t(oh);
    out[3] = uint32_t(oh >> 32);
}

void Recursion(uint32_t r[4], const uint32_t a[4], const uint32_t b[4], const uint32_t c[4], const uint32_t d[4])
{
    uint32_t x[4], y[4];
    ShiftLeft128(x, a, kSl2);
    ShiftRight128(y, c, kSr2);
    for (int k = 0; k < 4; ++k)
        r[k] = a[k] ^ x[k] ^ ((b[k] >> kSr1) & kMask[k]) ^ y[k] ^ (d[k] << kSl1);
}

} // namespace

void SfmtInit(uint32_t seed)
{
    uint32_t* w = g_aRandomPool;
    w[0] = seed;
    for (uint32_t i = 1; i < kRandomPoolSize; ++i)
        w[i] = 1812433253u * (w[i - 1] ^ (w[i - 1] >> 30)) + i;
    g_nRandomPoolIndex = kRandomPoolSize;

    // Period certification.
    uint32_t inner = 0;
    for (int i = 0; i < 4; ++i)
        inner ^= w[i] & kParity[i];
    for (int shift = 16; shift > 0; shift >>= 1)
        inner ^= inner >> shift;
    if ((inner & 1) == 0) {
        for (int i = 0; i < 4; ++i) {
            for (int bit = 0; bit < 32; ++bit) {
                if (kParity[i] & (1u << bit)) {
                    w[i] ^= 1u << bit;
                    return;
                }
            }
        }
    }
}

void SfmtRefill()
{
    uint32_t (*W)[4] = reinterpret_cast<uint32_t (*)[4]>(g_aRandomPool);
    const uint32_t* r1 = W[kN - 2];
    const uint32_t* r2 = W[kN - 1];
    for (int i = 0; i < kN; ++i) {
        Recursion(W[i], W[i], W[(i + kPos1) % kN], r1, r2);
        r1 = r2;
        r2 = W[i];
    }
}

uint32_t RandomNext()
{
    if (g_nRandomPoolIndex > kRandomPoolSize - 1) {
        SfmtRefill();
        g_nRandomPoolIndex = 0;
    }
    return g_aRandomPool[g_nRandomPoolIndex++];
}

bool RandomChance(int32_t percent)
{
    return static_cast<int32_t>(RandomNext() % 100u) < percent;
}

float RandomFloat(float a, float b)
{
    float lo = static_cast<double>(a) < static_cast<double>(b) ? a : b;
    float hi = static_cast<double>(a) < static_cast<double>(b) ? b : a;
    double unit = static_cast<double>(RandomNext()) * kUnit;
    // Only the product is rounded to float: a span rounded on its own loses the last bit of
    // wide ranges and overflows to infinity for the widest.
    double span = static_cast<double>(hi) - static_cast<double>(lo);
    float offset = static_cast<float>(span * unit);
    return lo + offset;
}

uint32_t RandomUIntRange(uint32_t a, uint32_t b)
{
    uint32_t lo = std::min(a, b);
    uint32_t hi = std::max(a, b);
    double product = static_cast<double>(RandomNext()) * kUnit * static_cast<double>(hi - lo);
    return lo + static_cast<uint32_t>(product);
}

int32_t RandomIntRange(int32_t a, int32_t b)
{
    int32_t lo = std::min(a, b);
    int32_t hi = std::max(a, b);
    // The span in 64 bits: a 32-bit difference overflows for ranges wider than INT_MAX.
    int64_t span = static_cast<int64_t>(hi) - static_cast<int64_t>(lo);
    double product = static_cast<double>(RandomNext()) * kUnit * static_cast<double>(span);
    // An out-of-range truncation yields the integer-indefinite value, as the hardware does.
    int32_t offset = (product >= 2147483648.0 || product < -2147483648.0 || product != product)
                         ? INT32_MIN
                         : static_cast<int32_t>(product);
    return static_cast<int32_t>(static_cast<uint32_t>(lo) + static_cast<uint32_t>(offset));
}
