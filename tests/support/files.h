// Test-side files, whole: what a program under test wrote, what a test hands
// it. Portable (native and Windows-side tests).
#pragma once

#include <cstdint>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// A file's bytes; nothing when it cannot be opened.
inline std::optional<std::string> ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return in ? std::optional<std::string>(std::string(std::istreambuf_iterator<char>(in), {})) : std::nullopt;
}

// Writes a file anew with these bytes; false when it cannot be written.
inline bool WriteBytes(const std::string& path, std::string_view bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    return !out.fail();
}

inline bool WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes)
{
    return WriteBytes(path, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}
