/// @file
/// The exceptions the library raises, all under one base, vendral::Error:
/// DatabaseError (with UsageError under it) for the data layer, NumberedError
/// for the errors that carry a number, VariantError for a conversion that
/// cannot be made, and com::ActivationError for a class that cannot be
/// created, com::ComCallError for a failed call on an automation object.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "vendral/export.h"

namespace vendral {

/// The base of every exception of the library; what() is its text.
class VENDRAL_API Error : public std::runtime_error {
  public:
    /// An error with @p message as what().
    explicit Error(const std::string& message) : std::runtime_error(message) {}
};

/// One diagnostic record of the driver or the driver manager.
struct ErrorRecord {
    std::string Description;       ///< The message, as the driver words it.
    std::string SQLState;          ///< The five-character SQLSTATE.
    std::int32_t NativeError = 0;  ///< The driver's own error number.
};

/// The errors of the last failing call on a connection (Connection::Errors()).
class VENDRAL_API ErrorList {
  public:
    /// The number of records.
    std::size_t Count() const { return records_.size(); }
    /// The record at @p index. @throws std::out_of_range past the last one.
    const ErrorRecord& Item(std::size_t index) const { return records_.at(index); }
    /// Forgets the records.
    void Clear() { records_.clear(); }
    /// All records, first one first.
    const std::vector<ErrorRecord>& Records() const { return records_; }
    /// Replaces the records.
    void Assign(std::vector<ErrorRecord> records) { records_ = std::move(records); }

  private:
    std::vector<ErrorRecord> records_;
};

/// Every failure of the data layer: an error of the driver or the driver
/// manager, and the data layer's own refusals (see UsageError). what() is the
/// driver's message, prefixed with the SQLSTATE in brackets as drivers report
/// it, one line per record. Records() holds every diagnostic record of the
/// failing call in the driver's order (notices and warnings included);
/// Description, SQLState and NativeError are those of the first.
class VENDRAL_API DatabaseError : public Error {
  public:
    /// An error of the diagnostic records of a failed call, first one first;
    /// an empty list stands for an unknown error.
    explicit DatabaseError(std::vector<ErrorRecord> records);
    /// An error of one record.
    DatabaseError(const std::string& description, const std::string& sqlState,
                  std::int32_t nativeError = 0);

    /// The first record's message, without the SQLSTATE.
    const std::string& Description() const { return records_.front().Description; }
    /// The first record's SQLSTATE.
    const std::string& SQLState() const { return records_.front().SQLState; }
    /// The first record's native error number.
    std::int32_t NativeError() const { return records_.front().NativeError; }
    /// Every diagnostic record of the failure.
    const std::vector<ErrorRecord>& Records() const { return records_; }

  private:
    std::vector<ErrorRecord> records_;
};

/// A call the library refuses before the database is asked: an argument out
/// of range (a connection selector, a list number), a statement the travel log
/// cannot describe, or a call the object's state does not allow (a closed
/// connection, a recordset without a current row). A DatabaseError too, so
/// that handlers of database errors still see it.
class VENDRAL_API UsageError : public DatabaseError {
  public:
    using DatabaseError::DatabaseError;
};

/// The number of "File not found".
constexpr int kErrorFileNotFound = 53;

/// An error that carries a number beside its description, as the runtime
/// errors the original component raised to its callers ("File not found" is
/// 53).
class VENDRAL_API NumberedError : public Error {
  public:
    /// An error of @p number with @p description as what().
    NumberedError(int number, const std::string& description)
        : Error(description), number_(number) {}
    /// The error number.
    int Number() const { return number_; }
    /// The description, the same text as what().
    std::string Description() const { return what(); }

  private:
    int number_;
};

/// A conversion that cannot be made (text that is no number, a Null turned into
/// text or a number, a number out of range). Never a silent 0.
class VENDRAL_API VariantError : public Error {
  public:
    using Error::Error;
};

namespace com {

/// A creation that failed; the text says what was tried and what to do.
class VENDRAL_API ActivationError : public Error {
  public:
    /// A failure with the result @p result (an HRESULT) and the explanation
    /// @p message.
    ActivationError(std::int32_t result, const std::string& message)
        : Error(message), result_(result) {}
    /// The failing result (REGDB_E_CLASSNOTREG, CLASS_E_CLASSNOTAVAILABLE,
    /// E_NOINTERFACE, ...).
    std::int32_t Result() const { return result_; }

  private:
    std::int32_t result_;
};

/// The failure of a call on an automation object, with the number (an
/// HRESULT) the object gave and its description.
class VENDRAL_API ComCallError : public Error {
  public:
    /// A failure of @p number described by @p description.
    ComCallError(std::int32_t number, const std::string& description)
        : Error(description), number_(number) {}
    /// The number.
    std::int32_t Number() const { return number_; }

  private:
    std::int32_t number_;
};

}  // namespace com

}  // namespace vendral
