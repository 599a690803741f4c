#include "AssetCheck.h"

#include "Platform/D3D9/ShaderTranslator.h"
#include "Platform/D3DX/D3DX9.h"
#include "Platform/D3DX/ImageDecode.h"
#include "System/Archive/ArchiveSystem.h"
#include "System/Archive/FileSystemArchive.h"
#include "System/Archive/ZEVArchive.h"
#include "System/Common/Log.h"
#include "System/Common/NameHash.h"
#include "System/Common/StreamIO.h"
#include "System/Graphics/FontSet.h"
#include "System/Graphics/SpriteBatch.h"
#include "System/Movie/MovieStream.h"
#include "System/Sound/Decoder.h"

#include <algorithm>
#include <memory>

namespace {

// The game's ERRORs caught while a loader ran, as one reason; `fallback` when it logged none.
std::string Reason(LogCapture& capture, const std::string& fallback)
{
    std::string reason;
    for (std::string line : capture.Take()) {
        while (!line.empty() && (line.back() == '\n' || line.back() == ' '))
            line.pop_back();
        reason += (reason.empty() ? "" : "; ") + line;
    }
    return reason.empty() ? fallback : reason;
}

std::string ReadEntry(const std::string& name, bool& found)
{
    std::unique_ptr<StreamIO> stream(g_pArchiveSystem->Open(HashName(name)));
    found = stream != nullptr;
    return stream ? ReadStreamToString(*stream) : std::string();
}

std::vector<std::string> SortedNames(const std::string& pattern)
{
    std::vector<std::string> names;
    g_pArchiveSystem->FindNames(names, pattern);
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace

void AssetCheck::Mount(const std::string& game)
{
    ArchiveSystem* archives = ArchiveSystem::GetInstance();
    archives->SetRoot(game + "/");
    // As the game mounts them: loose folders first, so a loose file overrides a pak entry.
    for (const char* folder :
         {"assets.v1/2d", "assets.v1/scripts", "assets.v1/shaders", "assets.v1/sounds", "assets.v1/movies"})
        archives->Mount(new FileSystemArchive(folder));
    for (const char* pak : {"bgm", "movie", "script", "se", "shader", "sprite"}) {
        LogCapture capture;
        if (!archives->Mount(new ZEVArchive(game + "/data/" + pak + ".pak"))) {
            const std::string reason = Reason(capture, "");
            if (!reason.empty())
                Add(std::string("data/") + pak + ".pak", "the game refuses it: " + reason);
        }
    }
}

bool AssetCheck::CheckImage(const std::string& image, const std::string& user)
{
    if (auto it = m_DecodedImages.find(image); it != m_DecodedImages.end())
        return it->second;
    bool found = false;
    const std::string bytes = ReadEntry(image, found);
    DecodedImage decoded;
    std::string error;
    const bool ok = found && DecodeImageFile(bytes.data(), bytes.size(), decoded, error);
    if (found && !ok)
        Add(image, "cannot be decoded (" + user + "): " + error);
    m_DecodedImages[image] = ok;
    return ok;
}

void AssetCheck::CheckFonts()
{
    for (const char* name : kFontNames) {
        bool found = false;
        ReadEntry(name, found);
        if (!found) {
            Add(name, "the font is in no archive: its text is not drawn");
            continue;
        }
        LogCapture capture;
        BitmapFont font;
        if (!font.Load(HashName(name), kFontFolder)) {
            Add(name, "the game loads no font from it: " + Reason(capture, "it cannot be read"));
            continue;
        }
        // A file that ends between its blocks loads without a word, with what it got so far.
        if (font.GetGlyphCount() == 0)
            Add(name, "has no glyphs: its text is not drawn");
        for (const std::string& page : font.GetPageNames()) {
            ReadEntry(page, found);
            if (!found)
                Add(name, "its page image " + page + " is in no archive: the glyphs on it are drawn without it");
            else
                CheckImage(page, "a page of the font " + std::string(name));
        }
    }
}

void AssetCheck::CheckShaders()
{
    const struct {
        const char* name;
        bool pixel;
    } shaders[] = {{kInstancingVertexShaderName, false}, {kInstancingPixelShaderName, true}};
    for (const auto& shader : shaders) {
        bool found = false;
        const std::string source = ReadEntry(shader.name, found);
        if (!found) {
            Add(shader.name, "the sprite shader is in no archive: sprites cannot be drawn");
            continue;
        }
        ID3DXBuffer* code = nullptr;
        ID3DXBuffer* errors = nullptr;
        if (FAILED(D3DXAssembleShader(source.data(), static_cast<UINT>(source.size()), nullptr, nullptr, 0, &code,
                                      &errors))) {
            std::string message = errors ? static_cast<const char*>(errors->GetBufferPointer()) : "(no message)";
            while (!message.empty() && message.back() == '\n')
                message.pop_back();
            Add(shader.name, "does not assemble: sprites cannot be drawn: " + message);
        } else {
            TranslatedShader translated;
            std::string error;
            if (!TranslateShader(static_cast<const uint32_t*>(code->GetBufferPointer()),
                                 code->GetBufferSize() / sizeof(uint32_t), translated, error))
                Add(shader.name, "is rejected by the device: sprites cannot be drawn: " + error);
            else if (translated.pixel != shader.pixel)
                Add(shader.name, std::string("is a ") + (translated.pixel ? "pixel" : "vertex") + " shader where a " +
                                     (shader.pixel ? "pixel" : "vertex") +
                                     " shader is needed: sprites cannot be drawn");
        }
        if (code)
            code->Release();
        if (errors)
            errors->Release();
    }
}

void AssetCheck::CheckSounds()
{
    const struct {
        const char* pattern;
        int kind;
    } groups[] = {{"assets.v1/sounds/se/*", eDecoderKind_Wave}, {"assets.v1/sounds/bgm/*", eDecoderKind_Vorbis}};
    for (const auto& group : groups)
        for (const std::string& name : SortedNames(group.pattern)) {
            LogCapture capture;
            std::unique_ptr<IDecoder> decoder(CreateDecoder(group.kind));
            const bool opened = decoder->Open(g_pArchiveSystem->Open(HashName(name)), false);
            const std::string reason = Reason(capture, opened ? "" : "the decoder refuses it");
            if (!reason.empty())
                Add(name, "the game cannot play it: " + reason);
        }
}

void AssetCheck::CheckMovies()
{
    for (const std::string& name : SortedNames("assets.v1/movies/*")) {
        LogCapture capture;
        std::unique_ptr<StreamIO> stream(g_pArchiveSystem->Open(HashName(name)));
        if (!stream)
            continue;
        MovieStream movie;
        const bool opened = movie.Open(stream.get(), StreamReadCallback, StreamCloseCallback, name.c_str());
        movie.Close();
        const std::string reason = Reason(capture, opened ? "" : "the player refuses it");
        if (!reason.empty())
            Add(name, "the game cannot play it: " + reason);
    }
}
