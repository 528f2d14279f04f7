#pragma once
// The PNG files of tests/native/image/png/fixtures, compiled into the test.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace mirulo::image::test {

struct FixtureFile {
    const char* name;
    const unsigned char* data;
    std::size_t size;
};

const std::vector<FixtureFile>& AllFixtureFiles();

// The bytes of the fixture called `name`; an empty span when there is none.
inline std::span<const std::uint8_t> FixtureBytes(std::string_view name) {
    for (const FixtureFile& file : AllFixtureFiles()) {
        if (name == file.name) {
            return {reinterpret_cast<const std::uint8_t*>(file.data), file.size};
        }
    }
    return {};
}

} // namespace mirulo::image::test
