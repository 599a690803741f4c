// The player character's actor: movement and attack tuning from its prototype, the first pad
// turned into state requests, the power costs of the special actions, and the machine of
// player states. It also lands the player on terrain and handles its death.
#pragma once

#include <cstdint>
#include <string>

#include "Components/Game/ActorController.h"

class IPlayerState;
class SegmentCollider;

// Bits of the first pad as the player reads them.
enum PlayerPadBit : uint32_t {
    ePadBit_Up = 0x1,
    ePadBit_Down = 0x2,
    ePadBit_Left = 0x4,
    ePadBit_Right = 0x8,
    ePadBit_Slash = 0x10,
    ePadBit_Jump = 0x20,
    ePadBit_Blow = 0x40,
    ePadBit_Attack = 0x80,
    ePadBit_Special = 0x100,
    ePadBit_Step = 0x200,
    ePadBit_Glide = 0x400,
    ePadBit_Homing = 0x800,
};

enum PlayerStateId : int32_t {
    ePlayerState_Stand = 0,
    ePlayerState_TakeDamage,
    ePlayerState_Run,
    ePlayerState_Sit,
    ePlayerState_Jump,
    ePlayerState_Drop,
    ePlayerState_Step,
    ePlayerState_Dash,
    ePlayerState_Gliding,
    ePlayerState_Homing,
    ePlayerState_Attack,
    ePlayerState_Blow,
    ePlayerState_Slash,
    ePlayerState_TurnedSlash,
    ePlayerState_Vardeki,
    ePlayerState_max
};

// The magnitude of the body's gravity, which the jump speed is worked out from.
constexpr float kPlayerGravity = 1470.99755859375f;

class PlayerController : public ActorController {
public:
    static const ClassKey s_Class;

    explicit PlayerController(GameObj* owner);
    ~PlayerController() override;

    // The actor's keys, then the tuning tables (each read only when present) and the rest.
    bool Load(lua_State* L) override;
    // The player registers with the root's quest controller at Start, when its stage is the root.
    bool Attach() override;
    // Unregisters, lets go of the camera, deletes the states.
    void Detach() override;
    bool IsKindOf(TypeKey key) const override;
    int32_t GetSide() const override { return 0; }
    // Costs, states (Stand entered), camera, accessory modifiers, trail off.
    void Start() override;
    // The state's movement unless in flight; grounded is cleared for this frame's contacts.
    void PhysicsUpdate() override;
    // Death, flight end, pad, then the state changes in their fixed order.
    void Update() override;
    void LateUpdate() override;
    void OnCollisionEnter(const CollisionInfo& info) override;
    void OnCollisionStay(const CollisionInfo& info) override;

    void CreateStates();
    void DestroyStates();
    // Exit of the current state (if any), then Enter of the new one, even when it is the same.
    void ChangeState(int32_t id);
    int32_t GetStateId() const;
    IPlayerState* GetState(int32_t id) const { return m_ppStates ? m_ppStates[id] : nullptr; }

    float GetSlashCost() const;
    float GetTurnedSlashCost() const;
    float GetHomingCost() const;
    float GetVardekiCost() const;
    // A power component whose gauge covers the cost with the carried fraction.
    bool HasPower(float cost) const;
    // Whole points leave the gauge; the fraction carries to the next spending.
    void SpendPower(float amount);

    void OnTerrainContact(const SegmentCollider& segment, const CollisionInfo& info);
    // v.y and p.y from the contact, air actions refilled, grounded.
    void Land(const CollisionInfo& info);
    // The drag rule: velocity x times pow(drag, dt x 60), 0 at or below the threshold.
    void ApplyDrag(float drag, float threshold);
    void FaceInput();
    // Builds a hit object under the scene root; one with a MeleeHitController is bound to the
    // player and held (the previous one goes). Null for an unknown prototype.
    GameObj* SpawnHitObject(const std::string& name);
    // A one-shot sound effect, freed by the sound manager when it ends.
    static void PlaySound(const char* path);

    IPlayerState* m_pState = nullptr;
    IPlayerState* m_pPrevState = nullptr;
    IPlayerState** m_ppStates = nullptr;
    uint32_t m_nHeld = 0;
    uint32_t m_nPressed = 0;
    int32_t m_nHorizontal = 0;
    int32_t m_nVertical = 0;
    float m_fRunSpeed = 0.0f, m_fRunDrag = 0.0f, m_fRunThreshold = 0.0f;
    float m_fStepSpeed = 0.0f, m_fStepDrag = 0.0f, m_fStepThreshold = 0.0f, m_fStepDuration = 0.0f;
    float m_fDashSpeed = 0.0f, m_fDashDrag = 0.0f, m_fDashBrakingDrag = 0.0f, m_fDashThreshold = 0.0f,
          m_fDashDuration = 0.0f;
    float m_fSlashAccel = 0.0f, m_fSlashSpeed = 0.0f, m_fSlashDuration = 0.0f, m_fSlashRotation = 0.0f,
          m_fSlashBlurInterval = 0.0f;
    float m_fTurnedSlashDrag = 0.0f, m_fTurnedSlashThreshold = 0.0f, m_fTurnedSlashAccel = 0.0f,
          m_fTurnedSlashSpeed = 0.0f, m_fTurnedSlashDuration = 0.0f, m_fTurnedSlashBlurInterval = 0.0f;
    // Read as divisors of the gauge; Start turns them into power amounts.
    float m_fSlashCost = 0.0f, m_fTurnedSlashCost = 0.0f, m_fHomingCost = 0.0f, m_fVardekiCost = 0.0f;
    float m_fJumpSpeed = 0.0f;
    float m_fCurrentRunSpeed = 0.0f;
    int32_t m_nAirActions = 2;
    int32_t m_nMaxAirActions = 2;
    std::string m_TurnedSlashShockwaveEffect;
    float m_fTurnedSlashShockwaveInterval = 0.0f;
    bool m_bStepReady = true;
    bool m_bSlashReady = true;
    // The enemy last hit, which homing flies at. Set through SetHomingTarget: the object is held
    // by id as well, since the scene may delete it before this player's next frame.
    GameObj* m_pHomingTarget = nullptr;
    int32_t m_nHomingTargetId = -1;
    void SetHomingTarget(GameObj* target);
    float m_fLongWaitTimer = 0.0f;
    float m_fLongWaitLimit = 30.0f;

private:
    // Lets go of a homing target that is deleted or about to be, found by its id: its pointer
    // may no longer be read.
    void DropLostHomingTarget();
    // Divisor -> amount, with a warning for a divisor of 0 or less.
    float CostFromDivisor(float divisor, const char* key) const;
    void ReadPad();
    void Die();

    bool m_bRegistered = false;
};
