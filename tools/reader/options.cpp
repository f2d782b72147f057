#include "options.h"

#include <cerrno>
#include <cstdlib>

namespace vzv::reader {

const char* const kUsage =
    "Usage: vuzavov-log [options] PATH...\n"
    "Prints the records of Brivant.Service.VuzavovEro logs as UTF-8.\n"
    "PATH is a log file or a directory (its *.log* files that are logs).\n"
    "Several files are printed one after the other, each line led by its file.\n"
    "\n"
    "  --level N         records of level N or more severe (0 Off, 1 Error,\n"
    "                    2 Info, 3 Debug, 4 Verbose); the library's own level-0\n"
    "                    lines always pass\n"
    "  --thread ID       records of that thread\n"
    "  --since TIME      records at or after TIME (local, yyyy-mm-dd[ hh:mm[:ss[.mmm]]])\n"
    "  --until TIME      records at or before TIME; a TIME without seconds or\n"
    "                    milliseconds includes all of its last minute or second\n"
    "  --grep TEXT       records whose text contains TEXT (plain, case-sensitive)\n"
    "  --json            one JSON object per record: @timestamp, log.level,\n"
    "                    log.level_number, process.thread.id, log.file.path,\n"
    "                    message\n"
    "  --all             add each log's start-up log and _old generation and\n"
    "                    print everything merged in time order\n"
    "  --follow          then keep printing new records of the one log given,\n"
    "                    across its rotation and recreation, until Ctrl+C\n"
    "  --follow DIR      follow every log in DIR (or DIR/PATTERN with * and ?,\n"
    "                    quoted), also those that appear, as JSON lines\n"
    "  --state FILE      with --follow DIR: where each log was read to; run\n"
    "                    again, the reader goes on from there\n"
    "  --out FILE        with --follow DIR: the lines go to FILE, which is moved\n"
    "                    to FILE.1 before it passes --out-max-bytes (16 MiB)\n"
    "  --follow-for SEC  follow for SEC seconds, then stop as on Ctrl+C\n"
    "  --service         with --follow DIR, --state and --out: run as a Windows\n"
    "                    service (sc create); its stop is a Ctrl+C\n"
    "  --help            this text\n"
    "\n"
    "Exit status: 0 when every PATH was read, 1 when one was not a log or could\n"
    "not be read, 2 for a wrong command line. An empty file is a log without\n"
    "records. Damage (odd byte count, invalid UTF-16, NULs) is repaired and\n"
    "reported on stderr.\n";

namespace {

std::optional<long long> Integer(const std::string& text) {
    if (text.empty()) return std::nullopt;
    char* end = nullptr;
    errno = 0;
    const long long value = std::strtoll(text.c_str(), &end, 10);
    if (*end != '\0' || errno != 0) return std::nullopt;
    return value;
}

}  // namespace

std::optional<std::string> ParseOptions(const std::vector<std::string>& args, Options& o) {
    bool onlyPaths = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string name = args[i];
        if (onlyPaths || name.size() < 2 || name[0] != '-') {
            o.paths.push_back(name);
            continue;
        }
        if (name == "--") {
            onlyPaths = true;
            continue;
        }
        // "--name=value" as well as "--name value".
        std::optional<std::string> inlineValue;
        if (const auto eq = name.find('='); eq != std::string::npos) {
            inlineValue = name.substr(eq + 1);
            name.erase(eq);
        }
        const auto value = [&]() -> std::optional<std::string> {
            if (inlineValue) return inlineValue;
            if (i + 1 < args.size()) return args[++i];
            return std::nullopt;
        };
        const auto flag = [&](bool& target) -> std::optional<std::string> {
            if (inlineValue) return name + " takes no value";
            target = true;
            return std::nullopt;
        };
        std::optional<std::string> problem;
        if (name == "--json") {
            problem = flag(o.json);
        } else if (name == "--all") {
            problem = flag(o.all);
        } else if (name == "--follow") {
            problem = flag(o.follow);
        } else if (name == "--service") {
            problem = flag(o.service);
        } else if (name == "--help" || name == "-h") {
            problem = flag(o.help);
        } else if (name == "--state" || name == "--out") {
            const std::optional<std::string> v = value();
            if (!v || v->empty()) return name + " needs a file";
            (name == "--state" ? o.state : o.out) = *v;
        } else if (name == "--out-max-bytes") {
            const std::optional<std::string> v = value();
            const std::optional<long long> number = v ? Integer(*v) : std::nullopt;
            if (!number || *number < 4096) return "--out-max-bytes takes a size of 4096 or more";
            o.outMaxBytes = static_cast<std::uint64_t>(*number);
        } else if (name == "--level" || name == "--thread" || name == "--since" ||
                   name == "--until" || name == "--grep" || name == "--follow-for") {
            const std::optional<std::string> v = value();
            if (!v) return name + " needs a value";
            const std::optional<long long> number = Integer(*v);
            if (name == "--level") {
                if (!number || *number < 0 || *number > 4) return "--level takes 0 to 4";
                o.filter.maxLevel = static_cast<int>(*number);
            } else if (name == "--thread") {
                if (!number || *number < 0 || *number > 0xFFFFFFFFLL)
                    return "--thread takes a thread number";
                o.filter.thread = static_cast<std::uint32_t>(*number);
            } else if (name == "--since" || name == "--until") {
                const bool until = name == "--until";
                const auto key = ParseTimeArgument(*v, until);
                if (!key) return name + " takes a local time: yyyy-mm-dd[ hh:mm[:ss[.mmm]]]";
                (until ? o.filter.until : o.filter.since) = key;
            } else if (name == "--grep") {
                o.filter.text = *v;
            } else {
                char* end = nullptr;
                const double seconds = std::strtod(v->c_str(), &end);
                if (v->empty() || *end != '\0' || !(seconds >= 0))
                    return "--follow-for takes seconds";
                o.followFor = seconds;
                o.follow = true;
            }
        } else {
            return "unknown option " + name;
        }
        if (problem) return problem;
    }
    if (o.help) return std::nullopt;
    if (o.paths.empty()) return "no log given";
    if (o.follow && o.paths.size() != 1) return "--follow takes exactly one log";
    if (o.service && (!o.follow || o.state.empty() || o.out.empty()))
        return "--service goes with --follow DIR, --state and --out";
    return std::nullopt;
}

}  // namespace vzv::reader
