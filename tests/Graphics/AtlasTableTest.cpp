#include <gtest/gtest.h>

#include "GameFolderFixture.h"
#include "System/Common/NameHash.h"
#include "System/Graphics/AtlasTable.h"

namespace {

class AtlasTableTest : public GameFolderTest {
protected:
    void WriteSheet(const std::string& file, const std::string& texture, const std::string& size,
                    const std::string& sprites)
    {
        Write("assets.v1/scripts/atlases/" + file,
              "spriteSheet = { texture = \"" + texture + "\", textureSize = " + size + ", sprites = {" + sprites +
                  "} }\n");
    }

    static std::string Sprite(const std::string& name, const std::string& source, const std::string& original,
                              const std::string& uv)
    {
        return "{ name = \"" + name + "\", sourceRect = " + source + ", originalSize = " + original +
               ", uvRect = " + uv + " },";
    }

    AtlasTable table;
};

TEST_F(AtlasTableTest, ReadsRectanglesOffsetsAndNames)
{
    WriteSheet("atlas_a.lua", "sheet.png", "{ width = 256, height = 128 }",
               Sprite("trimmed.png", "{ x = 2, y = 4, width = 60, height = 56 }", "{ width = 64, height = 64 }",
                      "{ x = 16, y = 32, width = 64, height = 64 }") +
                   Sprite("left_half", "{ x = 0, y = 0, width = 32, height = 64 }", "{ width = 64, height = 64 }",
                          "{ x = 0, y = 0, width = 32, height = 64 }") +
                   Sprite("odd.size.png", "{ x = 1.5, y = 0, width = 9.75, height = 3.25 }",
                          "{ width = 12.9, height = 4 }", "{ x = 128, y = 64, width = 128, height = 64 }") +
                   "42, \"not a table\",");
    Mount();
    table.LoadFolder("assets.v1/scripts/atlases/");
    ASSERT_EQ(table.GetCount(), 3u);

    const AtlasEntry* trimmed = table.Find(HashName("trimmed"));
    ASSERT_NE(trimmed, nullptr);
    EXPECT_EQ(trimmed->textureId, HashName("sheet"));
    EXPECT_EQ(trimmed->name, "trimmed");
    EXPECT_FLOAT_EQ(trimmed->u0, 16.0f / 256.0f);
    EXPECT_FLOAT_EQ(trimmed->v0, 32.0f / 128.0f);
    EXPECT_FLOAT_EQ(trimmed->du, 0.25f);
    EXPECT_FLOAT_EQ(trimmed->dv, 0.5f);
    EXPECT_EQ(trimmed->sourceWidth, 60);
    EXPECT_EQ(trimmed->sourceHeight, 56);
    EXPECT_EQ(trimmed->originalWidth, 64);
    EXPECT_FLOAT_EQ(trimmed->offsetX, 0.0f);
    EXPECT_FLOAT_EQ(trimmed->offsetY, 0.0f);

    const AtlasEntry* half = table.Find(HashName("left_half"));
    ASSERT_NE(half, nullptr);
    EXPECT_FLOAT_EQ(half->offsetX, -16.0f);
    EXPECT_FLOAT_EQ(half->offsetY, 0.0f);

    // Only the last extension goes; sizes truncate toward zero.
    const AtlasEntry* odd = table.Find(HashName("odd.size"));
    ASSERT_NE(odd, nullptr);
    EXPECT_EQ(odd->sourceWidth, 9);
    EXPECT_EQ(odd->originalWidth, 12);
    EXPECT_FLOAT_EQ(odd->offsetX, (1.5f + 9.75f / 2.0f) - 12.9f / 2.0f);
    EXPECT_EQ(table.Find(HashName("odd.size.png")), nullptr);
}

TEST_F(AtlasTableTest, FirstFileInNameOrderKeepsADuplicateName)
{
    const std::string sprite = "{ x = 0, y = 0, width = 8, height = 8 }";
    WriteSheet("atlas_b.lua", "second.dds", "{ width = 64, height = 64 }",
               Sprite("shared", sprite, "{ width = 8, height = 8 }", sprite));
    WriteSheet("atlas_a.lua", "first.dds", "{ width = 64, height = 64 }",
               Sprite("shared", sprite, "{ width = 8, height = 8 }", sprite) +
                   Sprite("shared.png", sprite, "{ width = 8, height = 8 }", sprite));
    Mount();
    table.LoadFolder("assets.v1/scripts/atlases/");
    ASSERT_EQ(table.GetCount(), 1u);
    EXPECT_EQ(table.Find(HashName("shared"))->textureId, HashName("first"));
}

TEST_F(AtlasTableTest, SheetsThatCannotBeReadAddNothing)
{
    const std::string sprite = Sprite("s", "{ x = 0, y = 0, width = 8, height = 8 }", "{ width = 8, height = 8 }",
                                      "{ x = 0, y = 0, width = 8, height = 8 }");
    struct Case {
        const char* file;
        std::string text;
    } cases[] = {
        {"atlas_nosize.lua", "spriteSheet = { texture = \"t\", sprites = {" + sprite + "} }"},
        {"atlas_zero.lua", "spriteSheet = { texture = \"t\", textureSize = { width = 0, height = 8 }, sprites = {" +
                               sprite + "} }"},
        {"atlas_syntax.lua", "spriteSheet = { texture = "},
        {"atlas_other.lua", "somethingElse = {}"},
        {"atlas_string.lua", "spriteSheet = \"sheet\""},
        {"atlas_nosprites.lua", "spriteSheet = { texture = \"t\", textureSize = { width = 8, height = 8 } }"},
    };
    for (const Case& c : cases)
        Write(std::string("assets.v1/scripts/atlases/") + c.file, c.text);
    // Beside them, a good sheet still loads.
    Write("assets.v1/scripts/atlases/atlas_0good.lua",
          "spriteSheet = { texture = \"good\", textureSize = { width = 8, height = 8 }, sprites = {" + sprite + "} }");
    Mount();
    table.LoadFolder("assets.v1/scripts/atlases/");
    ASSERT_EQ(table.GetCount(), 1u);
    EXPECT_EQ(table.Find(HashName("s"))->textureId, HashName("good"));
    table.Destroy();
    EXPECT_EQ(table.GetCount(), 0u);
    EXPECT_EQ(table.Find(HashName("s")), nullptr);
}

// A metatable in the data that raises an error while a sprite is read costs that sheet from
// there on, with an error line naming the script and Lua's message; other sheets still load.
TEST_F(AtlasTableTest, ALuaErrorWhileReadingSkipsItsSheetWithAnError)
{
    const std::string good = Sprite("kept", "{ x = 0, y = 0, width = 8, height = 8 }", "{ width = 8, height = 8 }",
                                    "{ x = 0, y = 0, width = 8, height = 8 }");
    WriteSheet("atlas_a.lua", "bad.png", "{ width = 64, height = 64 }",
               "setmetatable({}, { __index = function(t, k) error('no ' .. k) end }),");
    WriteSheet("atlas_b.lua", "good.png", "{ width = 64, height = 64 }", good);
    Mount();
    testing::internal::CaptureStdout();
    table.LoadFolder("assets.v1/scripts/atlases/");
    const std::string log = testing::internal::GetCapturedStdout();
    const size_t at = log.find("assets.v1/scripts/atlases/atlas_a:");
    ASSERT_NE(at, std::string::npos) << log;
    const std::string line = log.substr(log.rfind('[', at), log.find('\n', at) - log.rfind('[', at));
    EXPECT_NE(line.find(":ERROR:"), std::string::npos) << line;
    EXPECT_NE(line.find("no name"), std::string::npos) << line;
    ASSERT_EQ(table.GetCount(), 1u);
    EXPECT_EQ(table.Find(HashName("kept"))->textureId, HashName("good"));
}

} // namespace
