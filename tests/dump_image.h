// Builds dump images byte by byte for the model tests.
#pragma once

#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <string>
#include <vector>

struct DumpImage {
    std::vector<uint8_t> bytes;

    DumpImage &u8(unsigned v)
    {
        bytes.push_back((uint8_t)v);
        return *this;
    }
    DumpImage &u16(unsigned v)
    {
        return u8(v & 0xFF).u8((v >> 8) & 0xFF);
    }
    DumpImage &u32(uint32_t v)
    {
        return u16(v & 0xFFFF).u16(v >> 16);
    }
    DumpImage &f32(float f)
    {
        uint32_t bits;
        memcpy(&bits, &f, 4);
        return u32(bits);
    }
    DumpImage &name(const std::string &s)
    {
        bytes.insert(bytes.end(), s.begin(), s.end());
        return u8(0);
    }
    // Header: the scale and a pool of (x, y, z) triples, then normals.
    DumpImage &header(unsigned scale, std::initializer_list<int> vertices,
                      std::initializer_list<int> normals)
    {
        u16(scale).u32((uint32_t)(vertices.size() / 3));
        for (int q : vertices)
            u16((unsigned)(uint16_t)q);
        u32((uint32_t)(normals.size() / 3));
        for (int q : normals)
            u16((unsigned)(uint16_t)q);
        return *this;
    }
    DumpImage &material(const std::string &n, float value = 0.5f)
    {
        u8('m').name(n);
        for (int i = 0; i < 11; i++)
            f32(value);
        return *this;
    }
    DumpImage &object(const std::string &n)
    {
        return u8('o').name(n);
    }
    // A group of faces, each a list of vertex indices with normal index 0.
    DumpImage &group(const std::string &n, const std::string &material,
                     std::initializer_list<std::initializer_list<int>> faces)
    {
        u8('g').name(n).name(material).u16((unsigned)faces.size());
        for (auto face : faces) {
            u8((unsigned)face.size());
            for (int v : face)
                u16((unsigned)v);
            for (size_t i = 0; i < face.size(); i++)
                u16(0);
        }
        return *this;
    }
    DumpImage &end()
    {
        return u8('q');
    }
};
