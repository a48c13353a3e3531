// OpenODBC_DB: the connections of an open mode, from the settings file.
#include <sys/stat.h>

#include <filesystem>
#include <stdexcept>

#include "data/connection_strings.h"
#include "platform/private_profile.h"
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

// Ends an OpenODBC_DB call from inside the failure handler.
struct OpenEnded {
    Variant result;
};

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

// Whether users other than the owner may read the file, as database clients
// warn of for their password files.
bool ReadableByOthers(const std::string& file) {
    struct stat status {};
    return ::stat(file.c_str(), &status) == 0 && (status.st_mode & (S_IRGRP | S_IROTH)) != 0;
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

struct CDatabase::OpenRun {
    OpenRun(std::int16_t& failCount, std::string& lastError)
        : failCount_(failCount), lastError_(lastError) {}

    std::int16_t failureMode = kFailBeforeConnecting;
    std::int16_t toleratedFailures = 0;
    std::string messagePrefix;
    std::string localSection;
    // The credentials of the connection strings (UserID and Password override the file's).
    std::string centralUid, centralPwd, localUid, localPwd;

    // Runs one statement; an error in it goes to the failure handler.
    template <class Statement>
    void Step(Statement&& statement) {
        try {
            statement();
        } catch (const OpenEnded&) {
            throw;
        } catch (const DatabaseError& error) {
            // The provider's own text, without the SQLSTATE the exception adds.
            Fail(error.Description());
        } catch (const std::exception& error) {
            Fail(error.what());
        } catch (...) {
            Fail("Unknown error");
        }
    }

  private:
    void Fail(const std::string& description) {
        lastError_ = description;
        ++failCount_;
        if (failureMode == kFailTolerated) {
            ++toleratedFailures;
            return;
        }
        Variant result;
        if (failureMode == kFailFatal) {
            ShowErrorMessage(messagePrefix + description);
            result = Variant(false);
        }
        CurrentUiHost()->SetMousePointer(kPointerArrow);
        throw OpenEnded{result};
    }

    std::int16_t& failCount_;
    std::string& lastError_;
};

Variant CDatabase::OpenODBC_DB(const std::string& sINIFile, std::int32_t iOpenDatabase,
                               bool UseDBName_and_Prefix) {
    detail::SetSettingsFilePath(sINIFile);
    const std::shared_ptr<UiHost> hostShare = CurrentUiHost();
    UiHost& host = *hostShare;
    OpenRun run(failCount_, lastReturnedErrorMessage_);
    try {
        std::error_code ignored;
        if (!std::filesystem::exists(sINIFile, ignored)) {
            DialogState& dialog = CurrentDialogState();
            dialog.Mode = iOpenDatabase;
            dialog.AskServer = UseDBName_and_Prefix ? 1 : 0;
            dialog.Cancelled = false;
            run.Step([&] { host.ShowSettingsDialog(); });
            host.DoEvents();
            if (CurrentDialogState().Cancelled) {
                host.SetMousePointer(kPointerArrow);
                return Variant(false);
            }
        }
        host.SetMousePointer(kPointerBusy);

        run.Step([&] {
            if (localDSNEntry_.empty()) localDSNEntry_ = "Local";
            run.localSection = localDSNEntry_;
            const std::string& local = run.localSection;

            centralDSN_ = Read(kCentralSection, "DSN", "", sINIFile);
            localDSN_ = Read(local, "DSN", "", sINIFile);
            centralUID_ = Read(kCentralSection, "UID", "", sINIFile);
            std::string centralPlain = Read(kCentralSection, "PWD", "", sINIFile);
            localUID_ = Read(local, "UID", "", sINIFile);
            std::string localPlain = Read(local, "PWD", "", sINIFile);
            centralPrefix_ = Read(kCentralSection, "DBPrefix", kDefaultPrefix, sINIFile);
            localPrefix_ = Read(kLocalPrefixSection, "DBPrefix", kDefaultPrefix, sINIFile);

            // Where the file cannot be rewritten the plain password read is
            // used as it stands, and the user hears once why it stays plain.
            const bool centralMoved = MovePlainPassword(kCentralSection, centralPlain, sINIFile);
            const bool localMoved = MovePlainPassword(local, localPlain, sINIFile);
            centralPassword_ =
                centralMoved ? StoredPassword(kCentralSection, sINIFile) : centralPlain;
            localPassword_ = localMoved ? StoredPassword(local, sINIFile) : localPlain;
            if (!centralMoved || !localMoved) {
                ShowInfoMessage("The settings file " + sINIFile +
                                " could not be updated, so its plain-text password could not be "
                                "replaced by the encoded one; the password was used as it "
                                "stands.");
            }
            if (ReadableByOthers(sINIFile) &&
                (HoldsPassword(kCentralSection, sINIFile) || HoldsPassword(local, sINIFile))) {
                ShowInfoMessage("The settings file " + sINIFile +
                                " holds a password and can be read by other users; it should be "
                                "readable by its owner only (chmod 600).");
            }

            centralPrefix_ = WithTrailingDot(centralPrefix_);
            localPrefix_ = WithTrailingDot(localPrefix_);

            // The properties keep the file's values; only the connection strings
            // carry the overrides.
            run.centralUid = userIDOverride_.empty() ? centralUID_ : userIDOverride_;
            run.localUid = userIDOverride_.empty() ? localUID_ : userIDOverride_;
            run.centralPwd = passwordOverride_.empty() ? centralPassword_ : passwordOverride_;
            run.localPwd = passwordOverride_.empty() ? localPassword_ : passwordOverride_;

            DetectDatabaseType(kCentralSection);
            DetectDatabaseType(local);

            FillTableCatalogue(CatalogueSide::Central);
            FillTableCatalogue(CatalogueSide::Local);

            for (Connection* connection : {ConnectionFor(0).get(), ConnectionFor(1).get()}) {
                connection->CommandTimeout(databaseTimeOut_);
                connection->ConnectionTimeout(databaseTimeOut_);
            }
        });

        run.toleratedFailures = 0;
        centralRunning_ = false;
        localRunning_ = false;

        switch (iOpenDatabase) {
            case OpenCentral:
                run.failureMode = kFailFatal;
                OpenCentralSide(run);
                break;
            case OpenLocal:
                run.failureMode = kFailFatal;
                run.messagePrefix = kLocalProblem;
                OpenLocalAsCentral(run);
                break;
            case Central_Local:
                run.failureMode = kFailFatal;
                OpenCentralSide(run);
                run.messagePrefix = kLocalProblem;
                OpenLocalSide(run);
                break;
            case Central_if_failes_local:
                run.failureMode = kFailTolerated;
                run.Step([&] {
                    dDatabase->ConnectionString(
                        OdbcConnectionString(centralDSN_, run.centralUid, run.centralPwd));
                    dDatabase->Open();
                });
                if (run.toleratedFailures != 0) {
                    run.failureMode = kFailFatal;
                    run.messagePrefix = kLocalProblem;
                    OpenLocalAsCentral(run);
                    localStartedAsCentral_ = true;
                } else {
                    FinishCentralOpen(run, kCentralSection, true);
                }
                break;
            case Central_local_if_failes_local: {
                run.failureMode = kFailTolerated;
                run.Step([&] {
                    dDatabase->ConnectionString(
                        OdbcConnectionString(centralDSN_, run.centralUid, run.centralPwd));
                    dDatabase->Open();
                });
                if (run.toleratedFailures != 0) {
                    run.failureMode = kFailFatal;
                    run.messagePrefix = "Connection to central database failed, reason: " +
                                        lastReturnedErrorMessage_ + "\r\n" +
                                        "Connection to local database failed, reason: ";
                    OpenLocalAsCentral(run);
                    localStartedAsCentral_ = true;
                } else {
                    FinishCentralOpen(run, kCentralSection, true);
                    // The local side is a convenience here: its failure is only counted.
                    std::int16_t before = run.toleratedFailures;
                    run.Step([&] {
                        LocaldDatabase->ConnectionString(
                            OdbcConnectionString(localDSN_, run.localUid, run.localPwd));
                        LocaldDatabase->Open();
                    });
                    if (run.toleratedFailures == before) FinishLocalOpen(run);
                }
                break;
            }
            default:
                // Other modes open nothing; the settings are read and prepared all the same.
                break;
        }
    } catch (const OpenEnded& ended) {
        return ended.result;
    }
    host.SetMousePointer(kPointerArrow);
    return Variant(true);
}

void CDatabase::OpenCentralSide(OpenRun& run) {
    run.messagePrefix = kCentralProblem;
    run.Step([&] {
        dDatabase->ConnectionString(
            OdbcConnectionString(centralDSN_, run.centralUid, run.centralPwd));
        dDatabase->Open();
    });
    FinishCentralOpen(run, kCentralSection, true);
}

// The rest of an open in the central slot: its connection string, its type from
// the section the data source came from, the dialect, and the free-text settings
// when the central database itself was opened.
void CDatabase::FinishCentralOpen(OpenRun& run, const std::string& section, bool loadFreeText) {
    run.Step([&] { centralConnectionString_ = dDatabase->ConnectionString(); });
    run.Step([&] { databaseTypeCentral_ = ReadDatabaseType(section); });
    run.Step([&] {
        if (databaseTypeCentral_ == "ACCESS") SysdDatabaseAccess = true;
    });
    run.Step([&] { SetSQLFunctions(databaseTypeCentral_); });
    if (loadFreeText) run.Step([&] { LoadFreeTextSettings(); });
    centralRunning_ = true;
}

void CDatabase::OpenLocalAsCentral(OpenRun& run) {
    run.Step([&] {
        dDatabase->ConnectionString(OdbcConnectionString(localDSN_, run.localUid, run.localPwd));
        dDatabase->Open();
    });
    // The free-text settings belong to the central database, which is not there.
    FinishCentralOpen(run, run.localSection, false);
}

void CDatabase::OpenLocalSide(OpenRun& run) {
    run.Step([&] {
        LocaldDatabase->ConnectionString(
            OdbcConnectionString(localDSN_, run.localUid, run.localPwd));
        LocaldDatabase->Open();
    });
    FinishLocalOpen(run);
}

void CDatabase::FinishLocalOpen(OpenRun& run) {
    run.Step([&] { localConnectionString_ = LocaldDatabase->ConnectionString(); });
    run.Step([&] { databaseTypeLocal_ = ReadDatabaseType(run.localSection); });
    run.Step([&] {
        if (databaseTypeLocal_ == "ACCESS") SysLocaldDatabaseAccess = true;
    });
    // The SQL dialect follows the central side only.
    localRunning_ = true;
}

}  // namespace vendral
