#include "Components/Core/Animation.h"

#include <algorithm>
#include <lua.hpp>

#include "Components/Core/Collider.h"
#include "Components/Core/SpriteRenderer.h"
#include "System/Common/FrameCounter.h"
#include "System/Common/Log.h"
#include "System/Graphics/AtlasTable.h"
#include "System/Graphics/Color.h"
#include "System/Graphics/TextureTable.h"
#include "System/Lua/LuaTableReader.h"
#include "World/GameObj.h"
#include "World/Transform.h"

const ClassKey Animation::s_Class("Animation");
const ClassKey SpriteAnimation::s_Class("SpriteAnimation");
const ClassKey CollisionAnimation::s_Class("CollisionAnimation");

namespace {

NameId StandLoopName()
{
    static const NameId id = HashName("stand_loop");
    return id;
}

NameId DefaultName()
{
    static const NameId id = HashName("default");
    return id;
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Animation

Animation::Animation(GameObj* owner, const ClassKey& classKey) : Component(owner, classKey) {}

Animation::~Animation() { delete m_pPlayer; }

bool Animation::Load(lua_State* L)
{
    if (!lua_istable(L, -1))
        return true;
    lua_pushnil(L);
    while (lua_next(L, -2) != 0) {
        if (lua_type(L, -2) != LUA_TSTRING || !lua_istable(L, -1)) {
            LOG_ERROR << GetOwner()->GetPrototypeName() << ": " << GetClassName()
                      << " has an entry that is not a name with a list of clips; it is skipped";
            lua_pop(L, 1);
            continue;
        }
        const std::string name = lua_tostring(L, -2);
        const NameId id = HashName(name.c_str());
        if (m_Parts.find(id) == m_Parts.end()) {
            std::vector<const AnimationClip*> list;
            const size_t count = LuaGetItemCount(L);
            for (size_t i = 0; i < count; ++i) {
                const std::string clipName = LuaGetStringItem(L, int(i));
                const AnimationClip* clip =
                    g_pAnimationTable ? g_pAnimationTable->Find(HashName(clipName.c_str())) : nullptr;
                if (!clip) {
                    // A part without a clip would leave the player with nothing to play.
                    LOG_ERROR << GetOwner()->GetPrototypeName() << ": " << GetClassName() << " animation \""
                              << name << "\" names clip \"" << clipName
                              << "\", which the animation table does not hold; the part is dropped";
                    continue;
                }
                list.push_back(clip);
            }
            m_Parts.emplace(id, std::move(list));
        }
        lua_pop(L, 1);
    }
    return true;
}

bool Animation::Attach()
{
    delete m_pPlayer;
    m_pPlayer = new AnimationPlayer;
    return true;
}

void Animation::Detach()
{
    m_Parts.clear();
    m_PartQueue.clear();
    delete m_pPlayer;
    m_pPlayer = nullptr;
}

const std::vector<const AnimationClip*>* Animation::FindParts(NameId name) const
{
    auto it = m_Parts.find(name);
    return it == m_Parts.end() ? nullptr : &it->second;
}

bool Animation::IsPlaying() const
{
    if (!m_pPlayer || m_pPlayer->IsStopped() || !m_pPlayer->GetClip())
        return false;
    if (m_pPlayer->GetWrapMode() != eWrapMode_Once)
        return true;
    const AnimationClip* clip = m_pPlayer->GetClip();
    if (clip->HasSheet() && m_pPlayer->GetTrackTime() < clip->m_fSheetLength)
        return true;
    if (clip->HasSprite() && m_pPlayer->GetTrackTime() < clip->m_fSpriteLength)
        return true;
    return clip->m_bHasPose && m_pPlayer->GetPoseTime() < clip->m_fPoseLength;
}

bool Animation::IsEnded() const { return !IsPlaying(); }

bool Animation::StartAnimation(NameId name, bool clearQueue)
{
    auto it = m_Parts.find(name);
    const bool found = it != m_Parts.end();
    if (found) {
        m_PartQueue.clear();
        const std::vector<const AnimationClip*>& list = it->second;
        if (!list.empty()) {
            m_PartQueue.insert(m_PartQueue.end(), list.begin() + 1, list.end());
            OnPartStart();
            if (m_pPlayer)
                m_pPlayer->Reset(list.front());
        }
        m_nCurrent = name;
    }
    if (clearQueue)
        m_ClipQueue.clear();
    return found;
}

void Animation::RunQueues()
{
    if (!IsEnded())
        return;
    if (!m_PartQueue.empty()) {
        OnPartStart();
        const AnimationClip* part = m_PartQueue.front();
        m_PartQueue.pop_front();
        if (m_pPlayer)
            m_pPlayer->Reset(part);
    } else if (!m_ClipQueue.empty()) {
        const NameId next = m_ClipQueue.front();
        StartAnimation(next, false);
        // Taken off after playing, so a Play that does not clear it keeps the rest in order.
        if (!m_ClipQueue.empty())
            m_ClipQueue.pop_front();
    }
}

// ---------------------------------------------------------------------------------------------
// SpriteAnimation

SpriteAnimation::SpriteAnimation(GameObj* owner) : Animation(owner, s_Class) {}

bool SpriteAnimation::IsKindOf(TypeKey key) const { return key == s_Class.Key || key == Animation::s_Class.Key; }

void SpriteAnimation::CollectTextures()
{
    m_Textures.clear();
    for (const auto& entry : m_Parts)
        for (const AnimationClip* clip : entry.second) {
            if (clip->m_bHasTexcoord) {
                m_Textures.push_back(clip->m_Texcoord.textureId);
            } else if (clip->HasSprite()) {
                for (const SpriteFrame& run : clip->m_SpriteFrames)
                    m_Textures.push_back(run.textureId);
            } else {
                for (const SheetFrame& row : clip->m_SheetFrames)
                    if (row.sprite)
                        m_Textures.push_back(row.sprite->textureId);
            }
        }
    std::sort(m_Textures.begin(), m_Textures.end());
    m_Textures.erase(std::unique(m_Textures.begin(), m_Textures.end()), m_Textures.end());
}

bool SpriteAnimation::Attach()
{
    GetOwner()->SetSpriteAnimation(this);
    Animation::Attach();
    CollectTextures();
    if (g_pTextureTable)
        for (NameId id : m_Textures)
            TextureTable::AddUse(g_pTextureTable->Find(id));
    return true;
}

void SpriteAnimation::Detach()
{
    if (g_pTextureTable)
        for (NameId id : m_Textures)
            TextureTable::RemoveUse(g_pTextureTable->Find(id));
    Animation::Detach();
    if (GetOwner()->GetSpriteAnimation() == this)
        GetOwner()->SetSpriteAnimation(nullptr);
}

void SpriteAnimation::Start()
{
    m_pTransform = GetOwner()->GetTransform();
    Renderer* renderer = GetOwner()->GetRenderer();
    m_pSprite = renderer && renderer->IsKindOf(SpriteRenderer::s_Class.Key) ? static_cast<SpriteRenderer*>(renderer)
                                                                             : nullptr;
    if (IsEnded())
        Play(StandLoopName(), true);
    m_bSkipAdvance = true;
}

void SpriteAnimation::LateUpdate()
{
    if (!m_pPlayer)
        return;
    if (m_bSkipAdvance)
        m_bSkipAdvance = false;
    else
        m_pPlayer->Advance(GetAppDeltaTime());
    RunQueues();
    const AnimationClip* clip = m_pPlayer->GetClip();
    if (!m_pSprite || !clip)
        return;
    float extraX = 0.0f, extraY = 0.0f;
    if (clip->m_bHasPose) {
        if (m_pTransform) {
            Matrix4x4& local = m_pTransform->LocalMatrix();
            const float dx = m_pPlayer->GetPoseChange(0);
            local.m[3][0] += m_bMirror ? -dx : dx;
            local.m[3][1] += m_pPlayer->GetPoseChange(1);
            m_pTransform->UpdateWorldMatrices();
            m_pTransform->Rotate(m_pPlayer->GetPoseChange(kPoseChannel_Rotation));
            m_pTransform->SetLocalScale(m_pPlayer->GetPose(3), m_pPlayer->GetPose(4));
        }
        const uint32_t color = m_pSprite->GetColor();
        m_pSprite->SetColor(PackColor(m_pPlayer->GetPose(5), ColorRed(color) / 255.0f, ColorGreen(color) / 255.0f,
                                      ColorBlue(color) / 255.0f));
        extraX = m_pPlayer->GetPose(8);
        extraY = m_pPlayer->GetPose(9);
    }
    const AnimationImage& image = m_pPlayer->GetImage();
    m_pSprite->SetTextureId(image.textureId);
    m_pSprite->SetSize(float(image.width), float(image.height));
    m_pSprite->SetUVRect(image.u0, image.v0, image.du, image.dv);
    m_pSprite->SetOffset(image.offsetX + extraX, image.offsetY + extraY);
}

// ---------------------------------------------------------------------------------------------
// CollisionAnimation

CollisionAnimation::CollisionAnimation(GameObj* owner) : Animation(owner, s_Class) {}

bool CollisionAnimation::IsKindOf(TypeKey key) const
{
    return key == s_Class.Key || key == Animation::s_Class.Key;
}

void CollisionAnimation::OnPartStart()
{
    if (m_pCollider)
        m_pCollider->ResetShape();
}

void CollisionAnimation::Start()
{
    m_pTransform = GetOwner()->GetTransform();
    m_pCollider = GetOwner()->GetCollider();
    if (IsEnded())
        Play(DefaultName(), true);
}

void CollisionAnimation::PhysicsUpdate()
{
    if (!m_pCollider || !m_pPlayer || m_pPlayer->IsStopped())
        return;
    const AnimationClip* clip = m_pPlayer->GetClip();
    if (!clip || !clip->m_bHasPose || !IsPlaying())
        return;
    m_pCollider->SetOffset(m_pPlayer->GetPose(0), m_pPlayer->GetPose(1));
    if (m_pPlayer->GetPose(5) > 0.0f)
        m_pCollider->Enable();
    else
        m_pCollider->Disable();
}

void CollisionAnimation::LateUpdate()
{
    if (!m_pPlayer)
        return;
    m_pPlayer->Advance(GetAppDeltaTime());
    RunQueues();
    const AnimationClip* clip = m_pPlayer->GetClip();
    if (m_pCollider && clip && clip->m_bHasPose)
        m_pCollider->SetScale(m_pPlayer->GetPose(3), m_pPlayer->GetPose(4));
}
