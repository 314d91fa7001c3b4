// The manual page, XScreenSaver's settings file and the README's table of
// options against the option table: every option in the page and the
// README, as the table spells it, with its range and default in the page,
// and none of them naming an option the table lacks.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>

#include "linux/option_table.h"

static std::string ReadText(const char* path) {
    std::ifstream file(path);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

// A line of troff as it reads: a macro's arguments run together (the
// font-alternating ones without spaces between), \- a dash, no font changes.
static std::string Plain(const std::string& line) {
    std::string text = line, macro;
    if (line[0] == '.') {
        size_t space = line.find(' ');
        macro = line.substr(1, space == std::string::npos ? std::string::npos : space - 1);
        text.clear();
        bool quoted = false, alternate = macro.size() == 2;
        for (size_t i = macro.size() + 1; i < line.size(); i++) {
            if (line[i] == '"')
                quoted = !quoted;
            else if (line[i] != ' ' || quoted || !alternate)
                text += line[i];
        }
    }
    text = std::regex_replace(text, std::regex(R"(\\f[RPBI])"), "");
    return std::regex_replace(text, std::regex(R"(\\-)"), "-");
}

static std::set<std::string> Names(int hosts = OnBoth) {
    std::set<std::string> names;
    for (size_t i = 0; i < kHackOptionCount; i++) {
        if (!(kHackOptions[i].hosts & hosts))
            continue;
        names.insert(kHackOptions[i].name);
        if (kHackOptions[i].alias)
            names.insert(kHackOptions[i].alias);
    }
    return names;
}

TEST(OptionTable, EachIdHasOneRowFoundByEachOfItsSpellings) {
    for (int id = OptionWindow; id <= OptionHelp; id++) {
        const HackOption& option = HackOptionOf((HackOptionId)id);
        HackHost host = option.hosts & OnX ? OnX : OnWayland;
        for (const char* name : {option.name, option.alias}) {
            if (!name)
                continue;
            EXPECT_EQ(FindHackOption(("--" + std::string(name)).c_str(), host), &option) << name;
            EXPECT_EQ(FindHackOption(("-" + std::string(name)).c_str(), host), &option) << name;
        }
    }
    EXPECT_EQ(Names().size(), kHackOptionCount + 1); // one alias, no name twice
}

// Every option of `host` in its manual page, as the table spells it, with its
// range and default, and the page naming no option the host lacks.
static void ExpectPageDocumentsOptions(const char* path, HackHost host) {
    std::istringstream page(ReadText(path));
    std::string line, section, head, whole;
    std::map<std::string, std::string> entries; // "--name ARGUMENT" -> what the page says of it
    bool atHead = false;
    while (std::getline(page, line)) {
        std::string text = Plain(line);
        whole += text + "\n";
        if (line.rfind(".SH ", 0) == 0) {
            section = text;
            head.clear();
            atHead = false;
        } else if (line == ".TP") {
            atHead = true;
        } else if (section == "OPTIONS" && atHead) {
            head = text;
            atHead = false;
        } else if (!head.empty()) {
            // One head may name several options: "--fps, --no-fps".
            std::stringstream items(head);
            for (std::string item; std::getline(items, item, ',');)
                entries[item.substr(item.find('-'))] += text + " ";
        }
    }

    std::set<std::string> labels;
    for (size_t i = 0; i < kHackOptionCount; i++) {
        const HackOption& option = kHackOptions[i];
        if (!(option.hosts & host))
            continue;
        std::string label = std::string("--") + option.name;
        if (option.argument)
            label += std::string(" ") + option.argument;
        labels.insert(label);
        if (option.alias)
            labels.insert(std::string("-") + option.alias);
        if (option.number != NoNumber) {
            const std::string& says = entries[label];
            EXPECT_NE(says.find(std::to_string(option.low) + " to " + std::to_string(option.high)),
                      std::string::npos)
                << label << ": " << says;
            EXPECT_NE(says.find("default " + std::to_string(option.byDefault)), std::string::npos)
                << label << ": " << says;
        }
    }
    std::set<std::string> documented;
    for (const auto& entry : entries)
        documented.insert(entry.first);
    EXPECT_EQ(documented, labels);

    // Every name the page writes as an option, with one dash or two, is the table's.
    std::regex option(R"((^|[\s\[(])--?([a-z][a-z-]*))");
    std::set<std::string> names = Names(host);
    for (std::sregex_iterator at(whole.begin(), whole.end(), option), end; at != end; ++at)
        EXPECT_TRUE(names.count((*at)[2])) << path << " names " << (*at)[0];
}

TEST(OptionTable, TheManualPagesDocumentEachAsTheTableHasIt) {
    ExpectPageDocumentsOptions(MANUAL_PAGE, OnX);
#ifdef WAYLAND_MANUAL_PAGE
    ExpectPageDocumentsOptions(WAYLAND_MANUAL_PAGE, OnWayland);
#endif
}

TEST(OptionTable, TheSettingsFileGivesOnlyTheTablesOptionsWithinTheirRanges) {
    std::string settings = ReadText(SETTINGS_FILE);
    std::regex arg(R"(arg(-set|-unset)?="-(-?[a-z-]+)( %)?")");
    int args = 0;
    for (std::sregex_iterator at(settings.begin(), settings.end(), arg), end; at != end; ++at) {
        const HackOption* option = FindHackOption(("-" + (*at)[2].str()).c_str(), OnX);
        ASSERT_TRUE(option) << (*at)[0];
        EXPECT_EQ((*at)[3].matched, option->argument != nullptr) << (*at)[0];
        args++;
    }
    EXPECT_GE(args, 5);

    std::regex number(
        R"re(<number[^>]*arg="--([a-z-]+) %"[^>]*low="(-?\d+)" high="(-?\d+)" default="(-?\d+)")re");
    int numbers = 0;
    for (std::sregex_iterator at(settings.begin(), settings.end(), number), end; at != end; ++at) {
        const HackOption* option = FindHackOption(("--" + (*at)[1].str()).c_str(), OnX);
        ASSERT_TRUE(option && option->number != NoNumber) << (*at)[0];
        EXPECT_GE(std::stol((*at)[2]), option->low) << (*at)[0];
        EXPECT_LE(std::stol((*at)[3]), option->high) << (*at)[0];
        EXPECT_EQ(std::stol((*at)[4]), option->byDefault) << (*at)[0];
        numbers++;
    }
    EXPECT_EQ(numbers, 3);
}

// Every option of `host` written as `--name` in the README's lines from the
// one that starts with `from` to the first empty line after a table's row
// (or the line that starts with `to`), and no other.
static void ExpectReadmeListsOptions(const char* from, const char* to, HackHost host) {
    std::istringstream readme(ReadText(README_FILE));
    std::string line;
    while (std::getline(readme, line) && line.rfind(from, 0) != 0) {
    }
    std::set<std::string> listed;
    std::regex option(R"(`--([a-z][a-z-]*))");
    bool inTable = false;
    while (std::getline(readme, line) && !(inTable && line.empty()) && line.rfind(to, 0) != 0) {
        inTable = inTable || line.rfind("| ", 0) == 0;
        for (std::sregex_iterator at(line.begin(), line.end(), option), end; at != end; ++at)
            listed.insert((*at)[1]);
    }
    std::set<std::string> names;
    for (size_t i = 0; i < kHackOptionCount; i++)
        if (kHackOptions[i].hosts & host)
            names.insert(kHackOptions[i].name);
    EXPECT_EQ(listed, names) << from;
}

TEST(OptionTable, TheReadmeListsEachHostsOptionsAndNoOther) {
    ExpectReadmeListsOptions("Where it draws", "## ", OnX);
    ExpectReadmeListsOptions("## On Wayland", "Frames follow", OnWayland);
}
