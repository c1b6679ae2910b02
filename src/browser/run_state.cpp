#include "browser/run_state.h"

#include <algorithm>
#include <initializer_list>
#include <utility>

#include "framework/text_util.h"
#include "platform/ini_file.h"

namespace runs {

namespace {
constexpr std::string_view QueryMark = "{query}";
} // namespace

const char* pacingName(Pacing pacing)
{
    return pacing == Pacing::Quick ? "Quick" : "Seed";
}

const char* pacingKey(Pacing pacing)
{
    return pacing == Pacing::Quick ? "quick" : "seed";
}

std::optional<Pacing> pacingFromText(std::string_view text)
{
    if (framework::equalsIgnoringAsciiCase(text, "seed"))
        return Pacing::Seed;
    if (framework::equalsIgnoringAsciiCase(text, "quick"))
        return Pacing::Quick;
    return std::nullopt;
}

namespace {

template <class E> using Names = std::initializer_list<std::pair<std::string_view, E>>;

// The state a stored name stands for, otherwise when none does.
template <class E> E byName(std::string_view text, Names<E> names, E otherwise)
{
    for (const auto& [name, value] : names)
        if (name == text)
            return value;
    return otherwise;
}

const Names<Stage> StageNames = {{"Navi", Stage::Navi}, {"ListSrch", Stage::ListSrch}};

} // namespace

Mode modeOf(std::string_view accessMode)
{
    return byName(accessMode, {{"Single", Mode::Single}, {"List", Mode::List}}, Mode::Other);
}

Page pageOf(std::string_view pageName)
{
    return byName(pageName, {{"Base", Page::Base}, {"Manip", Page::Manip}, {"Free", Page::Free}}, Page::Other);
}

int pageIndex(Page page)
{
    switch (page) {
    case Page::Manip:
        return 1;
    case Page::Free:
        return 2;
    default:
        return 0;
    }
}

Stage stageOf(std::string_view runStage)
{
    return byName(runStage, StageNames, Stage::None);
}

const char* stageText(Stage stage)
{
    for (const auto& [name, value] : StageNames)
        if (value == stage)
            return name.data();
    return "";
}

SiteKind siteKindOf(std::string_view siteUrl, std::string_view formName, std::string_view inputName)
{
    if (isSearchAddress(siteUrl))
        return SiteKind::SearchAddress;
    return formName.empty() || inputName.empty() ? SiteKind::FoundForm : SiteKind::NamedForm;
}

const char* siteKindName(SiteKind kind)
{
    switch (kind) {
    case SiteKind::NamedForm:
        return "named form";
    case SiteKind::FoundForm:
        return "found form";
    case SiteKind::SearchAddress:
        return "search address";
    }
    return "";
}

bool isSearchAddress(std::string_view siteUrl)
{
    return siteUrl.find(QueryMark) != std::string_view::npos;
}

std::string queryFor(std::string_view theme, std::string_view likeWord, std::string_view entry)
{
    std::string text(theme);
    const bool joined = theme.empty() || entry.empty() || theme.ends_with(' ') || theme.ends_with('\t') ||
                        theme.ends_with("\u3000") || (!likeWord.empty() && theme.ends_with(likeWord));
    if (!joined)
        text += likeWord.empty() ? std::string_view(" ") : likeWord;
    text += entry;
    return text;
}

std::string searchAddressFor(std::string_view siteUrl, std::string_view query)
{
    std::string encoded;
    framework::appendPercentEncoded(encoded, query, [](unsigned char c) {
        return framework::isAsciiAlnum(c) || c == '-' || c == '.' || c == '_' || c == '~';
    });
    std::string address;
    size_t from = 0;
    for (size_t at = siteUrl.find(QueryMark); at != std::string_view::npos; at = siteUrl.find(QueryMark, from)) {
        address.append(siteUrl.substr(from, at - from));
        address += encoded;
        from = at + QueryMark.size();
    }
    address.append(siteUrl.substr(from));
    return address;
}

SiteOptions readSiteOptions(const platform::IniFile& ini, const std::string& section)
{
    SiteOptions site;
    site.resultLinks = ini.readString(section, "ResultLinks", "");
    site.resultLinkCount = std::clamp(ini.readInteger(section, "ResultLinkCount", 10), 0, 100);
    site.settleMs = std::clamp(ini.readInteger(section, "SettleMs", 500), 0, 10000);
    if (!ini.valueExists(section, "BlockWords")) {
        // The defaults serve the common search sites in both languages.
        site.blockWords = {"captcha",
                           "unusual traffic",
                           "are you a robot",
                           "not a robot",
                           "verify you are human",
                           "too many requests",
                           "ロボットではありません",
                           "不正なトラフィック",
                           "通常と異なるトラフィック",
                           "画像認証"};
        return site;
    }
    const std::string list = ini.readString(section, "BlockWords", "");
    size_t start = 0;
    while (start <= list.size()) {
        const size_t comma = std::min(list.find(',', start), list.size());
        std::string word = list.substr(start, comma - start);
        word.erase(0, word.find_first_not_of(' '));
        word.erase(word.find_last_not_of(' ') + 1);
        if (!word.empty())
            site.blockWords.push_back(word);
        start = comma + 1;
    }
    return site;
}

} // namespace runs
