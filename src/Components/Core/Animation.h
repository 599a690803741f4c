// Components that play clips of the AnimationTable on their object. A named animation is a list
// of clips (its parts) played one after another; other names may be queued to follow it.
// SpriteAnimation drives the object's SpriteRenderer and Transform; CollisionAnimation drives
// its Collider.
#pragma once

#include <cstdint>
#include <deque>
#include <unordered_map>
#include <vector>

#include "Components/Core/AnimationPlayer.h"
#include "World/Component.h"

class Collider;
class SpriteRenderer;
class Transform;

class Animation : public Component {
public:
    static const ClassKey s_Class;

    // Every key is an animation name, every value an array of clip names. A repeated name keeps
    // its first list; a clip the table lacks is left out of its list, with an error. Never fails.
    bool Load(lua_State* L) override;
    // Creates the player: no clip, stopped.
    bool Attach() override;
    // Deletes the lists and the player.
    void Detach() override;
    ~Animation() override;

    // False when the player is stopped or has no clip; true for a clip that repeats or holds;
    // otherwise while any of its tracks has time left.
    bool IsPlaying() const;
    // Stopped, without a clip, or a once-only clip whose every track has run out.
    bool IsEnded() const;
    // Queues a name to play once the current animation and its parts have ended.
    void Enqueue(NameId name) { m_ClipQueue.push_back(name); }
    void ClearClipQueue() { m_ClipQueue.clear(); }

    NameId GetCurrent() const { return m_nCurrent; }
    const AnimationPlayer* GetPlayer() const { return m_pPlayer; }
    size_t GetPartQueueSize() const { return m_PartQueue.size(); }
    size_t GetClipQueueSize() const { return m_ClipQueue.size(); }
    // The clip list of an animation name, or null.
    const std::vector<const AnimationClip*>* FindParts(NameId name) const;

protected:
    Animation(GameObj* owner, const ClassKey& classKey);

    // Starts the named animation's first part and queues the rest; true when the name is known.
    // An unknown name changes nothing but the clip queue (emptied when asked).
    bool StartAnimation(NameId name, bool clearQueue);
    // Moves on to the next part, else to the next queued name, once the player has ended.
    void RunQueues();
    // Called before a new part or animation starts.
    virtual void OnPartStart() {}

    Transform* m_pTransform = nullptr;
    std::unordered_map<NameId, std::vector<const AnimationClip*>> m_Parts;
    AnimationPlayer* m_pPlayer = nullptr;
    NameId m_nCurrent = 0;
    std::deque<const AnimationClip*> m_PartQueue;
    std::deque<NameId> m_ClipQueue;
};

class SpriteAnimation : public Animation {
public:
    static const ClassKey s_Class;

    explicit SpriteAnimation(GameObj* owner);

    bool IsKindOf(TypeKey key) const override;
    // Caches itself in the owner, creates the player and holds a use of every texture its clips
    // show (resident ones aside).
    bool Attach() override;
    void Detach() override;
    // Binds the Transform and the owner's sprite renderer; plays "stand_loop" when nothing plays.
    // The first LateUpdate after it shows time 0.
    void Start() override;
    // Advances (except right after Start), runs the queues, then applies the pose to the
    // Transform and the image to the sprite.
    void LateUpdate() override;

    void Play(NameId name, bool clearQueue) { StartAnimation(name, clearQueue); }
    // The sorted, distinct textures of every clip of every list.
    void CollectTextures();
    const std::vector<NameId>& GetTextures() const { return m_Textures; }
    void SetMirror(bool mirror) { m_bMirror = mirror; }
    bool IsMirrored() const { return m_bMirror; }

private:
    SpriteRenderer* m_pSprite = nullptr;
    std::vector<NameId> m_Textures;
    bool m_bSkipAdvance = false;
    bool m_bMirror = false;
};

class CollisionAnimation : public Animation {
public:
    static const ClassKey s_Class;

    explicit CollisionAnimation(GameObj* owner);

    bool IsKindOf(TypeKey key) const override;
    // Binds the Transform and the owner's collider; plays "default" when nothing plays.
    void Start() override;
    // While a pose clip plays: the collider's offset from channels 0 and 1, switched on while
    // channel 5 is above 0.
    void PhysicsUpdate() override;
    // Advances, runs the queues (a new part resets the collider's shape first), then scales the
    // collider by channels 3 and 4.
    void LateUpdate() override;

    void Play(NameId name, bool clearQueue) { StartAnimation(name, clearQueue); }

private:
    void OnPartStart() override;

    Collider* m_pCollider = nullptr;
};
