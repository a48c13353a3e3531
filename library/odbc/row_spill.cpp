#include "odbc/row_spill.h"

#include <cerrno>
#include <cstdint>
#include <cstring>

#include "odbc/library_errors.h"
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
    // The values of a row are encoded in one piece (a tag byte, then the
    // payload) and written once; a text's bytes follow its length.
    char piece[512];
    std::size_t used = 0;
    auto put = [&](char tag, const void* payload, std::size_t size) {
        if (used + 1 + size > sizeof piece) {
            Write(piece, used);
            used = 0;
        }
        piece[used++] = tag;
        if (size != 0) std::memcpy(piece + used, payload, size);
        used += size;
    };
    for (const Variant& value : row) {
        switch (value.Type()) {
            case VariantType::Empty:
                put(kEmpty, nullptr, 0);
                break;
            case VariantType::Null:
                put(kNull, nullptr, 0);
                break;
            case VariantType::Boolean:
                put(value.ToBool() ? kTrue : kFalse, nullptr, 0);
                break;
            case VariantType::Integer: {
                std::int16_t v = value.ToInteger();
                put(kInteger, &v, sizeof v);
                break;
            }
            case VariantType::Long: {
                std::int32_t v = value.ToLong();
                put(kLong, &v, sizeof v);
                break;
            }
            case VariantType::LongLong: {
                std::int64_t v = value.ToLongLong();
                put(kLongLong, &v, sizeof v);
                break;
            }
            case VariantType::Double: {
                double v = value.ToDouble();
                put(kDouble, &v, sizeof v);
                break;
            }
            case VariantType::String: {
                std::string text = value.ToString();
                std::uint64_t size = text.size();
                put(kString, &size, sizeof size);
                Write(piece, used);
                used = 0;
                Write(text.data(), text.size());
                break;
            }
        }
    }
    Write(piece, used);
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
                value = tag == kTrue;
                break;
            case kInteger:
                value = ReadNumber<std::int16_t>();
                break;
            case kLong:
                value = ReadNumber<std::int32_t>();
                break;
            case kLongLong:
                value = static_cast<long long>(ReadNumber<std::int64_t>());
                break;
            case kDouble:
                value = ReadNumber<double>();
                break;
            case kString: {
                auto size = ReadNumber<std::uint64_t>();
                if (!file_ && size > memory_.size() - readOffset_) {
                    errno = EIO;
                    FileFailure("reading past the kept rows");
                }
                std::string text(size, '\0');
                Read(text.data(), text.size());
                value = std::move(text);
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
