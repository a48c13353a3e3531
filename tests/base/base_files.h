// Scratch folders and whole-file reads and writes for the base tests.
#pragma once

#include "support/scratch_folder.h"
#include "support/whole_files.h"

namespace vendral::test {

// The base tests' scratch folders.
class BaseScratch : public ScratchFolder {
  public:
    BaseScratch() : ScratchFolder("base") {}
};

}  // namespace vendral::test
