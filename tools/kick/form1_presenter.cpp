#include "form1_presenter.h"

#include <exception>
#include <optional>
#include <stdexcept>
#include <utility>

#include "associate_text.h"
#include "command_line.h"
#include "kick_date.h"
#include "vendral/connection.h"

namespace vendral::kick {
namespace {

// The window's initial kick date (8 June 2008), in month/day/year.
constexpr const char* kInitialKickDate = "6/8/2008";
constexpr const char* kMonthDayYear = "%m/%d/%Y";

// The kick date in the locale's short date format, else month/day/year (the
// form the window starts with) or ISO 8601.
std::optional<std::int32_t> ReadKickDate(const std::string& text) {
    if (auto time = ParseKickDate(text, LocaleShortDateFormat())) return time;
    return ParseKickDate(text, kMonthDayYear);
}

}  // namespace

Form1Presenter::Form1Presenter(Form1View& view, std::string settingsFile)
    : view_(view), settingsFile_(std::move(settingsFile)) {}

void Form1Presenter::ShowTexts() {
    view_.SetText(Form1Item::Form1, "Kavelo - Oracle");
    view_.SetText(Form1Item::Label1, "Associate ID:");
    view_.SetText(Form1Item::TxtAssociate, "0");
    view_.SetText(Form1Item::Label4, "Associate ID 0 Means for all Synchronizer Users");
    view_.SetText(Form1Item::Label2, "Kick Date:");
    view_.SetText(Form1Item::TxtKickDate, kInitialKickDate);
    view_.SetText(Form1Item::Check1, "Skip Tasks");
    view_.SetText(Form1Item::Command1, "Kick Synchronizer");
    view_.SetText(Form1Item::Label3, "");
}

void Form1Presenter::Load(const DatabaseFactory& makeDatabase) {
    database_ = makeDatabase();
    if (SettingsFileReadOnly(settingsFile_)) {
        ShowError("The settings file " + settingsFile_ +
                  " cannot be written. Its settings are used as they are; what the program would "
                  "store there is not stored.");
    }
    database_->OpenODBC_DB(settingsFile_, OpenCentral, false);
    view_.Focus(Form1Item::TxtAssociate);
}

void Form1Presenter::Command1_Click() {
    // A second run inside the first would re-enter the CDatabase object while
    // its query runs.
    if (running_) return;
    running_ = true;
    try {
        RunOnce();
    } catch (...) {
        running_ = false;
        throw;
    }
    running_ = false;
}

bool Form1Presenter::ReadRequest(KickRequest& request) {
    const std::string associate = view_.Text(Form1Item::TxtAssociate);
    try {
        request.AssociateID = ParseAssociateText(associate).AssociateID;
    } catch (const std::out_of_range&) {
        ShowError("The associate ID \"" + associate + "\" is too large.");
        return false;
    }
    const std::string date = view_.Text(Form1Item::TxtKickDate);
    std::optional<std::int32_t> kickTime = ReadKickDate(date);
    if (!kickTime) {
        std::string forms = "M/D/YYYY or YYYY-MM-DD";
        if (std::string local = DescribeDateFormat(LocaleShortDateFormat()); !local.empty())
            forms = local + ", " + forms;
        ShowError("The kick date \"" + date + "\" cannot be read; type it as " + forms + ".");
        return false;
    }
    request.KickTime = *kickTime;
    // A checked or grey box skips the tasks.
    request.SkipTasks = view_.Check1Value() != Form1Check::Unchecked;
    return true;
}

void Form1Presenter::RunOnce() {
    KickRequest request;
    if (!ReadRequest(request)) return;
    if (!database_->dDatabaseIsRunning()) {
        ShowError("There is no open connection to the central database. Check the settings file " +
                  settingsFile_ + " and start the program again.");
        return;
    }
    KickCounts counts;
    try {
        RunKick(*database_, request, counts, [this](KickPhase, std::int32_t rowsLookedAt) {
            view_.SetText(Form1Item::Label3, std::to_string(rowsLookedAt));
            view_.Repaint(Form1Item::Label3);
        });
    } catch (const std::exception& error) {
        const auto* database = dynamic_cast<const DatabaseError*>(&error);
        std::string cause =
            database != nullptr ? "A database error stopped the kick: " : "The kick stopped: ";
        ShowError(cause + error.what() +
                  "\r\n\r\nLogged before the error: " + CountsMessage(counts) + ".");
        return;
    }
    view_.ShowBox(Form1Box::Result, kProdwellTitle, CountsMessage(counts));
}

void Form1Presenter::ShowError(const std::string& text) {
    view_.ShowBox(Form1Box::Error, "Error", text);
}

}  // namespace vendral::kick
