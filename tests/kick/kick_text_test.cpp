// The parts of the kick that need no database: statement texts, the kick date,
// the associate text, the options and the one-line messages.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#include "associate_text.h"
#include "command_line.h"
#include "console_host.h"
#include "kick.h"
#include "kick_date.h"

namespace vendral::kick {
namespace {

TEST(KickStatement, AllAssociatesCarryNoAssociateCondition) {
    EXPECT_EQ(BuildKickStatement("CRM5.", KickPhase::Appointments, 0, 1212883200),
              "select appointment.appointment_id, appointment.associate_id, "
              "appointment.registered_associate_id, appointment.do_by from CRM5.appointment "
              "appointment, CRM5.syncsoapp syncsoapp where appointment.appointment_id = "
              "syncsoapp.appointment_id and appointment.do_by >= 1212883200 and "
              "appointment.type in (1,6) order by appointment.appointment_id");
    EXPECT_EQ(BuildKickStatement("CRM5.", KickPhase::Tasks, 0, 0),
              "select appointment.appointment_id, appointment.associate_id, "
              "appointment.registered_associate_id, appointment.do_by from CRM5.appointment "
              "appointment, CRM5.syncsoapp syncsoapp where appointment.appointment_id = "
              "syncsoapp.appointment_id and appointment.do_by >= 0 and "
              "appointment.type in (2,7) order by appointment.appointment_id");
}

TEST(KickStatement, OneAssociateFollowsTheTypeCondition) {
    EXPECT_EQ(BuildKickStatement("main.", KickPhase::Appointments, 12, -86400),
              "select appointment.appointment_id, appointment.associate_id, "
              "appointment.registered_associate_id, appointment.do_by from main.appointment "
              "appointment, main.syncsoapp syncsoapp where appointment.appointment_id = "
              "syncsoapp.appointment_id and appointment.do_by >= -86400 and "
              "appointment.type in (1,6) and  appointment.associate_id = 12 order by "
              "appointment.appointment_id");
    EXPECT_EQ(BuildKickStatement("CRM5.", KickPhase::Tasks, -3, 5),
              "select appointment.appointment_id, appointment.associate_id, "
              "appointment.registered_associate_id, appointment.do_by from CRM5.appointment "
              "appointment, CRM5.syncsoapp syncsoapp where appointment.appointment_id = "
              "syncsoapp.appointment_id and appointment.do_by >= 5 and "
              "appointment.type in (2,7) and  appointment.associate_id = -3 order by "
              "appointment.appointment_id");
}

TEST(KickCountsMessage, NamesBothCounts) {
    EXPECT_EQ(CountsMessage({1234, 56}), "Inserts for appointments: 1234, inserts for tasks: 56");
}

TEST(KickDate, IsoIsReadInEveryLocale) {
    EXPECT_EQ(ParseKickDate("1970-01-01", "%d.%m.%Y"), 0);
    EXPECT_EQ(ParseKickDate("2008-06-08", "%m/%d/%y"), 1212883200);
    EXPECT_EQ(ParseKickDate(" 2024-02-29 ", "%d/%m/%Y"), 1709164800);
    EXPECT_EQ(ParseKickDate("1969-12-31", "%m/%d/%Y"), -86400);
}

TEST(KickDate, TheLocaleShortFormatDecidesTheFieldOrder) {
    EXPECT_EQ(ParseKickDate("6/8/2008", "%m/%d/%Y"), 1212883200);
    EXPECT_EQ(ParseKickDate("8/6/2008", "%d/%m/%Y"), 1212883200);
    EXPECT_EQ(ParseKickDate("08.06.2008", "%d.%m.%Y"), 1212883200);
    EXPECT_EQ(ParseKickDate("06/08/08", "%D"), 1212883200);
    EXPECT_EQ(ParseKickDate("2008-06-08", "%F"), 1212883200);
    EXPECT_EQ(ParseKickDate("2008年06月08日", "%Y年%m月%d日"), 1212883200);
    EXPECT_EQ(ParseKickDate(" 8/ 6/2008", "%e/%m/%Y"), 1212883200);
}

TEST(KickDate, TwoDigitYearsFallBetween1930And2029) {
    EXPECT_EQ(ParseKickDate("01/01/29", "%m/%d/%y"), DateSeconds(2029, 1, 1));
    EXPECT_EQ(ParseKickDate("01/01/30", "%m/%d/%y"), DateSeconds(1930, 1, 1));
    // A four-digit year is taken where the format shows two, and the reverse.
    EXPECT_EQ(ParseKickDate("6/8/2008", "%m/%d/%y"), 1212883200);
    EXPECT_EQ(ParseKickDate("6/8/08", "%m/%d/%Y"), 1212883200);
}

TEST(KickDate, TextThatIsNoDateIsRefused) {
    for (const char* text : {"", "tomorrow", "2008-13-01", "2007-02-29", "2008-06-31", "31/12/2008",
                             "6/8/2008 12:00", "6/8", "6/8/208", "2008-6-8x"}) {
        EXPECT_EQ(ParseKickDate(text, "%m/%d/%Y"), std::nullopt) << text;
    }
    // A format with a month name cannot be read; ISO still can.
    EXPECT_EQ(ParseKickDate("8 Jun 2008", "%d %b %Y"), std::nullopt);
    EXPECT_EQ(ParseKickDate("2008-06-08", "%d %b %Y"), 1212883200);
}

TEST(KickDate, OnlyDatesWithin32BitSecondsAreTaken) {
    EXPECT_EQ(ParseKickDate("2038-01-19", "%m/%d/%Y"), 2147472000);
    EXPECT_EQ(ParseKickDate("2038-01-20", "%m/%d/%Y"), std::nullopt);
    EXPECT_EQ(ParseKickDate("1901-12-14", "%m/%d/%Y"), -2147472000);
    EXPECT_EQ(ParseKickDate("1901-12-13", "%m/%d/%Y"), std::nullopt);
}

TEST(KickDate, FormatsAreDescribedInTheWordsUsersType) {
    EXPECT_EQ(DescribeDateFormat("%m/%d/%Y"), "MM/DD/YYYY");
    EXPECT_EQ(DescribeDateFormat("%d.%m.%y"), "DD.MM.YY");
    EXPECT_EQ(DescribeDateFormat("%D"), "MM/DD/YY");
    EXPECT_EQ(DescribeDateFormat("%d %b %Y"), "");
}

TEST(KickDate, TheCLocaleGivesItsShortFormat) {
    const char* saved = std::getenv("LC_ALL");
    std::string restore = saved ? saved : "";
    setenv("LC_ALL", "C", 1);
    EXPECT_EQ(LocaleShortDateFormat(), "%m/%d/%y");
    if (saved)
        setenv("LC_ALL", restore.c_str(), 1);
    else
        unsetenv("LC_ALL");
}

TEST(AssociateOption, OnlyAPlainDecimalIntegerIsAnAssociate) {
    EXPECT_EQ(ParseAssociateOption("12"), 12);
    EXPECT_EQ(ParseAssociateOption("0"), 0);
    EXPECT_EQ(ParseAssociateOption("+7"), 7);
    EXPECT_EQ(ParseAssociateOption("-5"), -5);
    EXPECT_EQ(ParseAssociateOption("2147483647"), 2147483647);
    EXPECT_EQ(ParseAssociateOption("-2147483648"), -2147483647 - 1);
    for (const char* text : {"0x1F", "0.4", "-0.4", "0,7", "1e3", "12abc", " 12", "12 ", "", "+",
                             "-", "--1", "2147483648", "99999999999", "\xd9\xa1"})
        EXPECT_EQ(ParseAssociateOption(text), std::nullopt) << text;
}

TEST(CommandArguments, AProgramStartedWithoutArgumentsHasNoneAndAName) {
    const char* none[] = {nullptr};
    EXPECT_TRUE(ArgumentsAfterProgram(0, none).empty());
    EXPECT_EQ(ProgramName(0, none, "prodwell"), "prodwell");
    const char* empty[] = {"", nullptr};
    EXPECT_EQ(ProgramName(1, empty, "prodwell"), "prodwell");
    const char* some[] = {"/opt/kick/prodwell", "--associate", "12", nullptr};
    EXPECT_EQ(ArgumentsAfterProgram(3, some), (std::vector<std::string>{"--associate", "12"}));
    EXPECT_EQ(ProgramName(3, some, "x"), "prodwell");
}

TEST(AssociateText, TheNumberAtTheStartIsTaken) {
    EXPECT_EQ(ParseAssociateText("12").AssociateID, 12);
    EXPECT_TRUE(ParseAssociateText("12").StartsWithNumber);
    EXPECT_EQ(ParseAssociateText("  12abc").AssociateID, 12);
    EXPECT_EQ(ParseAssociateText("+7").AssociateID, 7);
    EXPECT_EQ(ParseAssociateText("-5").AssociateID, -5);
    EXPECT_EQ(ParseAssociateText("1e3").AssociateID, 1000);
    EXPECT_EQ(ParseAssociateText("4e").AssociateID, 4);
    EXPECT_EQ(ParseAssociateText(".5e1").AssociateID, 5);
}

TEST(AssociateText, FractionsAreRoundedHalfToEven) {
    EXPECT_EQ(ParseAssociateText("2.5").AssociateID, 2);
    EXPECT_EQ(ParseAssociateText("3.5").AssociateID, 4);
    EXPECT_EQ(ParseAssociateText("12.7").AssociateID, 13);
    EXPECT_EQ(ParseAssociateText("-0.4").AssociateID, 0);
}

TEST(AssociateText, TextWithoutANumberIsZeroAndSaysSo) {
    for (const char* text : {"", "abc", ".", "-", "e5", "x12"}) {
        AssociateText parsed = ParseAssociateText(text);
        EXPECT_EQ(parsed.AssociateID, 0) << text;
        EXPECT_FALSE(parsed.StartsWithNumber) << text;
    }
}

TEST(AssociateText, ValuesBeyond32BitsAreRefused) {
    EXPECT_EQ(ParseAssociateText("2147483647").AssociateID, 2147483647);
    EXPECT_EQ(ParseAssociateText("-2147483648").AssociateID, -2147483647 - 1);
    EXPECT_THROW(ParseAssociateText("2147483648"), std::out_of_range);
    EXPECT_THROW(ParseAssociateText("1e400"), std::out_of_range);
}

TEST(ProdwellOptions, DefaultsAreTheWindowsInitialValues) {
    CommandLine line = ParseCommandLine({});
    EXPECT_EQ(line.IniFile, "");
    EXPECT_EQ(line.AssociateText, "0");
    EXPECT_EQ(line.KickDate, "2008-06-08");
    EXPECT_FALSE(line.SkipTasks);
    EXPECT_FALSE(line.Help);
}

TEST(ProdwellOptions, ValuesFollowOrAreJoinedWithEquals) {
    CommandLine line = ParseCommandLine(
        {"--ini", "/tmp/a b.ini", "--associate=12", "--kick-date", "6/8/2008", "--skip-tasks"});
    EXPECT_EQ(line.IniFile, "/tmp/a b.ini");
    EXPECT_EQ(line.AssociateText, "12");
    EXPECT_EQ(line.KickDate, "6/8/2008");
    EXPECT_TRUE(line.SkipTasks);
    EXPECT_TRUE(ParseCommandLine({"--help"}).Help);
    EXPECT_EQ(ParseCommandLine({"--associate", "-4"}).AssociateText, "-4");
}

TEST(ProdwellOptions, WindowOpensWithItsSettingsFileOnly) {
    CommandLine line = ParseCommandLine({"--window", "--ini", "crm.ini"});
    EXPECT_TRUE(line.Window);
    EXPECT_EQ(line.IniFile, "crm.ini");
    EXPECT_FALSE(ParseCommandLine({}).Window);
    EXPECT_THROW(ParseCommandLine({"--window=yes"}), CommandLineError);
}

TEST(ProdwellOptions, MistakesAreRefused) {
    EXPECT_THROW(ParseCommandLine({"--ini"}), CommandLineError);
    EXPECT_THROW(ParseCommandLine({"--ini="}), CommandLineError);
    EXPECT_THROW(ParseCommandLine({"--verbose"}), CommandLineError);
    EXPECT_THROW(ParseCommandLine({"12"}), CommandLineError);
    EXPECT_THROW(ParseCommandLine({"--skip-tasks=yes"}), CommandLineError);
}

TEST(ProdwellOptions, TheSettingsFileIsNamedAfterTheProgram) {
    EXPECT_EQ(DefaultSettingsFile("/opt/crm/prodwell"), "/opt/crm/prodwell.ini");
    EXPECT_EQ(DefaultSettingsFile("/opt/crm/Prodwell.exe"), "/opt/crm/Prodwell.ini");
}

// Sets an environment variable for one scope, or removes it (nullptr).
class ScopedEnvironment {
  public:
    ScopedEnvironment(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old;
        if (value) {
            setenv(name, value, 1);
        } else {
            unsetenv(name);
        }
    }
    ~ScopedEnvironment() {
        if (old_) {
            setenv(name_, old_->c_str(), 1);
        } else {
            unsetenv(name_);
        }
    }
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

  private:
    const char* name_;
    std::optional<std::string> old_;
};

TEST(ProdwellOptions, TheSettingsFileInUseIsBesideTheProgramOrTheUsers) {
    namespace fs = std::filesystem;
    fs::path root = fs::temp_directory_path() / ("prodwell-settings-" + std::to_string(getpid()));
    fs::remove_all(root);
    fs::create_directories(root / "bin");
    // A folder that can be written: the file beside the program, present or not.
    EXPECT_EQ(SettingsFileInUse((root / "bin" / "prodwell").string()),
              (root / "bin" / "prodwell.ini").string());

    // A folder the program cannot write in (here: one that is not there).
    fs::path installed = root / "gone" / "prodwell";
    {
        ScopedEnvironment xdg("XDG_CONFIG_HOME", (root / "config").c_str());
        EXPECT_EQ(SettingsFileInUse(installed.string(), false),
                  (root / "config" / "prodwell" / "prodwell.ini").string());
        EXPECT_FALSE(fs::exists(root / "config"));
        EXPECT_EQ(SettingsFileInUse(installed.string()),
                  (root / "config" / "prodwell" / "prodwell.ini").string());
        EXPECT_TRUE(fs::is_directory(root / "config" / "prodwell"));
        EXPECT_EQ(fs::status(root / "config" / "prodwell").permissions() & fs::perms::all,
                  fs::perms::owner_all);
    }
    {
        // A relative XDG_CONFIG_HOME is ignored, as the XDG rules say.
        ScopedEnvironment xdg("XDG_CONFIG_HOME", "relative");
        ScopedEnvironment home("HOME", (root / "home").c_str());
        EXPECT_EQ(SettingsFileInUse(installed.string(), false),
                  (root / "home" / ".config" / "prodwell" / "prodwell.ini").string());
    }
    EXPECT_FALSE(SettingsFileReadOnly((root / "bin" / "prodwell.ini").string()));
    fs::remove_all(root);
}

TEST(ProdwellOptions, HelpNamesTheSettingsFileInUse) {
    std::string text =
        UsageText("prodwell", "%m/%d/%Y", "/home/user/.config/prodwell/prodwell.ini");
    EXPECT_NE(text.find("(default:\n                    /home/user/.config/prodwell/prodwell.ini)"),
              std::string::npos)
        << text;
    EXPECT_NE(UsageText("prodwell", "%m/%d/%Y").find("(default: the program's\n"),
              std::string::npos);
}

TEST(ProdwellMessages, LineBreaksBecomeBlanks) {
    EXPECT_EQ(OneLine("There is a problem with the central connection.\r\nno such DSN"),
              "There is a problem with the central connection. no such DSN");
    EXPECT_EQ(OneLine("a\nb\rc\n"), "a b c");
}

}  // namespace
}  // namespace vendral::kick
