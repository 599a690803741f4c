#include "Components/Core/CoreComponents.h"

#include "Components/Core/Animation.h"
#include "Components/Core/BackgroundLayer.h"
#include "Components/Core/Camera2D.h"
#include "Components/Core/Collider.h"
#include "Components/Core/FontRenderer.h"
#include "Components/Core/Kinematics.h"
#include "Components/Core/LandscapeFactory.h"
#include "Components/Core/MovieRenderer.h"
#include "Components/Core/MusicPlayer.h"
#include "Components/Core/SpriteBlurRenderer.h"
#include "Components/Core/SpriteNumberRenderer.h"
#include "Components/Core/SpriteRenderer.h"
#include "Components/Core/StageGenerator.h"
#include "Components/Core/TerrainFactory.h"
#include "World/ComponentFactory.h"

void RegisterCoreComponents(ComponentFactory& factory)
{
    factory.RegisterClass<Kinematics>();
    factory.RegisterClass<Camera2D>();
    factory.RegisterClass<SpriteRenderer>();
    factory.RegisterClass<SpriteBlurRenderer>();
    factory.RegisterClass<SlicedSpriteRenderer>();
    factory.RegisterClass<SlideBarRenderer>();
    factory.RegisterClass<TextureAtlas>();
    factory.RegisterClass<FontRenderer>();
    factory.RegisterClass<SpriteNumberRenderer>();
    factory.RegisterClass<MovieRenderer>();
    factory.RegisterClass<Box2DCollider>();
    factory.RegisterClass<CircleCollider>();
    factory.RegisterClass<SegmentCollider>();
    factory.RegisterClass<StageGenerator>();
    factory.RegisterClass<TerrainFactory>();
    factory.RegisterClass<LandscapeFactory>();
    factory.RegisterClass<MusicPlayer>();
    factory.RegisterClass<BackgroundLayer>();
    factory.RegisterClass<SpriteAnimation>();
    factory.RegisterClass<CollisionAnimation>();
}
