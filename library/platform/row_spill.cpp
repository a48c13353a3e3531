#include "platform/row_spill.h"

#include <cerrno>
#include <cstdint>
#include <cstring>

#include "platform/library_errors.h"
#include "vendral/connection.h"

namespace vendral::detail {
namespace {

// One tag byte per value, then its payload.
enum Tag : char { kEmpty, kNull, kFalse, kTrue, kInteger, kLong, kLongLong, kDouble, kString };

[[noreturn]] void FileFailure(const char* what) {
    detail::Raise(detail::kRowsNotKept,
                  std::string(detail::kRowsNotKeptText) + what + " (" + std::strerror(errno) + ")");
}

}  // namespace

RowSpill::RowSpill(std::size_t memoryLimit) : memoryLimit_(memoryLimit) {}

RowSpill::~RowSpill() {
    if (file_) std::fclose(file_);
}

void RowSpill::Write(const char* data, std::size_t size) {
    if (file_) {
        if (std::fwrite(data, 1, size, file_) != size) FileFailure("writing the temporary file");
        return;
    }
    memory_.append(data, size);
}

void RowSpill::FlushToFile() {
    file_ = std::tmpfile();
    if (!file_) FileFailure("creating a temporary file");
    if (std::fwrite(memory_.data(), 1, memory_.size(), file_) != memory_.size())
        FileFailure("writing the temporary file");
    std::string().swap(memory_);
}

void RowSpill::Append(const std::vector<Variant>& row) {
    for (const Variant& value : row) {
        char tag = kEmpty;
        switch (value.Type()) {
            case VariantType::Empty:
                break;
            case VariantType::Null:
                tag = kNull;
                break;
            case VariantType::Boolean:
                tag = value.ToBool() ? kTrue : kFalse;
                break;
            case VariantType::Integer: {
                tag = kInteger;
                std::int16_t v = value.ToInteger();
                Write(&tag, 1);
                Write(reinterpret_cast<const char*>(&v), sizeof v);
                continue;
            }
            case VariantType::Long: {
                tag = kLong;
                std::int32_t v = value.ToLong();
                Write(&tag, 1);
                Write(reinterpret_cast<const char*>(&v), sizeof v);
                continue;
            }
            case VariantType::LongLong: {
                tag = kLongLong;
                std::int64_t v = value.ToLongLong();
                Write(&tag, 1);
                Write(reinterpret_cast<const char*>(&v), sizeof v);
                continue;
            }
            case VariantType::Double: {
                tag = kDouble;
                double v = value.ToDouble();
                Write(&tag, 1);
                Write(reinterpret_cast<const char*>(&v), sizeof v);
                continue;
            }
            case VariantType::String: {
                tag = kString;
                std::string text = value.ToString();
                std::uint64_t size = text.size();
                Write(&tag, 1);
                Write(reinterpret_cast<const char*>(&size), sizeof size);
                Write(text.data(), text.size());
                continue;
            }
        }
        Write(&tag, 1);
    }
    ++rows_;
    if (!file_ && memory_.size() > memoryLimit_) FlushToFile();
}

void RowSpill::Read(char* data, std::size_t size) {
    if (file_) {
        if (std::fread(data, 1, size, file_) != size) FileFailure("reading the temporary file");
        return;
    }
    if (readOffset_ + size > memory_.size()) {
        errno = EIO;
        FileFailure("reading past the kept rows");
    }
    std::memcpy(data, memory_.data() + readOffset_, size);
    readOffset_ += size;
}

bool RowSpill::Next(std::vector<Variant>& row) {
    if (!reading_) {
        reading_ = true;
        if (file_ && (std::fflush(file_) != 0 || std::fseek(file_, 0, SEEK_SET) != 0))
            FileFailure("rewinding the temporary file");
    }
    if (rowsRead_ >= rows_) return false;
    for (Variant& value : row) {
        char tag = kEmpty;
        Read(&tag, 1);
        switch (tag) {
            case kEmpty:
                value = Variant();
                break;
            case kNull:
                value = Variant::Null();
                break;
            case kFalse:
            case kTrue:
                value = Variant(tag == kTrue);
                break;
            case kInteger: {
                std::int16_t v = 0;
                Read(reinterpret_cast<char*>(&v), sizeof v);
                value = Variant(v);
                break;
            }
            case kLong: {
                std::int32_t v = 0;
                Read(reinterpret_cast<char*>(&v), sizeof v);
                value = Variant(v);
                break;
            }
            case kLongLong: {
                std::int64_t v = 0;
                Read(reinterpret_cast<char*>(&v), sizeof v);
                value = Variant(static_cast<long long>(v));
                break;
            }
            case kDouble: {
                double v = 0;
                Read(reinterpret_cast<char*>(&v), sizeof v);
                value = Variant(v);
                break;
            }
            case kString: {
                std::uint64_t size = 0;
                Read(reinterpret_cast<char*>(&size), sizeof size);
                std::string text(size, '\0');
                Read(text.data(), text.size());
                value = Variant(std::move(text));
                break;
            }
            default:
                errno = EILSEQ;
                FileFailure("reading a damaged temporary file");
        }
    }
    ++rowsRead_;
    return true;
}

}  // namespace vendral::detail
