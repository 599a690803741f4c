#include "Components/Core/CollisionWorld.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>

#include "Components/Core/Collider.h"
#include "Components/Core/Kinematics.h"
#include "World/GameObj.h"

CollisionWorld* g_pCollisionWorld = nullptr;

namespace {

// Spreads the low 16 bits to the even bit positions.
uint32_t SpreadBits(uint32_t v)
{
    v &= 0x0000FFFFu;
    v = (v | (v << 8)) & 0x00FF00FFu;
    v = (v | (v << 4)) & 0x0F0F0F0Fu;
    v = (v | (v << 2)) & 0x33333333u;
    v = (v | (v << 1)) & 0x55555555u;
    return v;
}

uint32_t CompactBits(uint32_t v)
{
    v &= 0x55555555u;
    v = (v | (v >> 1)) & 0x33333333u;
    v = (v | (v >> 2)) & 0x0F0F0F0Fu;
    v = (v | (v >> 4)) & 0x00FF00FFu;
    v = (v | (v >> 8)) & 0x0000FFFFu;
    return v;
}

uint32_t MortonCode(uint32_t x, uint32_t y) { return SpreadBits(x) | (SpreadBits(y) << 1); }

// (4^level - 1) / 3: the index of the first cell of a level.
int32_t LevelOffset(int32_t level) { return static_cast<int32_t>(((1u << (2 * level)) - 1) / 3); }

bool BoxesOverlap(const WorldBox& a, const WorldBox& b)
{
    return std::fabs(a.cx - b.cx) <= std::fabs(a.hw + b.hw) && std::fabs(a.cy - b.cy) <= std::fabs(a.hh + b.hh);
}

bool IsFinite(const WorldBox& b)
{
    return std::isfinite(b.cx) && std::isfinite(b.cy) && std::isfinite(b.hw) && std::isfinite(b.hh);
}

// Layers accept each other both ways, and the boxes overlap.
bool Accepts(const CollisionProxy& n, const CollisionProxy& m)
{
    const Collider& cn = *n.collider;
    const Collider& cm = *m.collider;
    return (cn.GetLayer() & cm.GetCullingMask()) != 0 && (cn.GetCullingMask() & cm.GetLayer()) != 0 &&
        BoxesOverlap(n.box, m.box);
}

// The layers, culling masks and extent of the proxies in one cell's list. A proxy outside
// these can pair with none of them. Boxes with a negative half extent (which the overlap test
// folds with fabs) turn the extent test off for the cell.
struct CellReach {
    uint32_t layers = 0;
    uint32_t culling = 0;
    bool bounded = true;
    float slack = 0.0f;
    float minX = std::numeric_limits<float>::max();
    float minY = std::numeric_limits<float>::max();
    float maxX = std::numeric_limits<float>::lowest();
    float maxY = std::numeric_limits<float>::lowest();

    bool MayMeet(const CollisionProxy& n) const
    {
        const Collider& cn = *n.collider;
        if ((cn.GetLayer() & culling) == 0 || (cn.GetCullingMask() & layers) == 0)
            return false;
        if (!bounded || n.box.hw < 0.0f || n.box.hh < 0.0f)
            return true;
        return n.box.cx + n.box.hw >= minX - slack && n.box.cx - n.box.hw <= maxX + slack &&
            n.box.cy + n.box.hh >= minY - slack && n.box.cy - n.box.hh <= maxY + slack;
    }
};

CellReach ReachOf(const CollisionProxy* head)
{
    CellReach reach;
    for (const CollisionProxy* m = head; m; m = m->next) {
        reach.layers |= m->collider->GetLayer();
        reach.culling |= m->collider->GetCullingMask();
        const WorldBox& b = m->box;
        if (b.hw < 0.0f || b.hh < 0.0f) {
            reach.bounded = false;
            continue;
        }
        reach.minX = std::min(reach.minX, b.cx - b.hw);
        reach.maxX = std::max(reach.maxX, b.cx + b.hw);
        reach.minY = std::min(reach.minY, b.cy - b.hh);
        reach.maxY = std::max(reach.maxY, b.cy + b.hh);
    }
    // Slack keeps a pair that the overlap test, rounding differently, finds touching.
    const float far = std::max({std::fabs(reach.minX), std::fabs(reach.maxX), std::fabs(reach.minY),
        std::fabs(reach.maxY)});
    reach.slack = 0.5f + far * 1e-4f;
    return reach;
}

// (x + 0.5) truncated toward zero, kept in floating point so that no value is out of an
// integer's range.
float RoundCoord(float x) { return std::trunc(x + 0.5f); }

} // namespace

// ---- LinearQuadtree

void LinearQuadtree::Reset()
{
    if (m_ppCells) {
        for (int32_t i = 0; i < m_nCellCount; ++i)
            delete m_ppCells[i];
        delete[] m_ppCells;
    }
    m_ppCells = nullptr;
    m_nCellCount = 0;
    m_nDeepestLevel = 0;
    m_nDimensionBits = 0;
    m_fOriginX = m_fOriginY = 0.0f;
    m_fWidth = m_fHeight = 0.0f;
}

void LinearQuadtree::Setup(int32_t deepestLevel, float originX, float originY, float width, float height)
{
    Reset();
    deepestLevel = std::clamp(deepestLevel, 0, 14);
    m_nCellCount = LevelOffset(deepestLevel + 1);
    m_ppCells = new QuadtreeCell*[m_nCellCount]();
    m_nDeepestLevel = deepestLevel;
    m_nDimensionBits = 2;
    m_fOriginX = originX;
    m_fOriginY = originY;
    m_fWidth = width;
    m_fHeight = height;
}

int32_t LinearQuadtree::CellIndexFor(const WorldBox& box) const
{
    // No arithmetic on a tree of no size: 0 / 0 would reach an integer conversion.
    if (m_nCellCount <= 0 || !(m_fWidth > 0.0f) || !(m_fHeight > 0.0f) || !IsFinite(box))
        return -1;
    const uint32_t side = 1u << m_nDeepestLevel;
    const float cellW = m_fWidth / static_cast<float>(side);
    const float cellH = m_fHeight / static_cast<float>(side);
    if (!(cellW > 0.0f) || !(cellH > 0.0f))
        return -1;
    auto grid = [side](float v, float origin, float size, float cell) {
        const float g = std::clamp(v - origin, 0.0f, size) / cell;
        return std::min(static_cast<uint32_t>(g), side);
    };
    const uint32_t m1 = MortonCode(grid(box.cx - box.hw, m_fOriginX, m_fWidth, cellW),
        grid(box.cy - box.hh, m_fOriginY, m_fHeight, cellH));
    const uint32_t m2 = MortonCode(grid(box.cx + box.hw, m_fOriginX, m_fWidth, cellW),
        grid(box.cy + box.hh, m_fOriginY, m_fHeight, cellH));
    const uint32_t x = m1 ^ m2;
    int32_t k = 0;
    for (int32_t i = m_nDeepestLevel; i >= 1; --i)
        if ((x >> (2 * (i - 1))) & 3u) {
            k = i;
            break;
        }
    const int32_t level = m_nDeepestLevel - k;
    const uint32_t code = m2 >> (2 * k);
    if (code >= (1u << (2 * level)))
        return 0; // a corner on the far edge
    const int32_t index = LevelOffset(level) + static_cast<int32_t>(code);
    return index < m_nCellCount ? index : -1;
}

void LinearQuadtree::CreateCell(int32_t index)
{
    while (index >= 0 && !m_ppCells[index]) {
        int32_t level = 0;
        while (LevelOffset(level + 1) <= index)
            ++level;
        const uint32_t code = static_cast<uint32_t>(index - LevelOffset(level));
        const float cells = static_cast<float>(1u << level);
        const float w = m_fWidth / cells;
        const float h = m_fHeight / cells;
        auto* cell = new QuadtreeCell;
        cell->head = nullptr;
        cell->cx = m_fOriginX + (static_cast<float>(CompactBits(code)) + 0.5f) * w;
        cell->cy = m_fOriginY + (static_cast<float>(CompactBits(code >> 1)) + 0.5f) * h;
        cell->hw = w / 2.0f;
        cell->hh = h / 2.0f;
        m_ppCells[index] = cell;
        if (index == 0)
            break;
        index = (index - 1) >> 2;
    }
}

void LinearQuadtree::Unlink(CollisionProxy* proxy)
{
    if (proxy->cell < 0)
        return;
    if (proxy->prev)
        proxy->prev->next = proxy->next;
    else if (proxy->cell < m_nCellCount && m_ppCells[proxy->cell])
        m_ppCells[proxy->cell]->head = proxy->next;
    if (proxy->next)
        proxy->next->prev = proxy->prev;
    proxy->prev = proxy->next = nullptr;
    proxy->cell = -1;
}

bool LinearQuadtree::Insert(CollisionProxy* proxy)
{
    const int32_t index = CellIndexFor(proxy->box);
    if (index < 0) {
        // A box that cannot be placed in a real tree leaves it: its last place is stale.
        if (m_nCellCount > 0 && m_fWidth > 0.0f && m_fHeight > 0.0f)
            Unlink(proxy);
        return proxy->cell >= 0;
    }
    CreateCell(index);
    Unlink(proxy);
    QuadtreeCell* cell = m_ppCells[index];
    proxy->cell = index;
    proxy->prev = nullptr;
    proxy->next = cell->head;
    if (cell->head)
        cell->head->prev = proxy;
    cell->head = proxy;
    return true;
}

void LinearQuadtree::CollectPairs(std::vector<std::pair<Collider*, Collider*>>& out)
{
    if (!HasRoot())
        return;
    m_Stack.clear();
    WalkPairs(0, out);
}

void LinearQuadtree::WalkPairs(int32_t c, std::vector<std::pair<Collider*, Collider*>>& out)
{
    // Depth first; the path from the root is the stack.
    m_Stack.push_back(c);
    CollisionProxy* own = m_ppCells[c]->head;
    // What the cell's own proxies hold together, so that an ancestor's proxy that can meet
    // none of them skips the cell at once instead of being tried against each: in a crowd, the
    // proxies lying across a large cell's edges would otherwise be tried against everything
    // under it. The pairs found, and their order, are the same.
    const CellReach reach = ReachOf(own);
    for (int32_t a : m_Stack)
        for (CollisionProxy* n = m_ppCells[a]->head; n; n = n->next) {
            if (a != c && !reach.MayMeet(*n))
                continue;
            for (CollisionProxy* m = own; m && m != n; m = m->next)
                if (Accepts(*n, *m))
                    out.emplace_back(n->collider, m->collider);
        }
    for (int32_t child = 4 * c + 1; child <= 4 * c + 4 && child < m_nCellCount; ++child)
        if (m_ppCells[child])
            WalkPairs(child, out);
    m_Stack.pop_back();
}

void LinearQuadtree::Query(const WorldBox& box, uint32_t layerMask, std::vector<Collider*>& out) const
{
    if (HasRoot())
        QueryCell(0, box, layerMask, out);
}

void LinearQuadtree::QueryCell(int32_t c, const WorldBox& box, uint32_t layerMask, std::vector<Collider*>& out) const
{
    const QuadtreeCell& cell = *m_ppCells[c];
    if (!BoxesOverlap({cell.cx, cell.cy, cell.hw, cell.hh}, box))
        return;
    for (CollisionProxy* p = cell.head; p; p = p->next)
        if ((p->collider->GetLayer() & layerMask) != 0 && BoxesOverlap(p->box, box))
            out.push_back(p->collider);
    for (int32_t child = 4 * c + 1; child <= 4 * c + 4 && child < m_nCellCount; ++child)
        if (m_ppCells[child])
            QueryCell(child, box, layerMask, out);
}

// ---- Narrow phase

bool TestCircleCircle(float ax, float ay, float ar, float bx, float by, float br, float vax, float vay, float vbx,
    float vby, float& t)
{
    t = 0.0f;
    const float r = ar + br;
    const float vx = vax - vbx;
    const float vy = vay - vby;
    const float speedSq = vx * vx + vy * vy;
    const float speed = std::sqrt(speedSq);
    float ux = 0.0f, uy = 0.0f;
    if (speedSq > 1e-6f) {
        ux = vx / speed;
        uy = vy / speed;
    }
    const float sx = ax - bx;
    const float sy = ay - by;
    const float f = sx * sx + sy * sy - r * r;
    const float g = sx * ux + sy * uy;
    if (f > 0.0f && g > 0.0f)
        return false;
    const float disc = g * g - f;
    if (disc < 0.0f)
        return false;
    const float d = -g - std::sqrt(disc);
    if (d < 0.0f)
        return true;
    if (d <= 0.000001f && speed <= 0.000001f) {
        t = d;
        return true;
    }
    if (speed >= d) {
        t = d / speed;
        return true;
    }
    return false;
}

bool TestSegmentContact(const SegmentCollider& segment, const Kinematics& body, const WorldBox& box, float localX,
    float localY, ContactRecord& record)
{
    const float sx = segment.GetWorldStartX(), sy = segment.GetWorldStartY();
    const float vx = segment.GetWorldEndX() - sx, vy = segment.GetWorldEndY() - sy;
    const float lenSq = vx * vx + vy * vy;
    const float dirX = segment.GetDirectionX(), dirY = segment.GetDirectionY();
    const float nx = segment.GetNormalX(), ny = segment.GetNormalY();
    const float hw = box.hw, hh = box.hh;
    const float px = RoundCoord(box.cx + body.m_fDispX);
    const float py = RoundCoord(box.cy + body.m_fDispY);
    auto isWall = [](const SegmentCollider& s) { return std::fabs(s.GetDirectionX()) < 1e-6f; };
    auto isSlope = [](const SegmentCollider& s) {
        return std::fabs(s.GetDirectionX()) >= 1e-6f && std::fabs(s.GetDirectionY()) >= 1e-6f;
    };

    if (std::fabs(dirX) < 1e-6f) {
        // A wall: probe the body's side that faces it, a little above or below the centre.
        const SegmentCollider* neighbour = segment.GetPrev() ? segment.GetPrev() : segment.GetNext();
        const float side = !neighbour || neighbour->GetNormalY() > 0.0f ? -hh : hh;
        const float wx = (nx >= 0.0f ? px - hw : px + hw) - sx;
        const float wy = py + 0.9f * side - sy;
        const float along = wx * vx + wy * vy;
        if (along < 0.0f || along > lenSq || wx * nx + wy * ny >= 0.0f)
            return false;
        record.pointB[0] = sx + (nx >= 0.0f ? hw : -hw) - localX;
        record.pointB[1] = body.m_fPosY;
        record.vectorB[0] = 0.0f;
        record.vectorB[1] = body.m_fVelY;
        return true;
    }
    if (std::fabs(dirY) < 1e-6f) {
        // A floor (normal up) or a ceiling: probe the body's edge that faces it.
        const float wx = px - sx;
        const float wy = (ny > 0.0f ? py - hh : py + hh) - sy;
        const float t = wx * vx + wy * vy;
        const float wn = wx * nx + wy * ny;
        if (t < 0.0f && segment.GetPrev()) {
            const SegmentCollider& prev = *segment.GetPrev();
            if (isSlope(prev) || (isWall(prev) && prev.GetNormalX() < 0.0f && wn < 0.0f))
                return false;
        }
        if (t > lenSq && segment.GetNext()) {
            const SegmentCollider& next = *segment.GetNext();
            if (isSlope(next) || (isWall(next) && next.GetNormalX() > 0.0f && wn < 0.0f))
                return false;
        }
        if (wn > 0.0f)
            return false;
        record.pointB[0] = body.m_fPosX;
        record.pointB[1] = sy + (ny > 0.0f ? hh : -hh) - localY;
        record.vectorB[0] = body.m_fVelX;
        record.vectorB[1] = 0.0f;
        return true;
    }
    // A slope: a body a little above it steps down by its horizontal move, so it follows the
    // slope going down instead of leaving it.
    float y = ny > 0.0f ? py - hh : py + hh;
    const float dx = px - sx;
    const float h = dirX * (y - sy) - dirY * dx;
    if (h > hh * 0.125f) {
        const float step = std::fabs(body.m_fDispX) * 1.7320508f;
        if (step <= 1e-6f)
            return false;
        y -= step;
        if (dirX * (y - sy) - dirY * dx > 0.0f)
            return false;
    }
    const float u = std::clamp(((y - sy) * vy + dx * vx) / lenSq, 0.0f, 1.0f);
    const float qy = sy + vy * u;
    record.pointB[0] = body.m_fPosX;
    record.pointB[1] = RoundCoord(qy) + (ny > 0.0f ? hh : -hh) - localY;
    record.vectorB[0] = body.m_fVelX;
    record.vectorB[1] = 0.0f;
    return true;
}

bool ContactRecord::Test()
{
    pointA[0] = pointA[1] = pointB[0] = pointB[1] = 0.0f;
    vectorA[0] = vectorA[1] = vectorB[0] = vectorB[1] = 0.0f;
    const uint32_t kinds = (1u << a->GetShape()) | (1u << b->GetShape());
    switch (kinds) {
    case 1: // box and box: the broad phase found them overlapping
        return true;
    case 2: { // circle and circle
        const Kinematics* ka = a->GetOwner()->GetKinematics();
        const Kinematics* kb = b->GetOwner()->GetKinematics();
        if (!ka || !kb)
            return false;
        const auto& ca = static_cast<const CircleCollider&>(*a);
        const auto& cb = static_cast<const CircleCollider&>(*b);
        float t = 0.0f;
        if (!TestCircleCircle(ca.GetWorldCenterX(), ca.GetWorldCenterY(), ca.GetWorldRadius(), cb.GetWorldCenterX(),
                cb.GetWorldCenterY(), cb.GetWorldRadius(), ka->m_fVelX, ka->m_fVelY, kb->m_fVelX, kb->m_fVelY, t))
            return false;
        pointA[0] = ca.GetWorldCenterX() + ka->m_fVelX * t;
        pointA[1] = ca.GetWorldCenterY() + ka->m_fVelY * t;
        pointB[0] = cb.GetWorldCenterX() + kb->m_fVelX * t;
        pointB[1] = cb.GetWorldCenterY() + kb->m_fVelY * t;
        vectorA[0] = ka->m_fVelX;
        vectorA[1] = ka->m_fVelY;
        vectorB[0] = kb->m_fVelX;
        vectorB[1] = kb->m_fVelY;
        return true;
    }
    case 3: { // box and circle: A the circle
        if (a->GetShape() == eColliderShape_Box)
            std::swap(a, b);
        const auto& circle = static_cast<const CircleCollider&>(*a);
        const auto& box = static_cast<const Box2DCollider&>(*b);
        const float dx = std::max(std::fabs(circle.GetWorldCenterX() - box.GetWorldCenterX()) -
                std::fabs(box.GetWorldHalfX()), 0.0f);
        const float dy = std::max(std::fabs(circle.GetWorldCenterY() - box.GetWorldCenterY()) -
                std::fabs(box.GetWorldHalfY()), 0.0f);
        const float r = circle.GetWorldRadius();
        return dx * dx + dy * dy <= r * r;
    }
    case 5: { // box and segment: A the segment
        if (a->GetShape() == eColliderShape_Box)
            std::swap(a, b);
        const Kinematics* body = b->GetOwner()->GetKinematics();
        if (!body)
            return false;
        const auto& box = static_cast<const Box2DCollider&>(*b);
        const WorldBox wb = {box.GetWorldCenterX(), box.GetWorldCenterY(), box.GetWorldHalfX(), box.GetWorldHalfY()};
        return TestSegmentContact(static_cast<const SegmentCollider&>(*a), *body, wb, box.GetLocalCenterX(),
            box.GetLocalCenterY(), *this);
    }
    case 6: { // circle and segment: A the segment
        if (a->GetShape() == eColliderShape_Circle)
            std::swap(a, b);
        auto& circle = static_cast<CircleCollider&>(*b);
        WorldBox wb;
        circle.ComputeWorldShape(wb);
        const Kinematics* body = b->GetOwner()->GetKinematics();
        if (!body)
            return false;
        return TestSegmentContact(static_cast<const SegmentCollider&>(*a), *body, wb, circle.GetLocalCenterX(),
            circle.GetLocalCenterY(), *this);
    }
    default: // segment and segment
        return false;
    }
}

// ---- CollisionWorld

CollisionWorld* CollisionWorld::Create()
{
    if (!g_pCollisionWorld)
        g_pCollisionWorld = new CollisionWorld;
    return g_pCollisionWorld;
}

void CollisionWorld::Destroy()
{
    delete g_pCollisionWorld;
    g_pCollisionWorld = nullptr;
}

CollisionWorld::CollisionWorld() : m_StageBounds(kDefaultStageBounds) {}

CollisionWorld::~CollisionWorld() { Clear(); }

size_t CollisionWorld::PairHash::operator()(const PairKey& k) const
{
    const auto a = reinterpret_cast<uintptr_t>(k.lo);
    const auto b = reinterpret_cast<uintptr_t>(k.hi);
    return std::hash<uintptr_t>()(a * 0x9E3779B97F4A7C15ull ^ (b + 0x632BE59BD9B4E019ull + (a << 6) + (a >> 2)));
}

CollisionWorld::PairKey CollisionWorld::KeyOf(const Collider* a, const Collider* b)
{
    return std::less<const Collider*>()(a, b) ? PairKey{a, b} : PairKey{b, a};
}

void CollisionWorld::DeleteRecord(ContactRecord* record)
{
    if (!record->removed)
        m_ContactIndex.erase(KeyOf(record->a, record->b));
    delete record;
}

void CollisionWorld::Clear()
{
    if (m_bDelivering) {
        // The walk still reads the list: mark now, delete at its end.
        for (ContactRecord* r : m_Contacts)
            r->removed = true;
    } else {
        for (ContactRecord* r : m_Contacts)
            delete r;
        m_Contacts.clear();
    }
    m_ContactIndex.clear();
    for (CollisionProxy* p = m_pOldestProxy; p;) {
        CollisionProxy* next = p->newerProxy;
        delete p;
        p = next;
    }
    m_pOldestProxy = m_pNewestProxy = nullptr;
    m_Proxies.clear();
    m_Tree.Reset();
}

CollisionProxy* CollisionWorld::AddProxy(Collider* collider)
{
    auto [it, added] = m_Proxies.emplace(collider, nullptr);
    if (!added)
        return it->second;
    auto* proxy = new CollisionProxy;
    proxy->collider = collider;
    proxy->olderProxy = m_pNewestProxy;
    if (m_pNewestProxy)
        m_pNewestProxy->newerProxy = proxy;
    else
        m_pOldestProxy = proxy;
    m_pNewestProxy = proxy;
    it->second = proxy;
    return proxy;
}

CollisionProxy* CollisionWorld::FindProxy(const Collider* collider) const
{
    auto it = m_Proxies.find(collider);
    return it == m_Proxies.end() ? nullptr : it->second;
}

void CollisionWorld::Remove(Collider* collider)
{
    auto it = m_Proxies.find(collider);
    if (it == m_Proxies.end())
        return;
    CollisionProxy* proxy = it->second;
    if (m_bDelivering) {
        for (ContactRecord* r : m_Contacts)
            if (!r->removed && (r->a == collider || r->b == collider)) {
                m_ContactIndex.erase(KeyOf(r->a, r->b));
                r->removed = true;
            }
    } else {
        std::erase_if(m_Contacts, [&](ContactRecord* r) {
            if (r->a != collider && r->b != collider)
                return false;
            DeleteRecord(r);
            return true;
        });
    }
    m_Tree.Unlink(proxy);
    if (proxy->olderProxy)
        proxy->olderProxy->newerProxy = proxy->newerProxy;
    else
        m_pOldestProxy = proxy->newerProxy;
    if (proxy->newerProxy)
        proxy->newerProxy->olderProxy = proxy->olderProxy;
    else
        m_pNewestProxy = proxy->olderProxy;
    delete proxy;
    m_Proxies.erase(it);
}

void CollisionWorld::SetupTree(int32_t deepestLevel, float originX, float originY, float width, float height)
{
    for (CollisionProxy* p = m_pOldestProxy; p; p = p->newerProxy)
        m_Tree.Unlink(p);
    m_Tree.Setup(deepestLevel, originX, originY, width, height);
}

void CollisionWorld::UpdateProxies()
{
    // Creation order: the same every run of a seed, unlike the map's order.
    for (CollisionProxy* p = m_pOldestProxy; p; p = p->newerProxy) {
        Collider* c = p->collider;
        GameObj* owner = c->GetOwner();
        if (!c->IsLive() || !owner->IsActive() || owner->GetLayer() == 0)
            continue;
        c->ComputeWorldShape(p->box);
        if (const Kinematics* k = owner->GetKinematics(); k && k->IsLive()) {
            p->box.cx += k->m_fDispX;
            p->box.cy += k->m_fDispY;
        }
        m_Tree.Insert(p);
    }
}

void CollisionWorld::CollectPairs()
{
    m_Pairs.clear();
    if (m_Tree.HasRoot())
        m_Tree.CollectPairs(m_Pairs);
}

void CollisionWorld::CollectPairsBruteForce()
{
    m_Pairs.clear();
    for (CollisionProxy* n = m_pOldestProxy; n; n = n->newerProxy) {
        if (n->cell < 0)
            continue;
        for (CollisionProxy* m = n->newerProxy; m; m = m->newerProxy)
            if (m->cell >= 0 && Accepts(*n, *m))
                m_Pairs.emplace_back(n->collider, m->collider);
    }
}

void CollisionWorld::MatchPairs()
{
    // A record that touched last pass exits unless it is found touching again below. An enter
    // counts as a touch too: a one-frame touch then exits, and the next touch enters again.
    for (ContactRecord* r : m_Contacts)
        if (r->state == eContactState_Stay || r->state == eContactState_Enter)
            r->state = eContactState_Exit;
    for (const auto& [a, b] : m_Pairs) {
        if (!a->IsEnabled() || !b->IsEnabled())
            continue;
        auto it = m_ContactIndex.find(KeyOf(a, b));
        if (it != m_ContactIndex.end()) {
            if (it->second->Test())
                it->second->state = eContactState_Stay;
            continue;
        }
        ContactRecord probe;
        probe.a = a;
        probe.b = b;
        if (!probe.Test())
            continue;
        probe.state = eContactState_Enter;
        auto* record = new ContactRecord(probe);
        m_Contacts.push_back(record);
        m_ContactIndex.emplace(KeyOf(a, b), record);
    }
}

void CollisionWorld::Deliver()
{
    m_bDelivering = true;
    auto send = [](Collider* to, uint32_t state, const CollisionInfo& info) {
        if (!to->GetOwner()->IsActive() || !to->IsEnabled())
            return;
        if (state == eContactState_Enter)
            to->OnCollisionEnter(info);
        else if (state == eContactState_Stay)
            to->OnCollisionStay(info);
        else
            to->OnCollisionExit(info);
    };
    // By index: the list's length holds during the walk (removals only mark records).
    for (size_t i = 0; i < m_Contacts.size(); ++i) {
        ContactRecord* r = m_Contacts[i];
        if (r->removed || r->state == eContactState_None)
            continue;
        const CollisionInfo toA = {r->b->GetOwner(), r->pointA[0], r->pointA[1], r->vectorA[0], r->vectorA[1],
            r->pointB[0], r->pointB[1], r->vectorB[0], r->vectorB[1]};
        const CollisionInfo toB = {r->a->GetOwner(), r->pointB[0], r->pointB[1], r->vectorB[0], r->vectorB[1],
            r->pointA[0], r->pointA[1], r->vectorA[0], r->vectorA[1]};
        send(r->a, r->state, toA);
        if (r->removed) // A's handler removed a collider of the pair
            continue;
        send(r->b, r->state, toB);
    }
    m_bDelivering = false;
    std::erase_if(m_Contacts, [&](ContactRecord* r) {
        if (!r->removed && r->state != eContactState_Exit)
            return false;
        DeleteRecord(r);
        return true;
    });
}

void CollisionWorld::Step()
{
    UpdateProxies();
    CollectPairs();
    MatchPairs();
    Deliver();
}

void CollisionWorld::PushOut(Kinematics& kinematics)
{
    GameObj* owner = kinematics.GetOwner();
    Collider* own = owner->GetCollider();
    if (!own)
        return;
    WorldBox box;
    own->ComputeWorldShape(box);
    if (!m_Tree.HasRoot())
        return;
    m_Found.clear();
    m_Tree.Query(box, owner->GetLayer(), m_Found);
    for (Collider* r : m_Found) {
        if (r == own)
            continue;
        // A body without Kinematics (terrain, a static box) has no position to push from.
        const Kinematics* other = r->GetOwner()->GetKinematics();
        if (!other)
            continue;
        const float sx = kinematics.m_fPosX - other->m_fPosX;
        const float sy = kinematics.m_fPosY - other->m_fPosY;
        const float dist = std::sqrt(sx * sx + sy * sy);
        const float overlap = own->GetBoundingRadius() + r->GetBoundingRadius() - dist;
        if (overlap <= 0.0f)
            continue;
        if (dist < 1e-6f) {
            kinematics.m_fPosY += overlap;
        } else {
            kinematics.m_fPosX += sx / dist * overlap;
            kinematics.m_fPosY += sy / dist * overlap;
        }
    }
}
