// vuzavov-log: prints the records of the library's UTF-16LE logs as UTF-8,
// plain or as JSON, filtered, merged with the older files, or followed.
#include "folder_follow.h"
#include "follow.h"
#include "inputs.h"
#include "interrupt.h"
#include "log_source.h"
#include "options.h"
#include "platform/service.h"
#include "platform/tools.h"
#include "record_merge.h"
#include "record_printer.h"
#include "shown_text.h"

#include <filesystem>
#include <iostream>
#include <algorithm>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <system_error>
#include <vector>

namespace vzv::reader {
namespace {

constexpr int kExitUnreadable = 1;
constexpr int kExitUsage = 2;

// Reports through `fail` what cannot be read; the status follows the reports.
class Status {
public:
    void Fail(const std::string& message) {
        std::cerr << "vuzavov-log: " << message << '\n';
        m_code = kExitUnreadable;
    }
    int code() const { return m_code; }

private:
    int m_code = 0;
};

// The inputs that are logs, opened; files found rather than named are
// skipped with a note when they are not logs.
std::vector<std::unique_ptr<LogSource>> OpenLogs(const std::vector<Input>& inputs,
                                                 const std::string& followed, Status& status) {
    std::vector<std::unique_ptr<LogSource>> sources;
    std::map<std::string, int> logsPerDirectory;
    std::set<platform::FileIdentity> opened;
    for (const Input& input : inputs) {
        auto source = std::make_unique<LogSource>(input.path, input.label, input.label == followed);
        const LogSource::Kind kind = source->Open();
        if (!input.directory.empty())
            logsPerDirectory[input.directory] += kind != LogSource::Kind::NotALog;
        const std::string shown = ShownText(input.label);
        switch (kind) {
        case LogSource::Kind::Unreadable: status.Fail(shown + ": cannot open the file"); continue;
        case LogSource::Kind::NotPlain:
            if (input.optional)
                std::cerr << "note: " << shown << ": skipped, a link or not a regular file\n";
            else
                status.Fail(shown + ": a link or not a regular file; not opened");
            continue;
        case LogSource::Kind::NotALog:
            if (input.optional)
                std::cerr << "note: " << shown << ": skipped, not a log of this library\n";
            else
                status.Fail(shown +
                            ": not a log of this library (it does not begin with a UTF-16LE "
                            "line \"<thread> | yy.mm.dd hh:mm:ss.mmm |<level>| \")");
            continue;
        case LogSource::Kind::Empty:
            std::cerr << "note: " << shown << ": empty log, no records\n";
            break;
        case LogSource::Kind::Log: break;
        }
        // A second name for a file already read (a hard link swapped in).
        if (kind == LogSource::Kind::Log && !opened.insert(source->identity()).second) continue;
        sources.push_back(std::move(source));
    }
    for (const auto& [directory, logs] : logsPerDirectory)
        if (logs == 0)
            status.Fail(ShownText(directory) + ": no logs of this library in this directory");
    return sources;
}

int RunFolderFollow(const Options& options, FolderFollowOptions folder) {
    folder.state = std::filesystem::u8path(options.state);
    folder.filter = options.filter;
    folder.seconds = options.followFor;
    if (options.out.empty()) {
        BoundedOutput out;
        return FollowFolder(folder, out);
    }
    BoundedOutput out(std::filesystem::u8path(options.out),
                      options.outMaxBytes.value_or(BoundedOutput::kDefaultMaxBytes));
    return FollowFolder(folder, out);
}

// Under the service manager, whose stop is a Ctrl+C: the same end, the state
// saved. A folder that is not there is the service's failure to report.
int RunService(const Options& options, const std::optional<FolderFollowOptions>& folder) {
    const auto work = [&] {
        if (folder) return RunFolderFollow(options, *folder);
        std::cerr << "vuzavov-log: " << options.paths[0] << ": not a folder to follow\n";
        return kExitUnreadable;
    };
    int status = 0;
    if (platform::RunAsService(work, RequestInterrupt, status)) return status;
    std::cerr << "vuzavov-log: --service runs under the Windows service control manager "
                 "(sc create, sc start); systemd runs the reader as it is\n";
    return kExitUsage;
}

int Run(const std::vector<std::string>& args) {
    Options options;
    if (const auto problem = ParseOptions(args, options)) {
        if (args.empty())
            std::cerr << kUsage;
        else
            std::cerr << "vuzavov-log: " << *problem << "\n(vuzavov-log --help tells more)\n";
        return kExitUsage;
    }
    if (options.help) {
        std::cout << kUsage;
        return 0;
    }
    const auto folder = options.follow ? FollowTarget(options.paths[0]) : std::nullopt;
    if (options.service) return RunService(options, folder);
    if (folder) return RunFolderFollow(options, *folder);
    if (!options.state.empty() || !options.out.empty() || options.outMaxBytes) {
        std::cerr << "vuzavov-log: --state and --out go with --follow DIR\n";
        return kExitUsage;
    }
    Status status;
    std::vector<std::string> problems, notes;
    const std::vector<Input> inputs = ExpandInputs(options.paths, options.all, problems, notes);
    for (const std::string& problem : problems) status.Fail(problem);
    for (const std::string& note : notes) std::cerr << "note: " << note << '\n';
    const std::string followed =
        options.follow ? DisplayName(std::filesystem::u8path(options.paths[0])) : std::string();
    const std::vector<std::unique_ptr<LogSource>> sources = OpenLogs(inputs, followed, status);

    // Merging holds what one read of each file decoded: less for many files.
    constexpr std::size_t kMergeBytes = 16 * 1024 * 1024;
    std::vector<LogSource*> order;
    LogSource* live = nullptr;
    for (const auto& source : sources) {
        order.push_back(source.get());
        if (options.all)
            source->SetChunkBytes(std::clamp<std::size_t>(kMergeBytes / sources.size(), 4096, 256 * 1024));
        if (options.follow && source->label() == followed) live = source.get();
    }
    if (options.follow && !live) return status.code();
    RecordPrinter printer(std::cout, options.json, sources.size() > 1,
                          !options.json && platform::StandardOutputIsTerminal());
    if (options.all)
        PrintMerged(order, options.filter, printer);
    else
        PrintInTurn(order, options.filter, printer);
    printer.Flush();
    if (live) Follow(*live, options.filter, printer, options.followFor);
    return status.code();
}

}  // namespace
}  // namespace vzv::reader

int main(int argc, char** argv) {
    std::ios::sync_with_stdio(false);
    // Out of memory, say: an error, not an abort.
    try {
        return vzv::reader::Run(vzv::platform::CommandLineArguments(argc, argv));
    } catch (const std::exception& e) {
        std::cerr << "vuzavov-log: " << vzv::reader::ShownText(e.what()) << '\n';
        return 1;
    }
}
