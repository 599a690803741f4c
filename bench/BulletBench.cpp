// Two thousand fired bullets of mixed motions (straight, homing, orbit, wave) through the update
// passes, against a plain loop over an array doing the same per-bullet work without the object
// model: the motion, the body's speed limit and integration, the write-back into a transform
// matrix, and the advance of the looping sprite clip every bullet plays, its image handed to the
// sprite. A third case gives the bullets colliders, so that the collision step with them shows
// beside the others. Each case reports nanoseconds per bullet per frame.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "Components/Core/AnimationPlayer.h"
#include "Components/Core/CollisionWorld.h"
#include "Components/Core/Kinematics.h"
#include "Components/Game/BulletController.h"
#include "System/Archive/ArchiveSystem.h"
#include "System/Archive/FileSystemArchive.h"
#include "System/Common/FrameCounter.h"
#include "System/Common/MathUtil.h"
#include "System/Graphics/AtlasTable.h"
#include "System/Lua/ScriptSystem.h"
#include "World/AnimationTable.h"
#include "World/Component.h"
#include "World/ComponentFactory.h"
#include "World/GameObj.h"
#include "World/SceneManager.h"
#include "World/Transform.h"

namespace {

constexpr int kBullets = 2000;
constexpr float kDt = 1.0f / 60.0f;
constexpr float kTwoPi = 6.28318530717958647692f;

class BenchStage : public Component {
public:
    static inline const ClassKey s_Class{"BenchStage"};
    explicit BenchStage(GameObj* owner) : Component(owner, s_Class) {}
    bool IsKindOf(TypeKey key) const override { return key == s_Class.Key; }
    bool Attach() override
    {
        g_pCollisionWorld->SetupTree(6, 0.0f, 0.0f, 8192.0f, 8192.0f);
        g_pCollisionWorld->SetStageBounds({0.0f, 0.0f, 8192.0f, 8192.0f});
        return true;
    }
};

std::string Stage(const char* name, const char* bullet)
{
    return std::string(name) + " = { object_activity = 1, object_layer = 1, components = { Transform = {}, BenchStage = {} },\n"
                               "  children = { { base_script = 'bench_target' } } }\n"
                               "for i = 1, " +
           std::to_string(kBullets) + " do " + name + ".children[i + 1] = { base_script = '" + bullet +
           "' } end\n";
}

const char* const kBody = "Transform = {}, Kinematics = { useGravity = false, needClamp = false, maxSpeed = 100000 },\n";
// What every bullet shows: a spinning sprite of four atlas frames on a loop.
const char* const kLook = " SpriteRenderer = {}, SpriteAnimation = { stand_loop = { 'bench_spin' } },";

const std::string kFiles[][2] = {
    {"atlases/atlas_bench", "spriteSheet = { texture = 'bench_tex.tga', textureSize = { width = 64, height = 64 },\n"
                            "  sprites = {} }\n"
                            "for i = 0, 3 do spriteSheet.sprites[i + 1] = { name = 'bench_spin_' .. i .. '.png',\n"
                            "  sourceRect = { x = 0, y = 0, width = 32, height = 32 },\n"
                            "  originalSize = { width = 32, height = 32 }, uvRect = { x = (i % 2) * 32,\n"
                            "  y = math.floor(i / 2) * 32, width = 32, height = 32 } } end\n"},
    {"animations/anim_bench", "animation_table = { bench_spin = { wrapMode = 1, animationSheet = { frame_per_sec = 12,\n"
                              "  animation = { { 'bench_spin_0', 1 }, { 'bench_spin_1', 1 }, { 'bench_spin_2', 1 },\n"
                              "  { 'bench_spin_3', 1 } } } } }\n"},
    {"stage/bench_bullets", Stage("bench_bullets", "bench_bullet")},
    {"stage/bench_colliding", Stage("bench_colliding", "bench_colliding_bullet")},
    {"game_objects/bench_target",
     std::string("bench_target = { object_activity = 1, object_layer = 2, components = {") + kBody + "} }\n"},
    {"game_objects/bench_bullet", std::string("bench_bullet = { object_tag = 'Bullet', object_activity = 1, "
                                              "object_layer = 32768, components = {") +
                                      kBody + kLook + " BulletController = { rotateSprite = true } } }\n"},
    {"game_objects/bench_colliding_bullet",
     std::string("bench_colliding_bullet = { object_tag = 'Bullet', object_activity = 1, object_layer = 32768, "
                 "components = {") +
         kBody + kLook +
         " CircleCollider = { radius = 4, cullingMask = 2 }, BulletController = { rotateSprite = true } } }\n"},
};

// The same launch for both sides: bullet i's motion is i mod 4, spread over the stage.
struct Launch {
    int32_t motion;
    float x, y, angle;
};
Launch LaunchOf(int i)
{
    return {i % 4, 1000.0f + float(i % 50) * 120.0f, 1000.0f + float(i / 50) * 120.0f, float(i) * 0.37f};
}

void Fire(BulletController& b, const Launch& l, const GameObj* target)
{
    b.m_pKinematics->m_fPosX = l.x;
    b.m_pKinematics->m_fPosY = l.y;
    b.GetOwner()->GetTransform()->SetLocalPosition(l.x, l.y, 0.0f);
    b.GetOwner()->GetTransform()->UpdateWorldMatrices();
    b.m_nMotion = l.motion;
    b.m_fSpeed = b.m_fMaxSpeed = 60.0f;
    b.m_fAccel = 0.0f;
    b.SetDirection(l.angle);
    b.SetTarget(l.motion == eBulletMotion_Homing ? target : nullptr);
    b.m_fTurnRate = 1.0f;
    b.m_vBaseX = l.x;
    b.m_vBaseY = l.y;
    b.m_fAmpX = b.m_fAmpY = 30.0f;
    b.m_fPeriodX = b.m_fPeriodY = 2.0f;
    b.m_fPhaseX = b.m_fPhaseY = 0.0f;
    b.GetOwner()->Activate();
}

class BenchScene {
public:
    explicit BenchScene(const char* stage)
    {
        m_Root = std::filesystem::temp_directory_path() / ("qm-bullet-bench-" + std::to_string(getpid()));
        for (const auto& file : kFiles) {
            const std::filesystem::path path = m_Root / "assets.v1/scripts" / (file[0] + ".lua");
            std::filesystem::create_directories(path.parent_path());
            std::ofstream(path) << file[1];
        }
        delete g_pArchiveSystem;
        ArchiveSystem::GetInstance()->SetRoot(m_Root.string() + "/");
        g_pArchiveSystem->Mount(new FileSystemArchive("assets.v1/scripts"));
        g_pScriptSystem = new ScriptSystem;
        g_pAtlasTable = &m_Atlas;
        g_pAnimationTable = &m_Clips;
        m_Atlas.LoadFolder("assets.v1/scripts/atlases/");
        m_Clips.LoadFolder("assets.v1/scripts/animations/");
        auto* factory = new ComponentFactory;
        factory->RegisterAll();
        factory->RegisterClass<BenchStage>();
        g_pComponentFactory = factory;
        m_pScene = new SceneManager;
        g_pSceneManager = m_pScene;
        m_pScene->Init();
        m_pScene->LoadPrototypes("assets.v1/scripts/stage/");
        m_pScene->LoadPrototypes("assets.v1/scripts/game_objects/");
        delete g_pArchiveSystem;
        SetAppDeltaTime(kDt);
        m_pScene->RequestStage(stage);
        Frame();
        const GameObj* target = nullptr;
        for (GameObj* o = m_pScene->GetRoot(); o; o = o->GetNext())
            if (o->GetPrototypeName() == "bench_target")
                target = o;
        int i = 0;
        for (GameObj* o = m_pScene->GetRoot(); o; o = o->GetNext())
            if (auto* b = static_cast<BulletController*>(o->GetComponent(BulletController::s_Class.Key))) {
                Fire(*b, LaunchOf(i++), target);
                m_Bullets.push_back(b);
            }
    }
    ~BenchScene()
    {
        delete m_pScene;
        g_pSceneManager = nullptr;
        g_pAnimationTable = nullptr;
        g_pAtlasTable = nullptr;
        delete g_pScriptSystem;
        g_pScriptSystem = nullptr;
        std::error_code ec;
        std::filesystem::remove_all(m_Root, ec);
    }
    void Frame()
    {
        SetStandInFrameCount(++m_nFrame);
        m_pScene->Update();
    }
    std::vector<BulletController*> m_Bullets;

    // The clip every bullet plays.
    const AnimationClip* Clip() const { return m_Clips.Find(HashName("bench_spin")); }

private:
    std::filesystem::path m_Root;
    AtlasTable m_Atlas;
    AnimationTable m_Clips;
    SceneManager* m_pScene = nullptr;
    uint32_t m_nFrame = 0;
};

// Items are bullet-frames: 1e9 over items_per_second is nanoseconds per bullet per frame.
void Report(benchmark::State& state, size_t bullets)
{
    state.SetItemsProcessed(state.iterations() * int64_t(bullets));
}

void RunScene(benchmark::State& state, const char* stage)
{
    BenchScene scene(stage);
    for (auto _ : state)
        scene.Frame();
    size_t flying = 0;
    for (const BulletController* b : scene.m_Bullets)
        flying += !b->m_bErased && b->GetOwner()->IsActive();
    state.SetLabel(std::to_string(flying) + " of " + std::to_string(scene.m_Bullets.size()) + " flying");
    Report(state, scene.m_Bullets.size());
}

void BM_BulletFrame(benchmark::State& state) { RunScene(state, "bench_bullets"); }
BENCHMARK(BM_BulletFrame)->Unit(benchmark::kMicrosecond);

// The same per-bullet work on a plain array: motion, integration, transform write-back, and the
// clip's advance with its image handed to the sprite's fields.
struct PlainBullet {
    int32_t motion;
    float x, y, vx, vy;
    float speed, accel, maxSpeed;
    float dirX, dirY, turnRate;
    float baseX, baseY, amp, period, phaseX, phaseY;
    bool homing;
    Matrix4x4 world;
    AnimationPlayer player;
    NameId texture;
    float width, height, u0, v0, du, dv, offsetX, offsetY;
    // The body's limit and what it derives each frame from the velocity.
    float bodyMaxSpeed, bodySpeed, headingX, headingY, sideX, sideY, dispX, dispY;
};

float Wrap(float& phase, float period, float dt)
{
    phase += dt;
    if (phase > period)
        phase = std::fmod(phase, period);
    return kTwoPi * phase / period;
}

void BM_BulletFrame_Baseline(benchmark::State& state)
{
    // The scene only lends the clip the bullets play.
    BenchScene scene("bench_bullets");
    std::vector<PlainBullet> bullets(kBullets);
    for (int i = 0; i < kBullets; ++i) {
        const Launch l = LaunchOf(i);
        PlainBullet& b = bullets[size_t(i)];
        b = {l.motion, l.x, l.y, 0, 0, 60, 0, 60, std::cos(l.angle), std::sin(l.angle), 1, l.x, l.y, 30, 2, 0, 0,
             l.motion == eBulletMotion_Homing, Matrix4x4::Identity(), {}, 0, 0, 0, 0, 0, 0, 0, 0, 0,
             100000, 0, 1, 0, 0, 1, 0, 0};
        b.player.Reset(scene.Clip());
    }
    const float targetX = 0.0f, targetY = 0.0f;
    for (auto _ : state) {
        for (PlainBullet& b : bullets) {
            const float dt = kDt;
            b.speed = std::fmin(b.speed + b.accel * dt, b.maxSpeed);
            float wantX = 0.0f, wantY = 0.0f;
            bool toward = false;
            switch (b.motion) {
            case eBulletMotion_Straight:
                b.vx = b.dirX * b.speed;
                b.vy = b.dirY * b.speed;
                break;
            case eBulletMotion_Homing: {
                float dx = targetX - b.x, dy = targetY - b.y;
                const float l = std::sqrt(dx * dx + dy * dy);
                dx /= l;
                dy /= l;
                const float a = b.turnRate * dt;
                if (b.dirX * dx + b.dirY * dy >= std::cos(a)) {
                    b.dirX = dx;
                    b.dirY = dy;
                } else {
                    const float t = b.dirX * dy - b.dirY * dx >= 0.0f ? a : -a;
                    const float c = std::cos(t), s = std::sin(t);
                    const float x = b.dirX * c - b.dirY * s, y = b.dirX * s + b.dirY * c;
                    const float n = std::sqrt(x * x + y * y);
                    b.dirX = x / n;
                    b.dirY = y / n;
                }
                b.vx = b.dirX * b.speed;
                b.vy = b.dirY * b.speed;
                break;
            }
            case eBulletMotion_Orbit:
                b.baseX += b.dirX * b.speed * dt;
                b.baseY += b.dirY * b.speed * dt;
                wantX = b.baseX + std::cos(Wrap(b.phaseX, b.period, dt)) * b.amp;
                wantY = b.baseY + std::sin(Wrap(b.phaseY, b.period, dt)) * b.amp;
                toward = true;
                break;
            default: {
                b.baseX += b.dirX * b.speed * dt;
                b.baseY += b.dirY * b.speed * dt;
                const float s = std::sin(Wrap(b.phaseX, b.period, dt)) * b.amp;
                wantX = b.baseX - b.dirY * s;
                wantY = b.baseY + b.dirX * s;
                toward = true;
                break;
            }
            }
            if (toward) {
                b.vx = (wantX - b.x) / dt;
                b.vy = (wantY - b.y) / dt;
            }
            // The body's speed limit, heading and displacement, as the motion step between the
            // passes gives them.
            float speed = std::sqrt(b.vx * b.vx + b.vy * b.vy);
            if (speed > b.bodyMaxSpeed) {
                b.vx = b.vx / speed * b.bodyMaxSpeed;
                b.vy = b.vy / speed * b.bodyMaxSpeed;
                speed = b.bodyMaxSpeed;
            }
            if (speed >= 0.000001f) {
                b.headingX = b.vx / speed;
                b.headingY = b.vy / speed;
                b.sideX = -b.headingY;
                b.sideY = b.headingX;
            }
            b.dispX = b.vx * dt;
            b.dispY = b.vy * dt;
            b.bodySpeed = speed;
            b.x += b.vx * dt;
            b.y += b.vy * dt;
            b.world.m[3][0] = b.x;
            b.world.m[3][1] = b.y;
            b.player.Advance(dt);
            const AnimationImage& image = b.player.GetImage();
            b.texture = image.textureId;
            b.width = float(image.width);
            b.height = float(image.height);
            b.u0 = image.u0;
            b.v0 = image.v0;
            b.du = image.du;
            b.dv = image.dv;
            b.offsetX = image.offsetX;
            b.offsetY = image.offsetY;
        }
        benchmark::DoNotOptimize(bullets.data());
        benchmark::ClobberMemory();
    }
    Report(state, bullets.size());
}
BENCHMARK(BM_BulletFrame_Baseline)->Unit(benchmark::kMicrosecond);

// With a collider on every bullet: the frame above plus the collision step with 2,000 circles.
void BM_BulletFrameWithColliders(benchmark::State& state) { RunScene(state, "bench_colliding"); }
BENCHMARK(BM_BulletFrameWithColliders)->Unit(benchmark::kMicrosecond);

} // namespace
