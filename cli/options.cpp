#include "cli/options.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <signal.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "grader/grader.h"
#include "grader/score.h"
#include "output/targets.h"

namespace gw::cli {

namespace fs = std::filesystem;

std::string Lower(std::string s) {
    for (char& ch : s) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    return s;
}

CLI::Validator Whole(const char* what, unsigned long long least) {
    return CLI::Validator(
        [what, least](std::string& v) -> std::string {
            std::size_t used = 0;
            try {
                if (!v.empty() && v[0] >= '0' && v[0] <= '9' && std::stoull(v, &used) >= least && used == v.size())
                    return {};
            } catch (...) {
            }
            return std::string("expected ") + what + (least > 0 ? ", " + std::to_string(least) + " or more" : "") +
                   ", got '" + v + "'";
        },
        "");
}

CLI::Validator OneOf(std::vector<std::string> values) {
    return CLI::Validator(
        [values](std::string& v) -> std::string {
            for (const std::string& value : values)
                if (Lower(v) == Lower(value)) {
                    v = value;
                    return {};
                }
            std::string list;
            for (const std::string& value : values) list += (list.empty() ? "" : ", ") + value;
            const std::string near = Closest(v, values);
            return "expected one of " + list + ", got '" + v + "'" +
                   (near.empty() ? "" : "; did you mean '" + near + "'?");
        },
        "");
}

bool TargetOption(const std::string& text, int& target) {
    target = FindTarget(text);
    if (target >= 0) return true;
    std::string list;
    for (const OutputTarget& t : kTargets) list += std::string(list.empty() ? "" : ", ") + "\"" + t.listText + "\"";
    std::fprintf(stderr, "gridwick: unknown target '%s'; use 0-%zu or one of %s\n", text.c_str(), kTargets.size() - 1,
                 list.c_str());
    return false;
}

bool ParseLevels(const std::string& text, unsigned& levels, std::string& error) {
    levels = 0;
    const auto levelOf = [](const std::string& t) {
        if (t.size() == 1 && t[0] >= '1' && t[0] <= '9') return t[0] - '0';
        for (int l = 1; l <= 9; ++l)
            if (Lower(t) == Lower(kLevelNames[static_cast<std::size_t>(l)])) return l;
        return 0;
    };
    std::size_t pos = 0;
    while (pos <= text.size()) {
        std::size_t comma = text.find(',', pos);
        if (comma == std::string::npos) comma = text.size();
        std::string item = text.substr(pos, comma - pos);
        pos = comma + 1;
        while (!item.empty() && item.front() == ' ') item.erase(item.begin());
        while (!item.empty() && item.back() == ' ') item.pop_back();
        if (item.empty()) continue;
        // One level, or a range of two ("6-9", "Hard-Extreme").
        const std::size_t dash = item.find('-');
        int a = levelOf(item), b = a;
        if (a == 0 && dash != std::string::npos) {
            a = levelOf(item.substr(0, dash));
            b = levelOf(item.substr(dash + 1));
        }
        if (a == 0 || b == 0 || a > b) {
            std::vector<std::string> names(kLevelNames.begin() + 1, kLevelNames.end());
            const std::string near = Closest(item, names);
            error = "unknown level '" + item + "' (use Easy..Outlaw or 1-9)" +
                    (near.empty() ? "" : "; did you mean '" + near + "'?");
            return false;
        }
        for (int l = a; l <= b; ++l) levels |= LevelBit(l);
    }
    if (levels == 0) {
        error = "no level selected";
        return false;
    }
    return true;
}

CLI::Validator Seconds() {
    return CLI::Validator(
        [](std::string& v) -> std::string {
            char* end = nullptr;
            const double d = std::strtod(v.c_str(), &end);
            if (!v.empty() && end == v.c_str() + v.size() && std::isfinite(d) && d > 0) return {};
            return "expected a number of seconds above 0, got '" + v + "'";
        },
        "");
}

CLI::Validator NotEmpty(const char* what) {
    return CLI::Validator(
        [what](std::string& v) -> std::string { return v.empty() ? std::string("expected ") + what + ", got nothing" : ""; },
        "");
}

CLI::Validator ScoreRangeCheck() {
    return CLI::Validator(
        [](std::string& v) -> std::string {
            ScoreRange r;
            return ParseScoreRange(v, r) ? "" : "expected a range of scores such as 6.5-7.2, 7, 7.5- or -3, got '" + v + "'";
        },
        "");
}

int FinishOutput(int status) {
    errno = 0;
    const bool failed = std::fflush(stdout) != 0 || std::ferror(stdout);
    const int err = errno != 0 ? errno : EIO;
    if (!failed || status != 0) return status;
    std::fprintf(stderr, "gridwick: cannot write to standard output: %s\n", std::strerror(err));
    return 1;
}

bool LevelsOption(const std::string& text, unsigned& levels) {
    if (text.empty()) return true;
    std::string error;
    if (ParseLevels(text, levels, error)) return true;
    std::fprintf(stderr, "gridwick: --levels: %s\n", error.c_str());
    return false;
}

std::string UnusableFolder(const std::string& folder, bool create) {
    std::error_code ec;
    if (create) fs::create_directories(folder, ec);
    const fs::file_status st = fs::status(folder, ec);
    if (ec) return ec.message();
    if (!fs::is_directory(st)) return fs::exists(st) ? "not a folder" : std::strerror(ENOENT);
    if (::access(folder.c_str(), (create ? W_OK : 0) | R_OK | X_OK) != 0) return std::strerror(errno);
    return {};
}

std::string Closest(const std::string& word, const std::vector<std::string>& candidates) {
    const std::string w = Lower(word);
    std::string best;
    std::size_t bestDistance = std::string::npos;
    for (const std::string& c : candidates) {
        // Edit distance, a swap of two neighbours counting as one edit.
        const std::string s = Lower(c);
        std::vector<std::vector<std::size_t>> d(w.size() + 1, std::vector<std::size_t>(s.size() + 1));
        for (std::size_t i = 0; i <= w.size(); ++i) d[i][0] = i;
        for (std::size_t j = 0; j <= s.size(); ++j) d[0][j] = j;
        for (std::size_t i = 1; i <= w.size(); ++i)
            for (std::size_t j = 1; j <= s.size(); ++j) {
                d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1, d[i - 1][j - 1] + (w[i - 1] == s[j - 1] ? 0 : 1)});
                if (i > 1 && j > 1 && w[i - 1] == s[j - 2] && w[i - 2] == s[j - 1])
                    d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
            }
        // A word that begins another ("--level" for "--levels") is close too.
        const std::size_t distance = s.starts_with(w) && w.size() >= 3 ? 1 : d[w.size()][s.size()];
        if (distance < bestDistance) {
            bestDistance = distance;
            best = c;
        }
    }
    // About one slip in three letters.
    return bestDistance <= std::max<std::size_t>(1, w.size() / 3) ? best : std::string();
}

std::string Wrap(const std::string& text, std::size_t width, std::size_t indent) {
    std::string out;
    std::size_t start = 0;
    while (start <= text.size()) {
        // One paragraph: its leading spaces indent all its lines.
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        const std::string para = text.substr(start, end - start);
        const std::size_t lead = std::min(para.find_first_not_of(' '), para.size());
        const std::size_t rest = std::max(indent, lead);
        std::string line(lead, ' ');
        bool empty = true;
        for (std::size_t pos = lead; pos < para.size();) {
            std::size_t stop = para.find(' ', pos);
            if (stop == std::string::npos) stop = para.size();
            const std::string word = para.substr(pos, stop - pos);
            pos = stop + 1;
            if (word.empty()) continue;
            if (!empty && line.size() + 1 + word.size() > width) {
                out += line + "\n";
                line = std::string(rest, ' ');
                empty = true;
            }
            line += (empty ? "" : " ") + word;
            empty = false;
        }
        if (!empty || end < text.size()) out += (empty ? std::string() : line) + "\n";
        start = end + 1;
        if (end == text.size()) break;
    }
    return out;
}

std::size_t HelpWidth() {
    winsize ws{};
    if (::isatty(STDOUT_FILENO) && ::ioctl(STDOUT_FILENO, TIOCGWINSZ, &ws) == 0 && ws.ws_col >= 40) return ws.ws_col;
    return 80;
}

namespace {

// "-t, --target TARGET" for the left column of the help.
std::string OptionName(const CLI::Option* o) {
    if (o->get_positional()) return o->get_name();
    std::string s;
    for (const std::string& n : o->get_snames()) s += (s.empty() ? "-" : ", -") + n;
    for (const std::string& n : o->get_lnames()) s += (s.empty() ? "--" : ", --") + n;
    if (o->get_expected_max() > 0 && o->get_type_size_max() > 0) {
        std::string value = o->get_option_text();
        if (value.empty()) {
            value = o->get_lnames().empty() ? "VALUE" : o->get_lnames()[0];
            for (char& ch : value) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
        }
        s += " " + value;
    }
    return s;
}

// One option or argument: its name, then its description from column 26, on
// the next line when the name is longer.
std::string OptionLine(const CLI::Option* o, std::size_t width) {
    constexpr std::size_t kColumn = 26;
    std::string desc = o->get_description();
    const std::string def = o->get_default_str();
    if (!o->get_required() && !def.empty() && def != "[]") desc += " (default " + def + ")";
    std::string head = "  " + OptionName(o);
    if (head.size() + 2 > kColumn) head += "\n" + std::string(kColumn, ' ');
    else head += std::string(kColumn - head.size(), ' ');
    const std::size_t lastLine = head.rfind('\n') == std::string::npos ? 0 : head.rfind('\n') + 1;
    const std::string body = Wrap(std::string(head.size() - lastLine, 'x') + desc, width, kColumn);
    return head + body.substr(head.size() - lastLine);
}

}  // namespace

std::string UsageLine(const CLI::App* app, const std::string& name) {
    const CLI::App* parent = app->get_parent();
    std::string usage = parent != nullptr ? parent->get_name() + " " + app->get_name() : name;
    if (usage.empty()) usage = app->get_name();
    if (!app->get_subcommands([](const CLI::App*) { return true; }).empty()) usage += " COMMAND";
    usage += " [OPTIONS]";
    for (const CLI::Option* p : app->get_options([](const CLI::Option* o) { return o->get_positional(); }))
        usage += " " + (p->get_required() ? p->get_name() : "[" + p->get_name() + "]") + "...";
    return usage;
}

std::string MissingOption(const CLI::App* app) {
    for (const CLI::Option* o : app->get_options()) {
        if (!o->get_required() || o->count() > 0) continue;
        std::string desc = o->get_description();
        if (!desc.empty()) desc[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(desc[0])));
        const std::string name = o->get_positional() || o->get_lnames().empty()
                                     ? o->get_name()
                                     : "--" + o->get_lnames()[0] + " " + o->get_option_text();
        return "missing " + name + ": " + desc + "\ngridwick: usage: " + UsageLine(app, app->get_name());
    }
    return {};
}

std::string HelpFormat::make_help(const CLI::App* app, std::string name, CLI::AppFormatMode) const {
    const std::size_t width = HelpWidth();
    const auto positionals = app->get_options([](const CLI::Option* o) { return o->get_positional(); });
    const auto options = app->get_options([](const CLI::Option* o) { return !o->get_positional(); });
    const auto commands = app->get_subcommands([](const CLI::App*) { return true; });

    std::string out = Wrap("Usage: " + UsageLine(app, name), width, 7) + "\n" + Wrap(app->get_description(), width) + "\n";
    if (!commands.empty()) {
        out += "Commands:\n";
        for (const CLI::App* c : commands) {
            std::string head = "  " + c->get_name();
            head += std::string(head.size() < 12 ? 12 - head.size() : 1, ' ');
            out += head + Wrap(std::string(head.size(), 'x') + c->get_description(), width, 12).substr(head.size());
        }
        out += "\n";
    }
    if (!positionals.empty()) {
        out += "Arguments:\n";
        for (const CLI::Option* p : positionals) out += OptionLine(p, width);
        out += "\n";
    }
    out += "Options:\n";
    for (const CLI::Option* o : options) out += OptionLine(o, width);
    if (!app->get_footer().empty()) out += "\n" + Wrap(app->get_footer(), width);
    return out;
}

namespace {

// The signal handler's only way to reach a run: lock-free atomic stores.
std::atomic<int> gCaught{0};
std::atomic<std::atomic<bool>*> gFlag{nullptr};
constexpr std::array<int, 3> kStopSignals = {SIGINT, SIGTERM, SIGHUP};
std::array<struct sigaction, kStopSignals.size()> gPrevious{};

extern "C" void OnStopSignal(int sig) {
    gCaught.store(sig);
    if (std::atomic<bool>* f = gFlag.load(); f != nullptr) f->store(true);
}

}  // namespace

StopSignals::StopSignals(bool restart, std::atomic<bool>* flag) {
    gFlag.store(flag);
    struct sigaction sa {};
    sa.sa_handler = OnStopSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = restart ? SA_RESTART : 0;
    for (std::size_t i = 0; i < kStopSignals.size(); ++i) ::sigaction(kStopSignals[i], &sa, &gPrevious[i]);
}

StopSignals::~StopSignals() {
    for (std::size_t i = 0; i < kStopSignals.size(); ++i) ::sigaction(kStopSignals[i], &gPrevious[i], nullptr);
    gFlag.store(nullptr);
}

int StopSignals::Caught() { return gCaught.load(); }

}  // namespace gw::cli
