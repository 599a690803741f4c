// The world of game objects: the loaded object prototypes (Lua files that each define one global
// table), the trees built from them, the current stage's root, stage changes on request, the
// per-frame passes over the tree in a fixed order, the draw pass, and removal by message.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "System/Common/NameHash.h"
#include "World/GameObj.h"

struct lua_State;
struct ScriptContext;
class MessageManager;
class SceneManager;

// The work of the layers above the world that the scene runs at its moments: the component
// layers register it (the collision world, the cameras, bodies, renderers, enemy machines), so
// that the scene calls no component by name. Each may be null.
struct SceneHooks {
    // Init, after the message manager and the factory.
    void (*pfnInit)() = nullptr;
    // A prototype file kept under its final name, on the thread it ran on.
    void (*pfnPrototypeLoaded)(const std::string& name, lua_State* thread) = nullptr;
    // A stage switch, before the new stage is built.
    void (*pfnStageSwitch)() = nullptr;
    // Between the physics pass and message delivery: the motion pass and the collision step.
    void (*pfnMotion)(SceneManager& scene) = nullptr;
    // The whole draw pass.
    void (*pfnDraw)(SceneManager& scene) = nullptr;
    // Teardown, after the tree is deleted and before the factory is.
    void (*pfnTeardown)() = nullptr;
};

// A prototype is the script context its file ran on: a Lua thread of the script host on which
// the prototype's global table is read.
typedef ScriptContext ScriptPrototype;

// Bounds of one build (one Instantiate from outside a build, with everything it makes): far
// above what any stage needs, low enough that bad data cannot overflow the stack or the heap.
constexpr size_t kMaxBuildDepth = 256;  // prototypes nested in one another
constexpr size_t kMaxBuildObjects = 100000; // objects made

class SceneManager {
public:
    SceneManager();
    ~SceneManager();
    SceneManager(const SceneManager&) = delete;
    SceneManager& operator=(const SceneManager&) = delete;

    // Creates the message manager and the component factory with every class when there is none,
    // then runs the init hook (the collision world).
    bool Init();
    // Runs every archive entry below the folder (in name order) on a context of its own and
    // keeps the context under the name id of the entry's name after its last '/'. The first
    // file to give a name keeps it.
    void LoadPrototypes(const std::string& folder);

    // Builds the named prototype's tree as the first child of the parent (a root when null). An
    // instance table (on top of the given thread's stack) overrides the prototype's keys and adds
    // components and children. Components are made in the factory's registration order: the
    // instance's, then the prototype's that the object does not have yet. Children come out in
    // reverse order of creation: the instance's before the prototype's, each list last entry
    // first. Null when the prototype or its table is missing, or when it would contain itself.
    GameObj* Instantiate(const std::string& name, GameObj* parent, lua_State* instance);
    // Instantiate without an instance table, then moves the new object by the offset.
    GameObj* Spawn(const std::string& name, GameObj* parent, float x, float y);

    // The stage is built at the start of the next update; an empty name changes nothing.
    void RequestStage(const std::string& name);
    // Deactivates the object and deletes it with its subtree when the delay has passed on the
    // message clock: at the earliest in the next frame's delivery.
    void DestroyLater(GameObj* object, float delay);

    // One frame: stage switch (the stage-switch hook first: the collision world cleared), start
    // pass, old stage deleted, textures loaded, physics pass, the motion hook (motion pass,
    // collision step), message delivery, update pass, late pass.
    void Update();
    // The draw hook: it collects the renderers in the draw mask, tells them when they come into
    // or leave view, and draws the ones in view.
    void Draw();
    // Frees the prototypes, deletes the tree, runs the teardown hook (enemy machines, the
    // collision world), deletes the component factory and the message manager.
    void Teardown();

    // The first active object in the current tree with the tag (pre-order), or null.
    GameObj* FindObjectByTag(NameId tag) const;
    // The first object in the current tree with the object name (pre-order, active or not), or null.
    GameObj* FindObjectByName(const std::string& name) const;
    bool HasPrototype(const std::string& name) const;

    MessageManager* GetMessageManager() const { return m_pMessageManager; }
    GameObj* GetRoot() const { return m_pRoot; }
    const std::string& GetNextStageName() const { return m_NextStageName; }
    bool IsStageChangePending() const { return m_bStageChangePending; }
    size_t GetPrototypeCount() const { return m_Prototypes.size(); }

    // The hooks every scene runs (set once by the program, before its first scene).
    static void SetHooks(const SceneHooks& hooks);

    // Visits the active objects in pre-order whose layer is in the mask.
    // Ahead is shown the object that comes next in the walk, to fetch what its visit reads.
    template <class Visit, class Ahead>
    void Walk(uint32_t mask, Visit visit, Ahead ahead);

    // Called by an object as it is deleted: the stage root going by any other way than a stage
    // change leaves the scene with no root rather than a dangling one.
    void OnObjectDeleted(GameObj* object);

    // Layers whose objects take part in the update passes; gameplay writes it directly.
    uint32_t m_nUpdateMask;
    // Layers whose objects are drawn.
    uint32_t m_nDrawMask;

private:
    GameObj* Build(const std::string& name, GameObj* parent, lua_State* instance);
    // From the table at the given place of L's stack.
    void AddComponents(GameObj* object, lua_State* L, int table, bool skipPresent, const std::string& prototype);
    void AddChildren(GameObj* object, lua_State* L, int table, const std::string& prototype);
    // Calls the pass on the live components of the mask's objects, in list order.
    template <int Pass, class Call>
    void WalkPass(Call call);
    void StartPass();

    MessageManager* m_pMessageManager;
    GameObj* m_pRoot;
    std::unordered_map<NameId, ScriptPrototype*> m_Prototypes;
    std::string m_NextStageName;
    bool m_bStageChangePending;
    // The prototypes being built, outermost first: one met again would build itself forever.
    std::vector<std::string> m_BuildPath;
    // Objects the current outermost build has made.
    size_t m_nBuiltObjects = 0;
    // What the last start pass walked with: with the same root and mask and no event since
    // (g_nStartPassEvents), no object can have a component waiting to start.
    uint64_t m_nStartPassSeen = ~uint64_t(0);
    uint32_t m_nStartPassMask = 0;
    GameObj* m_pStartPassRoot = nullptr;
};

extern SceneManager* g_pSceneManager;

template <class Visit, class Ahead>
void SceneManager::Walk(uint32_t mask, Visit visit, Ahead ahead)
{
    for (GameObj* object = m_pRoot; object;) {
        if (!object->IsActive()) {
            object = object->GetNextSkippingSubtree();
            continue;
        }
        // The walk chases pointers, so it fetches in stages, each a turn ahead of the next: the
        // object three places on, the component list of the one two places on, and what the
        // visit of the next one reads. Their memory latency overlaps the work on this one. Only
        // fetched: the visit may still change what comes next.
        if (GameObj* next = object->GetNext()) {
            if (next->IsActive() && (next->GetLayer() & mask))
                ahead(next);
            if (const GameObj* after = next->GetNext()) {
                __builtin_prefetch(after->GetNext());
                __builtin_prefetch(after->GetComponents().data());
            }
        }
        if (object->GetLayer() & mask)
            visit(object);
        // Read after the visit, so that objects linked after this one in the meantime are met,
        // and a subtree the visit deactivated is passed over.
        object = object->IsActive() ? object->GetNext() : object->GetNextSkippingSubtree();
    }
}

