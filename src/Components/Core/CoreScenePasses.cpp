#include "Components/Core/CoreScenePasses.h"

#include <vector>

#include "Components/Core/Camera2D.h"
#include "Components/Core/CollisionWorld.h"
#include "Components/Core/Kinematics.h"
#include "Components/Core/Renderer.h"
#include "World/GameObj.h"
#include "World/SceneManager.h"
#include "World/Transform.h"

namespace {

// Ten thousand renderers and their Transforms outgrow the caches between the draw pass's
// walks over its list: each walk starts fetching a renderer's first lines some turns ahead,
// and, once those are in, the world matrix and scale of the Transform it reads.
constexpr size_t kRendererAhead = 16, kPlaceAhead = 8;

void PrefetchAhead(const std::vector<Renderer*>& list, size_t i)
{
    if (i + kRendererAhead < list.size()) {
        const char* at = reinterpret_cast<const char*>(list[i + kRendererAhead]);
        for (int line = 0; line < 3; ++line)
            __builtin_prefetch(at + 64 * line);
    }
    if (i + kPlaceAhead < list.size())
        if (const Transform* place = list[i + kPlaceAhead]->GetPlace()) {
            const Matrix4x4& world = place->WorldMatrix();
            __builtin_prefetch(&world.m[0][0]);
            __builtin_prefetch(&world.m[3][3]);
            __builtin_prefetch(&place->WorldScale());
        }
}


// The renderers collected by the last draw pass; kept between frames for its storage.
std::vector<Renderer*> s_DrawList;

} // namespace

void CoreSceneInit() { CollisionWorld::Create(); }

void CoreStageSwitch()
{
    // The old stage's colliders lose their proxies and records here; the new stage's generator
    // sizes the tree again.
    if (g_pCollisionWorld)
        g_pCollisionWorld->Clear();
    // The old stage's cameras leave the registry now: the new stage's cameras take their tags
    // at Attach, and its renderers never bind a camera that is deleted with the old stage.
    g_CameraRegistry.Clear();
}

void CoreMotionPass(SceneManager& scene)
{
    scene.Walk(
        scene.m_nUpdateMask,
        [](GameObj* object) {
            Kinematics* body = object->GetKinematics();
            if (body && body->IsLive())
                body->TruncateVelocity();
        },
        [](const GameObj* object) { __builtin_prefetch(object->GetKinematics()); });
    if (g_pCollisionWorld)
        g_pCollisionWorld->Step();
}

void CoreDrawPass(SceneManager& scene)
{
    s_DrawList.clear();
    // The renderer bit answers what asking each component for the renderer key would, without
    // a virtual call per component and frame.
    scene.Walk(scene.m_nDrawMask, [](GameObj* object) {
        // By index: a component may add another to its object.
        const ComponentList& components = object->GetComponents();
        for (size_t i = 0; i < components.size(); ++i) {
            Component* component = components[i];
            if (component->HasFlags(eComponentFlag_Enabled | eComponentFlag_Started | eComponentFlag_Renderer)) {
                auto* renderer = static_cast<Renderer*>(component);
                renderer->PreRender();
                s_DrawList.push_back(renderer);
            }
        }
    }, [](const GameObj*) {});
    const size_t count = s_DrawList.size();
    for (size_t i = 0; i < count; ++i) {
        PrefetchAhead(s_DrawList, i);
        Renderer* renderer = s_DrawList[i];
        const bool culled = renderer->IsCulled();
        const bool visible = renderer->HasFlags(eComponentFlag_Visible);
        if (culled && visible)
            renderer->OnBecameInvisible();
        else if (!culled && !visible)
            renderer->OnBecameVisible();
    }
    for (size_t i = 0; i < count; ++i) {
        PrefetchAhead(s_DrawList, i);
        Renderer* renderer = s_DrawList[i];
        if (renderer->HasFlags(eComponentFlag_Visible))
            renderer->Draw();
    }
}

void CoreSceneTeardown() { CollisionWorld::Destroy(); }
