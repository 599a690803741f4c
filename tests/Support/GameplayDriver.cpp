#include "Support/GameplayDriver.h"

#include "Components/Core/Camera2D.h"
#include "Components/Core/Collider.h"
#include "Components/Core/Kinematics.h"
#include "Components/Core/SpriteRenderer.h"
#include "Components/Game/ActorController.h"
#include "Components/Game/HealthController.h"
#include "Components/Game/PlayerController.h"
#include "Components/Game/PowerController.h"
#include "Components/Game/QuestController.h"
#include "System/Common/GameSettings.h"
#include "System/Input/VirtualPad.h"
#include "World/GameObj.h"
#include "World/MessageManager.h"
#include "World/SceneManager.h"
#include "World/Transform.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stb_image.h>

namespace {

struct ButtonKey {
    const char* name;
    const char* padName;
    SDL_Scancode key;
    uint32_t dik; // the settings' default keyboard scan code
};

// In pad button order: up, down, left, right, A .. RT, LSB, RSB, start, select.
const ButtonKey kButtons[ePadButton_max] = {
    {"up", "up", SDL_SCANCODE_UP, 0xC8},
    {"down", "down", SDL_SCANCODE_DOWN, 0xD0},
    {"left", "left", SDL_SCANCODE_LEFT, 0xCB},
    {"right", "right", SDL_SCANCODE_RIGHT, 0xCD},
    {"slash", "A", SDL_SCANCODE_SEMICOLON, 0x27},
    {"jump", "B", SDL_SCANCODE_L, 0x26},
    {"blow", "X", SDL_SCANCODE_K, 0x25},
    {"attack", "Y", SDL_SCANCODE_J, 0x24},
    {"special", "LB", SDL_SCANCODE_N, 0x31},
    {"step", "RB", SDL_SCANCODE_U, 0x16},
    {"glide", "LT", SDL_SCANCODE_PERIOD, 0x34},
    {"homing", "RT", SDL_SCANCODE_H, 0x23},
    {"lsb", "LSB", SDL_SCANCODE_UNKNOWN, 0},
    {"rsb", "RSB", SDL_SCANCODE_UNKNOWN, 0},
    {"start", "start", SDL_SCANCODE_E, 0x12},
    {"select", "select", SDL_SCANCODE_Q, 0x10},
};

} // namespace

SDL_Scancode DefaultKeyOfPadButton(int button)
{
    if (button < 0 || button >= ePadButton_max)
        return SDL_SCANCODE_UNKNOWN;
    // The table must follow the settings: a changed default would press the wrong key.
    const uint32_t dik = static_cast<uint32_t>(GetBindingDefault(button)) >> 16;
    EXPECT_EQ(dik, kButtons[button].dik) << "default binding of pad button " << kButtons[button].name;
    return kButtons[button].key;
}

std::vector<SDL_Scancode> GameplayDriver::Keys(const std::string& buttons) const
{
    std::vector<SDL_Scancode> keys;
    size_t start = 0;
    while (start <= buttons.size()) {
        const size_t end = std::min(buttons.find('+', start), buttons.size());
        const std::string name = buttons.substr(start, end - start);
        bool found = false;
        for (int i = 0; i < ePadButton_max && !found; ++i)
            if (name == kButtons[i].name || name == kButtons[i].padName) {
                const SDL_Scancode key = DefaultKeyOfPadButton(i);
                EXPECT_NE(key, SDL_SCANCODE_UNKNOWN) << "pad button " << name << " has no default key";
                keys.push_back(key);
                found = true;
            }
        EXPECT_TRUE(found) << "no pad button named \"" << name << "\"";
        start = end + 1;
    }
    return keys;
}

void GameplayDriver::Hold(const std::string& buttons)
{
    for (SDL_Scancode key : Keys(buttons))
        if (std::find(m_Held.begin(), m_Held.end(), key) == m_Held.end()) {
            m_Game.KeyDown(key);
            m_Held.push_back(key);
        }
}

void GameplayDriver::Release(const std::string& buttons)
{
    for (SDL_Scancode key : Keys(buttons)) {
        auto it = std::find(m_Held.begin(), m_Held.end(), key);
        if (it != m_Held.end()) {
            m_Game.KeyUp(key);
            m_Held.erase(it);
        }
    }
}

void GameplayDriver::ReleaseAll()
{
    for (SDL_Scancode key : m_Held)
        m_Game.KeyUp(key);
    m_Held.clear();
}

void GameplayDriver::Press(const std::string& buttons, int ticks)
{
    Hold(buttons);
    m_Game.Ticks(ticks);
    Release(buttons);
}

testing::AssertionResult GameplayDriver::WaitForState(int32_t state, int frameLimit)
{
    return WaitUntil([&] { return PlayerState() == state; }, "the player's state becomes " + std::to_string(state),
                     frameLimit);
}

testing::AssertionResult GameplayDriver::WalkTo(float x, float reach, int frameLimit)
{
    if (!Player())
        return testing::AssertionFailure() << "no player to walk to x " << x;
    const char* const way = PlayerX() < x ? "right" : "left";
    Hold(way);
    int frames = 0;
    while (std::fabs(PlayerX() - x) > reach && frames < frameLimit) {
        m_Game.Tick();
        ++frames;
    }
    Release(way);
    // Stopping slides a little: wait until the body rests.
    for (int still = 0; still < 3 && frames < frameLimit; ++frames) {
        m_Game.Tick();
        still = PlayerVelocityX() == 0.0f && Grounded() ? still + 1 : 0;
    }
    // A run's stop slides up to about a body width past where the button went up.
    constexpr float kStopSlide = 24.0f;
    if (std::fabs(PlayerX() - x) > reach + kStopSlide || PlayerVelocityX() != 0.0f)
        return testing::AssertionFailure() << "walking " << way << " to x " << x << " stopped at x " << PlayerX()
                                           << " (velocity " << PlayerVelocityX() << ") after " << frames
                                           << " frames";
    return testing::AssertionSuccess();
}

GameObj* GameplayDriver::Player() const
{
    GameObj* root = g_pSceneManager ? g_pSceneManager->GetRoot() : nullptr;
    auto* quest = root ? static_cast<QuestController*>(root->GetComponent(QuestController::s_Class.Key)) : nullptr;
    return quest ? quest->m_pPlayerObj : nullptr;
}

PlayerController* GameplayDriver::Controller() const
{
    GameObj* player = Player();
    return player ? static_cast<PlayerController*>(player->GetComponent(PlayerController::s_Class.Key)) : nullptr;
}

float GameplayDriver::PlayerX() const
{
    GameObj* p = Player();
    return p && p->GetKinematics() ? p->GetKinematics()->m_fPosX : 0.0f;
}

float GameplayDriver::PlayerY() const
{
    GameObj* p = Player();
    return p && p->GetKinematics() ? p->GetKinematics()->m_fPosY : 0.0f;
}

float GameplayDriver::PlayerVelocityX() const
{
    GameObj* p = Player();
    return p && p->GetKinematics() ? p->GetKinematics()->m_fVelX : 0.0f;
}

float GameplayDriver::PlayerVelocityY() const
{
    GameObj* p = Player();
    return p && p->GetKinematics() ? p->GetKinematics()->m_fVelY : 0.0f;
}

int32_t GameplayDriver::PlayerState() const
{
    const PlayerController* c = Controller();
    return c ? c->GetStateId() : -1;
}

bool GameplayDriver::Grounded() const
{
    const PlayerController* c = Controller();
    return c && c->m_bGrounded;
}

int32_t GameplayDriver::Health() const
{
    const PlayerController* c = Controller();
    return c && c->m_pHealth ? c->m_pHealth->m_nHealth : 0;
}

int32_t GameplayDriver::Power() const
{
    const PlayerController* c = Controller();
    return c && c->m_pPower ? c->m_pPower->m_nPower : 0;
}

GameObj* GameplayDriver::NearestEnemy() const
{
    GameObj* root = g_pSceneManager ? g_pSceneManager->GetRoot() : nullptr;
    GameObj* best = nullptr;
    float bestDistance = FLT_MAX;
    const float px = PlayerX(), py = PlayerY();
    const NameId enemy = HashName("Enemy");
    for (GameObj* o = root; o; o = o->GetNext()) {
        if (o->GetTag() != enemy || !o->IsActive() || !o->GetTransform())
            continue;
        const float dx = o->GetTransform()->WorldMatrix().m[3][0] - px;
        const float dy = o->GetTransform()->WorldMatrix().m[3][1] - py;
        const float d = dx * dx + dy * dy;
        if (d < bestDistance) {
            bestDistance = d;
            best = o;
        }
    }
    return best;
}

std::vector<GameObj*> GameplayDriver::LiveEnemies() const
{
    std::vector<GameObj*> enemies;
    const NameId enemy = HashName("Enemy");
    for (GameObj* o = g_pSceneManager ? g_pSceneManager->GetRoot() : nullptr; o; o = o->GetNext())
        if (o->GetTag() == enemy && o->IsActive() && o->GetTransform())
            enemies.push_back(o);
    return enemies;
}

float GameplayDriver::XOf(const GameObj* object)
{
    return object && object->GetTransform() ? object->GetTransform()->WorldMatrix().m[3][0] : 0.0f;
}

float GameplayDriver::YOf(const GameObj* object)
{
    return object && object->GetTransform() ? object->GetTransform()->WorldMatrix().m[3][1] : 0.0f;
}

std::string GameplayDriver::Toward(float x) const { return x >= PlayerX() ? "right" : "left"; }

namespace {

GameObj* LiveObject(int32_t id)
{
    const MessageManager* messages = g_pSceneManager ? g_pSceneManager->GetMessageManager() : nullptr;
    return messages && id >= 0 ? messages->FindObject(id) : nullptr;
}

bool Standing(const GameObj* object)
{
    return object && object->IsActive() && !(object->GetFlags() & eGameObjFlag_PendingRemoval);
}

} // namespace

testing::AssertionResult GameplayDriver::Approach(const GameObj* target, float reach, int frameLimit)
{
    if (!target)
        return testing::AssertionFailure() << "no object to approach";
    const int32_t id = target->GetId();
    const std::string name = target->GetPrototypeName();
    std::string held;
    for (int frames = 0;; ++frames) {
        const GameObj* now = LiveObject(id);
        if (!Standing(now)) {
            Release("left+right");
            return testing::AssertionFailure() << name << " was gone before the player reached it (" << frames
                                               << " frames)";
        }
        if (!Standing(Player())) {
            Release("left+right");
            return testing::AssertionFailure() << "the player fell while approaching " << name;
        }
        const float dx = XOf(now) - PlayerX();
        const std::string way = Toward(XOf(now));
        if (std::fabs(dx) <= reach) {
            Release("left+right");
            // One tick toward it turns the player if it ran past.
            Press(way);
            return testing::AssertionSuccess();
        }
        if (frames >= frameLimit) {
            Release("left+right");
            return testing::AssertionFailure() << "approaching " << name << ": still " << std::fabs(dx)
                                               << " across after " << frames << " frames; " << FightReport();
        }
        if (way != held) {
            Release("left+right");
            Hold(way);
            held = way;
        }
        m_Game.Tick();
        if (testing::Test::HasFatalFailure())
            return testing::AssertionFailure() << "a tick failed while approaching " << name;
    }
}

testing::AssertionResult GameplayDriver::FightUntil(const std::function<bool()>& done, const std::string& description,
                                                    int frameLimit, int rhythm)
{
    // Within this much across, the chain's first hit box (4 to 44 ahead of the body) meets even
    // a small enemy's body.
    constexpr float kReach = 36.0f;
    // Higher than this above the body, a swing from the ground passes below.
    constexpr float kAbove = 56.0f;
    // Running this many frames without getting anywhere means a bank or a wall is in the way:
    // jump it, holding the button long enough to reach the full height.
    constexpr int kStuckFrames = 6;
    constexpr int kClimbFrames = 14;
    int sinceSwing = rhythm;
    int stuck = 0;
    int climbing = 0;
    float lastX = PlayerX();
    std::string running;
    for (int frames = 0;; ++frames) {
        if (done()) {
            ReleaseAll();
            return testing::AssertionSuccess();
        }
        if (!Standing(Player())) {
            ReleaseAll();
            return testing::AssertionFailure() << "the player fell after " << frames << " frames of fighting until \""
                                               << description << "\"; " << FightReport();
        }
        if (frames >= frameLimit) {
            ReleaseAll();
            return testing::AssertionFailure() << "\"" << description << "\" still false after " << frames
                                               << " frames of fighting; " << FightReport();
        }
        GameObj* foe = NearestEnemy();
        if (!foe) {
            ReleaseAll();
            running.clear();
        } else {
            m_nLastFoeId = foe->GetId();
            const float dx = XOf(foe) - PlayerX();
            const float dy = YOf(foe) - PlayerY();
            const std::string way = Toward(XOf(foe));
            if (std::fabs(dx) > kReach) {
                Release("attack");
                if (running != way) {
                    Release("left+right");
                    Hold(way);
                    running = way;
                    stuck = 0;
                }
                stuck = std::fabs(PlayerX() - lastX) < 0.5f ? stuck + 1 : 0;
                if (climbing > 0) {
                    --climbing;
                } else if (stuck >= kStuckFrames && Grounded()) {
                    Hold("jump");
                    climbing = kClimbFrames;
                    stuck = 0;
                } else {
                    Release("jump");
                }
            } else {
                climbing = 0;
                stuck = 0;
                if (!running.empty()) {
                    Release("left+right");
                    running.clear();
                }
                // Up into the swing for one overhead; let go at the top so the next can start.
                if (dy > kAbove && Grounded())
                    Hold("jump");
                else if (PlayerVelocityY() <= 0.0f)
                    Release("jump");
                if (sinceSwing >= rhythm) {
                    Release("left+right");
                    Hold(way + "+attack");
                    sinceSwing = 0;
                } else if (sinceSwing == 1) {
                    Release("left+right+attack");
                }
            }
        }
        lastX = PlayerX();
        m_Game.Tick();
        ++sinceSwing;
        if (testing::Test::HasFatalFailure()) {
            ReleaseAll();
            return testing::AssertionFailure() << "a tick failed while fighting until \"" << description << "\"";
        }
    }
}

std::string GameplayDriver::FightReport() const
{
    std::string report = "player at (" + std::to_string(PlayerX()) + ", " + std::to_string(PlayerY()) + "), state " +
                         std::to_string(PlayerState()) + ", health " + std::to_string(Health());
    const GameObj* foe = LiveObject(m_nLastFoeId);
    if (!foe)
        return report + ", no enemy fought now";
    const ActorController* actor = foe->GetActorController();
    report += ", last enemy " + foe->GetPrototypeName() + " at (" + std::to_string(XOf(foe)) + ", " +
              std::to_string(YOf(foe)) + ")";
    if (actor && actor->m_pHealth)
        report += " with health " + std::to_string(actor->m_pHealth->m_nHealth);
    return report;
}

Camera2D* GameplayDriver::GameCamera() const { return g_CameraRegistry.Find(GameCameraTag()); }

void GameplayDriver::ToScreen(float x, float y, int& sx, int& sy) const
{
    const Camera2D* camera = GameCamera();
    const float cx = camera ? camera->GetX() + camera->GetShakeX() : 480.0f;
    const float cy = camera ? camera->GetY() + camera->GetShakeY() : 270.0f;
    sx = static_cast<int>(std::trunc(x - cx + 480.0f + 0.5f));
    sy = static_cast<int>(std::trunc(270.0f - (y - cy) + 0.5f));
}

std::ostream& operator<<(std::ostream& out, const ScreenBox& box)
{
    return out << "x " << box.left << ".." << box.right << ", y " << box.top << ".." << box.bottom;
}

ScreenBox GameplayDriver::BodyOnScreen(const GameObj* object) const
{
    float x = XOf(object), y = YOf(object), hw = 0.0f, hh = 0.0f;
    if (Collider* c = object ? object->GetCollider() : nullptr; c && c->GetShape() == eColliderShape_Box) {
        const auto* box = static_cast<const Box2DCollider*>(c);
        x = box->GetWorldCenterX(), y = box->GetWorldCenterY();
        hw = box->GetWorldHalfX(), hh = box->GetWorldHalfY();
    } else if (c && c->GetShape() == eColliderShape_Circle) {
        const auto* circle = static_cast<const CircleCollider*>(c);
        x = circle->GetWorldCenterX(), y = circle->GetWorldCenterY();
        hw = hh = circle->GetWorldRadius();
    }
    ScreenBox s;
    ToScreen(x - hw, y + hh, s.left, s.top);
    ToScreen(x + hw, y - hh, s.right, s.bottom);
    if (s.Empty())
        s.right = s.left + 1, s.bottom = s.top + 1;
    return s;
}

ScreenBox GameplayDriver::ScreenSpriteBox(const SlicedSpriteRenderer* sprite)
{
    if (!sprite)
        return {};
    const GameObj* owner = sprite->GetOwner();
    const float x = XOf(owner), y = 540.0f - YOf(owner);
    const float hw = sprite->GetDrawWidth() * 0.5f, hh = sprite->GetDrawHeight() * 0.5f;
    auto at = [](float v) { return static_cast<int>(std::floor(v + 0.5f)); };
    return {at(x - hw), at(y - hh), at(x + hw), at(y + hh)};
}

testing::AssertionResult GameplayDriver::PlayerOnScreen() const
{
    GameObj* p = Player();
    if (!p)
        return testing::AssertionFailure() << "no player";
    float hw = 0.0f, hh = 0.0f;
    if (Collider* c = p->GetCollider(); c && c->GetShape() == eColliderShape_Box) {
        hw = static_cast<Box2DCollider*>(c)->GetWorldHalfX();
        hh = static_cast<Box2DCollider*>(c)->GetWorldHalfY();
    }
    int left = 0, top = 0, right = 0, bottom = 0;
    ToScreen(PlayerX() - hw, PlayerY() + hh, left, top);
    ToScreen(PlayerX() + hw, PlayerY() - hh, right, bottom);
    if (left >= 0 && right <= 960 && top >= 0 && bottom <= 540)
        return testing::AssertionSuccess();
    return testing::AssertionFailure() << "the player's body at (" << PlayerX() << ", " << PlayerY() << ") is drawn at x "
                                       << left << ".." << right << ", y " << top << ".." << bottom
                                       << ", not all inside the 960 x 540 view";
}

HarnessFrame GameplayDriver::Screenshot()
{
    namespace fs = std::filesystem;
    auto pngs = [] {
        std::vector<fs::path> found;
        for (const fs::directory_entry& e : fs::directory_iterator(fs::current_path()))
            if (e.path().extension() == ".png")
                found.push_back(e.path());
        return found;
    };
    for (const fs::path& old : pngs())
        fs::remove(old);
    const SDL_Scancode f12 = SDL_SCANCODE_F12;
    m_Game.KeyDown(f12);
    m_Game.Tick();
    m_Game.KeyUp(f12);
    HarnessFrame frame;
    const std::vector<fs::path> saved = pngs();
    if (saved.size() != 1) {
        ADD_FAILURE() << "F12 left " << saved.size() << " screenshots in " << fs::current_path();
        return frame;
    }
    std::ifstream in(saved[0], std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    int w = 0, h = 0, comp = 0;
    stbi_uc* rgba = stbi_load_from_memory(reinterpret_cast<const stbi_uc*>(bytes.data()),
                                          static_cast<int>(bytes.size()), &w, &h, &comp, 4);
    if (!rgba) {
        ADD_FAILURE() << "the screenshot " << saved[0] << " does not decode";
        return frame;
    }
    frame.width = w;
    frame.height = h;
    frame.pixels.resize(static_cast<size_t>(w) * static_cast<size_t>(h));
    for (size_t i = 0; i < frame.pixels.size(); ++i) {
        const stbi_uc* p = rgba + i * 4;
        frame.pixels[i] = 0xFF000000u | (uint32_t(p[0]) << 16) | (uint32_t(p[1]) << 8) | uint32_t(p[2]);
    }
    stbi_image_free(rgba);
    fs::remove(saved[0]);
    return frame;
}

testing::AssertionResult GameplayDriver::Checkpoint(const std::string& name, const std::vector<PixelProbe>& probes)
{
    const HarnessFrame frame = Screenshot();
    if (frame.pixels.empty())
        return testing::AssertionFailure() << "checkpoint " << name << ": no screenshot";
    testing::AssertionResult result = testing::AssertionSuccess();
    std::string misses;
    for (const PixelProbe& p : probes) {
        const testing::AssertionResult hit = frame.Probe(p.x, p.y, p.argb, p.tolerance);
        if (!hit)
            misses += "\n  " + p.what + ": " + hit.message();
    }
    if (!misses.empty())
        return testing::AssertionFailure() << "checkpoint " << name << ":" << misses;
    return result;
}
