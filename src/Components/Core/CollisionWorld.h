// Finds which colliders touch and tells them: one proxy per attached collider in a linear
// quadtree over the stage, pairs whose boxes overlap and whose layers accept each other, a
// narrow-phase test per pair of shape kinds, and contact records kept across frames that raise
// enter, stay and exit on both sides. It also holds the stage bounds and answers box queries.
#pragma once

#include <cstddef>
#include <cstdint>
#include <unordered_map>
#include <utility>
#include <vector>

class Collider;
class GameObj;
class Kinematics;
class SegmentCollider;

// A box by its centre and half extents, in world units (y up).
struct WorldBox {
    float cx;
    float cy;
    float hw;
    float hh;
};

// What a contact report carries, seen from the receiving side. It lives only during the call.
struct CollisionInfo {
    GameObj* other;
    float pointX; // own point
    float pointY;
    float vectorX; // own vector
    float vectorY;
    float otherPointX;
    float otherPointY;
    float otherVectorX;
    float otherVectorY;
};

struct CollisionProxy {
    Collider* collider = nullptr;
    int32_t cell = -1; // -1: in no cell
    CollisionProxy* prev = nullptr; // neighbours in the cell's list
    CollisionProxy* next = nullptr;
    WorldBox box = {};
    // Neighbours in creation order: the order of the update walk.
    CollisionProxy* olderProxy = nullptr;
    CollisionProxy* newerProxy = nullptr;
};

struct QuadtreeCell {
    CollisionProxy* head;
    float cx;
    float cy;
    float hw;
    float hh;
};

// Cells in one flat array indexed by level and Morton code; a cell exists only where a proxy
// lives or below one that does.
class LinearQuadtree {
public:
    LinearQuadtree() = default;
    LinearQuadtree(const LinearQuadtree&) = delete;
    LinearQuadtree& operator=(const LinearQuadtree&) = delete;
    ~LinearQuadtree() { Reset(); }

    // Deletes every cell; no proxy can be inserted until the next Setup. Proxies still linked
    // to a deleted cell must be unlinked by the caller first.
    void Reset();
    // An empty tree of levels 0..deepest over the area.
    void Setup(int32_t deepestLevel, float originX, float originY, float width, float height);

    // Moves the proxy to the smallest cell holding its box (the root for a box reaching the far
    // edge). Without a tree of positive size, the proxy stays where it was; a box with a
    // non-finite coordinate is taken out of the tree. True when the proxy is in a cell after.
    bool Insert(CollisionProxy* proxy);
    void Unlink(CollisionProxy* proxy);

    // Every overlapping pair of proxies whose layers accept each other, as colliders (n, m):
    // depth first, each cell against itself and its ancestors. Appends to the list.
    void CollectPairs(std::vector<std::pair<Collider*, Collider*>>& out);
    // The colliders whose layer meets the mask and whose box overlaps the query box, in walk
    // order. Appends to the list.
    void Query(const WorldBox& box, uint32_t layerMask, std::vector<Collider*>& out) const;

    bool HasRoot() const { return m_nCellCount > 0 && m_ppCells[0] != nullptr; }
    int32_t GetCellCount() const { return m_nCellCount; }
    int32_t GetDeepestLevel() const { return m_nDeepestLevel; }
    float GetWidth() const { return m_fWidth; }
    float GetHeight() const { return m_fHeight; }
    const QuadtreeCell* GetCell(int32_t index) const
    {
        return index >= 0 && index < m_nCellCount ? m_ppCells[index] : nullptr;
    }
    // The cell index a box would go to, or -1 when it would stay out; no cell is created.
    int32_t CellIndexFor(const WorldBox& box) const;

private:
    void CreateCell(int32_t index);
    void WalkPairs(int32_t cell, std::vector<std::pair<Collider*, Collider*>>& out);
    void QueryCell(int32_t cell, const WorldBox& box, uint32_t layerMask, std::vector<Collider*>& out) const;

    QuadtreeCell** m_ppCells = nullptr;
    int32_t m_nCellCount = 0;
    int32_t m_nDeepestLevel = 0;
    int32_t m_nDimensionBits = 0;
    float m_fOriginX = 0.0f;
    float m_fOriginY = 0.0f;
    float m_fWidth = 0.0f;
    float m_fHeight = 0.0f;
    std::vector<int32_t> m_Stack; // the walk's path from the root
};

enum ContactState : uint32_t {
    eContactState_None = 0,
    eContactState_Enter = 1,
    eContactState_Exit = 2,
    eContactState_Stay = 3,
};

struct ContactRecord {
    Collider* a = nullptr;
    Collider* b = nullptr;
    uint32_t state = eContactState_None;
    float pointA[2] = {};
    float pointB[2] = {};
    float vectorA[2] = {};
    float vectorB[2] = {};
    bool removed = false; // a collider of the pair left the world during delivery

    // The narrow phase by the two shape kinds; may swap a and b (the swap is kept). Clears the
    // eight data floats first.
    bool Test();
};

// Circles A and B moving at vA and vB (units per second): touching now or within one second of
// the present relative motion; t is the time of contact in seconds.
bool TestCircleCircle(float ax, float ay, float ar, float bx, float by, float br, float vax, float vay, float vbx,
    float vby, float& t);

// A moving body's box against a terrain segment: touching fills the record's point B (where the
// body must stand) and vector B (its velocity after standing there).
bool TestSegmentContact(const SegmentCollider& segment, const Kinematics& body, const WorldBox& box, float localX,
    float localY, ContactRecord& record);

struct StageBounds {
    float minX;
    float minY;
    float maxX;
    float maxY;
};

// What a stage has before a generator sizes it: one area, so the clamp and the camera never
// read unset bounds.
constexpr StageBounds kDefaultStageBounds = {0.0f, 0.0f, 1024.0f, 2000.0f};

class CollisionWorld {
public:
    // The process-wide world, made on first call.
    static CollisionWorld* Create();
    static void Destroy();

    CollisionWorld();
    CollisionWorld(const CollisionWorld&) = delete;
    CollisionWorld& operator=(const CollisionWorld&) = delete;
    ~CollisionWorld();

    // Drops every record (no exit is reported) and every proxy, and resets the tree.
    void Clear();
    // A proxy for a newly attached collider, out of the tree until its first insert.
    CollisionProxy* AddProxy(Collider* collider);
    CollisionProxy* FindProxy(const Collider* collider) const;
    // Drops the collider's records without exit and its proxy. During delivery, the records stay
    // in the list, marked, until the walk ends, and the collider receives nothing more.
    void Remove(Collider* collider);

    // The per-frame pass: update the live proxies, pair, test, and deliver.
    void Step();
    // Moves the body out of the bodies its collider overlaps (bounding circles).
    void PushOut(Kinematics& kinematics);

    // A new empty tree (a stage generator sizes it for its row of areas); every proxy leaves
    // the old one first, so none keeps a place in a deleted cell.
    void SetupTree(int32_t deepestLevel, float originX, float originY, float width, float height);
    LinearQuadtree& GetTree() { return m_Tree; }
    const StageBounds& GetStageBounds() const { return m_StageBounds; }
    void SetStageBounds(const StageBounds& bounds) { m_StageBounds = bounds; }
    const std::vector<ContactRecord*>& GetContacts() const { return m_Contacts; }
    size_t GetProxyCount() const { return m_Proxies.size(); }
    // The pairs the last step's broad phase found.
    const std::vector<std::pair<Collider*, Collider*>>& GetPairs() const { return m_Pairs; }

    // The step's parts, for timing and for the broad-phase comparison.
    void UpdateProxies();
    void CollectPairs();
    // Every overlapping accepted pair by testing all proxies against each other, in creation
    // order; the same filter as the tree's.
    void CollectPairsBruteForce();
    void MatchPairs();
    void Deliver();

private:
    struct PairKey {
        const Collider* lo;
        const Collider* hi;
        bool operator==(const PairKey&) const = default;
    };
    struct PairHash {
        size_t operator()(const PairKey& k) const;
    };
    static PairKey KeyOf(const Collider* a, const Collider* b);
    void DeleteRecord(ContactRecord* record);

    LinearQuadtree m_Tree;
    std::unordered_map<const Collider*, CollisionProxy*> m_Proxies;
    CollisionProxy* m_pOldestProxy = nullptr;
    CollisionProxy* m_pNewestProxy = nullptr;
    std::vector<ContactRecord*> m_Contacts;
    // The record of each unordered pair in the list: matching a pair is one look-up.
    std::unordered_map<PairKey, ContactRecord*, PairHash> m_ContactIndex;
    StageBounds m_StageBounds;
    std::vector<std::pair<Collider*, Collider*>> m_Pairs;
    std::vector<Collider*> m_Found;
    bool m_bDelivering = false;
};

extern CollisionWorld* g_pCollisionWorld;
