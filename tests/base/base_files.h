// Scratch folders and whole-file reads and writes for the base tests.
#pragma once

#include <fstream>
#include <sstream>
#include <string>

#include "support/scratch_folder.h"

namespace vendral::test {

// The base tests' scratch folders.
class BaseScratch : public ScratchFolder {
  public:
    BaseScratch() : ScratchFolder("base") {}
};

inline void WriteBytes(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

inline std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

}  // namespace vendral::test
