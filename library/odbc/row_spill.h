// Rows of a result kept by the data layer itself, once the driver's cursor is
// about to go: in memory up to a limit, past it in an anonymous temporary file,
// so that a long result keeps memory flat.
#pragma once

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "base/internal_export.h"
#include "vendral/variant.h"

namespace vendral::detail {

class VENDRAL_TEST_INTERNAL RowSpill {
  public:
    // Rows are kept in memory up to memoryLimit bytes of their encoded form.
    explicit RowSpill(std::size_t memoryLimit = kDefaultMemoryLimit);
    ~RowSpill();
    RowSpill(const RowSpill&) = delete;
    RowSpill& operator=(const RowSpill&) = delete;

    static constexpr std::size_t kDefaultMemoryLimit = std::size_t{4} * 1024 * 1024;

    // Writing: rows of the same width, one after the other. Throws DatabaseError
    // when the temporary file cannot be created or written.
    void Append(const std::vector<Variant>& row);
    // Reading: the next row in order; false after the last.
    bool Next(std::vector<Variant>& row);

    std::size_t Rows() const { return rows_; }
    bool SpilledToFile() const { return file_ != nullptr; }

  private:
    void Write(const char* data, std::size_t size);
    void Read(char* data, std::size_t size);
    template <class Number>
    Number ReadNumber() {
        Number value{};
        Read(reinterpret_cast<char*>(&value), sizeof value);
        return value;
    }
    void FlushToFile();

    std::size_t memoryLimit_;
    std::string memory_;
    std::size_t readOffset_ = 0;
    std::FILE* file_ = nullptr;
    bool reading_ = false;
    std::size_t rows_ = 0;
    std::size_t rowsRead_ = 0;
};

}  // namespace vendral::detail

// The library's own code names these without the detail qualifier.
namespace vendral {
using namespace detail;
}  // namespace vendral
