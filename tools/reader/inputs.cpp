#include "inputs.h"

#include "platform/tools.h"
#include "shown_text.h"

#include <algorithm>
#include <set>
#include <system_error>

namespace vzv::reader {

namespace fs = std::filesystem;

fs::path StartupLogName(const fs::path& logPath) {
    const auto& native = logPath.native();
    const std::size_t at = native.find(fs::path(".log").native());
    if (at == fs::path::string_type::npos) return {};
    return fs::path(native.substr(0, at)) += ".startup.log";
}

namespace {

class InputList {
public:
    explicit InputList(std::vector<Input>& inputs) : m_inputs(inputs) {}

    // A file with several names is taken once, by its identity; a name that
    // holds no regular file is kept, so that opening it says why.
    void Add(const fs::path& path, std::string directory, bool optional) {
        const platform::FileStatus status = platform::LookAt(path);
        const bool fresh = status.kind == platform::OpenResult::Opened
                               ? m_identities.insert(status.identity).second
                               : m_names.insert(path.lexically_normal()).second;
        if (fresh) m_inputs.push_back({path, DisplayName(path), std::move(directory), optional});
    }
    // The start-up log and _old generation of `path`, those that exist,
    // in the order they were written.
    void AddCompanions(const fs::path& path, const std::string& directory) {
        for (const fs::path& name : {StartupLogName(path), fs::path(path) += "_old"})
            if (!name.empty() && name != path &&
                platform::LookAt(name).kind == platform::OpenResult::Opened)
                Add(name, directory, true);
    }

private:
    std::vector<Input>& m_inputs;
    std::set<platform::FileIdentity> m_identities;
    std::set<fs::path> m_names;
};

// A directory's regular files whose names hold ".log", by name; links and
// other kinds of files are named in `notes`.
std::vector<fs::path> LogFilesIn(const fs::path& directory, std::error_code& error,
                                 std::vector<std::string>& notes) {
    std::vector<fs::path> files;
    for (fs::directory_iterator it(directory, error), end; !error && it != end;
         it.increment(error)) {
        if (DisplayName(it->path().filename()).find(".log") == std::string::npos) continue;
        std::error_code ignored;
        if (it->is_symlink(ignored) || !it->is_regular_file(ignored))
            notes.push_back(ShownName(it->path()) + ": skipped, a link or not a regular file");
        else
            files.push_back(it->path());
    }
    std::sort(files.begin(), files.end());
    return files;
}

}  // namespace

int Generation(const fs::path& path) {
    const std::string name = DisplayName(path.filename());
    if (name.find(".startup.log") != std::string::npos) return 0;
    const std::string old = "_old";
    return name.size() >= old.size() && name.compare(name.size() - old.size(), old.size(), old) == 0
               ? 1
               : 2;
}

std::vector<Input> ExpandInputs(const std::vector<std::string>& args, bool all,
                                std::vector<std::string>& problems,
                                std::vector<std::string>& notes) {
    std::vector<Input> inputs;
    InputList list(inputs);
    for (const std::string& arg : args) {
        const fs::path path = fs::u8path(arg);
        std::error_code error;
        if (!fs::is_directory(path, error)) {
            if (all) list.AddCompanions(path, {});
            list.Add(path, {}, false);
            continue;
        }
        const std::vector<fs::path> files = LogFilesIn(path, error, notes);
        if (error)
            problems.push_back(ShownText(arg) + ": cannot list the directory: " + error.message());
        else if (files.empty())
            problems.push_back(ShownText(arg) + ": no log files (*.log*) in this directory");
        for (const fs::path& file : files) list.Add(file, arg, true);
    }
    if (all)
        std::stable_sort(inputs.begin(), inputs.end(), [](const Input& a, const Input& b) {
            return Generation(a.path) < Generation(b.path);
        });
    return inputs;
}

}  // namespace vzv::reader
