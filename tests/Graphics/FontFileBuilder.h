// Builds BMFont binary files (version 3) block by block for the font tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct FontCharRecord {
    uint32_t id;
    uint16_t x, y, width, height;
    int16_t xOffset, yOffset, advance;
    uint8_t page;
    uint8_t channel = 15;
};

class FontFileBuilder {
public:
    FontFileBuilder& Magic(const std::string& magic = std::string("BMF\x03", 4))
    {
        m_Bytes += magic;
        return *this;
    }
    FontFileBuilder& Block(uint8_t type, const std::string& body) { return BlockSized(type, int32_t(body.size()), body); }
    FontFileBuilder& BlockSized(uint8_t type, int32_t size, const std::string& body)
    {
        m_Bytes += char(type);
        Put32(m_Bytes, uint32_t(size));
        m_Bytes += body;
        return *this;
    }
    FontFileBuilder& Info(int16_t fontSize)
    {
        std::string b;
        Put16(b, uint16_t(fontSize));
        b += std::string(12, '\0');
        b += "test";
        b += '\0';
        return Block(1, b);
    }
    FontFileBuilder& Common(uint16_t lineHeight, uint16_t pages)
    {
        std::string b;
        Put16(b, lineHeight);
        Put16(b, lineHeight); // base
        Put16(b, 64);
        Put16(b, 64);
        Put16(b, pages);
        b += std::string(5, '\0');
        return Block(2, b);
    }
    FontFileBuilder& Pages(const std::vector<std::string>& names)
    {
        std::string b;
        for (const std::string& n : names) {
            b += n;
            b += '\0';
        }
        return Block(3, b);
    }
    static std::string Record(const FontCharRecord& r)
    {
        std::string b;
        Put32(b, r.id);
        Put16(b, r.x);
        Put16(b, r.y);
        Put16(b, r.width);
        Put16(b, r.height);
        Put16(b, uint16_t(r.xOffset));
        Put16(b, uint16_t(r.yOffset));
        Put16(b, uint16_t(r.advance));
        b += char(r.page);
        b += char(r.channel);
        return b;
    }
    FontFileBuilder& Chars(const std::vector<FontCharRecord>& records)
    {
        std::string b;
        for (const FontCharRecord& r : records)
            b += Record(r);
        return Block(4, b);
    }
    FontFileBuilder& Raw(const std::string& bytes)
    {
        m_Bytes += bytes;
        return *this;
    }
    const std::string& Bytes() const { return m_Bytes; }

    static void Put16(std::string& s, uint16_t v)
    {
        s += char(v & 0xFF);
        s += char(v >> 8);
    }
    static void Put32(std::string& s, uint32_t v)
    {
        Put16(s, uint16_t(v & 0xFFFF));
        Put16(s, uint16_t(v >> 16));
    }

private:
    std::string m_Bytes;
};
