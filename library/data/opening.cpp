// OpenODBC_DB: the connections of an open mode, from the settings file.

#include <filesystem>
#include <stdexcept>
#include <utility>

#include "base/atomic_file.h"
#include "base/private_profile.h"
#include "base/utf8_path.h"
#include "data/cdatabase_state.h"
#include "data/data_errors.h"
#include "data/settings_file_access.h"
#include "odbc/connection_strings.h"
#include "settings/password_encoding.h"
#include "settings/settings_state.h"
#include "vendral/cdatabase.h"
#include "vendral/settings.h"
#include "vendral/ui_host.h"

namespace vendral {
namespace {

constexpr const char* kCentralSection = "Central";
// The local prefix is always read from this section, whatever LocalDSNEntry names.
constexpr const char* kLocalPrefixSection = "Local";
constexpr const char* kDefaultPrefix = "CRM5";
constexpr const char* kCentralProblem = "There is a problem with the central connection.\r\n";
constexpr const char* kLocalProblem = "There is a problem with the local connection.\r\n";

// What a failure does to the call.
constexpr std::int16_t kFailBeforeConnecting = 0;  // the call ends with an empty result
constexpr std::int16_t kFailFatal = -1;            // one message, the call ends with false
constexpr std::int16_t kFailTolerated = 1;         // counted, the call goes on

std::string Read(const std::string& section, const std::string& key,
                 const std::string& defaultValue, const std::string& file) {
    return ReadIniValue(section, key, defaultValue, file, false).ToString();
}

// A plain password survives in the file only until the next open. Both keys
// change in one replacement of the file, "PWDC" written before "PWD" is
// emptied, so that no moment (and no crash) leaves the file without the
// credential. False when the file could not be rewritten.
bool MovePlainPassword(const std::string& section, const std::string& plain,
                       const std::string& file) {
    if (plain.empty()) return true;
    return WritePrivateProfileValues(section, {{"PWDC", EncodePassword(plain)}, {"PWD", ""}}, file);
}

std::string StoredPassword(const std::string& section, const std::string& file) {
    std::string encoded = Read(section, "PWDC", "", file);
    if (encoded.empty()) return "";
    std::string plain = DecodePassword(encoded);
    // The stored form of an empty password decodes to the sentinel.
    return plain == EmptyPasswordSentinel() ? "" : plain;
}

// The stored form of an empty password is no password.
bool HoldsPassword(const std::string& section, const std::string& file) {
    return !Read(section, "PWD", "", file).empty() || !StoredPassword(section, file).empty();
}

std::string WithTrailingDot(const std::string& prefix) {
    if (!prefix.empty() && prefix.back() == '.') return prefix;
    return prefix + ".";
}

}  // namespace

struct CDatabase::Impl::OpenRun {
    OpenRun(std::int16_t& failCount, std::string& lastError)
        : failCount_(failCount), lastError_(lastError) {}

    std::int16_t failureMode = kFailBeforeConnecting;
    std::int16_t toleratedFailures = 0;
    std::string messagePrefix;
    std::string settingsFile;
    std::string localSection;
    // The credentials of each side's connection string (UserID and Password
    // override the file's).
    struct Credentials {
        std::string Uid, Pwd;
    };
    Credentials central, local;

    // Runs one statement; an error in it goes to the failure handler. False
    // when the call has ended, by this statement or an earlier one: a step
    // after the end runs nothing.
    template <class Statement>
    bool Step(Statement&& statement) {
        if (ended_) return false;
        try {
            statement();
        } catch (const DatabaseError& error) {
            // The provider's own text, without the SQLSTATE the exception adds.
            Fail(error.Description());
        } catch (const std::exception& error) {
            Fail(error.what());
        } catch (...) {
            Fail("Unknown error");
        }
        return !ended_;
    }

    bool Ended() const { return ended_; }
    // What the call returns once it has ended.
    const Variant& Result() const { return result_; }

  private:
    void Fail(const std::string& description) {
        lastError_ = description;
        ++failCount_;
        if (failureMode == kFailTolerated) {
            ++toleratedFailures;
            return;
        }
        if (failureMode == kFailFatal) {
            ShowErrorMessage(messagePrefix + description);
            result_ = Variant(false);
        }
        CurrentUiHost()->SetMousePointer(kPointerArrow);
        ended_ = true;
    }

    bool ended_ = false;
    Variant result_;
    std::int16_t& failCount_;
    std::string& lastError_;
};

Variant CDatabase::OpenODBC_DB(const std::string& sINIFile, std::int32_t iOpenDatabase,
                               bool UseDBName_and_Prefix) {
    detail::SetSettingsFilePath(sINIFile);
    const std::shared_ptr<UiHost> hostShare = CurrentUiHost();
    UiHost& host = *hostShare;
    Impl::OpenRun run(impl_->failCount_, impl_->lastReturnedErrorMessage_);
    std::error_code ignored;
    if (!std::filesystem::exists(detail::PathFromUtf8(sINIFile), ignored)) {
        DialogState& dialog = CurrentDialogState();
        dialog.Mode = iOpenDatabase;
        dialog.AskServer = UseDBName_and_Prefix ? 1 : 0;
        dialog.Cancelled = false;
        if (!run.Step([] { ShowSettingsDialog(); })) return run.Result();
        host.DoEvents();
        if (CurrentDialogState().Cancelled) {
            host.SetMousePointer(kPointerArrow);
            return Variant(false);
        }
    }
    host.SetMousePointer(kPointerBusy);

    // A folder, a FIFO or an unreadable file would read as a file without
    // settings (or never finish reading): it ends the call with its cause.
    run.settingsFile = sINIFile;
    run.failureMode = kFailFatal;
    if (!run.Step([&] {
            std::string problem = RegularFileProblem(sINIFile);
            if (!problem.empty())
                throw std::runtime_error(detail::SettingsFileProblemText(sINIFile, problem));
        }))
        return run.Result();
    run.failureMode = kFailBeforeConnecting;

    if (!run.Step([&] { impl_->ReadOpenSettings(run, sINIFile); })) return run.Result();

    run.toleratedFailures = 0;
    impl_->central_.Running = false;
    impl_->local_.Running = false;

    switch (iOpenDatabase) {
        case OpenCentral:
            impl_->OpenModeCentral(run);
            break;
        case OpenLocal:
            impl_->OpenModeLocal(run);
            break;
        case Central_Local:
            impl_->OpenModeCentralLocal(run);
            break;
        case Central_if_failes_local:
            impl_->OpenModeCentralIfFailsLocal(run);
            break;
        case Central_local_if_failes_local:
            impl_->OpenModeCentralLocalIfFailsLocal(run);
            break;
        default:
            // Other modes open nothing; the settings are read and prepared all the same.
            break;
    }
    if (run.Ended()) return run.Result();
    host.SetMousePointer(kPointerArrow);
    return Variant(true);
}

// Both sides' settings, passwords moved to their stored form, the database
// types, the catalogues and the timeouts; one step of the open, so that the
// first error ends it.
void CDatabase::Impl::ReadOpenSettings(OpenRun& run, const std::string& sINIFile) {
    if (localDSNEntry_.empty()) localDSNEntry_ = "Local";
    run.localSection = localDSNEntry_;
    const std::string& local = run.localSection;

    central_.DSN = Read(kCentralSection, "DSN", "", sINIFile);
    local_.DSN = Read(local, "DSN", "", sINIFile);
    central_.UID = Read(kCentralSection, "UID", "", sINIFile);
    std::string centralPlain = Read(kCentralSection, "PWD", "", sINIFile);
    local_.UID = Read(local, "UID", "", sINIFile);
    std::string localPlain = Read(local, "PWD", "", sINIFile);
    central_.Prefix = Read(kCentralSection, "DBPrefix", kDefaultPrefix, sINIFile);
    local_.Prefix = Read(kLocalPrefixSection, "DBPrefix", kDefaultPrefix, sINIFile);

    // Where the file cannot be rewritten the plain password read is used as
    // it stands, and the user hears once why it stays plain.
    const bool centralMoved = MovePlainPassword(kCentralSection, centralPlain, sINIFile);
    const bool localMoved = MovePlainPassword(local, localPlain, sINIFile);
    central_.Password = centralMoved ? StoredPassword(kCentralSection, sINIFile) : centralPlain;
    local_.Password = localMoved ? StoredPassword(local, sINIFile) : localPlain;
    if (!centralMoved || !localMoved) {
        ShowInfoMessage("The settings file " + sINIFile +
                        " could not be updated, so its plain-text password could not be "
                        "replaced by the encoded one; the password was used as it stands.");
    }
    if (ReadableByOthers(sINIFile) &&
        (HoldsPassword(kCentralSection, sINIFile) || HoldsPassword(local, sINIFile))) {
        ShowInfoMessage("The settings file " + sINIFile +
                        " holds a password and can be read by other users; it should be "
                        "readable by its owner only (chmod 600).");
    }

    central_.Prefix = WithTrailingDot(central_.Prefix);
    local_.Prefix = WithTrailingDot(local_.Prefix);

    // The properties keep the file's values; only the connection strings
    // carry the overrides.
    for (auto [side, credentials] :
         {std::pair{&central_, &run.central}, std::pair{&local_, &run.local}}) {
        credentials->Uid = userIDOverride_.empty() ? side->UID : userIDOverride_;
        credentials->Pwd = passwordOverride_.empty() ? side->Password : passwordOverride_;
    }

    DetectDatabaseType(kCentralSection);
    DetectDatabaseType(local);

    central_.FillCatalogue();
    local_.FillCatalogue();

    for (Side* side : {&central_, &local_}) {
        Connection& connection = side->Connect();
        connection.CommandTimeout(databaseTimeOut_);
        connection.ConnectionTimeout(databaseTimeOut_);
    }
}

void CDatabase::Impl::OpenModeCentral(OpenRun& run) {
    run.failureMode = kFailFatal;
    run.messagePrefix = kCentralProblem;
    if (OpenWithSettingsOf(run, central_, central_))
        FinishOpen(run, central_, kCentralSection, true);
}

void CDatabase::Impl::OpenModeLocal(OpenRun& run) {
    run.failureMode = kFailFatal;
    run.messagePrefix = kLocalProblem;
    OpenLocalAsCentral(run);
}

void CDatabase::Impl::OpenModeCentralLocal(OpenRun& run) {
    OpenModeCentral(run);
    if (run.Ended()) return;
    run.messagePrefix = kLocalProblem;
    if (OpenWithSettingsOf(run, local_, local_)) FinishOpen(run, local_, run.localSection, false);
}

void CDatabase::Impl::OpenModeCentralIfFailsLocal(OpenRun& run) {
    run.failureMode = kFailTolerated;
    OpenWithSettingsOf(run, central_, central_);
    if (run.toleratedFailures != 0) {
        run.failureMode = kFailFatal;
        run.messagePrefix = kLocalProblem;
        if (OpenLocalAsCentral(run)) localStartedAsCentral_ = true;
    } else {
        FinishOpen(run, central_, kCentralSection, true);
    }
}

void CDatabase::Impl::OpenModeCentralLocalIfFailsLocal(OpenRun& run) {
    run.failureMode = kFailTolerated;
    OpenWithSettingsOf(run, central_, central_);
    if (run.toleratedFailures != 0) {
        run.failureMode = kFailFatal;
        run.messagePrefix =
            "Connection to central database failed, reason: " + lastReturnedErrorMessage_ + "\r\n" +
            "Connection to local database failed, reason: ";
        if (OpenLocalAsCentral(run)) localStartedAsCentral_ = true;
        return;
    }
    FinishOpen(run, central_, kCentralSection, true);
    // The local side is a convenience here: its failure is only counted.
    std::int16_t before = run.toleratedFailures;
    OpenWithSettingsOf(run, local_, local_);
    if (run.toleratedFailures == before) FinishOpen(run, local_, run.localSection, false);
}

bool CDatabase::Impl::OpenLocalAsCentral(OpenRun& run) {
    // The free-text settings belong to the central database, which is not there.
    return OpenWithSettingsOf(run, central_, local_) &&
           FinishOpen(run, central_, run.localSection, false);
}

bool CDatabase::Impl::OpenWithSettingsOf(OpenRun& run, Side& slot, const Side& source) {
    const OpenRun::Credentials& credentials = &source == &central_ ? run.central : run.local;
    return run.Step([&] {
        // An empty name would let the driver manager pick its default driver.
        if (source.DSN.empty()) {
            throw std::runtime_error(detail::NoDataSourceInSettingsText(
                run.settingsFile, &source == &central_ ? kCentralSection : run.localSection));
        }
        Connection& connection = slot.Connect();
        connection.ConnectionString(
            OdbcConnectionString(source.DSN, credentials.Uid, credentials.Pwd));
        connection.Open();
    });
}

bool CDatabase::Impl::FinishOpen(OpenRun& run, Side& slot, const std::string& section,
                                 bool loadFreeText) {
    run.Step([&] { slot.ConnectionString = slot.Connect().ConnectionString(); });
    run.Step([&] { slot.DatabaseType = ReadDatabaseType(section); });
    run.Step([&] { slot.MarkFileDatabase(); });
    // The SQL dialect follows the central side only.
    if (&slot == &central_) {
        run.Step([&] { self_.SetSQLFunctions(slot.DatabaseType); });
        if (loadFreeText) run.Step([&] { self_.LoadFreeTextSettings(); });
    }
    if (run.Ended()) return false;
    slot.Running = true;
    return true;
}

}  // namespace vendral
