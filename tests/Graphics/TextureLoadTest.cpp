#include <gtest/gtest.h>

#include "SpriteDeviceFixture.h"
#include "System/Graphics/D3D9Texture.h"
#include "System/Graphics/TextureTable.h"

namespace {

class TextureLoadTest : public SpriteDeviceTest {
protected:
    void WriteGameFiles() override
    {
        Write("assets.v1/2d/sprites/resident.tga", TgaFile(2, 2, {0xFFFF0000, 0xFFFF0000, 0xFFFF0000, 0xFFFF0000}));
        Write("assets.v1/2d/sprites/ondemand.tga", TgaFile(4, 1, {0xFF00FF00, 0xFF00FF00, 0xFF00FF00, 0xFF00FF00}));
        Write("assets.v1/scripts/textures/texture_test.lua",
              "texture_table = {\n"
              "  resident = { texture_name = \"assets.v1/2d/sprites/resident\", load_type = 1 },\n"
              "  ondemand = { texture_name = \"assets.v1/2d/sprites/ondemand\", load_type = 2 },\n"
              "}\n");
    }
};

TEST_F(TextureLoadTest, LoadsWhileRequestedAndReleasesAfterwards)
{
    TextureTable table;
    table.LoadFolder("assets.v1/scripts/textures/");
    TextureEntry* resident = table.Find(HashName("resident"));
    TextureEntry* onDemand = table.Find(HashName("ondemand"));
    ASSERT_NE(resident, nullptr);
    ASSERT_NE(onDemand, nullptr);
    EXPECT_EQ(onDemand->width, 4u);
    EXPECT_EQ(onDemand->height, 1u);

    struct Step {
        int change;     // use count change of the on-demand entry before the update
        bool loaded;    // what Update returns
        bool onDemandLoaded;
    } steps[] = {
        {0, true, false},   // the resident texture loads at the first update
        {0, false, false},
        {+1, true, true},   // requested: loaded
        {0, false, true},
        {-1, false, false}, // no longer requested: released
        {+1, true, true},
        {-1, false, false},
    };
    for (const Step& s : steps) {
        if (s.change > 0)
            TextureTable::AddUse(onDemand);
        if (s.change < 0)
            TextureTable::RemoveUse(onDemand);
        EXPECT_EQ(table.Update(), s.loaded);
        ASSERT_NE(resident->texture, nullptr);
        EXPECT_EQ(resident->texture->GetWidth(), 2u);
        EXPECT_NE(resident->texture->GetUserData(), 0u); // the material key comes from the file
        EXPECT_EQ(onDemand->texture != nullptr, s.onDemandLoaded);
    }

    // Requested and given up again between two updates: neither loaded nor released.
    TextureTable::AddUse(onDemand);
    TextureTable::RemoveUse(onDemand);
    EXPECT_FALSE(table.Update());
    EXPECT_EQ(onDemand->texture, nullptr);

    table.Clear();
    EXPECT_EQ(table.GetCount(), 0u);
}

} // namespace
